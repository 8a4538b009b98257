#include "PortList.h"

namespace rukmox::platform {

std::vector<std::string> SerialPortList(const TransportSettings& settings) {
  if (!settings.Ports.empty()) return settings.Ports;
  // The numbers are the system's own: port 0 is COM1. Opening a number without a device fails
  // at once, so a search over all of them costs little.
  constexpr int kComPorts = 256;
  std::vector<std::string> ports;
  ports.reserve(kComPorts);
  for (int n = 1; n <= kComPorts; ++n) ports.push_back("COM" + std::to_string(n));
  return ports;
}

}  // namespace rukmox::platform
