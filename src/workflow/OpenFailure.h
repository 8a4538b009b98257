// Why the dongle could not be opened, in words the user can act on: the library that would not
// load, the tty that does not exist, is no serial port, is held by another program or may not be
// used, or the module that does not answer. Both faces say it the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ExtraTexts.h"
#include "platform/TransportSettings.h"

namespace rukmox {

struct OpenFailureReason {
  extra::Id id;      // which of the tool's texts
  std::string text;  // filled in, in the language asked for
};

// `errorWord` as the failed open left it. Nothing when there is nothing to say beyond the word.
std::optional<OpenFailureReason> ExplainOpenFailure(const platform::TransportSettings& settings,
                                                    std::int32_t errorWord, int language);

}  // namespace rukmox
