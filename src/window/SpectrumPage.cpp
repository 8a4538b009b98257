// The spectrum page: sweep after sweep of the energy on the 16 channels, the last 20 drawn on top
// of each other; and the channel delta-signal report of service mode.
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QTimer>
#include <QValueAxis>
#include <array>
#include <chrono>
#include <cstdint>
#include <thread>

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
// While sweeping, the chart is drawn once a screen frame instead of after every sweep: a sweep
// from a fast dongle takes less time than drawing 20 thick series does.
constexpr int kFrameMs = 16;

QList<QLineSeries*> SeriesOf(const QChartView& view) {
  QList<QLineSeries*> series;
  for (QAbstractSeries* s : view.chart()->series())
    if (auto* line = qobject_cast<QLineSeries*>(s)) series.append(line);
  return series;
}

// One bar per channel: the thick line rises from 0 to the value and falls back at x = channel.
QList<QPointF> SweepPoints(const std::array<std::uint8_t, RadioChannelCount>& values) {
  QList<QPointF> points;
  points.reserve(3 * RadioChannelCount);
  for (int channel = 0; channel < RadioChannelCount; ++channel) {
    points.append(QPointF(channel, 0));
    points.append(QPointF(channel, values[static_cast<std::size_t>(channel)]));
    points.append(QPointF(channel, 0));
  }
  return points;
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

bool TRukMoxFormLight::SweepOnce(int sweep, std::int64_t& elapsedMs) {
  QLineSeries* series = SeriesOf(*spectrum_->ChartScan).value(sweep % kSeriesCount);
  if (series == nullptr) return false;
  series->clear();
  std::array<std::uint8_t, RadioChannelCount> values{};
  // The duration of the read alone, on a clock that no change of the wall time moves.
  const auto start = std::chrono::steady_clock::now();
  if (!Device->ReadEnergyScan(values.data(), RadioChannelCount)) return false;
  elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
  series->replace(SweepPoints(values));  // one redraw per sweep, not one per point
  return true;
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
    view->setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
    QTimer frame;
    connect(&frame, &QTimer::timeout, view->viewport(), qOverload<>(&QWidget::update));
    frame.start(kFrameMs);

    std::int32_t sweep = 0;
    std::int64_t elapsedMs = 0;
    while (!AbortRequested) {
      // The stop button is handled here; the sweep that follows still runs and is drawn.
      QApplication::processEvents();
      std::this_thread::yield();
      SweepOnce(sweep, elapsedMs);
      ++sweep;
      spectrum_->LabelScanTime->setText(QStringLiteral("Time: %1").arg(elapsedMs));
      emit SweepDrawn(sweep);
      // With the dongle gone every read would fail at once: nothing more to draw.
      if (!Device->IsOpen()) break;
    }

    frame.stop();
    view->setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    view->viewport()->update();  // the last sweep

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
