#include "PtyBridge.h"

#include <algorithm>
#include <cerrno>

#include "PseudoTerminal.h"

namespace rukmox {
namespace {

// How often the module is looked at when the terminal is quiet: the delay of what the remote
// host sends.
constexpr auto kStep = std::chrono::milliseconds(10);

}  // namespace

BridgeState PtyBridge::Run(const std::function<bool()>& stopRequested) {
  std::chrono::steady_clock::time_point drainEnd{};
  bool stopping = false;
  for (;;) {
    if (!stopping && stopRequested()) {
      stopping = true;
      drainEnd = std::chrono::steady_clock::now() + kDrainLimit;
    }
    if (stopping && (Drained() || std::chrono::steady_clock::now() >= drainEnd))
      return BridgeState::Running;
    WaitAndMove(!stopping);
    const std::size_t room =
        DataBridge::kQueueLimit - std::min(toTerminal_.size(), DataBridge::kQueueLimit);
    const BridgeState state = bridge_.Pump(toTerminal_, room);
    if (state != BridgeState::Running) return state;
  }
}

void PtyBridge::WaitAndMove(bool takeInput) {
  const auto wait = std::min<std::chrono::steady_clock::duration>(kStep, bridge_.UntilNextFrame());
  // A signal (Ctrl-C) ends the wait early; the caller looks at its stop request next.
  const PseudoTerminal::Ready ready =
      PseudoTerminal::WaitForMaster(master_, takeInput && bridge_.Room() > 0, !toTerminal_.empty(),
                                    std::chrono::ceil<std::chrono::milliseconds>(wait));

  if (ready.readable) {
    std::uint8_t buffer[DataBridge::kQueueLimit];
    const long n = PseudoTerminal::ReadMaster(master_, buffer, bridge_.Room());
    if (n > 0) bridge_.Queue({buffer, static_cast<std::size_t>(n)});
  }
  if (ready.writable) {
    const long n = PseudoTerminal::WriteMaster(master_, toTerminal_.data(), toTerminal_.size());
    if (n > 0) toTerminal_.erase(toTerminal_.begin(), toTerminal_.begin() + n);
  }
}

}  // namespace rukmox
