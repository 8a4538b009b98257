#include "NetworkScan.h"

#include "PanelText.h"

namespace rukmox::workflow {

std::vector<DeviceRow> DeviceRows(const TRukMox& device) {
  std::vector<DeviceRow> rows;
  for (std::size_t i = 0; i < device.Devices.size(); ++i)
    if (device.Devices[i]->Name[0] != '\0')
      rows.push_back({static_cast<std::int32_t>(i), device.Devices[i].get()});
  return rows;
}

std::int32_t ScannedChannels(std::int32_t first, std::int32_t last) {
  if (first < 0 || first > last) return 1;
  return last - first + 1;
}

NetworkScan::NetworkScan(TRukMox& device, ScanFace& face, std::int32_t first, std::int32_t last)
    : device_(device), face_(face), first_(first), last_(last) {}

NetworkScan::~NetworkScan() {
  if (scan_ && !ended_) PutBack();
}

void NetworkScan::Begin() {
  savedTimeout_ = device_.GetTimeout();
  device_.SetTimeout(ScanTimeoutMs);
  device_.ScanRepeat = ScanRequestsPerChannel;
  face_.ScanStarts(ScanRequestsPerChannel, ScannedChannels(first_, last_));
  device_.OnScanStep = [this](std::int32_t repeat, std::int32_t request) {
    return face_.RequestDone(repeat, request);
  };
  device_.OnChannelStep = [this](std::int32_t repeat, std::int32_t channelIndex,
                                 std::int32_t found) {
    return face_.ChannelDone(repeat, channelIndex, found);
  };
  // The device the dongle is linked with now, to link it again afterwards: the scan empties the
  // device list, so Current is gone after it.
  const TRemoteDeviceRecord* current = device_.Current;
  if (current != nullptr && current->Linked && device_.Local.Linked) {
    previousName_ = NameOf(current->Name);
    previousAddress_ = static_cast<std::int64_t>(current->Address);
  }
  scan_.emplace(module::ScanRun::Network(device_, first_, last_));
}

std::optional<Operation::Wait> NetworkScan::Step() {
  if (ended_) return std::nullopt;
  if (!scan_) Begin();
  if (stopRequested_)
    scan_->Stop();
  else
    scan_->Step();
  if (!scan_->Done()) return Wait{0};
  Finish();
  return std::nullopt;
}

void NetworkScan::Finish() {
  ended_ = true;
  const bool gone = device_.DeviceGone();
  const auto address = static_cast<std::uint32_t>(previousAddress_);
  if (!gone && !previousName_.empty() && address >= 1 && address <= 65535) {
    // Silent: a device that is gone simply stays unconnected.
    device_.SelectDeviceByName(previousName_, address);
    device_.ConnectRemote(false);
  }
  face_.ScanStops();

  if (gone) {
    face_.DongleGone();
  } else {
    const std::vector<DeviceRow> rows = DeviceRows(device_);
    face_.ShowDevices(rows);
    if (rows.empty())
      face_.Inform(Notice(text::NothingFound));
    else
      face_.Inform(
          Notice(text::FoundPrefix, static_cast<std::int64_t>(rows.size()), text::FoundSuffix));
  }
  PutBack();
  face_.ScanEnds();
}

void NetworkScan::PutBack() {
  device_.OnScanStep = nullptr;
  device_.OnChannelStep = nullptr;
  device_.SetTimeout(savedTimeout_);
}

std::vector<DeviceRow> RunNetworkScan(TRukMox& device, ScanFace& face, std::int32_t first,
                                      std::int32_t last) {
  NetworkScan scan(device, face, first, last);
  RunToEnd(scan);
  // The face may have rebuilt its list meanwhile; the records are the module's and unchanged.
  return scan.Rows();
}

}  // namespace rukmox::workflow
