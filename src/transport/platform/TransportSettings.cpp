#include "TransportSettings.h"

#include <algorithm>
#include <cstdlib>

#include "PortList.h"

namespace rukmox::platform {
namespace {

// An empty variable is treated like an unset one: `VAR= program` must not turn a default off.
const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
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

TransportSettings TransportSettings::FromEnvironment() {
  TransportSettings settings;
  if (const char* dongle = Variable("RUKMOX_DONGLE")) settings.DonglePath = dongle;
  if (const char* ports = Variable("RUKMOX_PORTS")) settings.Ports = SplitPortList(ports);
  if (const char* library = Variable("RUKMOX_D2XX")) settings.D2xxLibraryPath = library;
  if (const char* sysfs = Variable("RUKMOX_SYSFS_ROOT")) settings.SysfsRoot = sysfs;
  if (const char* dev = Variable("RUKMOX_DEV_ROOT")) settings.DevRoot = dev;
  if (const char* locks = Variable("RUKMOX_PROC_LOCKS")) settings.ProcLocks = locks;
  return settings;
}

}  // namespace rukmox::platform
