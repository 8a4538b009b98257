// The window's words that are not in the string table. They live with the tool's other own words
// (ExtraTexts), one block per language; this is the window's Qt face on them.
#pragma once

#include <QString>
#include <initializer_list>

#include "ExtraTexts.h"

namespace rukmox::window {

// The title of the window and of every message box, the same in both languages.
QString WindowTitle();

// The window names its words as Word::DongleInUse, Word::LinkUp, ...
using Word = extra::Id;

QString WordText(Word word, int language);
// The word with its places "%1", "%2", ... filled with `values` in order (as FillIn fills them).
QString WordText(Word word, int language, std::initializer_list<QString> values);

}  // namespace rukmox::window
