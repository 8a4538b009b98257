// Serial port numbers: port k is the k-th entry of the port list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rukmox::platform {

// RUKMOX_PORTS (colon-separated paths) when set, else every /dev/ttyUSB*, /dev/ttyACM* and
// /dev/ttyS* with a device behind it, in that order and numerically.
std::vector<std::string> SerialPortList();

// The path of port k, or nothing when the list has no entry k.
std::optional<std::string> SerialPortPath(int port);

}  // namespace rukmox::platform
