// The module object of a run and what may happen to it at a given moment. The session owns the
// module and its error word, knows whether the dongle is open, gone or released, and runs at most
// one long operation (a scan, the spectrum sweeps, a programming job, a range test, the data
// console) with its stop request. Handlers that talk to the module briefly do so inside an
// Exchange. From these follow, each as one rule:
//   - the lock-out: while an operation runs, nothing else starts on the module;
//   - the poll pause: the poll tick runs only when no handler is inside the module and no
//     operation runs but a range test, which lets it in between its pings;
//   - the deferred close: a close asked for meanwhile is refused, waits for the operation's end,
//     or stops it first, by the operation's kind;
//   - the dongle gone: noticed between operations, never inside one (a programming job closes the
//     module on purpose).
// The face (the window) is told when each of these changes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "LinkMonitor.h"
#include "Operation.h"
#include "OperationsLog.h"
#include "Rukmox.h"

namespace rukmox::workflow {

enum class OperationKind { Scan, Sweeps, Programming, RangeTest, Console };

class SessionFace {
 public:
  virtual ~SessionFace() = default;
  // The poll tick may run (start its interval afresh), or must rest from now on.
  virtual void PollMayRun(bool may) = 0;
  // An operation starts or has ended: the controls that start others lock or unlock.
  virtual void OperationStarts(OperationKind kind) = 0;
  virtual void OperationEnded(OperationKind kind) = 0;
  // The running operation's next step is due in `wait`.
  virtual void StepDue(Operation::Wait wait) = 0;
  // The dongle was open and no longer is.
  virtual void DongleLost() = 0;
  // A close that had to wait may go ahead now.
  virtual void CloseNow() = 0;
};

class DeviceSession {
 public:
  // Makes the module object reporting into `errorWord`.
  using ModuleMaker = std::function<std::unique_ptr<TRukMox>(std::int32_t* errorWord)>;

  DeviceSession(const ModuleMaker& makeModule, SessionFace& face);
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  // The module, or null once released.
  TRukMox* Module() const { return module_.get(); }
  std::int32_t ErrorWord() const { return errorWord_; }
  bool IsOpen() const { return module_ && module_->IsOpen(); }
  // The dongle went away while open and has not been opened again since.
  bool DongleGone() const { return gone_; }

  // Opens the dongle: at the start, and again when the operator asks for it. Not while an
  // operation runs or a handler is inside the module.
  bool Open();
  // Closes the dongle and releases the module for good (the end of the run).
  void Release();

  // A handler's talk with the module, from its first exchange to its last step (its message
  // boxes included): the poll tick rests, and the window does not close under it.
  class Exchange {
   public:
    explicit Exchange(DeviceSession& session);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

   private:
    DeviceSession& session_;
  };
  bool Exchanging() const { return exchanges_ > 0; }

  // Whether an operation may start now: the module is there, none runs and no handler is inside
  // the module.
  bool CanStart() const;
  // Starts `operation`; false (and nothing happens) when it may not start now. The stop request
  // of the operation before is forgotten.
  bool Start(OperationKind kind, std::unique_ptr<Operation> operation);
  std::optional<OperationKind> Running() const;
  // Runs the running operation's next step; its end is told to the face.
  void StepOperation();
  // The running operation has something new to do: its next step is due now.
  void StepSoon();
  // The stop buttons: the running operation ends at its next step. The request stays until the
  // next operation starts.
  void Stop();
  // The same, and that next step at once: an operation that can leave off now (a range test, a
  // console with nothing left to send) has ended on return.
  void StopNow();
  bool StopRequested() const { return stopRequested_; }

  // The operations log of the run, written in the language of the face that shows it.
  OperationsLog& Log() { return log_; }
  void SetLogLanguage(int language) { logLanguage_ = language; }
  int LogLanguage() const { return logLanguage_; }

  // The poll tick, read through the link monitor; `moved` as LinkMonitor::Tick takes it. A move
  // of the module's own goes into the log.
  LinkReading PollTick(const LinkMonitor::Moved& moved);
  std::int32_t ChannelMoves() const { return monitor_.ChannelMoves(); }

  // The rules.
  bool PollMayRun() const;
  // The window refuses to close outright: the sweeps run.
  bool Busy() const { return Running() == OperationKind::Sweeps; }

  enum class CloseAnswer { Now, Refused, Later };
  // A close asked for. Later: the running operation was asked to stop or is waited for, and the
  // face is told CloseNow once it has ended.
  CloseAnswer AskToClose();

 private:
  struct Run {
    OperationKind kind;
    std::unique_ptr<Operation> operation;
  };

  // After every exchange and operation: the poll tick, the dongle's state, a waiting close.
  void Settle();

  SessionFace& face_;
  std::int32_t errorWord_ = 0;
  std::unique_ptr<TRukMox> module_;
  std::optional<Run> run_;
  int exchanges_ = 0;  // handlers inside the module (nested through message boxes)
  bool stopRequested_ = false;
  bool closePending_ = false;
  bool wasOpen_ = false;
  bool gone_ = false;
  LinkMonitor monitor_;
  OperationsLog log_;
  int logLanguage_ = 0;
};

}  // namespace rukmox::workflow
