#include "FieldText.h"

#include <algorithm>

#include "Rukmox.h"

namespace rukmox {
namespace {

constexpr std::uint32_t kHighestWord = 65535;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blanks and control characters: what a PIN loses at both ends.
bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::optional<std::uint32_t> AddressOfField(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) return 1;
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

bool IsNameCharacter(char c) {
  return c == ' ' || c == '-' || c == '_' || IsDigit(c) || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

bool IsSettableName(std::string_view name) {
  return !IsBlankName(name) && name.size() <= ModuleNameSize - 1 &&
         std::all_of(name.begin(), name.end(), IsNameCharacter);
}

std::string TrimmedPin(std::string_view pin) {
  std::size_t begin = 0;
  std::size_t end = pin.size();
  while (begin < end && IsTrimmed(pin[begin])) ++begin;
  while (end > begin && IsTrimmed(pin[end - 1])) --end;
  return std::string(pin.substr(begin, end - begin));
}

}  // namespace rukmox
