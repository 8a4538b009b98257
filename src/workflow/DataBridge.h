// Moves bytes between a local byte stream (a pseudo-terminal, a console) and the transparent data
// channel of the module, in the caller's thread: the caller queues what is to go to the remote
// host and calls Pump often; Pump sends one data frame when one is due and collects whatever the
// remote host sent back. Nothing here ever waits longer than a millisecond on the module.
//
//   DataBridge bridge(device);
//   bridge.Queue(bytes);
//   std::vector<std::uint8_t> received;
//   while (bridge.Pump(received) == BridgeState::Running) { ... show `received` ... }
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Rukmox.h"

namespace rukmox {

enum class BridgeState {
  Running,
  DongleGone,  // the dongle closed itself (unplugged, hung up)
  SendFailed,  // a data frame could not be written; its bytes are still queued
};

struct BridgeCounts {
  std::uint64_t toRemote = 0;    // bytes sent in data frames
  std::uint64_t fromRemote = 0;  // bytes the remote host sent back
};

// How many of the first bytes of `data` one data frame can carry: at most 100, and no more than
// still fit in the module's frame buffer once EF and F0 are escaped, whatever the frame's
// sequence number turns out to be.
std::size_t DataFrameShare(std::span<const std::uint8_t> data);

class DataBridge {
 public:
  using Clock = std::chrono::steady_clock;

  // The module's own split writes leave this much time after each data frame; we keep the same
  // pace so that the radio never gets more than it was built for.
  static constexpr std::chrono::milliseconds kFramePause{30};
  // Bytes waiting for the remote beyond this are left with their source, which then has to wait.
  static constexpr std::size_t kQueueLimit = 4096;

  explicit DataBridge(TRukMox& device, Clock::duration framePause = kFramePause);
  ~DataBridge();
  DataBridge(const DataBridge&) = delete;
  DataBridge& operator=(const DataBridge&) = delete;

  // Takes as many of `bytes` as the queue has room for; returns how many.
  std::size_t Queue(std::span<const std::uint8_t> bytes);
  std::size_t Room() const { return kQueueLimit - outgoing_.size(); }
  std::size_t Unsent() const { return outgoing_.size(); }

  // Sends the next data frame when its time has come and appends at most `receiveLimit` bytes
  // that arrived from the remote host to `received`.
  BridgeState Pump(std::vector<std::uint8_t>& received, std::size_t receiveLimit = kQueueLimit);

  // How long the caller may wait before the next data frame is due; zero when one is due now,
  // and the frame pause when nothing is queued.
  Clock::duration UntilNextFrame() const;

  const BridgeCounts& Counts() const { return counts_; }

 private:
  BridgeState SendDue();
  BridgeState Receive(std::vector<std::uint8_t>& received, std::size_t limit);
  // The error word keeps a failed read from blocking every later transfer; the data channel
  // starts afresh at each step, as an exchange does.
  void ForgetShortTransfer();

  TRukMox& device_;
  Clock::duration framePause_;
  bool savedPurge_;
  std::vector<std::uint8_t> outgoing_;
  Clock::time_point nextFrame_{};
  Clock::time_point nextProbe_{};
  BridgeCounts counts_;
};

}  // namespace rukmox
