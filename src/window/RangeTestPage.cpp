// The range test's small page and the window's running of it: one ping per pace tick, under the
// lock of a long operation so that nothing else starts on the module while the test runs.
#include "RangeTestPage.h"

#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QValueAxis>
#include <optional>

#include "Rukmoxlight.h"
#include "WindowWords.h"

namespace rukmox::window {
namespace {

constexpr int kDefaultPings = 100;
constexpr int kMostPings = 100000;
constexpr int kPaceMs = 50;  // leaves the poll tick and the operator their turn between pings
constexpr double kTripAxisStart = 40;  // ms; grows with the slowest answer
constexpr int kLostMarkSize = 7;
constexpr int kAxisTicks = 3;
constexpr int kFiguresWidth = 150;
constexpr qreal kSmallFont = 0.8;  // of the window's font: the page is small

QString OrDash(const std::optional<double>& value) {
  return value ? QString::number(*value, 'f', 1) : QStringLiteral("-");
}

QString OrDash(const std::optional<std::int32_t>& value) {
  return value ? QString::number(*value) : QStringLiteral("-");
}

}  // namespace

RangeTestPage::RangeTestPage(QTabWidget* pages) {
  tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabRange"));
  button = new QPushButton;
  button->setObjectName(QStringLiteral("ButtonRangeTest"));
  count = new QSpinBox;
  count->setObjectName(QStringLiteral("SpinRangeCount"));
  count->setRange(1, kMostPings);
  count->setValue(kDefaultPings);
  counts = new QLabel;
  counts->setObjectName(QStringLiteral("LabelRangeCounts"));
  trip = new QLabel;
  trip->setObjectName(QStringLiteral("LabelRangeTrip"));
  quality = new QLabel;
  quality->setObjectName(QStringLiteral("LabelRangeQuality"));
  // The figures wrap rather than widen the fixed window.
  for (QLabel* figures : {counts, trip, quality}) {
    figures->setWordWrap(true);
    figures->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  }

  auto* plot = new QChart;
  plot->legend()->hide();
  plot->setMargins(QMargins(0, 0, 0, 0));
  auto* pings = new QValueAxis;
  pings->setObjectName(QStringLiteral("AxisRangePing"));
  pings->setLabelFormat(QStringLiteral("%d"));
  pings->setTickCount(kAxisTicks);
  auto* ms = new QValueAxis;
  ms->setObjectName(QStringLiteral("AxisRangeMs"));
  ms->setLabelFormat(QStringLiteral("%d"));
  ms->setTickCount(kAxisTicks);
  ms->setTitleText(QStringLiteral("ms"));
  QFont small = ms->labelsFont();
  small.setPointSizeF(small.pointSizeF() * kSmallFont);
  for (QValueAxis* axis : {pings, ms}) {
    axis->setLabelsFont(small);
    axis->setTitleFont(small);
  }
  plot->addAxis(pings, Qt::AlignBottom);
  plot->addAxis(ms, Qt::AlignLeft);
  trips_ = new QLineSeries;
  trips_->setObjectName(QStringLiteral("SeriesRangeTrip"));
  trips_->setColor(Qt::darkGreen);
  lost_ = new QScatterSeries;
  lost_->setObjectName(QStringLiteral("SeriesRangeLost"));
  lost_->setColor(Qt::red);
  lost_->setMarkerSize(kLostMarkSize);
  for (QAbstractSeries* series : std::initializer_list<QAbstractSeries*>{trips_, lost_}) {
    plot->addSeries(series);
    series->attachAxis(pings);
    series->attachAxis(ms);
  }
  chart = new QChartView(plot);
  chart->setObjectName(QStringLiteral("ChartRange"));
  chart->setRenderHint(QPainter::Antialiasing);

  // The controls and figures in a narrow column, the chart taking the rest.
  auto* figuresColumn = new QWidget;
  figuresColumn->setMaximumWidth(kFiguresWidth);
  auto* column = new QGridLayout(figuresColumn);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(button, 0, 0);
  column->addWidget(count, 0, 1);
  column->addWidget(counts, 1, 0, 1, 2);
  column->addWidget(trip, 2, 0, 1, 2);
  column->addWidget(quality, 3, 0, 1, 2);
  column->setRowStretch(4, 1);
  auto* layout = new QHBoxLayout(tab);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(figuresColumn);
  layout->addWidget(chart, 1);
  pages->addTab(tab, QString());

  pace = new QTimer(tab);
  pace->setObjectName(QStringLiteral("TimerRangeTest"));
  pace->setInterval(kPaceMs);
  pace->setSingleShot(true);  // the next ping is paced from the end of this one
  Clear();
}

RangeTestPage::~RangeTestPage() = default;

void RangeTestPage::Clear() {
  last = RangeFigures{};
  trips_->clear();
  lost_->clear();
  for (QAbstractAxis* axis : chart->chart()->axes()) {
    if (axis->objectName() == QStringLiteral("AxisRangePing")) axis->setRange(0, count->value());
    if (axis->objectName() == QStringLiteral("AxisRangeMs")) axis->setRange(0, kTripAxisStart);
  }
}

void RangeTestPage::Show(const RangeStep& step, const RangeFigures& figures, int language) {
  last = figures;
  const TripFigures& p = figures.pings;
  counts->setText(WordText(Word::RangeCounts, language,
                           {QString::number(p.sent), QString::number(p.answered),
                            QString::number(p.lost), QString::number(p.lossRate * 100, 'f', 1)}));
  trip->setText(WordText(Word::RangeTrip, language, {OrDash(p.medianMs), OrDash(p.p95Ms)}));
  quality->setText(WordText(Word::RangeQuality, language,
                            {OrDash(figures.localQuality), OrDash(figures.remoteQuality)}));
  if (step.answered) {
    trips_->append(step.number, step.roundTripMs);
    for (QAbstractAxis* axis : chart->chart()->axes(Qt::Vertical))
      if (auto* ms = qobject_cast<QValueAxis*>(axis); ms && step.roundTripMs > ms->max())
        ms->setMax(step.roundTripMs * 1.2);
  } else {
    lost_->append(step.number, 0);
  }
}

void RangeTestPage::ApplyCaptions(int language, bool running) {
  button->setText(WordText(running ? Word::RangeStop : Word::RangeStart, language));
  chart->setAccessibleName(WordText(Word::RangeTab, language));
  if (last.pings.sent == 0) {
    counts->setText(WordText(
        Word::RangeCounts, language,
        {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0.0")}));
    trip->setText(WordText(Word::RangeTrip, language, {QStringLiteral("-"), QStringLiteral("-")}));
    quality->setText(
        WordText(Word::RangeQuality, language, {QStringLiteral("-"), QStringLiteral("-")}));
  }
}

bool TRukMoxFormLight::RangeTestRunning() const {
  return range_->test != nullptr;
}

void TRukMoxFormLight::ButtonRangeTestClick() {
  if (RangeTestRunning()) {
    StopRangeTest();
    return;
  }
  if (LongOperationRunning() || !Device) return;
  if (!LinkedRemote()) {
    messages_.Error(WordText(Word::NoRemoteConnected, Language));
    return;
  }
  range_->Clear();
  range_->test = std::make_unique<RangeTest>(*Device, range_->count->value());
  rangeLock_ = std::make_unique<LongOperation>(*this);
  range_->count->setEnabled(false);
  range_->ApplyCaptions(Language, true);
  range_->pace->start();
}

void TRukMoxFormLight::RangeTestStep() {
  if (!RangeTestRunning()) return;
  RangeStep step;
  {
    const Pause pause(*this);
    step = range_->test->Step();
  }
  range_->Show(step, range_->test->Figures(), Language);
  // A dongle that went away would only add lost pings, each after its time-out.
  const bool done = range_->test->Done() || !Device->IsOpen();
  if (done)
    StopRangeTest();
  else
    range_->pace->start();
  emit RangeStepShown(step.number);
}

void TRukMoxFormLight::StopRangeTest() {
  range_->pace->stop();
  range_->test.reset();
  range_->count->setEnabled(true);
  range_->ApplyCaptions(Language, false);
  rangeLock_.reset();  // last: the unlock may close a window whose close waited for the test
}

}  // namespace rukmox::window
