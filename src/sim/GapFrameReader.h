#pragma once

#include <chrono>
#include <cstddef>
#include <limits>
#include <optional>

#include "World.h"

namespace rukmox::sim {

// Collects bytes into frames whose first bytes tell their length. A pause of `kGap` drops a
// half-received frame, so that stray bytes cannot wedge the reader.
class GapFrameReader {
 public:
  static constexpr auto kGap = std::chrono::milliseconds(50);
  // What a length rule returns for bytes that begin no frame: the first byte is dropped.
  static constexpr std::size_t kNotAFrame = std::numeric_limits<std::size_t>::max();
  // The whole frame's length once the bytes so far tell it, 0 while they do not.
  using LengthRule = std::size_t (*)(const Bytes& soFar);

  explicit GapFrameReader(LengthRule rule) : rule_(rule) {}

  std::optional<Bytes> Feed(std::uint8_t byte, Clock::time_point now);
  bool Pending() const { return !frame_.empty(); }
  Clock::time_point Deadline() const { return last_ + kGap; }
  void Expire(Clock::time_point now);

 private:
  LengthRule rule_;
  Bytes frame_;
  Clock::time_point last_{};
};

}  // namespace rukmox::sim
