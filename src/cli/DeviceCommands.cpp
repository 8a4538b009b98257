// info, set-name, set-address, set-power: the property panels of the local and the remote device.
#include "Commands.h"
#include "PropertySteps.h"

namespace rukmox::cli {
namespace {

void ReportBoth(Session& session) {
  session.ReportLocal();
  session.Report().Line("");
  session.ReportRemote();
}

}  // namespace

void RefuseWithoutRemote(Session& session, text::Id id) {
  Reporter& report = session.Report();
  report.Fail(report.Text(id) + "\n" + report.Text(extra::NoRemoteConnected), id,
              session.DeviceError());
}

// A setting of one end, as its panel changes it: the shared step (the change and the store on
// success), then the end re-read and shown as it now is. `remoteFailed` is the message for a
// remote change refused because no remote is shown.
template <typename Step>
int ChangeOneEnd(Session& session, bool remote, text::Id remoteFailed, Step step) {
  TRukMox& device = session.Device();
  if (remote && !session.RemoteLoaded()) {
    RefuseWithoutRemote(session, remoteFailed);
  } else if (const StepResult result = step(device, remote); !result.ok) {
    session.FailWith(result);
  }
  if (!remote) {
    session.LoadLocal();
    session.ReportLocal();
  } else {
    session.LoadRemote();
    session.ReportRemote();
  }
  return session.Report().Finish();
}

int RunInfo(Session& session, const CommandLine&) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  ReportBoth(session);
  return session.Report().Finish();
}

int RunSetName(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  return ChangeOneEnd(
      session, line.remote, text::RemoteNameFailed,
      [&](TRukMox& device, bool remote) { return ChangeName(device, line.name, remote); });
}

int RunSetAddress(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  TRukMox& device = session.Device();
  if (!line.remote) {
    if (const StepResult result = ChangeLocalAddress(device, line.address); !result.ok)
      session.FailWith(result);
  } else {
    if (!session.RemoteLoaded())
      RefuseWithoutRemote(session, text::RemoteAddressFailed);
    else if (const StepResult result = ChangeRemoteAddress(device, line.address); !result.ok)
      session.FailWith(result);
  }
  session.LoadLocal();
  session.LoadRemote();
  ReportBoth(session);
  return session.Report().Finish();
}

int RunSetPower(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  return ChangeOneEnd(
      session, line.remote, text::RemotePowerFailed,
      [&](TRukMox& device, bool remote) { return ChangePower(device, line.powerLevel, remote); });
}

}  // namespace rukmox::cli
