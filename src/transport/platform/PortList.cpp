#include "PortList.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>

namespace rukmox::platform {

namespace {

namespace fs = std::filesystem;

// Families in the order the list shows them.
constexpr const char* kFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};
constexpr int kFamilyCount = 3;

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

// The kernel creates ttyS0..ttyS31 whether or not a UART is fitted; the 8250 driver tells the
// empty ones apart by their port type.
bool Serial8250HasUart(const fs::path& devicePath) {
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  const bool present = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

bool HasDevice(const fs::path& devDir, const fs::path& sysClassTty, const Candidate& c) {
  std::error_code ec;
  const fs::path sysEntry = sysClassTty / c.name;
  if (!fs::exists(sysEntry / "device", ec)) return false;
  if (!fs::exists(devDir / c.name, ec)) return false;
  if (c.family != 2) return true;
  const fs::path driver = fs::read_symlink(sysEntry / "device" / "driver", ec);
  if (ec || driver.filename() != "serial8250") return true;
  return Serial8250HasUart(devDir / c.name);
}

}  // namespace

std::vector<std::string> SplitPortList(const std::string& text) {
  std::vector<std::string> paths;
  std::string::size_type start = 0;
  while (start <= text.size()) {
    const auto end = std::min(text.find(':', start), text.size());
    if (end > start) paths.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

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

std::vector<std::string> SerialPortList() {
  if (const char* env = std::getenv("RUKMOX_PORTS")) return SplitPortList(env);
  return ScanSerialPorts("/dev", "/sys/class/tty");
}

std::optional<std::string> SerialPortPath(int port) {
  if (port < 0) return std::nullopt;
  const auto list = SerialPortList();
  if (static_cast<std::size_t>(port) >= list.size()) return std::nullopt;
  return list[static_cast<std::size_t>(port)];
}

}  // namespace rukmox::platform
