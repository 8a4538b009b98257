// Serial port numbers: port k is entry k of a port list, which each serial transport resolves once,
// when it is made.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "TransportSettings.h"

namespace rukmox::platform {

// The settings' Ports when there are any, else the system's ports: on Linux as ScanSerialPorts
// finds them under the settings' /dev and sysfs roots, on Windows COM1 to COM256 as Windows
// numbers them (port k is COM k+1, whether or not it exists).
std::vector<std::string> SerialPortList(const TransportSettings& settings);

// The colon-separated list as given; empty entries are skipped. ("COM6:COM7" on Windows.)
std::vector<std::string> SplitPortList(const std::string& text);

// Linux: the scan behind the default list: ttyUSB, ttyACM and ttyS entries of `devDir` that have a
// `device` link under `sysClassTty`, ordered by family and then by number. A port of the kernel's
// serial core only counts when its `type` attribute names a UART. No tty is opened.
std::vector<std::string> ScanSerialPorts(const std::filesystem::path& devDir,
                                         const std::filesystem::path& sysClassTty);

}  // namespace rukmox::platform
