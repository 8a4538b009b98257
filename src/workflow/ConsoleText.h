// What a data console shows and sends: received bytes as hex pairs or as text, and a typed line
// turned into the bytes it stands for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rukmox {

enum class ConsoleMode { Text, Hex };

// "48 65 0D": upper-case pairs, one blank between them.
std::string HexPairs(std::span<const std::uint8_t> bytes);

// Printable ASCII and line feeds and tabs as they are; carriage returns are dropped (the console
// breaks lines at the line feed); a backslash as "\\" and every other byte as "\xHH", so that
// nothing received goes unseen.
std::string ShownText(std::span<const std::uint8_t> bytes);

// Received bytes in the chosen mode.
std::string ShownBytes(std::span<const std::uint8_t> bytes, ConsoleMode mode);

// Hex pairs with any blanks between the pairs ("48 65", "4865", "48  65 0d"). Nothing when a
// character is not a hex digit or blank, or a group has an odd number of digits.
std::optional<std::vector<std::uint8_t>> ParseHexPairs(std::string_view line);

// The bytes a typed line sends: in text mode its bytes followed by `lineEnd`, in hex mode the
// pairs alone. Nothing when a hex line does not parse.
std::optional<std::vector<std::uint8_t>> LineToSend(std::string_view line, ConsoleMode mode,
                                                    std::string_view lineEnd);

// What a console view appends, piece by piece. Received bytes run on in the chosen mode and are
// broken into lines of bounded length, so that a host that never sends a line feed still gives
// short lines, which a view can drop from its top; each sent line stands on a line of its own
// behind kSentMark.
class ConsoleTranscript {
 public:
  static constexpr std::size_t kHexBytesPerLine = 16;
  static constexpr std::size_t kTextColumns = 100;
  static constexpr std::string_view kSentMark = "> ";

  std::string Received(std::span<const std::uint8_t> bytes, ConsoleMode mode);
  std::string Sent(std::span<const std::uint8_t> bytes, ConsoleMode mode);

 private:
  std::size_t column_ = 0;  // characters (text) or bytes (hex) on the open received line
  ConsoleMode mode_ = ConsoleMode::Text;
};

// Puts a time stamp at the start of each line of a view's text, which arrives piece by piece: a
// line that a piece leaves open gets no second stamp when the next piece goes on with it.
class LineStamper {
 public:
  std::string Stamp(std::string_view text, std::string_view stamp);

 private:
  bool atLineStart_ = true;
};

}  // namespace rukmox
