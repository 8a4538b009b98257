// The dongle's side of the module wire: command frames in, reply frames out.
//
// Command frame: F0 LEN CODE [TARGET] PAYLOAD. LEN counts the logical bytes from itself to the end;
// data frames (code 0) have no target byte. Payload bytes EF and F0 travel as EF 00 and EF 01, and
// the escape byte is not counted. A reply frame is 64 LEN DATA with LEN counting everything.
#pragma once

#include <cstdint>
#include <optional>

#include "World.h"

namespace rukmox::sim {

class CommandDecoder {
 public:
  // Takes one byte off the wire; returns the frame it completes, if any. Bytes outside a frame
  // are skipped, and a start byte always begins a new frame (nothing else can carry F0).
  std::optional<CommandFrame> Feed(std::uint8_t byte);
  void Reset() { state_ = State::Idle; }

 private:
  enum class State { Idle, Length, Code, Target, Payload };
  std::optional<CommandFrame> Finish();

  State state_ = State::Idle;
  int remaining_ = 0;  // logical bytes still to come
  bool escape_ = false;
  CommandFrame frame_;
};

inline constexpr std::uint8_t kReplyMarker = 0x64;
inline constexpr int kMaxReplyData = 108;

// 64 LEN DATA; data beyond what fits a reply frame is cut off.
Bytes ReplyFrame(const Bytes& data);

}  // namespace rukmox::sim
