// The spectrum page: sweep after sweep of the energy on the 16 channels, the last 20 drawn on top
// of each other; and the channel delta-signal report of service mode.
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QTimer>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>
#include <utility>

#include "Rukmoxlight.h"
#include "ui_SpectrumPage.h"

namespace rukmox::window {
namespace {

constexpr int kSeriesCount = 20;  // the ring of sweeps that stay on the chart
constexpr int kBarWidth = 10;
constexpr double kChannelAxisMin = -0.5;
constexpr double kChannelAxisMax = 15.5;
constexpr double kEnergyAxisMax = 50;
constexpr int kEnergyTicks = 6;  // 0, 10, ... 50
constexpr int kNoReading = -94;
// Between two frames at least this many times what the last frame took to draw, so that the
// chart costs the sweeping loop about 2 % of its time; but no less than a 60 Hz screen's frame
// and no more than a tenth of a second, so that the picture still moves on a slow machine.
constexpr int kDrawingShareDivisor = 50;
constexpr std::chrono::milliseconds kFrameInterval{16};
constexpr std::chrono::milliseconds kLongestFrameInterval{100};

QList<QLineSeries*> SeriesOf(const QChartView& view) {
  QList<QLineSeries*> series;
  for (QAbstractSeries* s : view.chart()->series())
    if (auto* line = qobject_cast<QLineSeries*>(s)) series.append(line);
  return series;
}

using Sweep = std::array<std::uint8_t, RadioChannelCount>;

// One bar per channel: the thick line rises from 0 to the value and falls back at x = channel.
QList<QPointF> SweepPoints(const Sweep& values) {
  QList<QPointF> points;
  points.reserve(3 * RadioChannelCount);
  for (int channel = 0; channel < RadioChannelCount; ++channel) {
    points.append(QPointF(channel, 0));
    points.append(QPointF(channel, values[static_cast<std::size_t>(channel)]));
    points.append(QPointF(channel, 0));
  }
  return points;
}

// The sweeps read since the chart was last drawn, one slot per series of the ring. A fast dongle
// sweeps many times between two screen frames; each series is then filled once a frame with the
// newest sweep that went to it, and a sweep that no frame would show costs nothing to draw.
class SweepRing {
 public:
  explicit SweepRing(QList<QLineSeries*> series) : series_(std::move(series)) {}

  // A failed read leaves its series empty.
  void Put(int sweep, std::optional<Sweep> values) {
    const auto slot = static_cast<std::size_t>(sweep % kSeriesCount);
    pending_[slot] = values;
    changed_[slot] = true;
  }

  void Draw() {
    for (std::size_t slot = 0; slot < pending_.size(); ++slot) {
      if (!changed_[slot]) continue;
      changed_[slot] = false;
      QLineSeries* series = series_.value(static_cast<qsizetype>(slot));
      if (series == nullptr) continue;
      if (pending_[slot])
        series->replace(SweepPoints(*pending_[slot]));  // one redraw, not one per point
      else
        series->clear();
    }
  }

