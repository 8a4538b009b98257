#include "ModuleFactory.h"

#include "platform/D2xxLibrary.h"

namespace rukmox::window {
namespace {

constexpr std::int32_t kRemoteBaudIndex = 5;
constexpr bool kOptionFlag = true;
constexpr std::int32_t kControlMode = 0;
constexpr std::int32_t kFirstPort = 0;
constexpr std::int32_t kProgrammingBaudIndex = 5;

}  // namespace

std::unique_ptr<TRukMox> CreateModule(const rukmox::platform::TransportSettings& settings,
                                      std::int32_t* errorWord, void* owner) {
  return std::make_unique<TRukMox>(owner, TRukMox::MoxPort, kRemoteBaudIndex, errorWord,
                                   kOptionFlag, kControlMode, kControlMode,
                                   rukmox::platform::LoadD2xxLibrary(settings));
}

std::unique_ptr<TRukMoxProg> CreateProgrammer(const rukmox::platform::TransportSettings& settings,
                                              std::int32_t* errorWord, void* owner) {
  return std::make_unique<TRukMoxProg>(owner, kFirstPort, kProgrammingBaudIndex, errorWord,
                                       kOptionFlag, kControlMode, kControlMode, settings);
}

}  // namespace rukmox::window
