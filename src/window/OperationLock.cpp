// The lock-out of the long operations: no second operation on the module starts inside a scan,
// the sweeps or a programming job, and the window is not closed under them.
#include <QAction>
#include <QSpinBox>
#include <QTimer>

#include "ConsolePage.h"
#include "RangeTestPage.h"
#include "Rukmoxlight.h"
#include "ui_DevicesPage.h"
#include "ui_NetworkPage.h"
#include "ui_SpectrumPage.h"

namespace rukmox::window {

TRukMoxFormLight::LongOperation::LongOperation(TRukMoxFormLight& window) : window_(window) {
  if (window_.longOperations_++ == 0) window_.LockOperations();
}

TRukMoxFormLight::LongOperation::~LongOperation() {
  if (--window_.longOperations_ == 0) window_.UnlockOperations();
}

std::vector<QWidget*> TRukMoxFormLight::OperationControls() const {
  const Ui::DevicesPage& d = *devices_;
  const Ui::NetworkPage& n = *network_;
  // Everything that starts an operation on the module, the stop buttons excepted.
  std::vector<QWidget*> controls = {d.EditNomeDongle,
                                    d.EditIndirizzoDongle,
                                    d.ComboPotenzaDongle,
                                    d.EditNomeMcu,
                                    d.EditIndirizzoMcu,
                                    d.ComboPotenzaMcu,
                                    d.ComboCanale,
                                    d.EditPin,
                                    d.ButtonChangePin,
                                    d.ButtonRemovePin,
                                    d.ButtonReadPin,
                                    d.ButtonSfogliaDongle,
                                    d.ButtonProgramDongle,
                                    d.ButtonSfogliaMcu,
                                    d.ButtonProgramMcu,
                                    n.ListDevice,
                                    n.ButtonConnectMcu,
                                    n.ButtonDisconnectMcu,
                                    n.ButtonScan,
                                    n.EditStartCh,
                                    n.EditEndCh,
                                    spectrum_->ButtonScanEnergy,
                                    spectrum_->ButtonScanChannel};
  // While the range test runs, its button is its stop button.
  if (range_ && !range_->test) {
    controls.push_back(range_->button);
    controls.push_back(range_->count);
  }
  if (console_ && !console_->bridge) controls.push_back(console_->button);
  return controls;
}

std::vector<QAction*> TRukMoxFormLight::OperationActions() const {
  // Reopening the module under a running operation would pull it from under its handler.
  return {reconnectAction_, applyProfileAction_};
}

void TRukMoxFormLight::LockOperations() {
  operableAfterLock_.clear();
  for (QWidget* control : OperationControls()) {
    operableAfterLock_[control] = control->isEnabled();
    control->setEnabled(false);
  }
  for (QAction* action : OperationActions()) action->setEnabled(false);
}

void TRukMoxFormLight::UnlockOperations() {
  for (const auto& [control, on] : operableAfterLock_) control->setEnabled(on);
  operableAfterLock_.clear();
  for (QAction* action : OperationActions()) action->setEnabled(true);
  NoticeDongleGone();
  CloseIfPending();
}

void TRukMoxFormLight::CloseIfPending() {
  // Only once the handler that ran the operation has finished its last steps (its messages too).
  if (!closePending_ || longOperations_ > 0 || pauses_ > 0) return;
  closePending_ = false;
  QTimer::singleShot(0, this, &QWidget::close);
}

void TRukMoxFormLight::SetOperable(QWidget* control, bool on) {
  if (auto locked = operableAfterLock_.find(control); locked != operableAfterLock_.end()) {
    locked->second = on;
    return;
  }
  control->setEnabled(on);
}

}  // namespace rukmox::window
