// The network scan as the operator runs it: the module's scan over a channel range with progress
// and a stop request, the re-connection of the device that was linked before, the list of what
// was found and its announcement. What the operator sees of it is the face's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Notice.h"
#include "Operation.h"
#include "Rukmox.h"
#include "ScanRun.h"

namespace rukmox::workflow {

// Scan settings: a request without answer should cost little, and five requests per channel are
// enough to meet a device that answers most of the time.
inline constexpr std::int32_t ScanTimeoutMs = 100;
inline constexpr std::int32_t ScanRequestsPerChannel = 5;

// One row of the device list: a record with a name, and where it sits in the module's list.
struct DeviceRow {
  std::int32_t position = 0;
  const TRemoteDeviceRecord* record = nullptr;
};

// The records that get a row, in list order; a record without a name has none.
std::vector<DeviceRow> DeviceRows(const TRukMox& device);

// How many channels a scan of first..last covers: the module scans only its present channel when
// first is negative or lies beyond last, so such a range counts one channel, never none or less.
std::int32_t ScannedChannels(std::int32_t first, std::int32_t last);

class ScanFace {
 public:
  virtual ~ScanFace() = default;
  // The scan is about to start: `requests` per channel over `channels` channels.
  virtual void ScanStarts(std::int32_t requests, std::int32_t channels) = 0;
  // After each request on the present channel (from 0) and after each channel done (counted from
  // the range's first, from 0) with the number of new devices on it. True stops the scan.
  virtual bool RequestDone(std::int32_t requests, std::int32_t request) = 0;
  virtual bool ChannelDone(std::int32_t requests, std::int32_t channelIndex,
                           std::int32_t found) = 0;
  // The scan and the re-connection are over; the progress can go.
  virtual void ScanStops() {}
  // The dongle went away during the scan: nothing was heard because nothing could be asked, so
  // there is no list to show and nothing to announce.
  virtual void DongleGone() {}
  // What was found, before it is announced.
  virtual void ShowDevices(const std::vector<DeviceRow>& rows) = 0;
  virtual void Inform(const Notice& notice) = 0;
  // The last step: the module has its own settings back.
  virtual void ScanEnds() {}
};

// The scan over first..last, one scan request a step. The module's read time-out is restored and
// the notifications removed when it ends, and when it is given up before its end; `ScanRepeat`
// stays at ScanRequestsPerChannel.
class NetworkScan final : public Operation {
 public:
  // The scan starts, and shows it does, at the first step.
  NetworkScan(TRukMox& device, ScanFace& face, std::int32_t first, std::int32_t last);
  ~NetworkScan() override;
  NetworkScan(const NetworkScan&) = delete;
  NetworkScan& operator=(const NetworkScan&) = delete;

  std::optional<Wait> Step() override;
  // Ends the scan at the next request boundary; it ends as a complete one does.
  void Stop() override { stopRequested_ = true; }

  // The rows of the list it ended with.
  std::vector<DeviceRow> Rows() const { return DeviceRows(device_); }

 private:
  void Begin();
  void Finish();
  void PutBack();

  TRukMox& device_;
  ScanFace& face_;
  std::int32_t first_;
  std::int32_t last_;
  std::int32_t savedTimeout_ = 0;
  std::string previousName_;
  std::int64_t previousAddress_ = -1;
  std::optional<module::ScanRun> scan_;
  bool stopRequested_ = false;
  bool ended_ = false;
};

// Runs the scan over first..last to its end and returns the rows of the list it ended with.
std::vector<DeviceRow> RunNetworkScan(TRukMox& device, ScanFace& face, std::int32_t first,
                                      std::int32_t last);

}  // namespace rukmox::workflow
