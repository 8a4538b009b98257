// The operator texts in Italian and English: two blocks of 88 entries, the English text of Italian
// entry id at id + 88. Texts are stored and returned as UTF-8; every one of them is also
// representable in code page 1252, which the device names and the original texts were written in.
#pragma once

#include <string>
#include <string_view>

namespace rukmox {

inline constexpr int kTextBlockSize = 88;
inline constexpr int kTextEntryCount = 2 * kTextBlockSize;

inline constexpr int LanguageItalian = 0;
inline constexpr int LanguageEnglish = 1;

// Entry number `entry` of the whole table (0..175). Empty entries and numbers outside the table
// read as empty text.
std::string_view TextEntry(int entry);

// The text of Italian id `id` (0..87) in `language` (0 Italian, 1 English): entry
// id + 88 × language. An id outside 0..87 or an unknown language gives empty text, never a text
// of the other block.
std::string LoadText(int id, int language);

}  // namespace rukmox