 private:
  QList<QLineSeries*> series_;
  std::array<std::optional<Sweep>, kSeriesCount> pending_{};
  std::array<bool, kSeriesCount> changed_{};
};

// Reads one sweep into the ring. `elapsedMs` takes the duration of a read that succeeded.
void SweepOnce(TRukMox& device, SweepRing& ring, int sweep, std::int64_t& elapsedMs) {
  Sweep values{};
  // The duration of the read alone, on a clock that no change of the wall time moves.
  const auto start = std::chrono::steady_clock::now();
  if (!device.ReadEnergyScan(values.data(), RadioChannelCount)) {
    ring.Put(sweep, std::nullopt);
    return;
  }
  elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
  ring.Put(sweep, values);
}

}  // namespace

void TRukMoxFormLight::BuildSpectrum() {
  QChartView& view = *spectrum_->ChartScan;
  // The view's own chart: handing it another one with setChart() leaks the first (Qt 6.4).
  QChart* chart = view.chart();
  chart->legend()->hide();
  chart->setTitle(QString());

  // Labels on the channels, grid lines between them.
  auto* channels = new QCategoryAxis;
  channels->setObjectName(QStringLiteral("AxisChannel"));
  channels->setRange(kChannelAxisMin, kChannelAxisMax);
  channels->setStartValue(kChannelAxisMin);
  for (int channel = 0; channel < RadioChannelCount; ++channel)
    channels->append(QString::number(channel), channel + 0.5);
  channels->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  auto* energy = new QValueAxis;
  energy->setObjectName(QStringLiteral("AxisEnergy"));
  energy->setRange(0, kEnergyAxisMax);
  energy->setTickCount(kEnergyTicks);
  energy->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(channels, Qt::AlignBottom);
  chart->addAxis(energy, Qt::AlignLeft);

  // The series' own blue draws the bars; the points carry no colour or label of their own.
  QPen pen(QColor(Qt::blue));
  pen.setWidth(kBarWidth);
  pen.setCapStyle(Qt::FlatCap);  // a bar ends at its value, not half a width above it
  for (int number = 1; number <= kSeriesCount; ++number) {
    auto* series = new QLineSeries;
    series->setObjectName(QStringLiteral("Series%1").arg(number));
    series->setColor(Qt::blue);
    series->setPen(pen);
    series->setPointsVisible(false);
    series->setPointLabelsVisible(false);
    chart->addSeries(series);
    series->attachAxis(channels);
    series->attachAxis(energy);
  }

  view.setRubberBand(QChartView::NoRubberBand);
  view.setInteractive(false);
  view.setRenderHint(QPainter::Antialiasing, false);

  connect(spectrum_->ButtonScanEnergy, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonScanEnergyClick);
  connect(spectrum_->ButtonStopEnergy, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonAbortClick);
}

void TRukMoxFormLight::ClearSpectrum() {
  for (QLineSeries* series : SeriesOf(*spectrum_->ChartScan)) series->clear();
}

void TRukMoxFormLight::ButtonScanEnergyClick() {
  if (!Device || LongOperationRunning()) return;
  const Pause pause(*this);
  AbortRequested = false;
  Busy = true;  // the window refuses to close while the loop services messages
  {
    const LongOperation operation(*this);  // ButtonScanEnergy among the controls it locks
    spectrum_->ButtonStopEnergy->show();
    spectrum_->LabelScanTime->show();
    ClearSpectrum();

    QChartView* view = spectrum_->ChartScan;
    QLabel* time = spectrum_->LabelScanTime;
    SweepRing ring(SeriesOf(*view));
    std::int64_t elapsedMs = 0;
    time->setText(QStringLiteral("Time: 0"));
    // The chart is drawn by a frame timer, not after each sweep: a fast dongle sweeps in less
    // time than drawing takes. Each frame waits long enough for drawing to stay a small share of
    // the loop's time.
    view->setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
    QTimer frame;
    frame.setSingleShot(true);
    connect(&frame, &QTimer::timeout, view, [&] {
      const auto start = std::chrono::steady_clock::now();
      ring.Draw();
      time->setText(QStringLiteral("Time: %1").arg(elapsedMs));
      // What the new points leave queued (the scene's bookkeeping of changed items) is part of
      // the frame's cost as well.
      QCoreApplication::sendPostedEvents();
      view->viewport()->repaint();
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
          (std::chrono::steady_clock::now() - start) * kDrawingShareDivisor);
      frame.start(std::clamp(wait, kFrameInterval, kLongestFrameInterval));
    });
    frame.start(kFrameInterval);

    std::int32_t sweep = 0;
    while (!AbortRequested) {
      // The stop button is handled here; the sweep that follows still runs and is drawn.
      QApplication::processEvents();
      std::this_thread::yield();
      SweepOnce(*Device, ring, sweep, elapsedMs);
      ++sweep;
      emit SweepDrawn(sweep);
      // With the dongle gone every read would fail at once: nothing more to draw.
      if (!Device->IsOpen()) break;
    }

    frame.stop();
    ring.Draw();  // the sweeps since the last frame
    time->setText(QStringLiteral("Time: %1").arg(elapsedMs));
    view->setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    view->viewport()->update();

    Busy = false;
    spectrum_->ButtonStopEnergy->hide();
    spectrum_->LabelScanTime->hide();
  }
}

void TRukMoxFormLight::ButtonAbortClick() {
  AbortRequested = true;
}

void TRukMoxFormLight::ButtonScanChannelClick() {
  if (!Device || LongOperationRunning()) return;
  const Pause pause(*this);
  std::array<std::int32_t, RadioChannelCount> delta{};
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::int32_t home = Device->GetLocalChannel();
    for (int channel = 0; channel < RadioChannelCount; ++channel) {
      Device->ChangeChannel(channel);
      std::int32_t local = kNoReading;
      if (!Device->ReadEnergy(local, false)) local = kNoReading;
      std::int32_t remote = kNoReading;
      if (!Device->ReadLinkQuality(remote, true)) remote = kNoReading;
      delta[static_cast<std::size_t>(channel)] = remote - local;
    }
    Device->ChangeChannel(home);
    QApplication::restoreOverrideCursor();
  }
  QString report = QStringLiteral("Delta signal: ");
  for (int channel = 0; channel < RadioChannelCount; ++channel)
    report += QStringLiteral("\nChannel %1: %2")
                  .arg(channel)
                  .arg(delta[static_cast<std::size_t>(channel)]);
  messages_.Information(report);
}

}  // namespace rukmox::window
