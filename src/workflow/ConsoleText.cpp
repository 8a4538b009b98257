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

std::string ConsoleTranscript::Received(std::span<const std::uint8_t> bytes, ConsoleMode mode) {
  std::string shown;
  // A line is shown in one mode only.
  if (mode != mode_ && column_ > 0) {
    shown += '\n';
    column_ = 0;
  }
  mode_ = mode;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::span<const std::uint8_t> one = bytes.subspan(i, 1);
    if (mode == ConsoleMode::Hex) {
      // The break comes before the next byte, so a full line leaves no empty one behind it.
      if (column_ == kHexBytesPerLine) {
        shown += '\n';
        column_ = 0;
      }
      if (column_ > 0) shown += ' ';
      shown += HexPairs(one);
      ++column_;
      continue;
    }
    const std::string piece = ShownText(one);
    if (piece == "\n") {
      shown += piece;
      column_ = 0;
      continue;
    }
    // An escape such as "\x00" is never split.
    if (column_ > 0 && column_ + piece.size() > kTextColumns) {
      shown += '\n';
      column_ = 0;
    }
    shown += piece;
    column_ += piece.size();
  }
  return shown;
}

std::string ConsoleTranscript::Sent(std::span<const std::uint8_t> bytes, ConsoleMode mode) {
  std::string shown;
  if (column_ > 0) shown += '\n';  // the received line in progress stays apart
  column_ = 0;
  mode_ = mode;
  std::string line = ShownBytes(bytes, mode);
  // A sent line's own line feed is the end of its line in the view.
  if (!line.empty() && line.back() == '\n') line.pop_back();
  shown += kSentMark;
  shown += line;
  shown += '\n';
  return shown;
}

std::string LineStamper::Stamp(std::string_view text, std::string_view stamp) {
  std::string stamped;
  for (char c : text) {
    if (atLineStart_) stamped += stamp;
    stamped += c;
    atLineStart_ = c == '\n';
  }
  return stamped;
}

}  // namespace rukmox
