// The PIN page: the old PIN always comes from the dongle, the new one from EditPin.
#include "FieldText.h"
#include "KeyFilters.h"
#include "Rukmoxlight.h"
#include "TextIds.h"
#include "ui_DevicesPage.h"

namespace rukmox::window {

void TRukMoxFormLight::EditPinKeyPress(char16_t& key) {
  NameKey(key);  // Enter means nothing here
}

void TRukMoxFormLight::ButtonReadPinClick() {
  if (!Device) return;
  const Pause pause(*this);
  std::string pin;
  if (Device->ReadPin(pin, false)) {
    devices_->EditPin->setText(QString::fromStdString(TrimmedPin(pin)));
  } else {
    devices_->EditPin->clear();
    Fail(text::PinReadFailed);
  }
}

void TRukMoxFormLight::ButtonChangePinClick() {
  if (!Device) return;
  const Pause pause(*this);
  std::string current;
  if (!Device->ReadPin(current, false)) {
    Fail(text::PinChangeReadFailed);
    return;
  }
  const std::int32_t code =
      Device->ChangePin(TrimmedPin(current), TrimmedPin(devices_->EditPin->text().toStdString()));
  if (code != 0) {
    messages_.Error(LoadText(text::PinChangeFailed) + QString::number(code) + ".");
    return;
  }
  // Which message is the window's choice: it asks only whether the remote record is linked.
  if (LinkedRemote()) {
    Inform(text::PinSetBoth);
    LoadRemote();
    return;
  }
  Inform(text::PinSetLocal);
}

void TRukMoxFormLight::ButtonRemovePinClick() {
  if (!Device) return;
  const Pause pause(*this);
  std::string current;
  if (!Device->ReadPin(current, false)) {
    Fail(text::PinRemoveReadFailed);
    return;
  }
  const std::int32_t code = Device->RemovePin(TrimmedPin(current));
  if (code != 0) {
    messages_.Error(LoadText(text::PinRemoveFailed) + QString::number(code) + ".");
    return;
  }
  devices_->EditPin->clear();
  if (LinkedRemote()) {
    Inform(text::PinRemovedBoth);
    LoadRemote();
    return;
  }
  Inform(text::PinRemovedLocal);
}

}  // namespace rukmox::window
