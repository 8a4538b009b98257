// The link page: the poll tick (energy, link quality, the connection pictures, the re-read after
// the module moved the pair) and the operator's channel list.
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "LinkHistoryPage.h"
#include "PropertySteps.h"
#include "Rukmoxlight.h"
#include "TextIds.h"
#include "ui_DevicesPage.h"
#include "ui_SpectrumPage.h"

namespace rukmox::window {
namespace {

constexpr int kBarTop = 50;

// A reading outside the bar's range shows as the nearer end; the label shows the number itself.
int BarPosition(std::int32_t value) {
  return std::clamp<std::int32_t>(value, 0, kBarTop);
}

}  // namespace

void TRukMoxFormLight::PinReadingLabels() {
  // A label whose text changes asks its layout to look again; inside the nested tab pages that
  // request climbs to the outermost page, and every page on the way repaints itself whole. The
  // poll tick and the sweeps rewrite these labels many times a second, so they get a size of
  // their own, wide enough for any text of theirs, and the request stops at them.
  const std::pair<QLabel*, QString> readings[] = {
      {devices_->LabelEnergy, QStringLiteral("Energy (-0000)")},
      {devices_->LabelLink, QStringLiteral("Quality (-0000)")},
      {spectrum_->LabelScanTime, QStringLiteral("Time: 000000")},
  };
  for (const auto& [label, widest] : readings) {
    const QSize hint = label->sizeHint();
    const int margins = hint.width() - label->fontMetrics().horizontalAdvance(label->text());
    label->setFixedSize(label->fontMetrics().horizontalAdvance(widest) + margins, hint.height());
  }
}

void TRukMoxFormLight::TimerUpdateTimer() {
  TimerUpdate->stop();
  // Released, or the console reads the module's input: no command exchange may come between.
  if (!Device || ConsoleRunning()) return;
  {
    const Pause pause(*this);
    const Ui::DevicesPage& d = *devices_;
    if (!Device->IsOpen()) {
      ShowLinkPicture(false);
    } else {
      // The history takes what this tick read anyway: it costs the radio nothing.
      std::int32_t shownQuality = 0;
      bool linked = false;
      Device->AdaptChannel();
      d.LabelEnergy->setText(QStringLiteral("Energy (%1)").arg(Device->LinkLevel));
      d.ProgressBarEnergy->setValue(BarPosition(Device->LinkLevel));
      if (LinkedRemote()) {
        ShowLinkPicture(true);
        std::int32_t quality = NoLevel;
        Device->ReadLinkQuality(quality, true);
        quality -= NoLevel;
        shownQuality = quality;
        linked = true;
        d.ProgressBarLink->setValue(BarPosition(quality));
        d.LabelLink->setText(QStringLiteral("Quality (%1)").arg(quality));
        // However many moves the module made since the last tick, the panels are read once.
        if (Device->ChannelChanges > ChannelMoves) {
          ChannelMoves = Device->ChannelChanges;
          LoadLocal();
          LoadRemote();
        }
      } else {
        d.ProgressBarLink->setValue(0);
        d.LabelLink->setText(QStringLiteral("Quality (0)"));
        ShowLinkPicture(false);
      }
      history_->Add(shownQuality, Device->LinkLevel, Device->Local.Channel, linked,
                    Device->ChannelChanges);
    }
  }
  emit PollTicked();
}

void TRukMoxFormLight::ComboCanaleChange() {
  const int channel = devices_->ComboCanale->currentIndex();
  if (channel < 0 || !Device) return;
  const Pause pause(*this);
  ShowStep(ChangePairChannel(*Device, channel));
}

}  // namespace rukmox::window
