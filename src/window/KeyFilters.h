// The two key filters of the window's fields. Each takes the typed character, may replace it by 0
// (the field then ignores the key) and answers whether the key is Enter. The whole character code
// is judged: an accented letter or any other character outside the lists is refused.
#pragma once

#include <optional>

class QKeyEvent;

namespace rukmox::window {

inline constexpr char16_t KeyNone = 0;
inline constexpr char16_t KeyBackspace = 8;
inline constexpr char16_t KeyEnter = 13;
inline constexpr char16_t KeyEscape = 27;

// Digits, Backspace and Escape pass; Enter passes and answers true.
bool NumericKey(char16_t& key);

// The characters a name may hold (IsNameCharacter), Backspace and Escape pass; Enter passes and
// answers true.
bool NameKey(char16_t& key);

// The character a key types into a field, or nothing for navigation, deletion and shortcuts
// (Ctrl+V and the like stay with the field; what they insert passes the field's validator). One
// UTF-16 unit stands for the key; anything longer (a composed or surrogate character) comes as a
// character no filter lets through.
std::optional<char16_t> TypedCharacter(const QKeyEvent& key);

}  // namespace rukmox::window
