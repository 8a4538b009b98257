#include "ConsoleText.h"

namespace rukmox {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string HexPairs(std::span<const std::uint8_t> bytes) {
  std::string shown;
  shown.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    if (!shown.empty()) shown += ' ';
    shown += kDigits[b >> 4];
    shown += kDigits[b & 0x0F];
  }
  return shown;
}

std::string ShownText(std::span<const std::uint8_t> bytes) {
  std::string shown;
  shown.reserve(bytes.size());
  for (std::uint8_t b : bytes) {
    if (b == '\r') continue;
    if (b == '\\') {
      shown += "\\\\";
    } else if (b == '\n' || b == '\t' || (b >= 0x20 && b < 0x7F)) {
      shown += static_cast<char>(b);
    } else {
      shown += "\\x";
      shown += kDigits[b >> 4];
      shown += kDigits[b & 0x0F];
    }
  }
  return shown;
}

std::string ShownBytes(std::span<const std::uint8_t> bytes, ConsoleMode mode) {
  return mode == ConsoleMode::Hex ? HexPairs(bytes) : ShownText(bytes);
}

std::optional<std::vector<std::uint8_t>> ParseHexPairs(std::string_view line) {
  std::vector<std::uint8_t> bytes;
  int high = -1;  // the first digit of a pair in progress
  for (char c : line) {
    if (IsBlank(c)) {
      if (high >= 0) return std::nullopt;  // a lone digit before a blank
      continue;
    }
    const int value = HexValue(c);
    if (value < 0) return std::nullopt;
    if (high < 0) {
      high = value;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return bytes;
}

std::optional<std::vector<std::uint8_t>> LineToSend(std::string_view line, ConsoleMode mode,
                                                    std::string_view lineEnd) {
  if (mode == ConsoleMode::Hex) return ParseHexPairs(line);
  std::vector<std::uint8_t> bytes(line.begin(), line.end());
  bytes.insert(bytes.end(), lineEnd.begin(), lineEnd.end());
  return bytes;
}

}  // namespace rukmox
