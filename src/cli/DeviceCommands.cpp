// info, set-name, set-address, set-power: the window's device property panels.
#include "Commands.h"

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

// A setting of one end, as its panel changes it: apply, store on success, re-read the end and
// show what it now holds.
template <typename Apply>
int ChangeOneEnd(Session& session, bool remote, text::Id localFailed, text::Id remoteFailed,
                 Apply apply) {
  TRukMox& device = session.Device();
  if (!remote) {
    if (apply(device, false))
      device.StoreLocalSettings();
    else
      session.FailWith(localFailed);
    session.LoadLocal();
    session.ReportLocal();
  } else {
    if (!session.RemoteLoaded()) {
      RefuseWithoutRemote(session, remoteFailed);
    } else if (apply(device, true)) {
      device.StoreRemoteSettings();
    } else {
      session.FailWith(remoteFailed);
    }
    session.LoadRemote();
    session.ReportRemote();
  }
  return session.Report().Finish();
}

int RunInfo(Session& session, const CommandLine&) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  ReportBoth(session);
  return session.Report().Finish();
}

int RunSetName(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  return ChangeOneEnd(
      session, line.remote, text::LocalNameFailed, text::RemoteNameFailed,
      [&](TRukMox& device, bool remote) { return device.SetName(line.name, remote); });
}

int RunSetAddress(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  TRukMox& device = session.Device();
  if (!line.remote) {
    if (!device.SetLocalAddress(line.address)) {
      session.FailWith(text::LocalAddressFailed);
    } else if (session.RemoteLinked()) {
      // The remote has to be reached again under the new address.
      if (device.ConnectRemote(false)) {
        device.StoreLocalSettings();
        device.StoreRemoteSettings();
      } else {
        session.FailWith(text::ReconnectFailed);
      }
    }
  } else {
    if (!session.RemoteLoaded())
      RefuseWithoutRemote(session, text::RemoteAddressFailed);
    else if (!device.SetRemoteAddress(line.address))
      session.FailWith(text::RemoteAddressFailed);
  }
  session.LoadLocal();
  session.LoadRemote();
  ReportBoth(session);
  return session.Report().Finish();
}

int RunSetPower(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  return ChangeOneEnd(
      session, line.remote, text::LocalPowerFailed, text::RemotePowerFailed,
      [&](TRukMox& device, bool remote) { return device.SetPower(line.powerLevel, remote); });
}

}  // namespace rukmox::cli
