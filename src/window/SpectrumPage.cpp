#include "SpectrumPage.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <utility>

#include "Captions.h"
#include "ReadingLabel.h"
#include "ui_SpectrumPage.h"

namespace rukmox::window {
namespace {

constexpr int kSeriesCount = 20;  // the ring of sweeps that stay on the chart
constexpr int kBarWidth = 10;
constexpr double kChannelAxisMin = -0.5;
constexpr double kChannelAxisMax = 15.5;
constexpr double kEnergyAxisMax = 50;
constexpr int kEnergyTicks = 6;  // 0, 10, ... 50
// Between two frames at least this many times what the last frame took to draw, so that the
// chart costs the sweeping loop about 2 % of its time; but no less than a 60 Hz screen's frame
// and no more than a tenth of a second, so that the picture still moves on a slow machine.
constexpr int kDrawingShareDivisor = 50;
constexpr std::chrono::milliseconds kFrameInterval{16};
constexpr std::chrono::milliseconds kLongestFrameInterval{100};

constexpr std::array<Caption, 5> kCaptions = {{
    {"TabTest", text::SpectrumTabCaption},
    {"ButtonScanEnergy", text::SpectrumScanCaption},
    {"ButtonStopEnergy", text::SpectrumStopCaption},
    {"ButtonScanChannel", extra::DeltaSignal},
    // The chart shows no caption of its own.
    {"ChartScan", extra::SpectrumChart, Caption::Role::AccessibleName},
}};

QList<QLineSeries*> SeriesOf(const QChartView& view) {
  QList<QLineSeries*> series;
  for (QAbstractSeries* s : view.chart()->series())
    if (auto* line = qobject_cast<QLineSeries*>(s)) series.append(line);
  return series;
}

// One bar per channel: the thick line rises from 0 to the value and falls back at x = channel.
QList<QPointF> SweepPoints(const workflow::EnergyValues& values) {
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

// The sweeps read since the chart was last drawn, one slot per series of the ring. A fast dongle
// sweeps many times between two screen frames; each series is then filled once a frame with the
// newest sweep that went to it, and a sweep that no frame would show costs nothing to draw.
class SweepRing {
 public:
  explicit SweepRing(QList<QLineSeries*> series) : series_(std::move(series)) {}

  // A failed read leaves its series empty.
  void Put(int sweep, const std::optional<workflow::EnergyValues>& values) {
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

  void Clear() {
    changed_.fill(false);
    for (QLineSeries* series : series_) series->clear();
  }

 private:
  QList<QLineSeries*> series_;
  std::array<std::optional<workflow::EnergyValues>, kSeriesCount> pending_{};
  std::array<bool, kSeriesCount> changed_{};
};

SpectrumPage::SpectrumPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::SpectrumPage>()) {
  form_->setupUi(this);
  BuildChart();
  frame_.setSingleShot(true);
  connect(&frame_, &QTimer::timeout, this, &SpectrumPage::DrawFrame);
  connect(form_->ButtonScanEnergy, &QPushButton::clicked, this, &SpectrumPage::ScanEnergy);
  connect(form_->ButtonStopEnergy, &QPushButton::clicked, this, &SpectrumPage::Stop);
  connect(form_->ButtonScanChannel, &QPushButton::clicked, this, &SpectrumPage::DeltaSignal);
  context_.Lock().Add({form_->ButtonScanEnergy, form_->ButtonScanChannel});
}

SpectrumPage::~SpectrumPage() = default;

void SpectrumPage::BuildChart() {
  QChartView& view = *form_->ChartScan;
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
  ring_ = std::make_unique<SweepRing>(SeriesOf(view));
}

void SpectrumPage::Enable(bool on) {
  context_.Lock().SetEnabled(form_->ButtonScanEnergy, on);
  context_.Lock().SetEnabled(form_->ButtonScanChannel, on);
}

void SpectrumPage::SetServiceMode(bool on) {
  form_->ButtonScanChannel->setVisible(on);
}

void SpectrumPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
}

void SpectrumPage::FixReadingSizes() {
  FixReadingLabelSize(*form_->LabelScanTime, QStringLiteral("Time: 000000"));
}

void SpectrumPage::ShowTime() {
  form_->LabelScanTime->setText(QStringLiteral("Time: %1").arg(elapsedMs_));
}

void SpectrumPage::ScanEnergy() {
  workflow::DeviceSession& session = context_.Session();
  if (!session.CanStart()) return;
  // ButtonScanEnergy is among the controls the running sweeps lock.
  if (!session.Start(workflow::OperationKind::Sweeps,
                     std::make_unique<workflow::EnergySweeps>(
                         *context_.Module(), static_cast<workflow::SweepFace&>(*this))))
    return;
  form_->ButtonStopEnergy->show();
  form_->LabelScanTime->show();
  ring_->Clear();
  elapsedMs_ = 0;
  ShowTime();
  // Each frame waits long enough for drawing to stay a small share of the sweeps' time.
  form_->ChartScan->setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
  frame_.start(kFrameInterval);
}

void SpectrumPage::Stop() {
  context_.Session().Stop();
}

void SpectrumPage::SweepRead(const workflow::Sweep& sweep) {
  ring_->Put(sweep.number, sweep.values);
  elapsedMs_ = sweep.elapsedMs;
  emit SweepDrawn(sweep.number + 1);
}

void SpectrumPage::DrawFrame() {
  const auto start = std::chrono::steady_clock::now();
  ring_->Draw();
  ShowTime();
  // What the new points leave queued (the scene's bookkeeping of changed items) is part of the
  // frame's cost as well.
  QCoreApplication::sendPostedEvents();
  form_->ChartScan->viewport()->repaint();
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
      (std::chrono::steady_clock::now() - start) * kDrawingShareDivisor);
  frame_.start(std::clamp(wait, kFrameInterval, kLongestFrameInterval));
}

void SpectrumPage::SweepsEnd() {
  frame_.stop();
  ring_->Draw();  // the sweeps since the last frame
  ShowTime();
  form_->ChartScan->setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
  form_->ChartScan->viewport()->update();
  form_->ButtonStopEnergy->hide();
  form_->LabelScanTime->hide();
}

void SpectrumPage::DeltaSignal() {
  TRukMox* module = context_.Module();
  if (module == nullptr || !context_.Session().CanStart()) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  std::array<std::int32_t, RadioChannelCount> delta{};
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::int32_t home = module->GetLocalChannel();
  for (int channel = 0; channel < RadioChannelCount; ++channel) {
    module->ChangeChannel(channel);
    std::int32_t local = NoLevel;
    if (!module->ReadEnergy(local, false)) local = NoLevel;
    std::int32_t remote = NoLevel;
    if (!module->ReadLinkQuality(remote, true)) remote = NoLevel;
    delta[static_cast<std::size_t>(channel)] = remote - local;
  }
  module->ChangeChannel(home);
  QApplication::restoreOverrideCursor();
  QString report = QStringLiteral("Delta signal: ");
  for (int channel = 0; channel < RadioChannelCount; ++channel)
    report += QStringLiteral("\nChannel %1: %2")
                  .arg(channel)
                  .arg(delta[static_cast<std::size_t>(channel)]);
  context_.Inform(report);
}

}  // namespace rukmox::window
