// Programming files made up for tests and benchmarks: the header line, then S-records with
// correct S-record checksums (the simulated boot loaders check them), in the line ends asked for.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rukmox::test {

inline constexpr std::string_view FirmwareHeader =
    "S0454E435259505445445F4543555F46494C455F565F30312E";

inline std::string Hex(std::uint32_t value, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[i] = "0123456789ABCDEF"[value & 0xF];
  return out;
}

// One S-record with a 16-bit address: "S", type, count, address, data, checksum.
inline std::string SRecord(char type, std::uint16_t address,
                           const std::vector<std::uint8_t>& data) {
  const auto count = static_cast<std::uint32_t>(2 + data.size() + 1);
  std::uint32_t sum = count + (address >> 8) + (address & 0xFF);
  std::string line = std::string("S") + type + Hex(count, 2) + Hex(address, 4);
  for (const std::uint8_t b : data) {
    line += Hex(b, 2);
    sum += b;
  }
  return line + Hex(~sum & 0xFF, 2);
}

// The record lines of an image of `size` bytes, `perRecord` bytes a line, and the end record.
inline std::vector<std::string> ImageRecords(std::size_t size, std::size_t perRecord = 32) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < size; at += perRecord) {
    std::vector<std::uint8_t> data;
    for (std::size_t i = at; i < size && i < at + perRecord; ++i)
      data.push_back(static_cast<std::uint8_t>(i * 7 + 3));
    lines.push_back(SRecord('1', static_cast<std::uint16_t>(at), data));
  }
  lines.push_back(SRecord('9', 0, {}));
  return lines;
}

inline std::string FirmwareFile(const std::vector<std::string>& records,
                                std::string_view lineEnd = "\r\n", bool finalLineEnd = true) {
  std::string file(FirmwareHeader);
  for (const std::string& line : records) file += std::string(lineEnd) + line;
  if (finalLineEnd) file += lineEnd;
  return file;
}

// The frame a record line must become, worked out here on its own: "S", the type, then the
// hexadecimal pairs.
inline std::vector<std::uint8_t> ExpectedFrame(const std::string& line) {
  std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(line[0]),
                                  static_cast<std::uint8_t>(line[1])};
  for (std::size_t i = 2; i + 1 < line.size(); i += 2)
    frame.push_back(static_cast<std::uint8_t>(std::stoul(line.substr(i, 2), nullptr, 16)));
  return frame;
}

inline std::vector<std::uint8_t> AsBytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace rukmox::test
