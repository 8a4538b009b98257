// pin set, pin remove: the window's PIN page. The old PIN always comes from the dongle.
#include "Commands.h"

namespace rukmox::cli {
namespace {

struct PinTexts {
  text::Id readFailed;
  text::Id failedWithCode;
  text::Id doneBoth;
  text::Id doneLocal;
};

constexpr PinTexts kChangeTexts{text::PinChangeReadFailed, text::PinChangeFailed, text::PinSetBoth,
                                text::PinSetLocal};
constexpr PinTexts kRemoveTexts{text::PinRemoveReadFailed, text::PinRemoveFailed,
                                text::PinRemovedBoth, text::PinRemovedLocal};

// Leading and trailing blanks and control characters go, as the window trims its field.
std::string Trim(const std::string& text) {
  const auto keep = [](char c) { return static_cast<unsigned char>(c) > ' '; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && !keep(text[begin])) ++begin;
  while (end > begin && !keep(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int RunPinChange(Session& session, const PinTexts& texts, const std::string* newPin) {
  if (auto end = session.StartLikeTheWindow()) return *end;
  Reporter& report = session.Report();
  TRukMox& device = session.Device();
  std::string current;
  if (!device.ReadPin(current, false)) {
    session.FailWith(texts.readFailed);
    return report.Finish();
  }
  const std::int32_t code =
      newPin ? device.ChangePin(Trim(current), Trim(*newPin)) : device.RemovePin(Trim(current));
  report.Result()["code"] = code;
  if (code != 0) {
    report.Fail(report.Text(texts.failedWithCode) + std::to_string(code) + ".",
                texts.failedWithCode, session.DeviceError());
    return report.Finish();
  }
  // The message follows the window: it asks only whether the remote record is linked.
  const bool remote = session.RemoteLinked();
  report.Result()["remote"] = remote;
  report.Inform(report.Text(remote ? texts.doneBoth : texts.doneLocal));
  if (remote) session.LoadRemote();
  return report.Finish();
}

}  // namespace

int RunPinSet(Session& session, const CommandLine& line) {
  return RunPinChange(session, kChangeTexts, &line.pin);
}

int RunPinRemove(Session& session, const CommandLine&) {
  return RunPinChange(session, kRemoveTexts, nullptr);
}

}  // namespace rukmox::cli
