// The PIN page: the old PIN always comes from the dongle, the new one from EditPin.
#include "FieldText.h"
#include "KeyFilters.h"
#include "PinChange.h"
#include "Rukmoxlight.h"
#include "TextIds.h"
#include "ui_DevicesPage.h"

namespace rukmox::window {
namespace {

void Tell(MessageSink& messages, const workflow::PinOutcome& outcome, int language) {
  const QString text = QString::fromStdString(workflow::NoticeText(outcome.notice, language));
  if (outcome.ok)
    messages.Information(text);
  else
    messages.Error(text);
}

}  // namespace

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
  const workflow::PinOutcome outcome =
      workflow::ChangeLinkPin(*Device, devices_->EditPin->text().toStdString());
  Tell(messages_, outcome, Language);
  if (outcome.remoteLinked) LoadRemote();
}

void TRukMoxFormLight::ButtonRemovePinClick() {
  if (!Device) return;
  const Pause pause(*this);
  const workflow::PinOutcome outcome = workflow::RemoveLinkPin(*Device);
  if (outcome.ok) devices_->EditPin->clear();
  Tell(messages_, outcome, Language);
  if (outcome.remoteLinked) LoadRemote();
}

}  // namespace rukmox::window
