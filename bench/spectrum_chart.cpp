// The spectrum page's chart, set up as the window sets it up (20 line series of width 10 on fixed
// axes -0.5..15.5 x 0..50), offscreen:
//   - what one sweep's replace() of 48 points costs, and with the repaint it causes;
//   - sweeps a second of ReadEnergyScan alone in a loop against the window's own sweep loop
//     (TRukMoxFormLight on its spectrum page, shown offscreen), both on the simulated dongle
//     without wire timing so that the chart's share is as large as it can be.
//
//   rukmox-bench-spectrum [--quick]
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QTimer>
#include <QValueAxis>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchOutput.h"
#include "ModuleFactory.h"
#include "Rukmox.h"
#include "Rukmoxlight.h"
#include "Simulator.h"
#include "platform/D2xxLibrary.h"

namespace {

using namespace rukmox::bench;

constexpr int SeriesCount = 20;
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

struct Chart {
  QChartView view{new QChart};  // the view owns the chart it is made with
  std::array<QLineSeries*, SeriesCount> series{};
  PaintCounter counter;

  Chart() {
    QChart* chart = view.chart();
    chart->legend()->hide();
    auto* x = new QValueAxis;
    x->setRange(-0.5, 15.5);
    auto* y = new QValueAxis;
    y->setRange(0, 50);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (auto& s : series) {
      s = new QLineSeries;
      QPen pen(Qt::blue);
      pen.setWidth(10);
      s->setPen(pen);
      s->setPointsVisible(false);
      s->setPointLabelsVisible(false);
      chart->addSeries(s);
      s->attachAxis(x);
      s->attachAxis(y);
    }
    view.resize(620, 330);
    view.viewport()->installEventFilter(&counter);
    view.show();
    Repaint();
  }

  // Lets the pending updates run until the viewport has painted once more.
  void Repaint() {
    const int before = counter.paints;
    for (int i = 0; i < 50 && counter.paints == before; ++i) {
      QApplication::processEvents();
      if (counter.paints == before) QApplication::sendPostedEvents();
    }
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

void ChartRows(Chart& chart, int sweeps) {
  std::vector<double> replaceOnly, withRepaint;
  std::uint8_t values[Channels];
  for (int k = 0; k < sweeps; ++k) {
    for (int i = 0; i < Channels; ++i) values[i] = static_cast<std::uint8_t>((k * 7 + i * 3) % 45);
    const QList<QPointF> points = SweepPoints(values);
    auto start = Clock::now();
    chart.series[k % SeriesCount]->replace(points);
    replaceOnly.push_back(MillisecondsSince(start));
    chart.Repaint();
    withRepaint.push_back(MillisecondsSince(start));
  }
  Figure("chart_replace_ms", Median(replaceOnly));
  Figure("chart_replace_repaint_ms", Median(withRepaint));
}

// Nobody answers a box here: the window's messages go to standard error.
class ErrorStream : public rukmox::window::MessageSink {
 public:
  void Error(const QString& text) override {
    std::fprintf(stderr, "error: %s\n", text.toLocal8Bit().constData());
  }
  void Information(const QString& text) override { Error(text); }
  bool Question(const QString&) override { return false; }
};

// Sweeps alone and sweeps as the window runs them, in alternating blocks on the window's own
// module; the ratio of the time a sweep takes either way, block by block.
bool SweepRows(int blocks, int sweepsPerBlock) {
  rukmox::sim::Scenario scenario = rukmox::sim::DefaultScenario();
  scenario.timing = rukmox::sim::TimingSetup{};
  scenario.dongle.settings.peer = rukmox::sim::kNoPeer;
  rukmox::sim::Simulator sim(scenario);
  std::string why;
  if (!sim.Start(&why)) {
    std::fprintf(stderr, "simulator: %s\n", why.c_str());
    return false;
  }
  rukmox::platform::TransportSettings settings;
  settings.DonglePath = sim.DonglePath();
  settings.SysfsRoot = "/nonexistent/sys";
  ErrorStream messages;
  rukmox::window::TRukMoxFormLight window(
      [&settings](void* owner, std::int32_t* errorWord) {
        return rukmox::window::CreateModule(settings, errorWord, owner);
      },
      messages, rukmox::window::DonglePlace{QString::fromStdString(settings.DonglePath), false});
  if (!window.Device || !window.Device->IsOpen()) {
    std::fprintf(stderr, "the window did not open the simulated dongle\n");
    return false;
  }
  window.ShowPage(QStringLiteral("TabTest"));
  window.show();
  QApplication::processEvents();
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
  std::vector<double> alone, bare, windowed, ratios, chartRatios;
  std::uint8_t values[Channels];
  int failures = 0;
  for (int b = 0; b < blocks; ++b) {
    poll->stop();  // the poll tick's own exchanges are not part of either side
    auto start = Clock::now();
    for (int k = 0; k < sweepsPerBlock; ++k)
      if (!window.Device->ReadEnergyScan(values, Channels)) ++failures;
    alone.push_back(MillisecondsSince(start) / sweepsPerBlock);

    // The loop as the window runs it, without the chart: messages, the time slice, the read.
    start = Clock::now();
    for (int k = 0; k < sweepsPerBlock; ++k) {
      QApplication::processEvents();
      std::this_thread::yield();
      if (!window.Device->ReadEnergyScan(values, Channels)) ++failures;
    }
    bare.push_back(MillisecondsSince(start) / sweepsPerBlock);

    target = kLeadIn + sweepsPerBlock;
    window.ButtonScanEnergyClick();
    windowed.push_back(std::chrono::duration<double, std::milli>(steadyTo - steadyFrom).count() /
                       sweepsPerBlock);
    ratios.push_back(windowed.back() / alone.back());
    chartRatios.push_back(windowed.back() / bare.back());
  }
  poll->stop();
  sim.Stop();
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
  {
    Chart chart;
    ChartRows(chart, quick ? 20 : 400);
  }
  return SweepRows(quick ? 1 : 7, quick ? 20 : 8000) ? 0 : 1;
}
