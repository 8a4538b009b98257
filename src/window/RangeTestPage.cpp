#include "RangeTestPage.h"

#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <array>
#include <optional>

#include "Captions.h"
#include "PropertySteps.h"
#include "RangeReport.h"
#include "WindowWords.h"
#include "ui_RangeTestPage.h"

namespace rukmox::window {
namespace {

// Leaves the poll tick and the operator their turn between pings.
constexpr workflow::Operation::Wait kPace{50};
constexpr double kTripAxisStart = 40;  // ms; grows with the slowest answer
constexpr int kLostMarkSize = 7;
constexpr int kAxisTicks = 3;
constexpr qreal kSmallFont = 0.8;  // of the window's font: the page is small

constexpr std::array<Caption, 3> kCaptions = {{
    {"TabRange", extra::RangeTab},
    {"ButtonRangeCopy", extra::RangeCopy},
    {"ChartRange", extra::RangeTab, Caption::Role::AccessibleName},
}};

QString OrDash(const std::optional<double>& value) {
  return value ? QString::number(*value, 'f', 1) : QStringLiteral("-");
}

QString OrDash(const std::optional<std::int32_t>& value) {
  return value ? QString::number(*value) : QStringLiteral("-");
}

}  // namespace

// The test as an operation of the session: one ping a step, each shown on the page.
class RangeTestPage::Run : public workflow::Operation {
 public:
  Run(RangeTestPage& page, TRukMox& device, int count)
      : page_(page), device_(device), test_(device, count) {}

  std::optional<Wait> Step() override {
    if (stopped_) return End();
    const RangeStep step = test_.Step();
    page_.Show(step, test_.Figures());
    // A dongle that went away would only add lost pings, each after its time-out.
    const bool done = test_.Done() || !device_.IsOpen();
    if (done) page_.Ended();
    emit page_.StepShown(step.number);
    if (done) return std::nullopt;
    return kPace;
  }
  void Stop() override { stopped_ = true; }

 private:
  std::optional<Wait> End() {
    page_.Ended();
    return std::nullopt;
  }

  RangeTestPage& page_;
  TRukMox& device_;
  RangeTest test_;
  bool stopped_ = false;
};

RangeTestPage::RangeTestPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::RangeTestPage>()) {
  form_->setupUi(this);
  BuildChart();
  connect(form_->ButtonRangeTest, &QPushButton::clicked, this, &RangeTestPage::StartOrStop);
  connect(form_->ButtonRangeCopy, &QPushButton::clicked, this, &RangeTestPage::Copy);
  context_.Lock().Add({form_->ButtonRangeTest, form_->SpinRangeCount});
  Clear();
}

RangeTestPage::~RangeTestPage() = default;

void RangeTestPage::BuildChart() {
  QChart* plot = form_->ChartRange->chart();
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
  form_->ChartRange->setRenderHint(QPainter::Antialiasing);
}

bool RangeTestPage::Running() const {
  return run_ != nullptr;
}

QWidget* RangeTestPage::StopControl() const {
  return form_->ButtonRangeTest;
}

void RangeTestPage::Clear() {
  last_ = RangeFigures{};
  steps_.clear();
  count_ = form_->SpinRangeCount->value();
  trips_->clear();
  lost_->clear();
  for (QAbstractAxis* axis : form_->ChartRange->chart()->axes()) {
    if (axis->objectName() == QStringLiteral("AxisRangePing"))
      axis->setRange(0, form_->SpinRangeCount->value());
    if (axis->objectName() == QStringLiteral("AxisRangeMs")) axis->setRange(0, kTripAxisStart);
  }
}

void RangeTestPage::Show(const RangeStep& step, const RangeFigures& figures) {
  const int language = context_.Language();
  last_ = figures;
  steps_.push_back(step);
  const TripFigures& p = figures.pings;
  form_->LabelRangeCounts->setText(
      WordText(extra::RangeCounts, language,
               {QString::number(p.sent), QString::number(p.answered), QString::number(p.lost),
                QString::number(p.lossRate * 100, 'f', 1)}));
  form_->LabelRangeTrip->setText(
      WordText(extra::RangeTrip, language, {OrDash(p.medianMs), OrDash(p.p95Ms)}));
  form_->LabelRangeQuality->setText(
      WordText(extra::RangeQuality, language,
               {OrDash(figures.localQuality), OrDash(figures.remoteQuality)}));
  if (step.answered) {
    trips_->append(step.number, step.roundTripMs);
    for (QAbstractAxis* axis : form_->ChartRange->chart()->axes(Qt::Vertical))
      if (auto* ms = qobject_cast<QValueAxis*>(axis); ms && step.roundTripMs > ms->max())
        ms->setMax(step.roundTripMs * 1.2);
  } else {
    lost_->append(step.number, 0);
  }
}

void RangeTestPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
  form_->ButtonRangeTest->setText(
      WordText(Running() ? extra::RangeStop : extra::RangeStart, language));
  if (last_.pings.sent == 0) {
    form_->LabelRangeCounts->setText(WordText(
        extra::RangeCounts, language,
        {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0.0")}));
    form_->LabelRangeTrip->setText(
        WordText(extra::RangeTrip, language, {QStringLiteral("-"), QStringLiteral("-")}));
    form_->LabelRangeQuality->setText(
        WordText(extra::RangeQuality, language, {QStringLiteral("-"), QStringLiteral("-")}));
  }
}

void RangeTestPage::StartOrStop() {
  workflow::DeviceSession& session = context_.Session();
  if (Running()) {
    // A range test is only pings: it ends at once.
    session.StopNow();
    return;
  }
  TRukMox* module = context_.Module();
  if (!session.CanStart()) return;
  if (!HasLinkedRemote(*module)) {
    context_.Error(context_.Word(extra::NoRemoteConnected));
    return;
  }
  Clear();
  auto run = std::make_unique<Run>(*this, *module, form_->SpinRangeCount->value());
  Run* started = run.get();
  if (!session.Start(workflow::OperationKind::RangeTest, std::move(run))) return;
  run_ = started;
  ApplyCaptions(context_.Language());
}

QString RangeTestPage::Report() const {
  return QString::fromStdString(
      workflow::RangeReportText(last_, steps_, count_, context_.Language()));
}

void RangeTestPage::Copy() {
  QGuiApplication::clipboard()->setText(Report());
}

void RangeTestPage::Ended() {
  run_ = nullptr;
  form_->ButtonRangeTest->setText(context_.Word(extra::RangeStart));
}

}  // namespace rukmox::window
