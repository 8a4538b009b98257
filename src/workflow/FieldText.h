// How the operator's field texts become module arguments, as both faces read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rukmox {

// An address field's text: empty or not a decimal number counts as 1 (the module refuses 0 and
// 65535 itself). A number above 65535 gives nothing: cutting it to its low 16 bits would hand the
// module an address nobody typed.
std::optional<std::uint32_t> AddressOfField(std::string_view text);

// A name made only of blanks (or nothing) would leave the device out of every scan list.
bool IsBlankName(std::string_view name);

// The characters the name and PIN fields take: blank, '-', digits, letters, '_'.
bool IsNameCharacter(char c);
// A name as the name fields and set-name take it: 1 to 9 of those characters, not all blanks.
bool IsSettableName(std::string_view name);

// Leading and trailing blanks and control characters go before a PIN reaches the module.
std::string TrimmedPin(std::string_view pin);

}  // namespace rukmox
