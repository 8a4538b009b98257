#include "LinkHistoryPage.h"

#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <array>
#include <chrono>
#include <sstream>
#include <string>

#include "Captions.h"
#include "WindowWords.h"
#include "platform/Files.h"
#include "ui_LinkHistoryPage.h"

namespace rukmox::window {
namespace {

constexpr double kSpanSeconds =
    std::chrono::duration<double>(LinkHistory::kSpan).count();  // the x axis runs -300 .. 0
constexpr double kValueAxisMax = 75;                            // quality reaches past 50
constexpr double kMoveMarkAt = 70;                              // moves sit on top of the lines
constexpr int kValueTicks = 4;    // 0, 25, 50, 75: room for four labels
constexpr int kSecondsTicks = 6;  // a minute apart
constexpr int kMoveMarkSize = 8;
constexpr qreal kSmallFont = 0.8;  // of the window's font: the page is small

constexpr std::array<Caption, 4> kCaptions = {{
    {"TabHistory", extra::HistoryTab},
    {"ButtonHistoryPause", extra::HistoryPause},
    {"ButtonHistorySave", extra::HistorySave},
    {"ChartHistory", extra::HistoryChart, Caption::Role::AccessibleName},
}};

}  // namespace

LinkHistoryPage::LinkHistoryPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::LinkHistoryPage>()) {
  form_->setupUi(this);
  BuildChart();
  connect(form_->ButtonHistoryPause, &QPushButton::clicked, this,
          [this] { history_.SetPaused(form_->ButtonHistoryPause->isChecked()); });
  connect(form_->ButtonHistorySave, &QPushButton::clicked, this, &LinkHistoryPage::Save);
  clock_.start();
}

LinkHistoryPage::~LinkHistoryPage() = default;

void LinkHistoryPage::BuildChart() {
  QChart* plot = form_->ChartHistory->chart();
  plot->legend()->setAlignment(Qt::AlignBottom);
  QFont small = plot->legend()->font();
  small.setPointSizeF(small.pointSizeF() * kSmallFont);
  plot->legend()->setFont(small);
  plot->setMargins(QMargins(0, 0, 0, 0));
  auto* seconds = new QValueAxis;
  seconds->setObjectName(QStringLiteral("AxisHistorySeconds"));
  seconds->setRange(-kSpanSeconds, 0);
  seconds->setTickCount(kSecondsTicks);
  seconds->setLabelFormat(QStringLiteral("%d"));
  auto* values = new QValueAxis;
  values->setRange(0, kValueAxisMax);
  values->setTickCount(kValueTicks);
  values->setLabelFormat(QStringLiteral("%d"));
  seconds->setLabelsFont(small);
  values->setLabelsFont(small);
  plot->addAxis(seconds, Qt::AlignBottom);
  plot->addAxis(values, Qt::AlignLeft);

  quality_ = new QLineSeries;
  quality_->setObjectName(QStringLiteral("SeriesQuality"));
  quality_->setColor(Qt::darkGreen);
  energy_ = new QLineSeries;
  energy_->setObjectName(QStringLiteral("SeriesEnergy"));
  energy_->setColor(Qt::blue);
  moves_ = new QScatterSeries;
  moves_->setObjectName(QStringLiteral("SeriesMoves"));
  moves_->setColor(Qt::red);
  moves_->setMarkerSize(kMoveMarkSize);
  moves_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  for (QAbstractSeries* series :
       std::initializer_list<QAbstractSeries*>{quality_, energy_, moves_}) {
    plot->addSeries(series);
    series->attachAxis(seconds);
    series->attachAxis(values);
  }
  form_->ChartHistory->setRenderHint(QPainter::Antialiasing);
}

void LinkHistoryPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Draw();
}

void LinkHistoryPage::Add(std::int32_t quality, std::int32_t energy, std::int32_t channel,
                          bool linked, std::int32_t channelChanges) {
  if (history_.Paused()) return;
  const bool moved = channelChanges > changesSeen_;
  changesSeen_ = channelChanges;
  history_.Add(
      {std::chrono::milliseconds(clock_.elapsed()), quality, energy, channel, linked, moved});
  if (isVisible()) Draw();
}

void LinkHistoryPage::Draw() {
  QList<QPointF> quality;
  QList<QPointF> energy;
  QList<QPointF> moves;
  const auto& samples = history_.Samples();
  if (!samples.empty()) {
    const auto now = samples.back().time;
    quality.reserve(static_cast<qsizetype>(samples.size()));
    energy.reserve(static_cast<qsizetype>(samples.size()));
    for (const LinkSample& sample : samples) {
      const double x = std::chrono::duration<double>(sample.time - now).count();
      quality.append(QPointF(x, sample.quality));
      energy.append(QPointF(x, sample.energy));
      if (sample.channelMoved) moves.append(QPointF(x, kMoveMarkAt));
    }
  }
  quality_->replace(quality);
  energy_->replace(energy);
  moves_->replace(moves);
}

void LinkHistoryPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
  quality_->setName(WordText(extra::HistoryQuality, language));
  energy_->setName(WordText(extra::HistoryEnergy, language));
  moves_->setName(WordText(extra::HistoryMove, language));
}

void LinkHistoryPage::TogglePause() {
  form_->ButtonHistoryPause->toggle();
  history_.SetPaused(form_->ButtonHistoryPause->isChecked());
}

void LinkHistoryPage::Save() {
  const QString path = QFileDialog::getSaveFileName(window(), WindowTitle(),
                                                    QStringLiteral("rukmox-link-history.csv"),
                                                    QStringLiteral("CSV (*.csv)"));
  if (!path.isEmpty()) SaveCsv(path);
}

bool LinkHistoryPage::SaveCsv(const QString& path) {
  std::ostringstream csv;
  history_.WriteCsv(csv);
  // Written whole or not at all: an older file of that name is not left half overwritten.
  platform::FileProblem problem;
  const bool saved = platform::WriteWholeFile(path.toStdString(), csv.str(), &problem);
  if (!saved)
    context_.Error(context_.Word(
        extra::HistoryUnwritable,
        {path, QString::fromStdString(platform::FileProblemText(problem, context_.Language()))}));
  return saved;
}

}  // namespace rukmox::window
