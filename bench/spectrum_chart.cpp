// The spectrum page's chart, set up as the window sets it up (20 line series of width 10 on fixed
// axes -0.5..15.5 x 0..50), offscreen:
//   - what one sweep's replace() of 48 points costs, and with the repaint it causes;
//   - sweeps a second of ReadEnergyScan alone in a loop against the window's sweep loop (process
//     messages, give up the time slice, read, draw into the next series), both on the simulated
//     dongle without wire timing so that the chart's share is as large as it can be.
//
//   rukmox-bench-spectrum [--quick]
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QTimer>
#include <QValueAxis>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchOutput.h"
#include "Rukmox.h"
#include "Simulator.h"
#include "platform/D2xxLibrary.h"

namespace {

using namespace rukmox::bench;

constexpr int SeriesCount = 20;
constexpr int Channels = 16;
constexpr int FrameMs = 16;  // a 60 Hz screen

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

// The window's sweep loop: process messages, give up the time slice, read, draw the sweep into
// the next series of the ring. Returns the milliseconds a sweep took.
double WindowLoop(Chart& chart, TRukMox& mox, int sweeps, int* failures) {
  std::uint8_t values[Channels];
  const auto start = Clock::now();
  for (int k = 0; k < sweeps; ++k) {
    QApplication::processEvents();
    std::this_thread::yield();
    QLineSeries* series = chart.series[k % SeriesCount];
    if (mox.ReadEnergyScan(values, Channels)) {
      series->replace(SweepPoints(values));
    } else {
      series->clear();
      ++*failures;
    }
  }
  QApplication::processEvents();  // the last sweep's drawing
  return MillisecondsSince(start) / sweeps;
}

// Sweeps alone and sweeps as the window runs them, in alternating blocks; the ratio of the time
// a sweep takes either way, block by block.
bool SweepRows(Chart& chart, int blocks, int sweepsPerBlock) {
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
  std::int32_t error = 0;
  TRukMox mox(nullptr, 3000, 5, &error, true, 0, 0, rukmox::platform::LoadD2xxLibrary(settings));
  if (!mox.Open()) {
    std::fprintf(stderr, "Open failed (error word %d)\n", error);
    return false;
  }

  std::vector<double> alone, drawn, ratios, limited, limitedRatios;
  std::uint8_t values[Channels];
  int failures = 0;
  for (int b = 0; b < blocks; ++b) {
    auto start = Clock::now();
    for (int k = 0; k < sweepsPerBlock; ++k)
      if (!mox.ReadEnergyScan(values, Channels)) ++failures;
    alone.push_back(MillisecondsSince(start) / sweepsPerBlock);

    drawn.push_back(WindowLoop(chart, mox, sweepsPerBlock, &failures));
    ratios.push_back(drawn.back() / alone.back());

    // The same loop with the view repainted by a frame timer instead of after every sweep, as the
    // window draws it.
    chart.view.setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
    QTimer frame;
    QObject::connect(&frame, &QTimer::timeout, [&chart] { chart.view.viewport()->update(); });
    frame.start(FrameMs);
    limited.push_back(WindowLoop(chart, mox, sweepsPerBlock, &failures));
    frame.stop();
    chart.view.setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    limitedRatios.push_back(limited.back() / alone.back());
  }
  mox.Close();
  sim.Stop();
  Figure("sweeps_per_s_alone", 1000 / Median(alone));
  Figure("sweeps_per_s_drawn", 1000 / Median(drawn));
  Figure("sweep_ratio", Median(ratios));
  Figure("sweeps_per_s_frame_limited", 1000 / Median(limited));
  Figure("sweep_ratio_frame_limited", Median(limitedRatios));
  if (failures) std::fprintf(stderr, "%d energy reads failed\n", failures);
  return failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool quick = QuickRun(argc, argv);
  QApplication app(argc, argv);
  Chart chart;
  ChartRows(chart, quick ? 20 : 400);
  return SweepRows(chart, quick ? 1 : 7, quick ? 20 : 300) ? 0 : 1;
}
