#include "ModuleFactory.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace rukmox::window {
namespace {

constexpr std::int32_t kRemoteBaudIndex = 5;
constexpr bool kOptionFlag = true;
constexpr std::int32_t kControlMode = 0;

void SetOrUnset(const char* name, const std::string& value) {
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ":") + p;
  return out;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::unique_ptr<TRukMox> CreateModule(const rukmox::platform::TransportSettings& settings,
                                      std::int32_t* errorWord, void* owner) {
  // interim: the transports still read their devices from the environment; until they take the
  // settings at construction, the environment is made to say exactly what the settings say.
  SetOrUnset("RUKMOX_DONGLE", settings.DonglePath);
  SetOrUnset("RUKMOX_PORTS", Joined(settings.Ports));
  SetOrUnset("RUKMOX_D2XX", settings.D2xxLibraryPath);
  return std::make_unique<TRukMox>(owner, TRukMox::MoxPort, kRemoteBaudIndex, errorWord,
                                   kOptionFlag, kControlMode, kControlMode);
}

rukmox::platform::TransportSettings SettingsFromEnvironment() {
  // interim: stands in for TransportSettings::FromEnvironment until the transports provide it.
  rukmox::platform::TransportSettings settings;
  settings.DonglePath = Variable("RUKMOX_DONGLE");
  std::istringstream ports(Variable("RUKMOX_PORTS"));
  for (std::string port; std::getline(ports, port, ':');)
    if (!port.empty()) settings.Ports.push_back(port);
  settings.D2xxLibraryPath = Variable("RUKMOX_D2XX");
  return settings;
}

}  // namespace rukmox::window
