#include "Session.h"

#include <unistd.h>

#include <ostream>

#include "DeviceObjects.h"
#include "Interrupt.h"
#include "OpenFailure.h"
#include "Panels.h"
#include "PropertySteps.h"
#include "platform/D2xxLibrary.h"
#include "platform/PortList.h"

namespace rukmox::cli {

Session::Session(const GlobalOptions& options, Reporter& reporter)
    : options_(options),
      reporter_(reporter),
      settings_(platform::TransportSettings::FromEnvironment()) {
  // The options override what the environment says, for this run only.
  if (options_.dongle) settings_.DonglePath = *options_.dongle;
  if (options_.ports) settings_.Ports = platform::SplitPortList(*options_.ports);
  if (options_.trace) {
    usbTrace_ = std::make_unique<FrameTrace>(reporter_.ErrorStream(), "usb", true);
    serialTrace_ = std::make_unique<FrameTrace>(reporter_.ErrorStream(), "com", false);
  }
}

Session::~Session() {
  // Close and release the module before the trace it reports into.
  if (device_ && device_->IsOpen()) device_->Close();
  device_.reset();
}

bool Session::OpenModule() {
  if (!device_) {
    std::unique_ptr<platform::D2xxLibrary> library = platform::LoadD2xxLibrary(settings_);
    if (usbTrace_) library = std::make_unique<TracingD2xxLibrary>(std::move(library), *usbTrace_);
    device_ = workflow::MakeModule(std::move(library), &deviceError_);
    if (options_.timeout) device_->SetTimeout(*options_.timeout);
  }
  if (!device_->IsOpen()) device_->Open();
  return device_->IsOpen();
}

bool Session::ReopenModule() {
  if (!device_) return OpenModule();
  device_->Open();
  return device_->IsOpen();
}

std::optional<int> Session::OpenAndReadBoth() {
  if (!OpenModule()) {
    FailToLoad();
    ExplainOpenFailure();
    return reporter_.Finish(ExitNoDongle);
  }
  if (!LoadLocal()) return reporter_.Finish();
  LoadRemote();
  // Stopped while opening: the operation has not begun, so there is nothing to end well.
  if (StopRequested()) return reporter_.Finish();
  return std::nullopt;
}

bool Session::LoadLocal() {
  localLoaded_ = false;
  if (!device_ || !device_->IsOpen()) return false;
  if (device_->ReadLocalInfo()) {
    localLoaded_ = true;
    return true;
  }
  FailToLoad();
  return false;
}

bool Session::LoadRemote() {
  remoteLoaded_ = device_ && device_->IsOpen() && RemoteLinked() && device_->ReadRemoteInfo();
  return remoteLoaded_;
}

void Session::FailToLoad() {
  reporter_.Fail(reporter_.Text(workflow::Notice(text::LoadFailed, deviceError_)), text::LoadFailed,
                 deviceError_, true);
}

bool Session::RemoteLinked() const {
  return device_ && HasLinkedRemote(*device_);
}

std::optional<int> Session::EndWithoutRemote() {
  if (RemoteLinked()) return std::nullopt;
  reporter_.Fail(reporter_.Text(extra::NoRemoteConnected), deviceError_);
  return reporter_.Finish();
}

void Session::ExplainOpenFailure() {
  if (const auto reason = rukmox::ExplainOpenFailure(settings_, deviceError_, reporter_.Language()))
    reporter_.Fail(reason->text, deviceError_);
}

bool Session::FailIfDongleGone() {
  if (!DongleGone()) return false;
  reporter_.Fail(reporter_.Text(extra::DongleDisconnected), deviceError_);
  return true;
}

void Session::ReportLocal() {
  if (localLoaded_) {
    reporter_.Result()["local"] = LocalPanelJson(device_->Local);
    PrintLocalPanel(reporter_, device_->Local);
  } else {
    reporter_.Result()["local"] = nullptr;
    reporter_.Line(reporter_.Text(text::LocalDeviceCaption) + ": -");
  }
}

void Session::ReportRemote() {
  if (remoteLoaded_) {
    reporter_.Result()["remote"] = RemotePanelJson(*device_->Current);
    PrintRemotePanel(reporter_, *device_->Current);
  } else {
    reporter_.Result()["remote"] = nullptr;
    reporter_.Line(reporter_.Text(text::RemoteDeviceCaption) + ": -");
  }
}

void Session::FailWith(text::Id id) {
  FailWith(id, deviceError_);
}

void Session::FailWith(text::Id id, std::int32_t errorWord) {
  reporter_.Fail(reporter_.Text(id), id, errorWord);
}

void Session::FailWith(const StepResult& step) {
  if (!step.reason) return FailWith(step.failure);
  reporter_.Fail(reporter_.Text(step.failure) + "\n" + reporter_.Text(*step.reason), step.failure,
                 deviceError_);
}

std::unique_ptr<TRukMoxProg> Session::MakeProgrammer(std::int32_t* errorWord) {
  if (serialTrace_)
    return std::make_unique<TracingProg>(*serialTrace_, workflow::ProgrammerFirstPort,
                                         workflow::ProgrammerBaudIndex, errorWord, settings_);
  return workflow::MakeProgrammer(settings_, errorWord);
}

std::unique_ptr<ProgressBar> Session::MakeProgressBar() {
  return std::make_unique<ProgressBar>(reporter_.ErrorStream(),
                                       !options_.trace && IsTerminal(STDERR_FILENO));
}

}  // namespace rukmox::cli
