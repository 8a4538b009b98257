// range-test: remote pings at a steady pace, each counted as answered or lost, while the operator
// carries the remote device around; a line per ping and a summary at the end.
#include <chrono>
#include <thread>

#include "Commands.h"
#include "Interrupt.h"
#include "RangeTest.h"

namespace rukmox::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultIntervalMs = 100;  // the poll tick's pace

std::string OrDash(const std::optional<double>& value) {
  return value ? OneDecimal(*value) : "-";
}

std::string OrDash(const std::optional<std::int32_t>& value) {
  return value ? std::to_string(*value) : "-";
}

template <typename T>
nlohmann::json OrNull(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

// Waits until `when` unless a stop is asked for first.
void PauseUntil(Clock::time_point when) {
  while (!StopRequested() && Clock::now() < when)
    std::this_thread::sleep_for(
        std::min<Clock::duration>(when - Clock::now(), std::chrono::milliseconds(10)));
}

nlohmann::json RoundTrip(bool answered, double ms) {
  return answered ? nlohmann::json(ms) : nlohmann::json(nullptr);
}

void TellStep(Reporter& report, const RangeStep& step, int count) {
  nlohmann::json object = {{"ping", step.number},
                           {"answered", step.answered},
                           {"round_trip_ms", RoundTrip(step.answered, step.roundTripMs)},
                           {"local_quality", OrNull(step.localQuality)},
                           {"remote_quality", OrNull(step.remoteQuality)}};
  if (step.echoSent) {
    object["echo_answered"] = step.echoAnswered;
    object["echo_round_trip_ms"] = RoundTrip(step.echoAnswered, step.echoRoundTripMs);
  }
  report.EmitObject(object);
  const std::string number = std::to_string(step.number);
  std::string text = step.answered
                         ? FillIn(report.Text(extra::RangeAnswered),
                                  {number, std::to_string(count), OneDecimal(step.roundTripMs)})
                         : FillIn(report.Text(extra::RangeLost), {number, std::to_string(count)});
  if (step.echoSent)
    text += "  " + (step.echoAnswered
                        ? FillIn(report.Text(extra::RangeEcho), {OneDecimal(step.echoRoundTripMs)})
                        : report.Text(extra::RangeEchoLost));
  if (step.localQuality || step.remoteQuality)
    text += "  " + FillIn(report.Text(extra::RangeQuality),
                          {OrDash(step.localQuality), OrDash(step.remoteQuality)});
  report.Line(text);
}

void PutTrips(nlohmann::json& object, const TripFigures& f) {
  object["sent"] = f.sent;
  object["answered"] = f.answered;
  object["lost"] = f.lost;
  object["loss_rate"] = f.lossRate;
  object["round_trip_median_ms"] = OrNull(f.medianMs);
  object["round_trip_p95_ms"] = OrNull(f.p95Ms);
}

std::string TripsText(Reporter& report, extra::Id id, const TripFigures& f) {
  return FillIn(report.Text(id),
                {std::to_string(f.sent), std::to_string(f.answered), std::to_string(f.lost),
                 OneDecimal(f.lossRate * 100), OrDash(f.medianMs), OrDash(f.p95Ms)});
}

void TellSummary(Reporter& report, const RangeFigures& f) {
  nlohmann::json& result = report.Result();
  PutTrips(result, f.pings);
  result["local_quality"] = OrNull(f.localQuality);
  result["remote_quality"] = OrNull(f.remoteQuality);
  report.Line(TripsText(report, extra::RangeSummary, f.pings));
  if (f.echoes) {
    PutTrips(result["echo"], *f.echoes);
    report.Line(TripsText(report, extra::RangeEchoSummary, *f.echoes));
  }
}

}  // namespace

int RunRangeTest(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  if (auto end = session.EndWithoutRemote()) return *end;
  Reporter& report = session.Report();
  RangeTest test(session.Device(), line.count.value_or(1), line.echo);
  const std::chrono::milliseconds interval(line.interval.value_or(kDefaultIntervalMs));
  // Pings start `interval` apart; one that took longer than that is followed at once.
  auto next = Clock::now();
  while (!test.Done() && !StopRequested()) {
    next += interval;
    TellStep(report, test.Step(), test.Count());
    if (test.Done() || report.OutputBroken()) break;
    if (Clock::now() > next) next = Clock::now();
    PauseUntil(next);
  }
  // Lost answers are what the test measures, not a failure of it; but with none answered there
  // was no link to measure, as a ping would say.
  const RangeFigures figures = test.Figures();
  TellSummary(report, figures);
  if (figures.pings.sent > 0 && figures.pings.answered == 0)
    report.Fail(report.Text(extra::RangeAllLost), session.DeviceError());
  return report.Finish();
}

}  // namespace rukmox::cli
