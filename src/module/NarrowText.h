// Names and PINs travel as single bytes (Windows-1252); the rest of the program speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace rukmox {

// ASCII passes unchanged; a character without a single-byte form, or a broken UTF-8 sequence,
// becomes "?". Each character gives exactly one byte.
std::string ToNarrow(std::string_view utf8);

// The reverse: each byte becomes one character (the few unassigned bytes keep their C1 code).
std::string FromNarrow(std::string_view narrow);

}  // namespace rukmox
