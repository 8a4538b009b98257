// scan, connect, disconnect: the window's network page.
#include <algorithm>
#include <optional>
#include <vector>

#include "Commands.h"
#include "Interrupt.h"
#include "Panels.h"

namespace rukmox::cli {
namespace {

constexpr text::Id kColumnCaptions[] = {text::ColumnName, text::ColumnAddress, text::ColumnChannel,
                                        text::ColumnConnection};

// The window's scan: 100 ms read time-out and 5 requests per channel.
constexpr std::int32_t kScanTimeout = 100;
constexpr std::int32_t kScanRepeat = 5;

// One row of the device list: a record with a name, and where it sits in Devices.
struct Row {
  std::int32_t position;
  const TRemoteDeviceRecord* record;
};

std::vector<Row> DeviceRows(const TRukMox& device) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < device.Devices.size(); ++i)
    if (device.Devices[i]->Name[0] != '\0')
      rows.push_back({static_cast<std::int32_t>(i), device.Devices[i].get()});
  return rows;
}

void ReportRows(Reporter& report, const std::vector<Row>& rows) {
  nlohmann::json list = nlohmann::json::array();
  for (const Row& row : rows) {
    const TRemoteDeviceRecord& r = *row.record;
    list.push_back({{"position", row.position},
                    {"name", NameOf(r.Name)},
                    {"address", r.Address},
                    {"channel", r.Channel},
                    {"linked", r.Linked},
                    {"peer_address", r.PeerAddress},
                    {"connection", ConnectionText(r.Linked, r.PeerAddress)},
                    {"pin_protected", r.PinProtected}});
  }
  report.Result()["devices"] = list;
  report.Result()["count"] = rows.size();
  if (rows.empty()) return;

  std::vector<std::vector<std::string>> table;
  std::vector<std::string> header;
  for (text::Id id : kColumnCaptions) header.push_back(report.Text(id));
  header.push_back(report.Text(extra::PinCaption));
  table.push_back(header);
  for (const Row& row : rows) {
    const TRemoteDeviceRecord& r = *row.record;
    table.push_back({NameOf(r.Name), std::to_string(r.Address), std::to_string(r.Channel),
                     ConnectionText(r.Linked, r.PeerAddress),
                     report.Text(r.PinProtected ? extra::Yes : extra::No)});
  }
  std::vector<std::size_t> widths(header.size(), 0);
  for (const auto& cells : table)
    for (std::size_t i = 0; i < cells.size(); ++i)
      widths[i] = std::max(widths[i], ShownWidth(cells[i]));
  for (const auto& cells : table) {
    std::string text;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      text += cells[i];
      if (i + 1 < cells.size()) text += std::string(widths[i] - ShownWidth(cells[i]) + 2, ' ');
    }
    report.Line(text);
  }
}

// The window's scan button: scan the range, re-establish the connection that was up before, list
// and announce what was found. Ctrl-C stops it like the stop button.
std::vector<Row> ScanLikeTheWindow(Session& session, int first, int last) {
  Reporter& report = session.Report();
  TRukMox& device = session.Device();
  InterruptScope interrupt;
  auto bar = session.MakeProgressBar();
  const std::int32_t savedTimeout = device.GetTimeout();
  device.SetTimeout(kScanTimeout);
  device.ScanRepeat = kScanRepeat;
  const int channels = last - first + 1;
  int channelsDone = 0;
  auto showProgress = [&](int requestsDone) {
    bar->Show(channelsDone * kScanRepeat + requestsDone, channels * kScanRepeat,
              report.Text(text::ChannelPrefix) + std::to_string(first + channelsDone));
  };
  device.OnScanStep = [&](std::int32_t, std::int32_t request) {
    showProgress(request + 1);
    return InterruptScope::Requested();
  };
  device.OnChannelStep = [&](std::int32_t, std::int32_t channelIndex, std::int32_t) {
    channelsDone = channelIndex + 1;
    showProgress(0);
    return InterruptScope::Requested();
  };
  showProgress(0);

  std::optional<std::pair<std::string, std::uint32_t>> previous;
  if (session.RemoteLinked() && device.Local.Linked)
    previous.emplace(NameOf(device.Current->Name), device.Current->Address);

  device.ScanNetwork(first, last);
  if (session.DongleGone()) {
    // Nothing was heard because nothing could be asked: not "no remote devices found".
    bar->Clear();
    device.OnScanStep = nullptr;
    device.OnChannelStep = nullptr;
    device.SetTimeout(savedTimeout);
    session.FailIfDongleGone();
    return {};
  }
  if (previous && !previous->first.empty() && previous->second >= 1 && previous->second <= 65535) {
    // Silent, as in the window: a device that is gone simply stays unconnected.
    device.SelectDeviceByName(previous->first, previous->second);
    device.ConnectRemote(false);
  }
  bar->Clear();

  std::vector<Row> rows = DeviceRows(device);
  ReportRows(report, rows);
  if (rows.empty())
    report.Inform(report.Text(text::NothingFound));
  else
    report.Inform(report.Text(text::FoundPrefix) + std::to_string(rows.size()) +
                  report.Text(text::FoundSuffix));
  device.OnScanStep = nullptr;
  device.OnChannelStep = nullptr;
  device.SetTimeout(savedTimeout);
  report.Result()["interrupted"] = InterruptScope::Requested();
  return rows;
}

// The row the user named: an all-digit target is an address first, then a name.
std::optional<Row> FindRow(const std::vector<Row>& rows, const std::string& target) {
  const bool digits =
      !target.empty() && target.size() <= 5 &&
      std::all_of(target.begin(), target.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits) {
    const auto address = static_cast<std::uint32_t>(std::stoul(target));
    for (const Row& row : rows)
      if (row.record->Address == address) return row;
  }
  for (const Row& row : rows)
    if (NameOf(row.record->Name) == target) return row;
  return std::nullopt;
}

}  // namespace

int RunScan(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  ScanLikeTheWindow(session, line.first, line.last);
  return session.Report().Finish();
}

int RunConnect(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  Reporter& report = session.Report();
  TRukMox& device = session.Device();
  const std::vector<Row> rows = ScanLikeTheWindow(session, line.first, line.last);
  if (session.DongleGone()) return report.Finish();
  const std::optional<Row> row = FindRow(rows, line.target);
  if (!row) {
    report.Fail(FillIn(report.Text(extra::TargetNotFound),
                       {line.target, std::to_string(line.first), std::to_string(line.last)}),
                session.DeviceError());
    return report.Finish();
  }
  report.Line("");
  // From here on the previous connection is gone, whatever follows.
  device.DisconnectRemote();
  device.StoreLocalSettings();
  session.LoadRemote();
  device.SelectDevice(row->position);
  if (device.Current == nullptr) {
    session.FailWith(text::InvalidDevice);
  } else if (device.ConnectRemote(true)) {
    device.StoreLocalSettings();
    device.StoreRemoteSettings();
    session.LoadRemote();
  } else {
    session.FailWith(device.Current->PinProtected ? text::ConnectFailedPin : text::ConnectFailed);
  }
  session.ReportRemote();
  return report.Finish();
}

int RunDisconnect(Session& session, const CommandLine&) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  TRukMox& device = session.Device();
  if (device.IsOpen()) {
    if (!device.DisconnectRemote()) session.FailWith(text::DisconnectFailed);
    device.StoreLocalSettings();
  }
  session.LoadRemote();
  session.ReportRemote();
  return session.Report().Finish();
}

}  // namespace rukmox::cli
