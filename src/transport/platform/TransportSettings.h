// Where the transports find their devices: handed to them at construction, so nothing below the
// programs reads the environment. The programs fill it once at start (FromEnvironment) and let
// their command-line options override it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rukmox::platform {

struct TransportSettings {
  // A tty that is listed first among the FTDI devices, as the "Wireless Port" dongle (the
  // simulator's, or a dongle the kernel does not show as ftdi_sio). Empty: none.
  std::string DonglePath;
  // The serial ports, port k being entry k. Empty: the system's ttyUSB, ttyACM and ttyS ports.
  std::vector<std::string> Ports;
  // FTDI's D2XX library to load instead of our own layer over ftdi_sio. Empty: our layer.
  std::string D2xxLibraryPath;
  // Roots of the system's trees; tests point them at trees they build.
  std::filesystem::path SysfsRoot = "/sys";
  std::filesystem::path DevRoot = "/dev";
  std::filesystem::path ProcLocks = "/proc/locks";

  // RUKMOX_DONGLE, RUKMOX_PORTS (colon-separated), RUKMOX_D2XX, RUKMOX_SYSFS_ROOT,
  // RUKMOX_DEV_ROOT and RUKMOX_PROC_LOCKS; an unset or empty variable keeps the default.
  static TransportSettings FromEnvironment();
};

}  // namespace rukmox::platform
