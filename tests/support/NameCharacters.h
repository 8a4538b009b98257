// One table of characters for everything that judges a name or a PIN: the rule itself, the
// window's key filter and its fields' paste filter, and rukmoxctl's NAME and NEW arguments. Each
// face's test runs the whole table, so a face that drifts from the rule fails on the same row.
#pragma once

#include <string>

namespace rukmox::test {

struct NameCharacterRow {
  const char* name;
  char32_t code;
  bool taken;
};

inline constexpr NameCharacterRow kNameCharacters[] = {
    {"UpperA", U'A', true},
    {"UpperZ", U'Z', true},
    {"LowerA", U'a', true},
    {"LowerZ", U'z', true},
    {"Zero", U'0', true},
    {"Nine", U'9', true},
    {"Blank", U' ', true},
    {"Dash", U'-', true},
    {"Underscore", U'_', true},
    // The neighbours of each range and of the marks.
    {"Slash", U'/', false},
    {"Colon", U':', false},
    {"At", U'@', false},
    {"OpenBracket", U'[', false},
    {"Backquote", U'`', false},
    {"OpenBrace", U'{', false},
    {"Comma", U',', false},
    {"FullStop", U'.', false},
    {"Caret", U'^', false},
    {"Tab", U'\t', false},
    {"Delete", U'\x7F', false},
    // Beyond ASCII, including characters whose low byte alone would read as a letter.
    {"NoBreakSpace", U'\u00A0', false},
    {"EAcute", U'\u00E9', false},
    {"LStrokeLowByteIsA", U'\u0141', false},
    {"SCaronLowByteIsLowerA", U'\u0161', false},
    {"FullwidthA", U'\uFF21', false},
};

// The character as UTF-8.
inline std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace rukmox::test
