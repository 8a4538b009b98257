// bridge: the transparent data channel served on a pseudo-terminal until Ctrl-C, so that any
// serial program talks to the remote host through the radio.
#include <string>

#include "Commands.h"
#include "DataBridge.h"
#include "Interrupt.h"
#include "PseudoTerminal.h"
#include "PtyBridge.h"

namespace rukmox::cli {

int RunBridge(Session& session, const CommandLine& /*line*/) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  // Data frames go only to a linked remote; without one every byte would be refused.
  if (auto end = session.EndWithoutRemote()) return *end;
  Reporter& report = session.Report();
  PseudoTerminal terminal;
  std::string why;
  if (!terminal.Open(&why)) {
    report.Fail(FillIn(report.Text(extra::BridgeNoTerminal), {why}), 0);
    return report.Finish();
  }
  // The path comes first and at once: the user (or a script) needs it to start talking.
  report.EmitObject({{"terminal", terminal.SlavePath()}});
  report.Line(FillIn(report.Text(extra::BridgeOpened), {terminal.SlavePath()}));
  // A bridge whose path nobody can read serves nobody.
  if (report.OutputBroken()) return report.Finish();

  StopEndsTheCommand();  // the bridge serves until it is stopped
  DataBridge bridge(session.Device());
  PtyBridge pty(bridge, terminal.Master());
  const BridgeState state = pty.Run([] { return StopRequested(); });

  const BridgeCounts& counts = bridge.Counts();
  report.Result()["to_remote"] = counts.toRemote;
  report.Result()["from_remote"] = counts.fromRemote;
  report.Result()["undelivered"] = pty.Undelivered();
  report.Line(FillIn(report.Text(extra::BridgeCounts),
                     {std::to_string(counts.toRemote), std::to_string(counts.fromRemote)}));
  if (pty.Undelivered() > 0)
    report.Line(FillIn(report.Text(extra::BridgeUndelivered), {std::to_string(pty.Undelivered())}));
  if (state == BridgeState::DongleGone)
    report.Fail(report.Text(extra::BridgeDongleGone), session.DeviceError());
  else if (state == BridgeState::SendFailed)
    report.Fail(report.Text(extra::BridgeSendFailed), session.DeviceError());
  return report.Finish();
}

}  // namespace rukmox::cli
