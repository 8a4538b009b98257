// The application firmware of a remote module's host MCU, as its service port sees it. Frames are
// LEN CMD ... CS, where LEN counts the whole frame and all bytes add up to 0. Commands: 01 status
// (answered LEN 64 p0..p6), 0F a b (writes the checkup register), 04 (restarts the MCU; with the
// checkup register at 00 FF it stays in its boot loader). The last two are answered 01 64.
#pragma once

#include <cstdint>
#include <optional>

#include "World.h"

namespace rukmox::sim {

// Collects MCU frames; a pause drops a half-received one.
class McuFrameReader {
 public:
  static constexpr auto kGap = std::chrono::milliseconds(50);
  std::optional<Bytes> Feed(std::uint8_t byte, Clock::time_point now);
  bool Pending() const { return !frame_.empty(); }
  Clock::time_point Deadline() const { return last_ + kGap; }
  void Expire(Clock::time_point now);

 private:
  Bytes frame_;
  Clock::time_point last_{};
};

// Runs one frame; the answer is empty when the MCU keeps quiet.
Bytes RunMcuFrame(PortDevice& mcu, const Bytes& frame);

}  // namespace rukmox::sim
