#include "OperationLock.h"

#include <QAction>

namespace rukmox::window {

void OperationLock::Add(std::initializer_list<QWidget*> controls) {
  for (QWidget* control : controls) controls_.emplace_back(control);
}

void OperationLock::Add(QAction* action) {
  actions_.emplace_back(action);
}

void OperationLock::SetEnabled(QWidget* control, bool on) {
  if (auto locked = wanted_.find(control); locked != wanted_.end()) {
    locked->second = on;
    return;
  }
  control->setEnabled(on);
}

void OperationLock::Lock(QWidget* live) {
  if (locked_) return;
  locked_ = true;
  wanted_.clear();
  for (const QPointer<QWidget>& control : controls_) {
    if (control == nullptr || control == live) continue;
    wanted_[control] = control->isEnabled();
    control->setEnabled(false);
  }
  for (const QPointer<QAction>& action : actions_)
    if (action != nullptr) action->setEnabled(false);
}

void OperationLock::Unlock() {
  if (!locked_) return;
  locked_ = false;
  const std::map<QWidget*, bool> wanted = std::move(wanted_);
  wanted_.clear();
  for (const QPointer<QWidget>& control : controls_)
    if (control != nullptr)
      if (auto it = wanted.find(control); it != wanted.end()) control->setEnabled(it->second);
  for (const QPointer<QAction>& action : actions_)
    if (action != nullptr) action->setEnabled(true);
}

}  // namespace rukmox::window
