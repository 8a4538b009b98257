#include "PinChange.h"

#include <string>

#include "FieldText.h"
#include "PropertySteps.h"

namespace rukmox::workflow {
namespace {

struct PinTexts {
  text::Id readFailed;
  text::Id failedWithCode;
  text::Id doneBoth;
  text::Id doneLocal;
};

constexpr PinTexts kChangeTexts{text::PinChangeReadFailed, text::PinChangeFailed, text::PinSetBoth,
                                text::PinSetLocal};
constexpr PinTexts kRemoveTexts{text::PinRemoveReadFailed, text::PinRemoveFailed,
                                text::PinRemovedBoth, text::PinRemovedLocal};

// `newPin` is none for a removal.
PinOutcome Run(TRukMox& device, const PinTexts& texts, std::optional<std::string_view> newPin) {
  std::string current;
  if (!device.ReadPin(current, false))
    return {false, Notice(texts.readFailed), std::nullopt, false};
  const std::string oldPin = TrimmedPin(current);
  const std::int32_t code =
      newPin ? device.ChangePin(oldPin, TrimmedPin(*newPin)) : device.RemovePin(oldPin);
  if (code != 0) return {false, Notice(texts.failedWithCode, code), code, false};
  const bool remote = HasLinkedRemote(device);
  return {true, Notice(remote ? texts.doneBoth : texts.doneLocal), code, remote};
}

}  // namespace

PinOutcome ChangeLinkPin(TRukMox& device, std::string_view newPin) {
  return Run(device, kChangeTexts, newPin);
}

PinOutcome RemoveLinkPin(TRukMox& device) {
  return Run(device, kRemoveTexts, std::nullopt);
}

}  // namespace rukmox::workflow
