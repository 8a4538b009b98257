// channel, monitor, spectrum, ping: the link page, the spectrum analyser and a latency probe.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "Commands.h"
#include "EnergySweeps.h"
#include "Interrupt.h"
#include "LinkHistory.h"
#include "LinkMonitor.h"
#include "Percentiles.h"
#include "PropertySteps.h"

namespace rukmox::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultPings = 10;

// Waits `interval` unless a stop is asked for first.
void PauseFor(std::chrono::milliseconds interval) {
  const auto end = Clock::now() + interval;
  while (!StopRequested() && Clock::now() < end)
    std::this_thread::sleep_for(
        std::min<Clock::duration>(end - Clock::now(), std::chrono::milliseconds(10)));
}

}  // namespace

int RunChannel(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  TRukMox& device = session.Device();
  if (line.channel) {
    // The channel list belongs to the remote panel: it moves a pair, not the dongle alone.
    if (!session.RemoteLoaded())
      RefuseWithoutRemote(session, text::ChannelFailed);
    else if (const StepResult result = ChangePairChannel(device, *line.channel); !result.ok)
      session.FailWith(result);
    session.LoadLocal();
    session.LoadRemote();
  }
  if (session.LocalLoaded()) {
    report.Result()["channel"] = device.Local.Channel;
    report.Line(report.Text(text::ChannelCaption) + " " + std::to_string(device.Local.Channel));
  } else {
    report.Result()["channel"] = nullptr;
  }
  report.Result()["remote_channel"] =
      session.RemoteLoaded() ? nlohmann::json(device.Current->Channel) : nlohmann::json(nullptr);
  return report.Finish();
}

int RunMonitor(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  TRukMox& device = session.Device();
  if (!line.count) StopEndsTheCommand();  // without a count it watches until it is stopped
  workflow::LinkMonitor monitor;
  // The CSV form writes the window's link history as it grows, tick by tick.
  LinkHistory history;
  if (line.csv) report.Line(LinkHistory::CsvHeader());
  // The history's times count from the first reading, which is 0 however long the start took.
  Clock::time_point started;
  for (int tick = 1; !line.count || tick <= *line.count; ++tick) {
    const auto tickStart = Clock::now();
    if (tick == 1) started = tickStart;
    // The module moved the pair on its own: read both devices again.
    const workflow::LinkReading reading = monitor.Tick(device, [&session](const auto&) {
      session.LoadLocal();
      session.LoadRemote();
    });
    // A vanished dongle ends the watch; its last readings mean nothing.
    if (session.FailIfDongleGone()) break;
    report.EmitObject({{"tick", tick},
                       {"quality", reading.quality},
                       {"energy", reading.energy},
                       {"linked", reading.linked},
                       {"channel", reading.channel},
                       {"channel_changes", reading.channelChanges},
                       {"moved", reading.moved}});
    // "Quality (" and "Energy (" are the window's labels, which stay English in both languages.
    std::string shown = "Quality (" + std::to_string(reading.quality) + ")  Energy (" +
                        std::to_string(reading.energy) + ")  " + report.Text(text::ChannelCaption) +
                        " " + std::to_string(reading.channel) + "  " +
                        report.Text(reading.linked ? extra::Linked : extra::NotLinked);
    if (reading.moved) shown += "  " + report.Text(extra::ChannelChanged);
    if (line.csv) {
      history.Add({std::chrono::duration_cast<std::chrono::milliseconds>(tickStart - started),
                   reading.quality, reading.energy, reading.channel, reading.linked,
                   reading.moved});
      report.Line(LinkHistory::CsvRow(history.Samples().back()));
    } else {
      report.Line(shown);
    }
    // Readings nobody gets are not worth the radio's time.
    if (report.OutputBroken()) break;
    if (StopRequested() || (line.count && tick == *line.count)) break;
    // The next tick comes 100 ms after the end of this one, however long this one took.
    PauseFor(workflow::PollInterval);
  }
  return report.FinishStream();
}

namespace {

// Each sweep as a line of 16 values (and an object of them); a failed read as a line of dashes.
class SpectrumLines : public workflow::SweepFace {
 public:
  explicit SpectrumLines(Session& session) : session_(session) {}

  void SweepRead(const workflow::Sweep& sweep) override {
    // A vanished dongle ends the sweeps; its last read means nothing.
    if (session_.FailIfDongleGone()) return;
    Reporter& report = session_.Report();
    nlohmann::json object = {{"sweep", sweep.number}};
    std::string text;
    if (sweep.values) {
      object["values"] = std::vector<int>(sweep.values->begin(), sweep.values->end());
      for (int v : *sweep.values) {
        char cell[8];
        std::snprintf(cell, sizeof cell, "%4d", v);
        text += cell;
      }
    } else {
      // A failed read leaves its sweep empty, as the chart does.
      object["values"] = nullptr;
      object["error_word"] = session_.DeviceError();
      for (int i = 0; i < RadioChannelCount; ++i) text += "   -";
    }
    object["time_ms"] = sweep.elapsedMs;
    report.EmitObject(object);
    report.Line(text.substr(1));
  }

 private:
  Session& session_;
};

}  // namespace

int RunSpectrum(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  if (!line.sweeps) StopEndsTheCommand();  // without a count it sweeps until it is stopped
  SpectrumLines face(session);
  workflow::EnergySweeps sweeps(session.Device(), face, line.sweeps);
  // A stop ends the sweeps before the next one, and so does output nobody gets.
  while (!StopRequested() && !report.OutputBroken() && sweeps.Step()) {
  }
  if (sweeps.Readings() == 0 && !report.Failed() && Interruption() == 0 && !report.OutputBroken())
    report.Fail(report.Text(extra::NoEnergyReading), session.DeviceError());
  return report.FinishStream();
}

int RunPing(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  TRukMox& device = session.Device();
  if (line.remote) {
    if (auto end = session.EndWithoutRemote()) return *end;
  }
  const int count = line.count.value_or(kDefaultPings);
  std::vector<double> roundTrips;
  int sent = 0;
  std::int32_t lastError = 0;
  const auto start = Clock::now();
  for (; sent < count && !StopRequested(); ++sent) {
    const auto before = Clock::now();
    if (device.Ping(line.remote)) {
      roundTrips.push_back(
          std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    } else {
      lastError = session.DeviceError();
      if (session.DongleGone()) break;
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const int answered = static_cast<int>(roundTrips.size());
  const double perSecond = seconds > 0 ? answered / seconds : 0;
  const std::optional<double> median = Median(roundTrips);
  report.Result()["count"] = answered;
  report.Result()["sent"] = sent;
  report.Result()["per_second"] = perSecond;
  report.Result()["median_ms"] = median ? nlohmann::json(*median) : nlohmann::json(nullptr);
  report.Line(
      FillIn(report.Text(extra::PingSummary),
             {std::to_string(answered), OneDecimal(perSecond), OneDecimal(median.value_or(0))}));
  if (session.FailIfDongleGone()) return report.Finish();
  if (answered < sent)
    report.Fail(FillIn(report.Text(extra::PingsUnanswered),
                       {std::to_string(sent - answered), std::to_string(sent)}),
                lastError);
  return report.Finish();
}

}  // namespace rukmox::cli
