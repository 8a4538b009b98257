#include "McuApplication.h"

namespace rukmox::sim {

namespace {
constexpr std::uint8_t kMarker = 0x64;
constexpr std::uint8_t kStatus = 0x01;
constexpr std::uint8_t kReset = 0x04;
constexpr std::uint8_t kWriteCheckup = 0x0F;
constexpr std::uint8_t kAppMode = 2;
constexpr int kMaxLength = 110;
}  // namespace

std::optional<Bytes> McuFrameReader::Feed(std::uint8_t byte, Clock::time_point now) {
  Expire(now);
  last_ = now;
  if (frame_.empty() && (byte < 2 || byte > kMaxLength)) return std::nullopt;  // not a length
  frame_.push_back(byte);
  if (frame_.size() < frame_[0]) return std::nullopt;
  Bytes done;
  done.swap(frame_);
  return done;
}

void McuFrameReader::Expire(Clock::time_point now) {
  if (!frame_.empty() && now - last_ >= kGap) frame_.clear();
}

Bytes RunMcuFrame(PortDevice& mcu, const Bytes& frame) {
  unsigned sum = 0;
  for (std::uint8_t b : frame) sum += b;
  if ((sum & 0xFF) != 0) return {};
  switch (frame[1]) {
    case kStatus: {
      Bytes out{8,        kMarker, mcu.appVersion[0], mcu.appVersion[1], mcu.appVersion[2],
                kAppMode, 0,       kKindMcu};
      unsigned total = 0;
      for (std::uint8_t b : out) total += b;
      out.push_back(static_cast<std::uint8_t>(0x100 - (total & 0xFF)));
      return out;
    }
    case kWriteCheckup:
      if (frame.size() != 5) return {};
      mcu.checkup = {frame[2], frame[3]};
      return {1, kMarker};
    case kReset:
      if (mcu.checkup == std::array<std::uint8_t, 2>{0x00, 0xFF}) {
        mcu.firmware = Firmware::BootLoader;
        mcu.boot.prepared = mcu.boot.started = mcu.boot.finished = false;
      }
      return {1, kMarker};
    default:
      return {};
  }
}

}  // namespace rukmox::sim
