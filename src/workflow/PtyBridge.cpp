#include "PtyBridge.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

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
  pollfd terminal{master_, 0, 0};
  if (takeInput && bridge_.Room() > 0) terminal.events |= POLLIN;
  if (!toTerminal_.empty()) terminal.events |= POLLOUT;
  const auto wait = std::min<std::chrono::steady_clock::duration>(kStep, bridge_.UntilNextFrame());
  const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
  // A signal (Ctrl-C) ends the wait early; the caller looks at its stop request next.
  if (poll(&terminal, 1, static_cast<int>(waitMs)) <= 0) return;

  if ((terminal.revents & POLLIN) != 0) {
    std::uint8_t buffer[DataBridge::kQueueLimit];
    const ssize_t n = read(master_, buffer, bridge_.Room());
    if (n > 0) bridge_.Queue({buffer, static_cast<std::size_t>(n)});
  }
  if ((terminal.revents & POLLOUT) != 0) {
    const ssize_t n = write(master_, toTerminal_.data(), toTerminal_.size());
    if (n > 0) toTerminal_.erase(toTerminal_.begin(), toTerminal_.begin() + n);
  }
}

}  // namespace rukmox
