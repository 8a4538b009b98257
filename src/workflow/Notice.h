// An operator message as both faces tell it: a string-table text, optionally followed by a number
// in decimal and a closing text (another string-table text, or "." when none is named).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "TextIds.h"

namespace rukmox::workflow {

struct Notice {
  text::Id id;
  std::optional<std::int64_t> number;
  std::optional<text::Id> closing;
};

// The message's text in `language` (0 Italian, 1 English).
std::string NoticeText(const Notice& notice, int language);

}  // namespace rukmox::workflow
