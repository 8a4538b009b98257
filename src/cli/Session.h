// The module object of one run: made as both faces make it, opened once and read into the two
// panels. Commands work on it through the shared steps of the workflow.
#pragma once

#include <cstdint>
#include <memory>

#include "CommandLine.h"
#include "ProgressBar.h"
#include "PropertySteps.h"
#include "Reporter.h"
#include "Rukmox.h"
#include "Rukmoxprog.h"
#include "Trace.h"
#include "platform/TransportSettings.h"

namespace rukmox::cli {

class Session {
 public:
  // Takes the transport settings from the environment once, with --dongle and --ports over them.
  Session(const GlobalOptions& options, Reporter& reporter);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Creates the module object (remote baud index 5, option flag set, control modes 0) and opens
  // it. False when the dongle could not be opened; the error word says why.
  bool OpenModule();
  // Opens the module link again even when it is open (the module then closes it first), as after
  // a programming job.
  bool ReopenModule();

  // Opens the module, then reads the local and the remote panel. Returns an exit status to end
  // with (3 when the dongle could not be opened, 1 when its parameters are unreadable) or nothing
  // to go on.
  std::optional<int> OpenAndReadBoth();

  TRukMox& Device() { return *device_; }
  std::int32_t DeviceError() const { return deviceError_; }
  Reporter& Report() { return reporter_; }
  const GlobalOptions& Options() const { return options_; }

  // Re-reads the local module; a failing read of an open module reports that the parameters could
  // not be loaded, with the error word. True when the local panel is filled.
  bool LoadLocal();
  // Re-reads the remote module when one is linked. Never reports.
  bool LoadRemote();
  bool LocalLoaded() const { return localLoaded_; }
  bool RemoteLoaded() const { return remoteLoaded_; }
  bool RemoteLinked() const;  // Current exists and is linked
  // Ends a command that needs a linked remote when there is none, saying so; nothing otherwise.
  std::optional<int> EndWithoutRemote();

  // True once the dongle went away under us (unplugged, its tty hung up); the module object is
  // closed then and every further step would only fail.
  bool DongleGone() const { return device_ && device_->DeviceGone(); }
  // Tells the user that the dongle was disconnected; true when it was.
  bool FailIfDongleGone();

  // Puts the panels as last loaded into the result ("local", "remote"; null when not loaded) and
  // prints them in the text form.
  void ReportLocal();
  void ReportRemote();

  // Reports a failure with the string-table text `id` and the error word as it is now.
  void FailWith(text::Id id);
  void FailWith(text::Id id, std::int32_t errorWord);
  // Reports a failed panel step: its message, and the reason when the step refused on its own.
  void FailWith(const StepResult& step);

  // The programming object for a job, traced when asked.
  std::unique_ptr<TRukMoxProg> MakeProgrammer(std::int32_t* errorWord);

  // A progress bar on the error stream, drawn only on a terminal and not among trace lines.
  std::unique_ptr<ProgressBar> MakeProgressBar();

 private:
  // The dongle's parameters could not be read: says so, with the error word.
  void FailToLoad();
  // After a failed open: which tty, and why it could not be opened, in words the user can act on.
  void ExplainOpenFailure();

  GlobalOptions options_;
  Reporter& reporter_;
  platform::TransportSettings settings_;  // handed to every transport object this run makes
  std::int32_t deviceError_ = 0;
  std::unique_ptr<FrameTrace> usbTrace_;
  std::unique_ptr<FrameTrace> serialTrace_;
  std::unique_ptr<TRukMox> device_;
  bool localLoaded_ = false;
  bool remoteLoaded_ = false;
};

}  // namespace rukmox::cli
