#include "Panels.h"

#include <cstring>

#include "Reporter.h"

namespace rukmox::cli {
namespace {

// String-table ids of the captions the window's panels use.
constexpr int kLocalDeviceCaption = 50;
constexpr int kRemoteDeviceCaption = 51;
constexpr int kVersionCaption = 52;
constexpr int kNameCaption = 54;
constexpr int kAddressCaption = 55;
constexpr int kPowerCaption = 56;
constexpr int kChannelCaption = 67;

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
void PrintPanel(Reporter& reporter, int caption, const Record& record) {
  // Captions differ in length between the languages; pad to the longest of this panel.
  const std::string labels[] = {reporter.Text(kNameCaption),
                                reporter.Text(kAddressCaption),
                                reporter.Text(kPowerCaption),
                                reporter.Text(kVersionCaption),
                                reporter.Text(kChannelCaption),
                                "Link",
                                "PIN"};
  std::size_t width = 0;
  for (const auto& label : labels) width = std::max(width, label.size());
  auto line = [&](int i, const std::string& value) {
    reporter.Line("  " + labels[i] + std::string(width - labels[i].size() + 2, ' ') + value);
  };
  reporter.Line(reporter.Text(caption));
  line(0, NameOf(record.Name));
  line(1, std::to_string(record.Address));
  line(2, std::string(PowerEntryText(PowerEntryOf(record.PowerLevel))) + ", level " +
              std::to_string(record.PowerLevel));
  line(3, VersionText(record.VersionH, record.VersionF, record.VersionM, record.VersionP));
  line(4, std::to_string(record.Channel));
  line(5, ConnectionText(record.Linked, record.PeerAddress));
  line(6, record.PinProtected ? "protected" : "none");
}

}  // namespace

nlohmann::json LocalPanelJson(const TLocalDeviceRecord& local) {
  return PanelJson(local);
}
nlohmann::json RemotePanelJson(const TRemoteDeviceRecord& remote) {
  return PanelJson(remote);
}

void PrintLocalPanel(Reporter& reporter, const TLocalDeviceRecord& local) {
  PrintPanel(reporter, kLocalDeviceCaption, local);
}

void PrintRemotePanel(Reporter& reporter, const TRemoteDeviceRecord& remote) {
  PrintPanel(reporter, kRemoteDeviceCaption, remote);
}

}  // namespace rukmox::cli
