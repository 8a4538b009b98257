#include "DeviceObjects.h"

#include "platform/FtdiSioDiscovery.h"

namespace rukmox::workflow {

std::unique_ptr<TRukMox> MakeModule(std::unique_ptr<platform::D2xxLibrary> library,
                                    std::int32_t* errorWord) {
  return std::make_unique<TRukMox>(nullptr, TRukMox::MoxPort, ModuleRemoteBaudIndex, errorWord,
                                   DeviceOptionFlag, DeviceControlMode, DeviceControlMode,
                                   std::move(library));
}

std::unique_ptr<TRukMoxProg> MakeProgrammer(const platform::TransportSettings& settings,
                                            std::int32_t* errorWord) {
  return std::make_unique<TRukMoxProg>(nullptr, ProgrammerFirstPort, ProgrammerBaudIndex, errorWord,
                                       DeviceOptionFlag, DeviceControlMode, DeviceControlMode,
                                       settings);
}

std::string DongleTtyPath(const platform::TransportSettings& settings) {
  if (!settings.DonglePath.empty()) return settings.DonglePath;
  for (const platform::FtdiDeviceInfo& info : platform::DiscoverFtdiDevices(settings))
    if (info.Description.find(platform::DongleDescription) != std::string::npos)
      return info.DevicePath;
  return {};
}

}  // namespace rukmox::workflow
