#include "ModuleFactory.h"

#include "DeviceObjects.h"

namespace rukmox::window {

std::unique_ptr<TRukMox> CreateModule(const rukmox::platform::TransportSettings& settings,
                                      std::int32_t* errorWord) {
  return workflow::MakeModule(rukmox::platform::LoadD2xxLibrary(settings), errorWord);
}

std::unique_ptr<TRukMoxProg> CreateProgrammer(const rukmox::platform::TransportSettings& settings,
                                              std::int32_t* errorWord) {
  return workflow::MakeProgrammer(settings, errorWord);
}

}  // namespace rukmox::window
