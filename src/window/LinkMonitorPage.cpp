#include "LinkMonitorPage.h"

#include <algorithm>
#include <array>

#include "Captions.h"
#include "ReadingLabel.h"
#include "ui_LinkMonitorPage.h"

namespace rukmox::window {
namespace {

constexpr int kBarTop = 50;

// A reading outside the bar's range shows as the nearer end; the label shows the number itself.
int BarPosition(std::int32_t value) {
  return std::clamp<std::int32_t>(value, 0, kBarTop);
}

QString QualityText(std::int32_t quality) {
  return QStringLiteral("Quality (%1)").arg(quality);
}

QString EnergyText(std::int32_t energy) {
  return QStringLiteral("Energy (%1)").arg(energy);
}

constexpr std::array<Caption, 8> kCaptions = {{
    {"TabLink", text::LinkTabCaption},
    {"LabelCanale", text::ChannelCaption},
    // Names that assistive technology reads for the controls that show no caption of their own.
    {"ImageConnected", extra::LinkUp, Caption::Role::AccessibleName},
    {"ImageNotConnected", extra::LinkDown, Caption::Role::AccessibleName},
    {"ImageIta", extra::ItalianFlag, Caption::Role::AccessibleName},
    {"ImageIta", extra::ItalianFlag, Caption::Role::ToolTip},
    {"ImageEng", extra::EnglishFlag, Caption::Role::AccessibleName},
    {"ImageEng", extra::EnglishFlag, Caption::Role::ToolTip},
}};

}  // namespace

LinkMonitorPage::LinkMonitorPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::LinkMonitorPage>()) {
  form_->setupUi(this);
  // The operator's pick only: a selection set by the program runs no handler.
  connect(form_->ComboCanale, &QComboBox::activated, this, &LinkMonitorPage::ChannelChange);
  for (QToolButton* flag : {form_->ImageIta, form_->ImageEng})
    connect(flag, &QToolButton::clicked, this,
            [this, flag] { emit LanguageChosen(flag->property("tag").toInt()); });
  context_.Lock().Add({form_->ComboCanale});
}

LinkMonitorPage::~LinkMonitorPage() = default;

void LinkMonitorPage::ShowReading(const workflow::LinkReading& reading) {
  if (!reading.open) {
    ShowLinkPicture(false);  // the labels and bars keep what they show
    return;
  }
  form_->LabelEnergy->setText(EnergyText(reading.energy));
  form_->ProgressBarEnergy->setValue(BarPosition(reading.energy));
  if (reading.linked) {
    ShowLinkPicture(true);
    form_->ProgressBarLink->setValue(BarPosition(reading.quality));
    form_->LabelLink->setText(QualityText(reading.quality));
  } else {
    form_->ProgressBarLink->setValue(0);
    form_->LabelLink->setText(QualityText(0));
    ShowLinkPicture(false);
  }
}

void LinkMonitorPage::ShowNoLink() {
  ShowLinkPicture(false);
  form_->ProgressBarLink->setValue(0);
  form_->LabelLink->setText(QualityText(0));
}

void LinkMonitorPage::ShowLinkPicture(bool linked) {
  form_->ImageConnected->setVisible(linked);
  form_->ImageNotConnected->setVisible(!linked);
}

void LinkMonitorPage::EnableLocal(bool on) {
  context_.Lock().SetEnabled(form_->LabelEnergy, on);
  context_.Lock().SetEnabled(form_->ProgressBarEnergy, on);
}

void LinkMonitorPage::ClearLocal() {
  form_->LabelEnergy->setText(EnergyText(0));
  form_->ProgressBarEnergy->setValue(0);
}

void LinkMonitorPage::EnableRemote(bool on) {
  context_.Lock().SetEnabled(form_->ComboCanale, on);
  context_.Lock().SetEnabled(form_->ProgressBarLink, on);
  context_.Lock().SetEnabled(form_->LabelLink, on);
}

void LinkMonitorPage::ShowChannel(int channel) {
  const bool known = channel >= 0 && channel < RadioChannelCount;
  form_->ComboCanale->setCurrentIndex(known ? channel : -1);
}

void LinkMonitorPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
}

void LinkMonitorPage::FixReadingSizes() {
  FixReadingLabelSize(*form_->LabelEnergy, QStringLiteral("Energy (-0000)"));
  FixReadingLabelSize(*form_->LabelLink, QStringLiteral("Quality (-0000)"));
}

void LinkMonitorPage::ChannelChange() {
  TRukMox* module = context_.Module();
  const int channel = form_->ComboCanale->currentIndex();
  if (channel < 0 || module == nullptr) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  const std::int32_t before = module->Local.Channel;
  const StepResult step = ChangePairChannel(*module, channel);
  if (step.ok)
    context_.Log(extra::LogChannelSet, {QString::number(before), QString::number(channel)});
  else
    context_.Fail(step);
  emit ReadAgain(step.reRead);
}

}  // namespace rukmox::window
