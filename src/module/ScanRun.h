// A scan for remote modules taken one request at a time. TRukMox's ScanNetwork, ScanChannels and
// ScanCurrentChannel each run one to its end; a caller that must stay responsive between two
// requests (a window) steps one itself, and sends exactly the same frames in the same order.
#pragma once

#include <cstdint>

class TRukMox;

namespace rukmox::module {

class ScanRun {
 public:
  // ScanNetwork: the device list is emptied at the first step, then first..last is scanned, or
  // only the present channel when first is negative or lies beyond last.
  static ScanRun Network(TRukMox& mox, std::int32_t first, std::int32_t last);
  // ScanChannels: the channel found at the first step is set again at the end.
  static ScanRun Channels(TRukMox& mox, std::uint8_t command, std::int32_t repeat,
                          std::int32_t first, std::int32_t last);
  // ScanCurrentChannel.
  static ScanRun CurrentChannel(TRukMox& mox, std::uint8_t command, std::int32_t repeat);

  bool Done() const { return done_; }
  // Records added so far.
  std::int32_t Found() const { return total_ + foundOnChannel_; }

  // One request, and OnScanStep after it. A channel's first step sets that channel first; once a
  // channel's requests are over, OnChannelStep, and after the last channel the channel found at
  // the start is set again.
  void Step();
  // Ends the scan at this request boundary, as when OnScanStep and OnChannelStep ask to stop: a
  // channel part-way through still goes to OnChannelStep, then the channel found at the start is
  // set again. Between two channels nothing is sent but that.
  void Stop();

 private:
  ScanRun(TRukMox& mox, std::uint8_t command, std::int32_t repeat, bool clearFirst);
  void StartChannel();
  void EndChannel(bool stopping);
  void Finish();

  TRukMox* mox_;
  std::uint8_t command_;
  std::int32_t repeat_;
  bool clearFirst_;
  bool channels_ = false;  // a range with its channel commands, or the present channel only
  std::int32_t first_ = 0;
  std::int32_t last_ = 0;
  bool started_ = false;
  bool done_ = false;
  std::int32_t saved_ = -1;
  std::int32_t channel_ = 0;
  bool channelStarted_ = false;
  std::int32_t request_ = 0;
  std::int32_t foundOnChannel_ = 0;
  std::int32_t total_ = 0;
};

}  // namespace rukmox::module
