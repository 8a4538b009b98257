#include "DataBridge.h"

#include <algorithm>

namespace rukmox {
namespace {

constexpr std::size_t kMaxDataBytes = TRukMox::MaxChunk;
// Start byte, length byte and command; data frames carry no target byte.
constexpr std::size_t kFrameHeader = 3;
// The sequence number takes one payload byte, two when it happens to need escaping.
constexpr std::size_t kSequenceWorstCase = 2;
constexpr std::size_t kDataRoom = TRukMox::BufferSize - kFrameHeader - kSequenceWorstCase;

// When nothing arrives, a read this short now and then is how a vanished dongle shows itself.
constexpr std::uint32_t kProbeTimeoutMs = 1;
constexpr auto kProbeInterval = std::chrono::milliseconds(200);

bool NeedsEscape(std::uint8_t b) {
  return b == 0xEF || b == 0xF0;
}

}  // namespace

std::size_t DataFrameShare(std::span<const std::uint8_t> data) {
  std::size_t taken = 0;
  std::size_t room = kDataRoom;
  while (taken < data.size() && taken < kMaxDataBytes) {
    const std::size_t cost = NeedsEscape(data[taken]) ? 2 : 1;
    if (cost > room) break;
    room -= cost;
    ++taken;
  }
  return taken;
}

DataBridge::DataBridge(TRukMox& device, Clock::duration framePause)
    : device_(device), framePause_(framePause), savedPurge_(device.GetPurgeBeforeWrite()) {
  outgoing_.reserve(kQueueLimit);
}

DataBridge::~DataBridge() {
  device_.SetPurgeBeforeWrite(savedPurge_);
}

std::size_t DataBridge::Queue(std::span<const std::uint8_t> bytes) {
  const std::size_t taken = std::min(bytes.size(), Room());
  outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.begin() + taken);
  return taken;
}

DataBridge::Clock::duration DataBridge::UntilNextFrame() const {
  if (outgoing_.empty()) return framePause_;
  const auto now = Clock::now();
  return nextFrame_ > now ? nextFrame_ - now : Clock::duration::zero();
}

BridgeState DataBridge::Pump(std::vector<std::uint8_t>& received, std::size_t receiveLimit) {
  if (!device_.IsOpen()) return BridgeState::DongleGone;
  const BridgeState sent = SendDue();
  if (sent != BridgeState::Running) return sent;
  return Receive(received, receiveLimit);
}

BridgeState DataBridge::SendDue() {
  if (outgoing_.empty() || Clock::now() < nextFrame_) return BridgeState::Running;
  const std::size_t share = DataFrameShare(outgoing_);
  // What the remote host sent meanwhile waits in the USB queue; a write must not discard it.
  device_.SetPurgeBeforeWrite(false);
  if (!device_.Write(outgoing_.data(), static_cast<std::uint32_t>(share), 0)) {
    return device_.IsOpen() ? BridgeState::SendFailed : BridgeState::DongleGone;
  }
  outgoing_.erase(outgoing_.begin(), outgoing_.begin() + static_cast<std::ptrdiff_t>(share));
  counts_.toRemote += share;
  nextFrame_ = Clock::now() + framePause_;
  return BridgeState::Running;
}

BridgeState DataBridge::Receive(std::vector<std::uint8_t>& received, std::size_t limit) {
  if (limit == 0) return BridgeState::Running;
  const std::int32_t waiting = device_.GetInQueue();
  if (!device_.IsOpen()) return BridgeState::DongleGone;
  ForgetShortTransfer();
  const auto now = Clock::now();
  std::uint32_t count = 0;
  std::uint32_t firstByteTimeout = 0;
  if (waiting > 0) {
    count =
        static_cast<std::uint32_t>(std::min<std::size_t>(static_cast<std::size_t>(waiting), limit));
  } else if (now >= nextProbe_) {
    count = 1;
    firstByteTimeout = kProbeTimeoutMs;
    nextProbe_ = now + kProbeInterval;
  } else {
    return BridgeState::Running;
  }
  const std::size_t before = received.size();
  received.resize(before + count);
  const bool complete = device_.Read(received.data() + before, count, firstByteTimeout);
  // A short read does not say how much came. With the bytes already waiting that happens only
  // when the dongle goes away; for a probe it means nothing came.
  if (!complete) received.resize(before);
  counts_.fromRemote += received.size() - before;
  ForgetShortTransfer();
  return device_.IsOpen() ? BridgeState::Running : BridgeState::DongleGone;
}

void DataBridge::ForgetShortTransfer() {
  *device_.GetErrorWord() &= ~ErrBlocksTransfer;
}

}  // namespace rukmox
