#include "DeviceObjects.h"

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

}  // namespace rukmox::workflow
