// The dongle disappearing while the window runs, and coming back: the window notices that the
// module object is no longer open, says so and leaves both panels empty; Reconnect (Ctrl+R) opens
// it again on the operator's word. Nothing else reopens it.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "Rukmoxlight.h"
#include "WindowWords.h"
#include "ui_DevicesPage.h"

namespace rukmox::window {

void TRukMoxFormLight::BuildReconnect() {
  QMenu* menu = menuBar()->addMenu(QString());
  menu->setObjectName(QStringLiteral("MenuDongle"));
  reconnectAction_ = menu->addAction(QString());
  reconnectAction_->setObjectName(QStringLiteral("ActionReconnect"));
  reconnectAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  reconnectAction_->setShortcutContext(Qt::WindowShortcut);
  connect(reconnectAction_, &QAction::triggered, this, &TRukMoxFormLight::Reconnect);
}

void TRukMoxFormLight::Reconnect() {
  // Not inside another operation: its handler would go on with a module opened under it.
  if (!Device || LongOperationRunning() || pauses_ > 0) return;
  const Pause pause(*this);
  dongleGone_ = false;
  Device->Open();
  dongleWasOpen_ = Device->IsOpen();
  LoadLocal();
  LoadRemote();
}

void TRukMoxFormLight::NoticeDongleGone() {
  // A programming job closes the module for a while on purpose: only look between operations.
  if (!Device || pauses_ > 0 || LongOperationRunning()) return;
  const bool open = Device->IsOpen();
  const bool lost = dongleWasOpen_ && !open;
  dongleWasOpen_ = open;
  if (!lost) return;
  dongleGone_ = true;
  ShowLinkPicture(false);
  devices_->ProgressBarLink->setValue(0);
  devices_->LabelLink->setText(QStringLiteral("Quality (0)"));
  LoadLocal();  // with the module closed: the no-local-device state, and the status line
  LoadRemote();
}

}  // namespace rukmox::window
