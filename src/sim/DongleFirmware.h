// The radio module's application firmware as the dongle runs it: executes command frames on
// itself, relays remote ones over the radio, and carries data frames to the linked remote's host.
#pragma once

#include <optional>

#include "World.h"

namespace rukmox::sim {

struct FirmwareAnswer {
  std::optional<Bytes> data;  // reply data; nothing means the module stays silent
  bool overTheAir = false;    // the answer came from a remote module
};

// Runs one decoded frame against the world. Data frames never get an answer.
FirmwareAnswer RunCommand(World& world, const CommandFrame& frame);

}  // namespace rukmox::sim
