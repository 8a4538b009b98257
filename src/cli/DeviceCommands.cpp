// info, set-name, set-address, set-power: the window's device property panels.
#include "Commands.h"

namespace rukmox::cli {
namespace {

// String-table ids of the panels' messages.
constexpr int kLocalNameFailed = 6;
constexpr int kReconnectFailed = 7;
constexpr int kLocalAddressFailed = 8;
constexpr int kLocalPowerFailed = 9;
constexpr int kRemoteNameFailed = 11;
constexpr int kRemoteAddressFailed = 12;
constexpr int kRemotePowerFailed = 13;

void ReportBoth(Session& session) {
  session.ReportLocal();
  session.Report().Line("");
  session.ReportRemote();
}

}  // namespace

void RefuseWithoutRemote(Session& session, int id) {
  session.Report().Fail(session.Report().Text(id) + "\nNo remote device is connected.", id,
                        session.DeviceError());
}

// A setting of one end, as its panel changes it: apply, store on success, re-read the end and
// show what it now holds.
template <typename Apply>
int ChangeOneEnd(Session& session, bool remote, int localFailed, int remoteFailed, Apply apply) {
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
      session, line.remote, kLocalNameFailed, kRemoteNameFailed,
      [&](TRukMox& device, bool remote) { return device.SetName(line.name, remote); });
}

int RunSetAddress(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  TRukMox& device = session.Device();
  if (!line.remote) {
    if (!device.SetLocalAddress(line.address)) {
      session.FailWith(kLocalAddressFailed);
    } else if (session.RemoteLinked()) {
      // The remote has to be reached again under the new address.
      if (device.ConnectRemote(false)) {
        device.StoreLocalSettings();
        device.StoreRemoteSettings();
      } else {
        session.FailWith(kReconnectFailed);
      }
    }
  } else {
    if (!session.RemoteLoaded())
      RefuseWithoutRemote(session, kRemoteAddressFailed);
    else if (!device.SetRemoteAddress(line.address))
      session.FailWith(kRemoteAddressFailed);
  }
  session.LoadLocal();
  session.LoadRemote();
  ReportBoth(session);
  return session.Report().Finish();
}

int RunSetPower(Session& session, const CommandLine& line) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  return ChangeOneEnd(
      session, line.remote, kLocalPowerFailed, kRemotePowerFailed,
      [&](TRukMox& device, bool remote) { return device.SetPower(line.powerLevel, remote); });
}

}  // namespace rukmox::cli
