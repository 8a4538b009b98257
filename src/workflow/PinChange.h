// Setting and removing the link PIN, as the PIN page does it: the old PIN always comes from the
// dongle, never from the operator; both PINs are trimmed before they reach the module; the module
// decides whether the remote's PIN changes too. The message names both devices whenever the remote
// record is linked, which is all that is asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "Notice.h"
#include "Rukmox.h"

namespace rukmox::workflow {

struct PinOutcome {
  bool ok = false;
  // What to tell the operator: an error when not ok, an information when ok.
  Notice notice;
  // The module's result code, once the change was tried (not when the old PIN could not be read).
  std::optional<std::int32_t> code;
  // Done with a linked remote: the message speaks of both devices and the remote panel is re-read.
  bool remoteLinked = false;
};

// A new PIN that trims to nothing makes the module store the value for no PIN; the message still
// says the PIN was set.
PinOutcome ChangeLinkPin(TRukMox& device, std::string_view newPin);
PinOutcome RemoveLinkPin(TRukMox& device);

}  // namespace rukmox::workflow
