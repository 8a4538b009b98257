// pin set, pin remove: the link PIN of the dongle and, when one is linked, of the remote device.
// The old PIN always comes from the dongle. A blank new PIN never gets here: `pin set` refuses it
// and names `pin remove`, which is what it would do.
#include <optional>

#include "Commands.h"
#include "PinChange.h"

namespace rukmox::cli {
namespace {

int RunPinChange(Session& session, const std::optional<std::string>& newPin) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  const workflow::PinOutcome outcome = newPin ? workflow::ChangeLinkPin(session.Device(), *newPin)
                                              : workflow::RemoveLinkPin(session.Device());
  if (outcome.code) report.Result()["code"] = *outcome.code;
  if (!outcome.ok) {
    report.Fail(report.Text(outcome.notice), outcome.notice.id, session.DeviceError());
    return report.Finish();
  }
  report.Result()["remote"] = outcome.remoteLinked;
  report.Inform(report.Text(outcome.notice));
  if (outcome.remoteLinked) session.LoadRemote();
  return report.Finish();
}

}  // namespace

int RunPinSet(Session& session, const CommandLine& line) {
  return RunPinChange(session, line.pin);
}

int RunPinRemove(Session& session, const CommandLine&) {
  return RunPinChange(session, std::nullopt);
}

}  // namespace rukmox::cli
