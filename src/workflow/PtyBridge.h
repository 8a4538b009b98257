// The data channel served on a pseudo-terminal: what a program writes to the slave goes to the
// remote host, what the remote host sends comes out of the slave, in order, until asked to stop.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "DataBridge.h"

namespace rukmox {

class PtyBridge {
 public:
  // After a stop, bytes already taken from either side are still passed on for at most this
  // long: enough for a full queue at the module's frame pace.
  static constexpr std::chrono::milliseconds kDrainLimit{3000};

  // `master` is the non-blocking master side of the pseudo-terminal; both stay the caller's.
  PtyBridge(DataBridge& bridge, int master) : bridge_(bridge), master_(master) {}

  // Serves until `stopRequested` returns true (then drains) or the bridge fails.
  BridgeState Run(const std::function<bool()>& stopRequested);

  // Bytes taken from one side that never reached the other.
  std::size_t Undelivered() const { return bridge_.Unsent() + toTerminal_.size(); }

 private:
  // Waits for the terminal at most until the next step is due and moves what it can.
  void WaitAndMove(bool takeInput);
  bool Drained() const { return Undelivered() == 0; }

  DataBridge& bridge_;
  int master_;
  std::vector<std::uint8_t> toTerminal_;
};

}  // namespace rukmox
