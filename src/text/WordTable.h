// The tool's words beyond the string table are kept in tables by id (ExtraTexts, HelpTexts), each
// word written in English with the context the catalogues know it by: its id's name, so that
// words English spells alike may differ in another language. Word() marks a word for the
// catalogue template (scripts/update-pot).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "Languages.h"

namespace rukmox {

template <typename Id>
struct WordEntry {
  Id id;
  std::string_view context;
  std::string_view english;
};

template <typename Id>
constexpr WordEntry<Id> Word(Id id, std::string_view context, std::string_view english) {
  return {id, context, english};
}

// Each entry names its id, so that a table out of order or with a gap fails to compile.
template <typename Id, std::size_t N>
constexpr bool InIdOrder(const std::array<WordEntry<Id>, N>& words) {
  for (std::size_t i = 0; i < N; ++i)
    if (words[i].id != static_cast<Id>(i) || words[i].english.empty()) return false;
  return true;
}

// What the catalogues know word `id` by; empty for an id outside the table.
template <typename Id, std::size_t N>
MessageKey KeyOf(const std::array<WordEntry<Id>, N>& words, Id id) {
  if (id < 0 || static_cast<std::size_t>(id) >= N) return {};
  const WordEntry<Id>& word = words[static_cast<std::size_t>(id)];
  return {word.context, word.english};
}

// Word `id` in `language`; empty for an unknown language or id.
template <typename Id, std::size_t N>
std::string_view TextOf(const std::array<WordEntry<Id>, N>& words, Id id, int language) {
  if (language < 0 || language >= LanguageCount()) return {};
  const MessageKey key = KeyOf(words, id);
  if (key.english.empty()) return {};
  return Translate(language, key.context, key.english);
}

}  // namespace rukmox
