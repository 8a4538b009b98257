#include "FtdiSioDiscovery.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "D2xx.h"

namespace rukmox::platform {
namespace fs = std::filesystem;
namespace {

// A sysfs attribute without its trailing newline; nullopt when it cannot be read.
std::optional<std::string> ReadAttribute(const fs::path& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::string text;
  std::getline(in, text);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::optional<unsigned> ParseNumber(std::string_view text, int base) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  unsigned value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<unsigned> NumberAttribute(const fs::path& path, int base) {
  const auto text = ReadAttribute(path);
  return text ? ParseNumber(*text, base) : std::nullopt;
}

bool DriverIs(const fs::path& device, std::string_view name) {
  std::error_code ec;
  const fs::path driver = fs::canonical(device / "driver", ec);
  return !ec && driver.filename() == name;
}

// ttyUSB12 -> 12; anything else is not ours.
std::optional<unsigned> TtyUsbNumber(const std::string& name) {
  constexpr std::string_view prefix = "ttyUSB";
  if (name.rfind(prefix, 0) != 0) return std::nullopt;
  return ParseNumber(std::string_view(name).substr(prefix.size()), 10);
}

std::uint32_t HashOf(std::string_view text) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// One ttyUSB entry of /sys/class/tty, if ftdi_sio drives it.
std::optional<FtdiDeviceInfo> DescribeTty(const fs::path& classEntry, const std::string& name,
                                          const fs::path& devRoot) {
  std::error_code ec;
  // device -> the usb-serial port; its parent is the USB interface, whose parent the USB device.
  const fs::path port = fs::canonical(classEntry / "device", ec);
  if (ec) return std::nullopt;
  const fs::path interface = port.parent_path();
  const fs::path usb = interface.parent_path();
  if (!DriverIs(port, "ftdi_sio") && !DriverIs(interface, "ftdi_sio")) return std::nullopt;

  const auto bus = NumberAttribute(usb / "busnum", 10);
  const auto devpath = ReadAttribute(usb / "devpath");
  if (!bus || !devpath) return std::nullopt;
  const unsigned interfaceNumber = NumberAttribute(interface / "bInterfaceNumber", 16).value_or(0);
  const unsigned interfaces = NumberAttribute(usb / "bNumInterfaces", 10).value_or(1);

  FtdiDeviceInfo info;
  info.Description = ReadAttribute(usb / "product").value_or("");
  info.SerialNumber = ReadAttribute(usb / "serial").value_or("");
  // Like FTDI's library, the channels of a multi-channel chip are told apart by a letter.
  if (interfaces > 1 && interfaceNumber < 26) {
    const char channel = static_cast<char>('A' + interfaceNumber);
    info.Description += ' ';
    info.Description += channel;
    if (!info.SerialNumber.empty()) info.SerialNumber += channel;
  }
  const unsigned vendor = NumberAttribute(usb / "idVendor", 16).value_or(0);
  const unsigned product = NumberAttribute(usb / "idProduct", 16).value_or(0);
  info.Id = (vendor & 0xFFFFu) << 16 | (product & 0xFFFFu);
  info.Type = ChipTypeOf(NumberAttribute(usb / "bcdDevice", 16).value_or(0));
  if (info.Type == FT_DEVICE_2232H || info.Type == FT_DEVICE_4232H || info.Type == FT_DEVICE_232H)
    info.Flags |= FT_FLAGS_HISPEED;
  info.LocId = LocationIdOf(*bus, *devpath, interfaceNumber);
  info.DevicePath = (devRoot / name).string();
  info.LatencyTimerPath = (port / "latency_timer").string();
  return info;
}

// The file a FLOCK line of /proc/locks names, e.g. "1: FLOCK  ADVISORY  WRITE 812 00:18:3 0 EOF":
// the file system's device in hexadecimal major:minor, then the inode number.
struct LockedInode {
  dev_t device;
  ino_t inode;
  int pid;
};

std::optional<LockedInode> FlockedInode(const std::string& line) {
  std::istringstream in(line);
  std::string ordinal, kind, mode, access, pid, file;
  if (!(in >> ordinal >> kind)) return std::nullopt;
  if (kind == "->") in >> kind;  // a waiter, listed under the holder
  if (kind != "FLOCK" || !(in >> mode >> access >> pid >> file)) return std::nullopt;
  unsigned major = 0, minor = 0;
  unsigned long long inode = 0;
  if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) return std::nullopt;
  return LockedInode{makedev(major, minor), static_cast<ino_t>(inode), std::atoi(pid.c_str())};
}

}  // namespace

std::uint32_t LocationIdOf(unsigned bus, std::string_view devpath, unsigned interfaceNumber) {
  const std::uint32_t busBits = (bus & 0xFFu) << 24;
  const std::uint32_t channel = (interfaceNumber + 1) & 0xFu;
  std::uint32_t path = 0;
  int hops = 0;
  bool fits = !devpath.empty();
  std::string_view rest = devpath;
  while (fits && !rest.empty()) {
    const auto dot = rest.find('.');
    const auto port = ParseNumber(rest.substr(0, dot), 10);
    if (!port || *port == 0 || *port > 15 || ++hops > 5)
      fits = false;
    else
      path = path << 4 | *port;
    if (dot == std::string_view::npos) break;
    rest.remove_prefix(dot + 1);
    if (rest.empty()) fits = false;  // a trailing dot
  }
  if (!fits) path = HashOf(devpath) & 0xFFFFFu;
  return busBits | path << 4 | channel;
}

std::uint32_t ChipTypeOf(unsigned bcdDevice) {
  switch (bcdDevice) {
    case 0x0200:
      return FT_DEVICE_AM;
    case 0x0400:
      return FT_DEVICE_BM;
    case 0x0500:
      return FT_DEVICE_2232C;
    case 0x0600:
      return FT_DEVICE_232R;
    case 0x0700:
      return FT_DEVICE_2232H;
    case 0x0800:
      return FT_DEVICE_4232H;
    case 0x0900:
      return FT_DEVICE_232H;
    case 0x1000:
      return FT_DEVICE_X_SERIES;
    default:
      return FT_DEVICE_UNKNOWN;
  }
}

bool TtyHeldElsewhere(const std::string& path, const fs::path& procLocks) {
  return TtyLockHolder(path, procLocks) != 0;
}

int TtyLockHolder(const std::string& path, const fs::path& procLocks) {
  // Opening a tty to try its lock would raise and drop DTR and RTS, which resets boards that
  // wire DTR to their reset line; the kernel's lock table says the same without touching it.
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0) return 0;
  std::ifstream locks(procLocks);
  std::string line;
  while (std::getline(locks, line)) {
    if (auto held = FlockedInode(line);
        held && held->device == node.st_dev && held->inode == node.st_ino) {
      return held->pid > 0 ? held->pid : -1;  // -1: held, by whom the table does not say
    }
  }
  return 0;
}

std::vector<FtdiDeviceInfo> DiscoverFtdiDevices(const TransportSettings& settings) {
  std::vector<FtdiDeviceInfo> devices;

  if (!settings.DonglePath.empty()) devices.push_back(DongleEntry(settings.DonglePath));

  const fs::path& sysfs = settings.SysfsRoot;
  const fs::path& devRoot = settings.DevRoot;
  std::vector<std::pair<unsigned, std::string>> ttys;
  std::error_code ec;
  for (fs::directory_iterator it(sysfs / "class" / "tty", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (const auto number = TtyUsbNumber(name)) ttys.emplace_back(*number, name);
  }
  std::sort(ttys.begin(), ttys.end());
  for (const auto& [number, name] : ttys) {
    if (auto info = DescribeTty(sysfs / "class" / "tty" / name, name, devRoot))
      devices.push_back(std::move(*info));
  }

  for (auto& device : devices)
    if (TtyHeldElsewhere(device.DevicePath, settings.ProcLocks)) device.Flags |= FT_FLAGS_OPENED;
  return devices;
}

}  // namespace rukmox::platform
