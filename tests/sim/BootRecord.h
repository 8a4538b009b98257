// An S-record frame as the programming side sends it to a boot loader: "S", the type character,
// then the record's bytes; the checksum is the ones' complement of the sum of count, address and
// data.
#pragma once

#include <cstdint>
#include <vector>

namespace rukmox::sim::test {

inline std::vector<std::uint8_t> BootRecord(char type,
                                            const std::vector<std::uint8_t>& addressAndData,
                                            bool goodChecksum = true) {
  std::vector<std::uint8_t> frame{'S', static_cast<std::uint8_t>(type),
                                  static_cast<std::uint8_t>(addressAndData.size() + 1)};
  // Room first: GCC 12 with optimisation takes the insert into the three-byte vector for a copy
  // past its end (-Warray-bounds).
  frame.reserve(frame.size() + addressAndData.size() + 1);
  frame.insert(frame.end(), addressAndData.begin(), addressAndData.end());
  unsigned sum = 0;
  for (std::size_t i = 2; i < frame.size(); ++i) sum += frame[i];
  frame.push_back(static_cast<std::uint8_t>(~sum + (goodChecksum ? 0 : 1)));
  return frame;
}

}  // namespace rukmox::sim::test
