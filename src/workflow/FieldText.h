// How the operator's field texts become module arguments, as both faces read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Rukmox.h"

namespace rukmox {

// The longest name a module holds (its name field keeps a terminating zero).
inline constexpr int NameLengthMax = ModuleNameSize - 1;

// What a name or PIN may hold: the letters A-Z and a-z, the digits, blank, '-' and '_'. The whole
// character code is judged, so an accented letter or any other character outside the list is
// refused.
bool IsNameCharacter(char32_t c);
bool IsDigitCharacter(char32_t c);
// Text of at least one character, each a digit: a decimal number as the operator types it.
bool IsDigitText(std::string_view text);

// An address field's text: empty or not a decimal number counts as 1 (the module refuses 0 and
// 65535 itself). A number above 65535 gives nothing: cutting it to its low 16 bits would hand the
// module an address nobody typed.
std::optional<std::uint32_t> AddressOfField(std::string_view text);

// A name made only of blanks (or nothing) would leave the device out of every scan list.
bool IsBlankName(std::string_view name);

// A name as the name fields and set-name take it: 1 to NameLengthMax name characters, not all
// blanks.
bool IsSettableName(std::string_view name);

// Leading and trailing blanks and control characters go before a PIN reaches the module.
std::string TrimmedPin(std::string_view pin);

}  // namespace rukmox
