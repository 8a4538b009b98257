// An operator message as both faces tell it: a string-table text, optionally followed by a number
// in decimal and a closing text (another string-table text, or "." when none is named), and by
// notes of our own, each on a line of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ExtraTexts.h"
#include "TextIds.h"

namespace rukmox::workflow {

// A text of our own with the values for its places.
struct NoticeNote {
  extra::Id id;
  std::vector<std::string> values;
};

struct Notice {
  explicit Notice(text::Id text) : id(text) {}
  Notice(text::Id text, std::int64_t value, std::optional<text::Id> close = std::nullopt)
      : id(text), number(value), closing(close) {}

  text::Id id;
  std::optional<std::int64_t> number;
  std::optional<text::Id> closing;
  std::vector<NoticeNote> notes;

  Notice& Note(extra::Id note, std::vector<std::string> values = {}) {
    notes.push_back({note, std::move(values)});
    return *this;
  }
};

// The message's text in `language` (0 Italian, 1 English).
std::string NoticeText(const Notice& notice, int language);
// Notes alone, one a line.
std::string NotesText(const std::vector<NoticeNote>& notes, int language);

}  // namespace rukmox::workflow
