// The one place where the window's module object is made.
#pragma once

#include <cstdint>
#include <memory>

#include "Rukmox.h"
#include "Rukmoxprog.h"
#include "platform/TransportSettings.h"

namespace rukmox::window {

struct DonglePlace;

// The module object with the window's construction arguments: port 3000, remote baud index 5,
// `errorWord` as its error word, the option flag set, DTR and RTS control modes 0. It finds its
// dongle and serial ports through `settings`.
std::unique_ptr<TRukMox> CreateModule(const rukmox::platform::TransportSettings& settings,
                                      std::int32_t* errorWord);

// Where the window finds its dongle through `settings`, with the core's account of a failed open
// for the status line.
DonglePlace PlaceOf(const rukmox::platform::TransportSettings& settings, bool simulated);

// The programming object of a job: port 0, 9600 baud, `errorWord` as its error word, the option
// flag set, DTR and RTS control modes 0. It finds its serial ports through `settings`.
std::unique_ptr<TRukMoxProg> CreateProgrammer(const rukmox::platform::TransportSettings& settings,
                                              std::int32_t* errorWord);

}  // namespace rukmox::window
