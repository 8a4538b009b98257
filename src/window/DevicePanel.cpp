#include "DevicePanel.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <array>

#include "Captions.h"
#include "DeviceNames.h"
#include "FieldText.h"
#include "FieldValidator.h"
#include "KeyFilters.h"
#include "PanelText.h"
#include "ui_DevicePanel.h"

namespace rukmox::window {
namespace {

const QString kEmptyVersionText = QStringLiteral("H0 - F0 - M0 - P0");

constexpr std::array<Caption, 5> kCaptions = {{
    {"GroupProperty", text::PropertiesCaption},
    {"LabelVersion", text::VersionCaption},
    {"LabelNome", text::NameCaption},
    {"LabelIndirizzo", text::AddressCaption},
    {"LabelPotenza", text::PowerCaption},
}};

}  // namespace

DevicePanel::DevicePanel(Device device, PageContext& context, QWidget* parent)
    : QGroupBox(parent),
      device_(device),
      context_(context),
      form_(std::make_unique<Ui::DevicePanel>()) {
  form_->setupUi(this);
  NameForDevice(*this, DeviceSuffix(Remote()));

  // The longest name and the power entries, as the modules take them.
  form_->EditNome->setMaxLength(NameLengthMax);
  for (int entry = 0; entry < PowerEntryCount; ++entry)
    form_->ComboPotenza->addItem(QString::fromUtf8(PowerEntryText(entry)));
  form_->ComboPotenza->setCurrentIndex(-1);  // the first entry added became the current one
  // What is pasted passes the filters that typed keys pass.
  form_->EditNome->setValidator(new FieldValidator(IsNameCharacter, form_->EditNome));
  form_->EditIndirizzo->setValidator(new FieldValidator(IsDigitCharacter, form_->EditIndirizzo));
  // Keys and focus changes of the fields come here before the field sees them.
  for (QWidget* field :
       {static_cast<QWidget*>(form_->EditNome), static_cast<QWidget*>(form_->EditIndirizzo),
        static_cast<QWidget*>(form_->ComboPotenza)})
    field->installEventFilter(this);
  // The operator's pick only: a selection set by the program runs no handler.
  connect(form_->ComboPotenza, &QComboBox::activated, this, &DevicePanel::PowerChange);
  context_.Lock().Add({form_->EditNome, form_->EditIndirizzo, form_->ComboPotenza});
}

DevicePanel::~DevicePanel() = default;

void DevicePanel::Show(const TDeviceRecordParameters& record) {
  form_->LabVersion->setText(QString::fromStdString(VersionText(record)));
  form_->EditNome->setText(QString::fromStdString(NameOf(record.Name)));
  form_->EditIndirizzo->setText(QString::number(record.Address));
  form_->ComboPotenza->setCurrentIndex(PowerEntryOf(record.PowerLevel));
}

void DevicePanel::Clear() {
  form_->LabVersion->setText(kEmptyVersionText);
  form_->EditNome->clear();
  form_->EditIndirizzo->clear();
  form_->ComboPotenza->setCurrentIndex(-1);
}

void DevicePanel::Enable(bool on) {
  OperationLock& lock = context_.Lock();
  lock.SetEnabled(form_->LabVersion, on);
  lock.SetEnabled(form_->EditNome, on);
  lock.SetEnabled(form_->EditIndirizzo, on);
  lock.SetEnabled(form_->ComboPotenza, on);
}

void DevicePanel::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language, DeviceSuffix(Remote()));
}

bool DevicePanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      (watched == form_->EditNome || watched == form_->EditIndirizzo)) {
    const std::optional<char16_t> typed = TypedCharacter(*static_cast<QKeyEvent*>(event));
    if (!typed) return false;
    char16_t character = *typed;
    if (watched == form_->EditNome)
      NameKeyPress(character);
    else
      AddressKeyPress(character);
    return character == KeyNone;  // the field never sees a refused key
  }
  if (event->type() == QEvent::FocusOut) {
    // The operator leaving a field, not the window losing the focus to another window or to the
    // list's own popup, and not the focus moving on because a handler disabled the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    // Nor while a handler or an operation has the module: the lock that disables the fields
    // moves the focus on as well.
    if (!context_.Session().CanStart()) return false;
    Exit();
  }
  return false;
}

void DevicePanel::ShowStep(const StepResult& step, text::Id property, const QString& value) {
  if (step.ok)
    context_.Log(extra::LogPropertySet,
                 {context_.Text(Remote() ? text::RemoteDeviceCaption : text::LocalDeviceCaption),
                  context_.Text(property), value});
  else
    context_.Fail(step);
  emit ReadAgain(step.reRead);
}

void DevicePanel::NameKeyPress(char16_t& key) {
  TRukMox* module = context_.Module();
  if (!NameKey(key) || module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  const std::string name = form_->EditNome->text().toStdString();
  if (IsBlankName(name)) {
    context_.Fail(Remote() ? text::RemoteNameFailed : text::LocalNameFailed);
    const TRemoteDeviceRecord* remote = module->Current;
    form_->EditNome->setText(
        Remote() ? (remote ? QString::fromStdString(NameOf(remote->Name)) : QString())
                 : QString::fromStdString(NameOf(module->Local.Name)));
    return;
  }
  ShowStep(ChangeName(*module, name, Remote()), text::NameCaption, QString::fromStdString(name));
}

void DevicePanel::AddressKeyPress(char16_t& key) {
  TRukMox* module = context_.Module();
  if (!NumericKey(key) || module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  const std::optional<std::uint32_t> address =
      AddressOfField(form_->EditIndirizzo->text().toStdString());
  if (!address) {
    context_.Fail(Remote() ? text::RemoteAddressFailed : text::LocalAddressFailed);
    const TRemoteDeviceRecord* remote = module->Current;
    form_->EditIndirizzo->setText(Remote() ? (remote ? QString::number(remote->Address) : QString())
                                           : QString::number(module->Local.Address));
    return;
  }
  ShowStep(
      Remote() ? ChangeRemoteAddress(*module, *address) : ChangeLocalAddress(*module, *address),
      text::AddressCaption, QString::number(*address));
}

void DevicePanel::PowerChange() {
  TRukMox* module = context_.Module();
  const int entry = form_->ComboPotenza->currentIndex();
  if (entry < 0 || module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  ShowStep(ChangePower(*module, PowerLevelOfEntry(entry), Remote()), text::PowerCaption,
           form_->ComboPotenza->currentText());
}

void DevicePanel::Exit() {
  if (context_.Module() == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  emit ReadAgain(Remote() ? ReRead::Remote : ReRead::Local);
}

}  // namespace rukmox::window
