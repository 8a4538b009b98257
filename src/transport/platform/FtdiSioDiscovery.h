// The device list of our D2XX layer: the dongle tty of the settings, then the FTDI ttys the
// kernel's ftdi_sio driver exposes, found in sysfs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "TransportSettings.h"

namespace rukmox::platform {

struct FtdiDeviceInfo {
  std::uint32_t Flags = 0;  // bit 0: another program (or another handle of ours) holds the tty
  std::uint32_t Type = 3;   // FT_DEVICE_*; 3 = unknown
  std::uint32_t Id = 0;     // USB vendor id << 16 | product id
  std::uint32_t LocId = 0;  // see LocationIdOf
  std::string SerialNumber;
  std::string Description;
  std::string DevicePath;        // the tty node to open
  std::string LatencyTimerPath;  // ftdi_sio's latency_timer attribute; empty for the dongle
};

// The description the settings' dongle entry carries, and its location id (no USB location has bus
// 0).
inline constexpr const char* DongleDescription = "Wireless Port";
inline constexpr std::uint32_t DongleLocationId = 0x00000001;

// The settings' dongle tty as the first entry of a device list.
inline FtdiDeviceInfo DongleEntry(const std::string& path) {
  FtdiDeviceInfo info;
  info.Description = DongleDescription;
  info.LocId = DongleLocationId;
  info.DevicePath = path;
  return info;
}

// A location id that stays the same for a USB port while devices come and go:
//   bits 31..24  the bus number,
//   bits 23..4   the hub port path (sysfs devpath "1.4.2"), one port per nibble, last hop lowest,
//   bits  3..0   the interface number + 1 (the channels of a multi-channel chip differ here).
// Bus 3, devpath "1.4", interface 0 gives 0x03000141. A path with a port above 15 or more than
// five hops does not fit; it gets a 20-bit hash of the path instead, still stable but no longer
// readable (two such paths on one bus could collide).
std::uint32_t LocationIdOf(unsigned bus, std::string_view devpath, unsigned interfaceNumber);

// The D2XX type of a chip from its USB bcdDevice, as FTDI's chips report it.
std::uint32_t ChipTypeOf(unsigned bcdDevice);

// The device list as of now: the settings' dongle first (if any), then the ftdi_sio ttys found
// under the settings' sysfs root, their nodes under its /dev root, in numeric order.
std::vector<FtdiDeviceInfo> DiscoverFtdiDevices(const TransportSettings& settings);

// True while an open file description holds a flock on the tty, as every serial program of ours
// and most others do. Read from the kernel's lock table `procLocks` (/proc/locks); the tty itself
// is never opened, so listing devices leaves their modem lines alone.
bool TtyHeldElsewhere(const std::string& path, const std::filesystem::path& procLocks);

// The process that holds the flock on the tty, from the same table; 0 when none does.
int TtyLockHolder(const std::string& path, const std::filesystem::path& procLocks);

}  // namespace rukmox::platform
