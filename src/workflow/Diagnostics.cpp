#include "Diagnostics.h"

#include "ExtraTexts.h"
#include "PanelText.h"
#include "PropertySteps.h"
#include "StringTable.h"

namespace rukmox::workflow {
namespace {

std::string DeviceLine(const std::string& which, const TDeviceRecordParameters& record,
                       int language) {
  const std::string power =
      FillIn(ExtraText(extra::PowerWithLevel, language),
             {PowerEntryText(PowerEntryOf(record.PowerLevel)), std::to_string(record.PowerLevel)});
  return FillIn(ExtraText(extra::DiagDevice, language),
                {which, VersionText(record), NameOf(record.Name), std::to_string(record.Address),
                 power, std::to_string(record.Channel)});
}

}  // namespace

std::string DiagnosticsText(TRukMox* device, const DiagnosticsPlace& place,
                            const OperationsLog& log, int language) {
  std::string text = FillIn(ExtraText(extra::DiagProgram, language),
                            {place.program, place.toolkit, place.system}) +
                     "\n";
  text += FillIn(ExtraText(extra::DiagDongle, language), {place.dongle}) + "\n";
  const bool open = device != nullptr && device->IsOpen();
  if (open) {
    text +=
        DeviceLine(LoadText(text::LocalDeviceCaption, language), device->Local, language) + "\n";
    const bool linked = HasLinkedRemote(*device) && device->Current != nullptr;
    if (linked)
      text +=
          DeviceLine(LoadText(text::RemoteDeviceCaption, language), *device->Current, language) +
          "\n";
    text += FillIn(ExtraText(extra::DiagLink, language),
                   {std::string(ExtraText(linked ? extra::Linked : extra::NotLinked, language)),
                    std::to_string(place.quality), std::to_string(place.energy)}) +
            "\n";
    text +=
        FillIn(ExtraText(extra::DiagPin, language),
               {std::string(ExtraText(
                   device->Local.PinProtected ? extra::PinProtected : extra::PinNone, language))}) +
        "\n";
  } else {
    text += std::string(ExtraText(extra::DiagNoDongle, language)) + "\n";
  }
  text += std::string(ExtraText(extra::DiagLogLines, language)) + "\n";
  for (const std::string& line : log.Last(DiagnosticsLogLines)) text += line + "\n";
  return text;
}

}  // namespace rukmox::workflow
