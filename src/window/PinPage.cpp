#include "PinPage.h"

#include <QKeyEvent>
#include <array>

#include "Captions.h"
#include "FieldText.h"
#include "FieldValidator.h"
#include "KeyFilters.h"
#include "PinChange.h"
#include "ui_PinPage.h"

namespace rukmox::window {
namespace {

constexpr std::array<Caption, 4> kCaptions = {{
    {"TabPin", text::PinTabCaption},
    {"ButtonRemovePin", text::RemovePinCaption},
    {"ButtonChangePin", text::ChangePinCaption},
    {"ButtonReadPin", text::ReadPinCaption},
}};

}  // namespace

PinPage::PinPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::PinPage>()) {
  form_->setupUi(this);
  form_->EditPin->setMaxLength(PinSize);
  // What is pasted passes the filter that typed keys pass.
  form_->EditPin->setValidator(new FieldValidator(IsNameCharacter, form_->EditPin));
  form_->EditPin->installEventFilter(this);
  connect(form_->ButtonReadPin, &QPushButton::clicked, this, &PinPage::ReadPin);
  connect(form_->ButtonChangePin, &QPushButton::clicked, this, &PinPage::ChangePin);
  connect(form_->ButtonRemovePin, &QPushButton::clicked, this, &PinPage::RemovePin);
  context_.Lock().Add(
      {form_->EditPin, form_->ButtonChangePin, form_->ButtonRemovePin, form_->ButtonReadPin});
}

PinPage::~PinPage() = default;

void PinPage::Enable(bool on) {
  OperationLock& lock = context_.Lock();
  lock.SetEnabled(form_->ButtonRemovePin, on);
  lock.SetEnabled(form_->ButtonChangePin, on);
  lock.SetEnabled(form_->ButtonReadPin, on);
  lock.SetEnabled(form_->EditPin, on);
}

void PinPage::Clear() {
  form_->EditPin->clear();
}

void PinPage::SetServiceMode(bool on) {
  form_->ButtonReadPin->setVisible(on);
}

void PinPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
}

bool PinPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != form_->EditPin || event->type() != QEvent::KeyPress) return false;
  const std::optional<char16_t> typed = TypedCharacter(*static_cast<QKeyEvent*>(event));
  if (!typed) return false;
  char16_t character = *typed;
  KeyPress(character);
  return character == KeyNone;  // the field never sees a refused key
}

void PinPage::KeyPress(char16_t& key) {
  NameKey(key);  // Enter means nothing here
}

void PinPage::ReadPin() {
  TRukMox* module = context_.Module();
  if (module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  std::string pin;
  if (module->ReadPin(pin, false)) {
    form_->EditPin->setText(QString::fromStdString(TrimmedPin(pin)));
  } else {
    form_->EditPin->clear();
    context_.Fail(text::PinReadFailed);
  }
}

void PinPage::ChangePin() {
  TRukMox* module = context_.Module();
  if (module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  Tell(workflow::ChangeLinkPin(*module, form_->EditPin->text().toStdString()));
}

void PinPage::RemovePin() {
  TRukMox* module = context_.Module();
  if (module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  const workflow::PinOutcome outcome = workflow::RemoveLinkPin(*module);
  if (outcome.ok) form_->EditPin->clear();
  Tell(outcome);
}

void PinPage::Tell(const workflow::PinOutcome& outcome) {
  if (outcome.ok)
    context_.Inform(outcome.notice);
  else
    context_.Fail(outcome.notice);
  if (outcome.remoteLinked) emit ReadAgain(ReRead::Remote);
}

}  // namespace rukmox::window
