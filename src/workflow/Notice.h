// An operator message as both faces tell it: a string-table text, optionally followed by a number
// in decimal and a closing text (another string-table text, or "." when none is named), and by a
// note of our own on a line of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ExtraTexts.h"
#include "TextIds.h"

namespace rukmox::workflow {

struct Notice {
  explicit Notice(text::Id text) : id(text) {}
  Notice(text::Id text, std::int64_t value, std::optional<text::Id> close = std::nullopt)
      : id(text), number(value), closing(close) {}

  text::Id id;
  std::optional<std::int64_t> number;
  std::optional<text::Id> closing;
  std::optional<extra::Id> note;
};

// The message's text in `language` (0 Italian, 1 English).
std::string NoticeText(const Notice& notice, int language);

}  // namespace rukmox::workflow
