// scan, connect, disconnect: the remote devices in reach, and the link to one of them.
#include <algorithm>
#include <optional>
#include <vector>

#include "Commands.h"
#include "Connection.h"
#include "FieldText.h"
#include "Interrupt.h"
#include "NetworkScan.h"
#include "Panels.h"

namespace rukmox::cli {
namespace {

constexpr text::Id kColumnCaptions[] = {text::ColumnName, text::ColumnAddress, text::ColumnChannel,
                                        text::ColumnConnection};

using Row = workflow::DeviceRow;

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

// The scan's progress as a bar on a terminal; a stop signal stops it like the window's stop
// button, and the scan then ends as a stopped one does: back on its channel, the previous link
// made again.
class ScanBar : public workflow::ScanFace {
 public:
  ScanBar(Session& session, int first) : session_(session), first_(first) {}

  void ScanStarts(std::int32_t requests, std::int32_t channels) override {
    requests_ = requests;
    channels_ = channels;
    bar_ = session_.MakeProgressBar();
    Show(0);
  }
  bool RequestDone(std::int32_t, std::int32_t request) override {
    Show(request + 1);
    return StopRequested();
  }
  bool ChannelDone(std::int32_t, std::int32_t channelIndex, std::int32_t) override {
    channelsDone_ = channelIndex + 1;
    Show(0);
    return StopRequested();
  }
  void ScanStops() override {
    if (bar_) bar_->Clear();
  }
  void DongleGone() override { session_.FailIfDongleGone(); }
  void ShowDevices(const std::vector<Row>& rows) override { ReportRows(session_.Report(), rows); }
  void Inform(const workflow::Notice& notice) override {
    // A count of what an interrupted scan heard would read as the network's answer; the list
    // stays, and the interruption is told instead.
    if (StopRequested()) return;
    Reporter& report = session_.Report();
    report.Inform(report.Text(notice));
  }

 private:
  void Show(int requestsDone) {
    Reporter& report = session_.Report();
    bar_->Show(channelsDone_ * requests_ + requestsDone, channels_ * requests_,
               report.Text(text::ChannelPrefix) + std::to_string(first_ + channelsDone_));
  }

  Session& session_;
  int first_;
  std::int32_t requests_ = 0;
  std::int32_t channels_ = 0;
  int channelsDone_ = 0;
  std::unique_ptr<ProgressBar> bar_;
};

std::vector<Row> ScanShowingProgress(Session& session, int first, int last) {
  ScanBar face(session, first);
  std::vector<Row> rows = workflow::RunNetworkScan(session.Device(), face, first, last);
  session.Report().Result()["interrupted"] = StopRequested();
  return rows;
}

// Connect and disconnect tell their failures with the module's error word and keep the remote
// panel for the final report.
class ConnectionReport : public workflow::ConnectionFace {
 public:
  explicit ConnectionReport(Session& session) : session_(session) {}
  void Fail(const workflow::Notice& notice, std::int32_t errorWord) override {
    Reporter& report = session_.Report();
    report.Fail(report.Text(notice), notice.id, errorWord);
  }
  void LoadRemote() override { session_.LoadRemote(); }

 private:
  Session& session_;
};

// The row the user named: an all-digit target is an address first, then a name.
std::optional<Row> FindRow(const std::vector<Row>& rows, const std::string& target) {
  if (target.size() <= 5 && IsDigitText(target)) {
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
  if (auto end = session.OpenAndReadBoth()) return *end;
  ScanShowingProgress(session, line.first, line.last);
  return session.Report().Finish();
}

int RunConnect(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  const std::vector<Row> rows = ScanShowingProgress(session, line.first, line.last);
  // An interrupted scan may not have reached the target's channel: nothing is connected.
  if (session.DongleGone() || StopRequested()) return report.Finish();
  const std::optional<Row> row = FindRow(rows, line.target);
  if (!row) {
    report.Fail(FillIn(report.Text(extra::TargetNotFound),
                       {line.target, std::to_string(line.first), std::to_string(line.last)}),
                session.DeviceError());
    return report.Finish();
  }
  report.Line("");
  ConnectionReport face(session);
  workflow::ConnectDevice(session.Device(), face, row->position);
  session.ReportRemote();
  return report.Finish();
}

int RunDisconnect(Session& session, const CommandLine&) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  ConnectionReport face(session);
  workflow::DisconnectDevice(session.Device(), face);
  session.ReportRemote();
  return session.Report().Finish();
}

}  // namespace rukmox::cli
