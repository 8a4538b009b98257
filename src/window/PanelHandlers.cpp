// The device property panels: name, address and power of the local and the remote device, the key
// filters that send them and the exit handlers that re-read a device when a field is left. The
// changes themselves are the steps rukmoxctl runs as well.
#include <QFocusEvent>
#include <QKeyEvent>
#include <utility>

#include "FieldText.h"
#include "KeyFilters.h"
#include "PanelText.h"
#include "PropertySteps.h"
#include "Rukmoxlight.h"
#include "TextIds.h"
#include "WindowWords.h"
#include "ui_DevicesPage.h"

namespace rukmox::window {
namespace {

// A key that types a character into a field, as opposed to navigation, deletion and shortcuts
// (Ctrl+V and the like stay with the field; what they insert passes the field's validator).
bool TypesCharacter(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
      return false;
    default:
      break;
  }
  if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  return !key.text().isEmpty();
}

// One UTF-16 unit stands for the key; anything longer (a composed or surrogate character) is
// judged as a character no filter lets through.
char16_t CharacterOf(const QKeyEvent& key) {
  const QString text = key.text();
  return text.size() == 1 ? text.at(0).unicode() : char16_t{0xFFFF};
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}

}  // namespace

void TRukMoxFormLight::ShowStep(const StepResult& step) {
  if (!step.ok && step.reason)
    messages_.Error(LoadText(step.failure) + '\n' + WordText(*step.reason, Language));
  else if (!step.ok)
    Fail(step.failure);
  if (step.reRead != ReRead::Remote) LoadLocal();
  if (step.reRead != ReRead::Local) LoadRemote();
}

bool TRukMoxFormLight::FieldKeyPress(QObject* watched, QEvent* event) {
  using KeyHandler = void (TRukMoxFormLight::*)(char16_t&);
  const Ui::DevicesPage& d = *devices_;
  const std::pair<QObject*, KeyHandler> fields[] = {
      {d.EditNomeDongle, &TRukMoxFormLight::EditNomeDongleKeyPress},
      {d.EditIndirizzoDongle, &TRukMoxFormLight::EditIndirizzoDongleKeyPress},
      {d.EditNomeMcu, &TRukMoxFormLight::EditNomeMcuKeyPress},
      {d.EditIndirizzoMcu, &TRukMoxFormLight::EditIndirizzoMcuKeyPress},
      {d.EditPin, &TRukMoxFormLight::EditPinKeyPress},
  };
  const auto& key = *static_cast<QKeyEvent*>(event);
  for (const auto& [field, handler] : fields) {
    if (field != watched) continue;
    if (!TypesCharacter(key)) return false;
    char16_t character = CharacterOf(key);
    (this->*handler)(character);
    return character == KeyNone;  // the field never sees a refused key
  }
  return false;
}

bool TRukMoxFormLight::FieldExit(QObject* watched, QEvent* event) {
  const Ui::DevicesPage& d = *devices_;
  const std::pair<QObject*, void (TRukMoxFormLight::*)()> fields[] = {
      {d.EditNomeDongle, &TRukMoxFormLight::DongleExit},
      {d.EditIndirizzoDongle, &TRukMoxFormLight::DongleExit},
      {d.ComboPotenzaDongle, &TRukMoxFormLight::DongleExit},
      {d.EditNomeMcu, &TRukMoxFormLight::McuExit},
      {d.EditIndirizzoMcu, &TRukMoxFormLight::McuExit},
      {d.ComboPotenzaMcu, &TRukMoxFormLight::McuExit},
  };
  // The operator leaving a field, not the window losing the focus to another window or to the
  // list's own popup, and not the focus moving on because a handler disabled the field.
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  if (pauses_ > 0 || !Device) return false;
  for (const auto& [field, handler] : fields)
    if (field == watched) (this->*handler)();
  return false;
}

void TRukMoxFormLight::EditNomeDongleKeyPress(char16_t& key) {
  if (!NameKey(key) || !Device) return;
  const Pause pause(*this);
  const QString name = devices_->EditNomeDongle->text();
  if (IsBlankName(Utf8(name))) {
    Fail(text::LocalNameFailed);
    devices_->EditNomeDongle->setText(QString::fromStdString(NameOf(Device->Local.Name)));
    return;
  }
  ShowStep(ChangeName(*Device, Utf8(name), false));
}

void TRukMoxFormLight::EditIndirizzoDongleKeyPress(char16_t& key) {
  if (!NumericKey(key) || !Device) return;
  const Pause pause(*this);
  const std::optional<std::uint32_t> address =
      AddressOfField(Utf8(devices_->EditIndirizzoDongle->text()));
  if (!address) {
    Fail(text::LocalAddressFailed);
    devices_->EditIndirizzoDongle->setText(QString::number(Device->Local.Address));
    return;
  }
  ShowStep(ChangeLocalAddress(*Device, *address));
}

void TRukMoxFormLight::ComboPotenzaDongleChange() {
  const int entry = devices_->ComboPotenzaDongle->currentIndex();
  if (entry < 0 || !Device) return;
  const Pause pause(*this);
  ShowStep(ChangePower(*Device, PowerLevelOfEntry(entry), false));
}

void TRukMoxFormLight::DongleExit() {
  if (!Device) return;
  const Pause pause(*this);
  LoadLocal();
}

void TRukMoxFormLight::EditNomeMcuKeyPress(char16_t& key) {
  if (!NameKey(key) || !Device) return;
  const Pause pause(*this);
  const QString name = devices_->EditNomeMcu->text();
  if (IsBlankName(Utf8(name))) {
    Fail(text::RemoteNameFailed);
    const TRemoteDeviceRecord* remote = Device->Current;
    devices_->EditNomeMcu->setText(remote ? QString::fromStdString(NameOf(remote->Name)) : "");
    return;
  }
  ShowStep(ChangeName(*Device, Utf8(name), true));
}

void TRukMoxFormLight::EditIndirizzoMcuKeyPress(char16_t& key) {
  if (!NumericKey(key) || !Device) return;
  const Pause pause(*this);
  const std::optional<std::uint32_t> address =
      AddressOfField(Utf8(devices_->EditIndirizzoMcu->text()));
  if (!address) {
    Fail(text::RemoteAddressFailed);
    const TRemoteDeviceRecord* remote = Device->Current;
    devices_->EditIndirizzoMcu->setText(remote ? QString::number(remote->Address) : "");
    return;
  }
  ShowStep(ChangeRemoteAddress(*Device, *address));
}

void TRukMoxFormLight::ComboPotenzaMcuChange() {
  const int entry = devices_->ComboPotenzaMcu->currentIndex();
  if (entry < 0 || !Device) return;
  const Pause pause(*this);
  ShowStep(ChangePower(*Device, PowerLevelOfEntry(entry), true));
}

void TRukMoxFormLight::McuExit() {
  if (!Device) return;
  const Pause pause(*this);
  LoadRemote();
}

}  // namespace rukmox::window
