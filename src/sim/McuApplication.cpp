#include "McuApplication.h"

namespace rukmox::sim {

namespace {
constexpr std::uint8_t kMarker = 0x64;
constexpr std::uint8_t kStatus = 0x01;
constexpr std::uint8_t kReset = 0x04;
constexpr std::uint8_t kWriteCheckup = 0x0F;
constexpr std::uint8_t kAppMode = 2;
constexpr int kMaxLength = 110;

std::size_t McuFrameLength(const Bytes& soFar) {
  if (soFar[0] < 2 || soFar[0] > kMaxLength) return GapFrameReader::kNotAFrame;
  return soFar[0];
}

}  // namespace

McuFrameReader::McuFrameReader() : GapFrameReader(&McuFrameLength) {}

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
