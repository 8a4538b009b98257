#include "Panels.h"

#include <cstring>

#include "Reporter.h"

namespace rukmox::cli {
namespace {

template <typename Record>
nlohmann::json PanelJson(const Record& record) {
  const int entry = PowerEntryOf(record.PowerLevel);
  return {
      {"name", NameOf(record.Name)},
      {"address", record.Address},
      {"power", PowerEntryText(entry)},
      {"power_entry", entry},
      {"power_level", record.PowerLevel},
      {"version", VersionText(record.VersionH, record.VersionF, record.VersionM, record.VersionP)},
      {"channel", record.Channel},
      {"linked", record.Linked},
      {"peer_address", record.PeerAddress},
      {"connection", ConnectionText(record.Linked, record.PeerAddress)},
      {"pin_protected", record.PinProtected},
  };
}

template <typename Record>
void PrintPanel(Reporter& reporter, text::Id caption, const Record& record) {
  // Captions differ in length between the languages; pad to the longest of this panel.
  const std::string labels[] = {
      reporter.Text(text::NameCaption),    reporter.Text(text::AddressCaption),
      reporter.Text(text::PowerCaption),   reporter.Text(text::VersionCaption),
      reporter.Text(text::ChannelCaption), reporter.Text(extra::LinkCaption),
      reporter.Text(extra::PinCaption)};
  std::size_t width = 0;
  for (const auto& label : labels) width = std::max(width, ShownWidth(label));
  auto line = [&](int i, const std::string& value) {
    reporter.Line("  " + labels[i] + std::string(width - ShownWidth(labels[i]) + 2, ' ') + value);
  };
  reporter.Line(reporter.Text(caption));
  line(0, NameOf(record.Name));
  line(1, std::to_string(record.Address));
  line(2, FillIn(reporter.Text(extra::PowerWithLevel),
                 {PowerEntryText(PowerEntryOf(record.PowerLevel)),
                  std::to_string(record.PowerLevel)}));
  line(3, VersionText(record.VersionH, record.VersionF, record.VersionM, record.VersionP));
  line(4, std::to_string(record.Channel));
  line(5, ConnectionText(record.Linked, record.PeerAddress));
  line(6, reporter.Text(record.PinProtected ? extra::PinProtected : extra::PinNone));
}

}  // namespace

nlohmann::json LocalPanelJson(const TLocalDeviceRecord& local) {
  return PanelJson(local);
}
nlohmann::json RemotePanelJson(const TRemoteDeviceRecord& remote) {
  return PanelJson(remote);
}

void PrintLocalPanel(Reporter& reporter, const TLocalDeviceRecord& local) {
  PrintPanel(reporter, text::LocalDeviceCaption, local);
}

void PrintRemotePanel(Reporter& reporter, const TRemoteDeviceRecord& remote) {
  PrintPanel(reporter, text::RemoteDeviceCaption, remote);
}

}  // namespace rukmox::cli
