#include "NetworkScan.h"

#include <optional>
#include <string>
#include <utility>

#include "PanelText.h"

namespace rukmox::workflow {
namespace {

// The device the dongle was linked with before the scan, to link it again afterwards.
struct PreviousLink {
  std::string name;
  std::int64_t address = -1;
};

PreviousLink LinkBeforeScan(const TRukMox& device) {
  const TRemoteDeviceRecord* current = device.Current;
  if (current != nullptr && current->Linked && device.Local.Linked)
    return {NameOf(current->Name), static_cast<std::int64_t>(current->Address)};
  return {};
}

void Relink(TRukMox& device, const PreviousLink& previous) {
  const auto address = static_cast<std::uint32_t>(previous.address);
  if (previous.name.empty() || address < 1 || address > 65535) return;
  // Silent: a device that is gone simply stays unconnected.
  device.SelectDeviceByName(previous.name, address);
  device.ConnectRemote(false);
}

}  // namespace

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

std::vector<DeviceRow> RunNetworkScan(TRukMox& device, ScanFace& face, std::int32_t first,
                                      std::int32_t last) {
  const std::int32_t savedTimeout = device.GetTimeout();
  device.SetTimeout(ScanTimeoutMs);
  device.ScanRepeat = ScanRequestsPerChannel;
  face.ScanStarts(ScanRequestsPerChannel, ScannedChannels(first, last));
  device.OnScanStep = [&face](std::int32_t repeat, std::int32_t request) {
    return face.RequestDone(repeat, request);
  };
  device.OnChannelStep = [&face](std::int32_t repeat, std::int32_t channelIndex,
                                 std::int32_t found) {
    return face.ChannelDone(repeat, channelIndex, found);
  };

  const PreviousLink previous = LinkBeforeScan(device);
  device.ScanNetwork(first, last);  // empties Devices first, so Current is gone
  const bool gone = device.DeviceGone();
  if (!gone) Relink(device, previous);
  face.ScanStops();

  if (gone) {
    face.DongleGone();
  } else {
    const std::vector<DeviceRow> rows = DeviceRows(device);
    face.ShowDevices(rows);
    if (rows.empty())
      face.Inform(Notice(text::NothingFound));
    else
      face.Inform(
          Notice(text::FoundPrefix, static_cast<std::int64_t>(rows.size()), text::FoundSuffix));
  }

  device.OnScanStep = nullptr;
  device.OnChannelStep = nullptr;
  device.SetTimeout(savedTimeout);
  face.ScanEnds();
  // The face may have rebuilt its list meanwhile; the records are the module's and unchanged.
  return DeviceRows(device);
}

}  // namespace rukmox::workflow
