#include "ModuleFactory.h"

#include "DeviceObjects.h"
#include "OpenFailure.h"
#include "Rukmoxlight.h"

namespace rukmox::window {

std::unique_ptr<TRukMox> CreateModule(const rukmox::platform::TransportSettings& settings,
                                      std::int32_t* errorWord) {
  return workflow::MakeModule(rukmox::platform::LoadD2xxLibrary(settings), errorWord);
}

DonglePlace PlaceOf(const rukmox::platform::TransportSettings& settings, bool simulated) {
  DonglePlace place{QString::fromStdString(settings.DonglePath), simulated, {}};
  place.whyNotOpen = [settings](std::int32_t errorWord, int language) {
    const auto reason = ExplainOpenFailure(settings, errorWord, language);
    // Not being there is what the status line says anyway, in its own words.
    if (!reason || reason->id == extra::NoDongleAttached || reason->id == extra::DongleMissing)
      return QString();
    return QString::fromStdString(reason->text);
  };
  return place;
}

std::unique_ptr<TRukMoxProg> CreateProgrammer(const rukmox::platform::TransportSettings& settings,
                                              std::int32_t* errorWord) {
  return workflow::MakeProgrammer(settings, errorWord);
}

}  // namespace rukmox::window
