// The device objects as both faces make them: one module object for the run, one programming
// object per job, each with the construction arguments below. Their owner argument is not used and
// stays null.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Rukmox.h"
#include "Rukmoxprog.h"
#include "platform/D2xxLibrary.h"
#include "platform/TransportSettings.h"

namespace rukmox::workflow {

// The module object: remote baud index 5, the option flag set, DTR and RTS control modes 0.
inline constexpr std::int32_t ModuleRemoteBaudIndex = 5;
inline constexpr bool DeviceOptionFlag = true;
inline constexpr std::int32_t DeviceControlMode = 0;
// The programming object of a job: the first port (COM1), 9600 baud.
inline constexpr std::int32_t ProgrammerFirstPort = 0;
inline constexpr std::int32_t ProgrammerBaudIndex = 5;

// `library` is where the D2XX entry points come from (LoadD2xxLibrary of the settings, or a
// wrapper around it); the module reports into `errorWord`.
std::unique_ptr<TRukMox> MakeModule(std::unique_ptr<platform::D2xxLibrary> library,
                                    std::int32_t* errorWord);

std::unique_ptr<TRukMoxProg> MakeProgrammer(const platform::TransportSettings& settings,
                                            std::int32_t* errorWord);

// The tty the module object opens as the dongle: the one the settings name, else the first FTDI
// tty whose description holds "Wireless Port". Empty when there is none.
std::string DongleTtyPath(const platform::TransportSettings& settings);

}  // namespace rukmox::workflow
