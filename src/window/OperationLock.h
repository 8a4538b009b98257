// The controls that start an operation on the module. While an operation runs they are disabled,
// but for the running operation's own stop control; what the program asks of them meanwhile is
// kept and takes effect when the operation has ended.
#pragma once

#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;

namespace rukmox::window {

class OperationLock {
 public:
  void Add(std::initializer_list<QWidget*> controls);
  void Add(QAction* action);

  // Enables or disables a control from the program; a locked control takes the state asked for
  // here when the lock goes. Any control may come here: one that starts nothing is set at once.
  void SetEnabled(QWidget* control, bool on);

  // `live` stays usable: the running operation's own stop control.
  void Lock(QWidget* live = nullptr);
  void Unlock();
  bool Locked() const { return locked_; }

 private:
  std::vector<QPointer<QWidget>> controls_;
  std::vector<QPointer<QAction>> actions_;
  std::map<QWidget*, bool> wanted_;  // the locked controls and the state each is to take
  bool locked_ = false;
};

}  // namespace rukmox::window
