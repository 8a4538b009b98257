#include "GapFrameReader.h"

namespace rukmox::sim {

std::optional<Bytes> GapFrameReader::Feed(std::uint8_t byte, Clock::time_point now) {
  Expire(now);
  last_ = now;
  frame_.push_back(byte);
  const std::size_t expected = rule_(frame_);
  if (expected == kNotAFrame) {
    frame_.clear();
    return std::nullopt;
  }
  if (expected == 0 || frame_.size() < expected) return std::nullopt;
  Bytes done;
  done.swap(frame_);
  return done;
}

void GapFrameReader::Expire(Clock::time_point now) {
  if (!frame_.empty() && now - last_ >= kGap) frame_.clear();
}

}  // namespace rukmox::sim
