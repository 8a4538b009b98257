#include "FieldText.h"

#include <algorithm>

namespace rukmox {
namespace {

constexpr std::uint32_t kHighestWord = 65535;

// Blanks and control characters: what a PIN loses at both ends.
bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

bool IsDigitCharacter(char32_t c) {
  return c >= U'0' && c <= U'9';
}

bool IsDigitText(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return IsDigitCharacter(static_cast<unsigned char>(c));
  });
}

bool IsNameCharacter(char32_t c) {
  return IsDigitCharacter(c) || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c == U' ' ||
         c == U'-' || c == U'_';
}

std::optional<std::uint32_t> AddressOfField(std::string_view text) {
  if (!IsDigitText(text)) return 1;
  std::uint32_t value = 0;
  for (char c : text) {
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
    if (value > kHighestWord) return std::nullopt;  // also stops before any overflow
  }
  return value;
}

bool IsBlankName(std::string_view name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return c == ' '; });
}

bool IsSettableName(std::string_view name) {
  // Every name character is a single byte: counting bytes counts characters.
  return !IsBlankName(name) && name.size() <= static_cast<std::size_t>(NameLengthMax) &&
         std::all_of(name.begin(), name.end(),
                     [](char c) { return IsNameCharacter(static_cast<unsigned char>(c)); });
}

std::string TrimmedPin(std::string_view pin) {
  std::size_t begin = 0;
  std::size_t end = pin.size();
  while (begin < end && IsTrimmed(pin[begin])) ++begin;
  while (end > begin && IsTrimmed(pin[end - 1])) --end;
  return std::string(pin.substr(begin, end - begin));
}

}  // namespace rukmox
