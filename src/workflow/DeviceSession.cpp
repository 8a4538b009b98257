#include "DeviceSession.h"

#include <utility>

#include "ExtraTexts.h"

namespace rukmox::workflow {
namespace {

// What a close asked for does to the running operation.
enum class CloseRule {
  Refuse,   // the sweeps: the window stays open until the operator stops them
  Wait,     // a scan or a programming job: the close comes once it has ended
  StopNow,  // a range test or the console: it is stopped, and ends at once unless something it
            // already took is still to go out
};

CloseRule CloseRuleOf(OperationKind kind) {
  switch (kind) {
    case OperationKind::Sweeps:
      return CloseRule::Refuse;
    case OperationKind::RangeTest:
    case OperationKind::Console:
      return CloseRule::StopNow;
    case OperationKind::Scan:
    case OperationKind::Programming:
      break;
  }
  return CloseRule::Wait;
}

}  // namespace

DeviceSession::DeviceSession(const ModuleMaker& makeModule, SessionFace& face) : face_(face) {
  if (makeModule) module_ = makeModule(&errorWord_);
  wasOpen_ = IsOpen();
}

DeviceSession::~DeviceSession() {
  // The operation goes first: it may hand settings of its own back to the module.
  run_.reset();
  if (module_ && module_->IsOpen()) module_->Close();
}

bool DeviceSession::Open() {
  if (!module_ || run_) return false;
  const Exchange exchange(*this);
  gone_ = false;
  module_->Open();
  wasOpen_ = module_->IsOpen();
  return wasOpen_;
}

void DeviceSession::Release() {
  run_.reset();
  if (module_) {
    if (module_->IsOpen()) module_->Close();
    module_.reset();
  }
  wasOpen_ = false;
  face_.PollMayRun(false);
}

DeviceSession::Exchange::Exchange(DeviceSession& session) : session_(session) {
  ++session_.exchanges_;
  session_.face_.PollMayRun(false);
}

DeviceSession::Exchange::~Exchange() {
  --session_.exchanges_;
  session_.Settle();
}

bool DeviceSession::CanStart() const {
  return module_ && !run_ && exchanges_ == 0;
}

bool DeviceSession::Start(OperationKind kind, std::unique_ptr<Operation> operation) {
  if (!CanStart() || !operation) return false;
  stopRequested_ = false;
  run_ = Run{kind, std::move(operation)};
  face_.OperationStarts(kind);
  face_.PollMayRun(PollMayRun());
  face_.StepDue(Operation::Wait{0});
  return true;
}

std::optional<OperationKind> DeviceSession::Running() const {
  if (!run_) return std::nullopt;
  return run_->kind;
}

void DeviceSession::StepOperation() {
  if (!run_ || exchanges_ > 0) return;
  std::optional<Operation::Wait> wait;
  {
    const Exchange exchange(*this);
    wait = run_->operation->Step();
  }
  if (!run_) return;
  if (wait) {
    face_.StepDue(*wait);
    return;
  }
  const OperationKind kind = run_->kind;
  run_.reset();  // the operation has given the module its own settings back
  face_.OperationEnded(kind);
  Settle();
}

void DeviceSession::StepSoon() {
  if (run_) face_.StepDue(Operation::Wait{0});
}

void DeviceSession::Stop() {
  stopRequested_ = true;
  if (run_) run_->operation->Stop();
}

void DeviceSession::StopNow() {
  Stop();
  StepOperation();
}

LinkReading DeviceSession::PollTick(const LinkMonitor::Moved& moved) {
  if (!module_) return {};
  const Exchange exchange(*this);
  const LinkReading reading = monitor_.Tick(*module_, moved);
  if (reading.moved)
    log_.Add(FillIn(ExtraText(extra::LogChannelHop, logLanguage_),
                    {std::to_string(reading.channelBefore), std::to_string(reading.channel)}));
  return reading;
}

bool DeviceSession::PollMayRun() const {
  return module_ && exchanges_ == 0 && (!run_ || run_->kind == OperationKind::RangeTest);
}

DeviceSession::CloseAnswer DeviceSession::AskToClose() {
  // A handler inside the module, a message box of its own open: releasing the module under it
  // would leave it with nothing to finish on.
  if (exchanges_ > 0) return CloseAnswer::Refused;
  if (!run_) return CloseAnswer::Now;
  switch (CloseRuleOf(run_->kind)) {
    case CloseRule::Refuse:
      return CloseAnswer::Refused;
    case CloseRule::StopNow:
      StopNow();
      if (!run_) return CloseAnswer::Now;
      break;
    case CloseRule::Wait:
      break;
  }
  closePending_ = true;
  return CloseAnswer::Later;
}

void DeviceSession::Settle() {
  if (exchanges_ > 0) return;
  face_.PollMayRun(PollMayRun());
  if (run_) return;
  // Only between operations: a programming job closes the module on purpose for a while.
  if (module_) {
    const bool open = module_->IsOpen();
    if (wasOpen_ && !open) {
      wasOpen_ = false;
      gone_ = true;
      face_.DongleLost();
    } else {
      wasOpen_ = open;
    }
  }
  if (closePending_) {
    closePending_ = false;
    face_.CloseNow();
  }
}

}  // namespace rukmox::workflow
