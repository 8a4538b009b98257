// The operator texts of the string table: 88 entries by id, in blocks by language. Entry
// id + 88 × language is the text of id in that language: block 0 Italian, block 1 English, and one
// block for every further language with a catalogue (Languages.h). The table is written in English;
// the other blocks are the catalogues' translations. Texts are UTF-8; the catalogues hold only
// texts their language's narrow code page (entry 2) can represent.
#pragma once

#include <string>
#include <string_view>

#include "Languages.h"

namespace rukmox {

inline constexpr int kTextBlockSize = 88;
// The Italian and the English block.
inline constexpr int kTextEntryCount = 2 * kTextBlockSize;

// Entry number `entry` of the Italian and the English block (0..175). Empty entries and numbers
// outside both blocks read as empty text. The view stays valid until the catalogue folder changes.
std::string_view TextEntry(int entry);

// The text of id `id` (0..87) in `language`: the catalogue's translation, or the English text
// where the catalogue has none, at most 254 characters as they would arrive through a narrow
// buffer of 255. An empty entry is empty in every language. An id outside 0..87 or an unknown
// language gives empty text, never a text of another block.
std::string LoadText(int id, int language);

// What the catalogues know entry `id` by: its context ("entry 26") and its English text; both
// empty for an empty entry or an id outside 0..87.
MessageKey TextKey(int id);

}  // namespace rukmox
