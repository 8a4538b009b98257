// The spectrum page of the window itself (TRukMoxFormLight, shown offscreen on that page), on the
// simulated dongle without wire timing so that the chart's share is as large as it can be:
//   - what one sweep's replace() of 48 points into one of its 20 series costs, and with the
//     repaint it causes;
//   - sweeps a second of the window's sweep loop against the same loop without the chart and
//     against ReadEnergyScan alone, on the window's own module.
//
//   rukmox-bench-spectrum [--quick]
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QEventLoop>
#include <QLineSeries>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "BenchOutput.h"
#include "Rukmox.h"
#include "Simulator.h"
#include "WindowBench.h"

namespace {

using namespace rukmox::bench;

constexpr int Channels = 16;

// Counts the paints of the chart's viewport, so that a repaint can be waited for.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// Three points a channel: up from 0 to the value and back, which the thick line draws as a bar.
QList<QPointF> SweepPoints(const std::uint8_t* values) {
  QList<QPointF> points;
  points.reserve(Channels * 3);
  for (int i = 0; i < Channels; ++i) {
    points.append(QPointF(i, 0));
    points.append(QPointF(i, values[i]));
    points.append(QPointF(i, 0));
  }
  return points;
}

// Lets the pending updates run until `counter` has seen one more paint.
void Repaint(const PaintCounter& counter) {
  const int before = counter.paints;
  for (int i = 0; i < 50 && counter.paints == before; ++i) {
    QApplication::processEvents();
    if (counter.paints == before) QApplication::sendPostedEvents();
  }
}

void ChartRows(QChartView& view, int sweeps) {
  QList<QLineSeries*> series;
  for (QAbstractSeries* s : view.chart()->series())
    if (auto* line = qobject_cast<QLineSeries*>(s)) series.append(line);
  PaintCounter counter;
  view.viewport()->installEventFilter(&counter);
  Repaint(counter);
  std::vector<double> replaceOnly, withRepaint;
  std::uint8_t values[Channels];
  for (int k = 0; k < sweeps; ++k) {
    for (int i = 0; i < Channels; ++i) values[i] = static_cast<std::uint8_t>((k * 7 + i * 3) % 45);
    const QList<QPointF> points = SweepPoints(values);
    auto start = Clock::now();
    series[k % series.size()]->replace(points);
    replaceOnly.push_back(MillisecondsSince(start));
    Repaint(counter);
    withRepaint.push_back(MillisecondsSince(start));
  }
  view.viewport()->removeEventFilter(&counter);
  for (QLineSeries* s : series) s->clear();
  Figure("chart_replace_ms", Median(replaceOnly));
  Figure("chart_replace_repaint_ms", Median(withRepaint));
}

// `sweeps` reads stepped as the window steps its operations, one per turn of the event loop after
// giving up the time slice, but drawing nothing: what the window's sweeps must do whatever they
// draw.
int BareSweeps(TRukMox& module, int sweeps) {
  std::uint8_t values[Channels];
  int failures = 0;
  int done = 0;
  QEventLoop loop;
  QTimer step;
  step.setSingleShot(true);
  QObject::connect(&step, &QTimer::timeout, &loop, [&] {
    std::this_thread::yield();
    if (!module.ReadEnergyScan(values, Channels)) ++failures;
    if (++done < sweeps)
      step.start(0);
    else
      loop.quit();
  });
  step.start(0);
  loop.exec();
  return failures;
}

// Sweeps alone and sweeps as the window runs them, in alternating blocks on the window's own
// module; the ratio of the time a sweep takes either way, block by block.
bool SweepRows(rukmox::window::TRukMoxFormLight& window, int blocks, int sweepsPerBlock) {
  auto* poll = window.findChild<QTimer*>(QStringLiteral("TimerUpdate"));

  // The window's rate is taken between two of its sweeps, past the first ones: what a press of
  // the button costs before and after the loop (locking the controls, the first and the last
  // drawing) is not the loop's.
  constexpr int kLeadIn = 50;
  int target = 0;
  Clock::time_point steadyFrom, steadyTo;
  QObject::connect(&window, &rukmox::window::TRukMoxFormLight::SweepDrawn, &window,
                   [&](int sweeps) {
                     if (sweeps == kLeadIn) steadyFrom = Clock::now();
                     if (sweeps < target) return;
                     steadyTo = Clock::now();
                     window.ButtonAbortClick();
                   });
  QEventLoop ended;
  QObject::connect(&window, &rukmox::window::TRukMoxFormLight::OperationFinished, &ended,
                   &QEventLoop::quit);
  TRukMox& module = *window.Device();
  std::vector<double> alone, bare, windowed, ratios, chartRatios;
  std::uint8_t values[Channels];
  int failures = 0;
  for (int b = 0; b < blocks; ++b) {
    poll->stop();  // the poll tick's own exchanges are not part of either side
    auto start = Clock::now();
    for (int k = 0; k < sweepsPerBlock; ++k)
      if (!module.ReadEnergyScan(values, Channels)) ++failures;
    alone.push_back(MillisecondsSince(start) / sweepsPerBlock);

    // The loop as the window runs it, without the chart.
    start = Clock::now();
    failures += BareSweeps(module, sweepsPerBlock);
    bare.push_back(MillisecondsSince(start) / sweepsPerBlock);

    target = kLeadIn + sweepsPerBlock;
    window.ButtonScanEnergyClick();
    ended.exec();  // until the sweeps have stopped
    windowed.push_back(std::chrono::duration<double, std::milli>(steadyTo - steadyFrom).count() /
                       sweepsPerBlock);
    ratios.push_back(windowed.back() / alone.back());
    chartRatios.push_back(windowed.back() / bare.back());
  }
  poll->stop();
  Figure("sweeps_per_s_alone", 1000 / Median(alone));
  Figure("sweeps_per_s_window", 1000 / Median(windowed));
  Figure("sweep_ratio_window", Median(ratios));
  Figure("sweeps_per_s_without_chart", 1000 / Median(bare));
  Figure("sweep_ratio_chart", Median(chartRatios));
  if (failures) std::fprintf(stderr, "%d energy reads failed\n", failures);
  return failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool quick = QuickRun(argc, argv);
  QApplication app(argc, argv);

  rukmox::sim::Scenario scenario = rukmox::sim::DefaultScenario();
  scenario.timing = rukmox::sim::TimingSetup{};
  scenario.dongle.settings.peer = rukmox::sim::kNoPeer;
  rukmox::sim::Simulator sim(scenario);
  std::string why;
  if (!sim.Start(&why)) {
    std::fprintf(stderr, "simulator: %s\n", why.c_str());
    return 1;
  }
  rukmox::platform::TransportSettings settings;
  settings.DonglePath = sim.DonglePath();
  settings.SysfsRoot = "/nonexistent/sys";
  ErrorStream messages;
  const auto window = MakeWindow(settings, messages);
  if (window->Device() == nullptr || !window->Device()->IsOpen()) {
    std::fprintf(stderr, "the window did not open the simulated dongle\n");
    return 1;
  }
  window->ShowPage(QStringLiteral("TabTest"));
  window->show();
  QApplication::processEvents();
  // The poll tick's exchanges are part of neither figure; the sweeps stop it again themselves.
  window->findChild<QTimer*>(QStringLiteral("TimerUpdate"))->stop();

  ChartRows(*window->findChild<QChartView*>(QStringLiteral("ChartScan")), quick ? 20 : 400);
  const bool swept = SweepRows(*window, quick ? 1 : 7, quick ? 20 : 8000);
  sim.Stop();
  return swept ? 0 : 1;
}
