#include "FileSummary.h"

#include <algorithm>

#include "ProgrammingFile.h"

namespace rukmox::programming {
namespace {

std::optional<int> HexValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return std::nullopt;
}

// The byte at pair `index` after the record type; nothing past the line or for a non-hex digit.
std::optional<std::uint32_t> PairAt(std::span<const std::uint8_t> line, std::size_t index) {
  const std::size_t at = 2 + 2 * index;
  if (at + 1 >= line.size()) return std::nullopt;
  const auto high = HexValue(line[at]);
  const auto low = HexValue(line[at + 1]);
  if (!high || !low) return std::nullopt;
  return static_cast<std::uint32_t>(*high * 16 + *low);
}

// The address width in bytes of a data record type, 0 for the other types.
std::size_t AddressBytes(std::uint8_t type) {
  switch (type) {
    case '1':
      return 2;
    case '2':
      return 3;
    case '3':
      return 4;
    default:
      return 0;
  }
}

}  // namespace

FileSummary SummariseFile(std::span<const std::uint8_t> data) {
  FileSummary summary;
  RecordWalker walker(data);
  while (const auto record = walker.Next()) {
    ++summary.records;
    const std::span<const std::uint8_t> line = record->text;
    if (line.size() < 4 || (line[0] != 'S' && line[0] != 's')) continue;
    const std::size_t width = AddressBytes(line[1]);
    const auto count = PairAt(line, 0);
    if (width == 0 || !count || *count < width + 1) continue;
    std::uint32_t address = 0;
    bool whole = true;
    for (std::size_t i = 1; i <= width && whole; ++i) {
      const auto byte = PairAt(line, i);
      whole = byte.has_value();
      if (whole) address = (address << 8) | *byte;
    }
    if (!whole) continue;
    const std::uint32_t bytes = *count - static_cast<std::uint32_t>(width) - 1;
    summary.addressDigits = std::max(summary.addressDigits, static_cast<int>(2 * width));
    if (bytes == 0) continue;
    summary.dataBytes += bytes;
    const std::uint32_t last = address + bytes - 1;
    summary.firstAddress = std::min(summary.firstAddress.value_or(address), address);
    summary.lastAddress = std::max(summary.lastAddress.value_or(last), last);
  }
  return summary;
}

}  // namespace rukmox::programming
