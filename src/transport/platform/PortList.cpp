#include "PortList.h"

#include <linux/serial.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <system_error>

namespace rukmox::platform {

namespace {

namespace fs = std::filesystem;

// Families in the order the list shows them.
constexpr const char* kFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};
constexpr int kFamilyCount = 3;
constexpr int kSerialFamily = 2;

struct Candidate {
  int family;
  unsigned number;
  std::string name;
};

// "ttyUSB12" -> family 0, number 12; false for anything else ("ttyUSB", "ttyS1a", "ttySTM0").
bool ParseName(const std::string& name, Candidate* out) {
  for (int family = 0; family < kFamilyCount; ++family) {
    const std::string prefix = kFamilies[family];
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    unsigned number = 0;
    auto [ptr, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || ptr != last) continue;
    *out = Candidate{family, number, name};
    return true;
  }
  return false;
}

// The kernel creates ttyS0..ttyS31 whether or not a UART is fitted. The serial core shows the
// UART type the driver found as the tty's `type` attribute; 0 (PORT_UNKNOWN) is an empty slot.
// Asking the port itself (TIOCGSERIAL) would mean opening it, which pulses DTR and RTS.
std::optional<unsigned> UartType(const fs::path& sysEntry) {
  std::ifstream in(sysEntry / "type");
  std::string text;
  if (!in || !std::getline(in, text)) return std::nullopt;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  unsigned type = 0;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), last, type);
  if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
  return type;
}

bool HasDevice(const fs::path& devDir, const fs::path& sysClassTty, const Candidate& c) {
  std::error_code ec;
  const fs::path sysEntry = sysClassTty / c.name;
  if (!fs::exists(sysEntry / "device", ec)) return false;
  if (!fs::exists(devDir / c.name, ec)) return false;
  if (const auto type = UartType(sysEntry)) return *type != PORT_UNKNOWN;
  if (c.family != kSerialFamily) return true;
  // An 8250 slot that does not say what it holds is most likely one of the empty ones.
  const fs::path driver = fs::read_symlink(sysEntry / "device" / "driver", ec);
  return ec || driver.filename() != "serial8250";
}

}  // namespace

std::vector<std::string> ScanSerialPorts(const fs::path& devDir, const fs::path& sysClassTty) {
  std::vector<Candidate> found;
  std::error_code ec;
  for (fs::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
    Candidate c;
    if (ParseName(it->path().filename().string(), &c) && HasDevice(devDir, sysClassTty, c)) {
      found.push_back(std::move(c));
    }
  }
  std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    return a.family != b.family ? a.family < b.family : a.number < b.number;
  });
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (const Candidate& c : found) paths.push_back((devDir / c.name).string());
  return paths;
}

std::vector<std::string> SerialPortList(const TransportSettings& settings) {
  if (!settings.Ports.empty()) return settings.Ports;
  return ScanSerialPorts(settings.DevRoot, settings.SysfsRoot / "class" / "tty");
}

}  // namespace rukmox::platform
