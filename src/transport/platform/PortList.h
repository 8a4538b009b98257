// Serial port numbers: port k is the k-th entry of the port list.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rukmox::platform {

// RUKMOX_PORTS (colon-separated paths) when set, else every /dev/ttyUSB*, /dev/ttyACM* and
// /dev/ttyS* with a device behind it, in that order and numerically. Read anew at every call.
std::vector<std::string> SerialPortList();

// The path of port k, or nothing when the list has no entry k.
std::optional<std::string> SerialPortPath(int port);

// The colon-separated list as given; empty entries are skipped.
std::vector<std::string> SplitPortList(const std::string& text);

// The scan behind the default list: ttyUSB, ttyACM and ttyS entries of `devDir` that have a
// `device` link under `sysClassTty`, ordered by family and then by number. A ttyS entry of the
// 8250 driver only counts when the driver reports a UART behind it.
std::vector<std::string> ScanSerialPorts(const std::filesystem::path& devDir,
                                         const std::filesystem::path& sysClassTty);

}  // namespace rukmox::platform
