#include "FrameCodec.h"

#include <algorithm>

namespace rukmox::sim {

namespace {
constexpr std::uint8_t kStart = 0xF0;
constexpr std::uint8_t kEscape = 0xEF;
constexpr int kMaxLength = 109;  // the whole frame fits in 110 bytes
}  // namespace

std::optional<CommandFrame> CommandDecoder::Feed(std::uint8_t byte) {
  if (byte == kStart) {
    frame_ = CommandFrame{};
    frame_.raw.push_back(byte);
    escape_ = false;
    state_ = State::Length;
    return std::nullopt;
  }
  if (state_ == State::Idle) return std::nullopt;
  frame_.raw.push_back(byte);
  switch (state_) {
    case State::Idle:
      break;
    case State::Length:
      if (byte < 2 || byte > kMaxLength) {
        state_ = State::Idle;
        break;
      }
      remaining_ = byte - 1;
      state_ = State::Code;
      break;
    case State::Code:
      frame_.code = byte;
      --remaining_;
      if (byte == 0) {
        frame_.target = -1;
        state_ = State::Payload;
        if (remaining_ == 0) return Finish();
      } else if (remaining_ == 0) {
        state_ = State::Idle;  // a command frame needs its target byte
      } else {
        state_ = State::Target;
      }
      break;
    case State::Target:
      frame_.target = byte;
      --remaining_;
      state_ = State::Payload;
      if (remaining_ == 0) return Finish();
      break;
    case State::Payload:
      if (escape_) {
        escape_ = false;
        if (byte > 1) {
          state_ = State::Idle;  // not an escape sequence: the frame is broken
          break;
        }
        frame_.payload.push_back(byte == 0 ? kEscape : kStart);
      } else if (byte == kEscape) {
        escape_ = true;
        break;
      } else {
        frame_.payload.push_back(byte);
      }
      if (--remaining_ == 0) return Finish();
      break;
  }
  return std::nullopt;
}

std::optional<CommandFrame> CommandDecoder::Finish() {
  state_ = State::Idle;
  return std::move(frame_);
}

Bytes ReplyFrame(const Bytes& data) {
  const std::size_t n = data.size() > kMaxReplyData ? kMaxReplyData : data.size();
  Bytes out(n + 2);
  out[0] = kReplyMarker;
  out[1] = static_cast<std::uint8_t>(n + 2);
  std::copy_n(data.begin(), n, out.begin() + 2);
  return out;
}

}  // namespace rukmox::sim
