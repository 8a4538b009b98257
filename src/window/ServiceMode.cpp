// Service mode: the controls a service technician needs and an operator does not see, namely the
// two programming groups, ButtonReadPin and the channel delta-signal report. Started with
// --service or switched with Ctrl+Shift+S; the status line says when it is on.
#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "Rukmoxlight.h"
#include "WindowWords.h"
#include "ui_DevicesPage.h"
#include "ui_SpectrumPage.h"

namespace rukmox::window {

void TRukMoxFormLight::BuildServiceMode() {
  serviceModeAction_ = new QAction(this);
  serviceModeAction_->setObjectName(QStringLiteral("ActionServiceMode"));
  serviceModeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  serviceModeAction_->setShortcutContext(Qt::WindowShortcut);
  addAction(serviceModeAction_);  // a shortcut only: no menu offers it to the operator
  connect(serviceModeAction_, &QAction::triggered, this, [this] { SetServiceMode(!serviceMode_); });
  connect(spectrum_->ButtonScanChannel, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonScanChannelClick);
}

void TRukMoxFormLight::ApplyServiceCaptions(int language) {
  spectrum_->ButtonScanChannel->setText(WordText(Word::DeltaSignal, language));
  if (auto* menu = findChild<QMenu*>(QStringLiteral("MenuDongle")))
    menu->setTitle(WordText(Word::DongleMenu, language));
  reconnectAction_->setText(WordText(Word::Reconnect, language));
}

void TRukMoxFormLight::SetServiceMode(bool on) {
  serviceMode_ = on;
  const Ui::DevicesPage& d = *devices_;
  for (QWidget* control :
       {static_cast<QWidget*>(d.GroupProgramDongle), static_cast<QWidget*>(d.GroupProgramMcu),
        static_cast<QWidget*>(d.ButtonReadPin),
        static_cast<QWidget*>(spectrum_->ButtonScanChannel)})
    control->setVisible(on);
  if (isVisible())
    FitToContents();  // where the operator put the window
  else
    FixSizeAndCentre();
  ApplyCaptions(Language);
  ShowStatusLine();
}

}  // namespace rukmox::window
