// The link history's small page and the window's hooks for it.
#include "LinkHistoryPage.h"

#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "ConsolePage.h"
#include "RangeTestPage.h"
#include "Rukmoxlight.h"
#include "WindowWords.h"
#include "platform/Files.h"
#include "ui_DevicesPage.h"

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

// Runs `action` whenever the watched widget is shown.
class OnShow : public QObject {
 public:
  explicit OnShow(std::function<void()> action) : action_(std::move(action)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) action_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> action_;
};

}  // namespace

LinkHistoryPage::LinkHistoryPage(QTabWidget* pages) {
  tab = new QWidget;
  tab->setObjectName(QStringLiteral("TabHistory"));

  auto* plot = new QChart;
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

  chart = new QChartView(plot);
  chart->setObjectName(QStringLiteral("ChartHistory"));
  chart->setRenderHint(QPainter::Antialiasing);
  pause = new QPushButton;
  pause->setObjectName(QStringLiteral("ButtonHistoryPause"));
  pause->setCheckable(true);
  save = new QPushButton;
  save->setObjectName(QStringLiteral("ButtonHistorySave"));

  // The buttons under the chart, so that the chart has the page's whole width.
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(pause);
  buttons->addWidget(save);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(tab);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(chart, 1);
  layout->addLayout(buttons);
  pages->addTab(tab, QString());
  drawOnShow_ = std::make_unique<OnShow>([this] { Draw(); });
  tab->installEventFilter(drawOnShow_.get());
  clock_.start();
}

void LinkHistoryPage::Add(std::int32_t quality, std::int32_t energy, std::int32_t channel,
                          bool linked, std::int32_t channelChanges) {
  if (history.Paused()) return;
  const bool moved = channelChanges > changesSeen_;
  changesSeen_ = channelChanges;
  history.Add(
      {std::chrono::milliseconds(clock_.elapsed()), quality, energy, channel, linked, moved});
  if (tab->isVisible()) Draw();
}

void LinkHistoryPage::Draw() {
  QList<QPointF> quality;
  QList<QPointF> energy;
  QList<QPointF> moves;
  const auto& samples = history.Samples();
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
  quality_->setName(WordText(Word::HistoryQuality, language));
  energy_->setName(WordText(Word::HistoryEnergy, language));
  moves_->setName(WordText(Word::HistoryMove, language));
  pause->setText(WordText(Word::HistoryPause, language));
  save->setText(WordText(Word::HistorySave, language));
  chart->setAccessibleName(WordText(Word::HistoryChart, language));
}

void TRukMoxFormLight::BuildLinkPages() {
  QTabWidget* pages = devices_->PageLink;
  history_ = std::make_unique<LinkHistoryPage>(pages);
  range_ = std::make_unique<RangeTestPage>(pages);
  BuildConsolePage();
  // Four small tabs need more room than the PIN group beside them: the bottom row shares its
  // width by need instead of in the top row's two equal columns, and the tabs never scroll, so
  // the window is sized for all four captions.
  QGridLayout* grid = devices_->DevicesLayout;
  grid->removeWidget(pages);
  grid->removeWidget(devices_->PagePin);
  auto* bottomRow = new QHBoxLayout;
  bottomRow->addWidget(pages, 1);
  bottomRow->addWidget(devices_->PagePin);
  grid->addLayout(bottomRow, 1, 0, 1, 2);
  pages->setUsesScrollButtons(false);
  connect(history_->pause, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonHistoryPauseClick);
  connect(history_->save, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonHistorySaveClick);
  connect(range_->button, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonRangeTestClick);
  connect(range_->pace, &QTimer::timeout, this, &TRukMoxFormLight::RangeTestStep);
}

void TRukMoxFormLight::ApplyLinkPageCaptions(int language) {
  QTabWidget* pages = devices_->PageLink;
  pages->setTabText(pages->indexOf(history_->tab), WordText(Word::HistoryTab, language));
  pages->setTabText(pages->indexOf(range_->tab), WordText(Word::RangeTab, language));
  pages->setTabText(pages->indexOf(console_->tab), WordText(Word::ConsoleTab, language));
  history_->ApplyCaptions(language);
  range_->ApplyCaptions(language, RangeTestRunning());
  console_->ApplyCaptions(language, ConsoleRunning());
}

const LinkHistory& TRukMoxFormLight::History() const {
  return history_->history;
}

void TRukMoxFormLight::ButtonHistoryPauseClick() {
  // The button's own state says whether the history is paused; a call from the program flips it.
  if (sender() != history_->pause) history_->pause->toggle();
  history_->history.SetPaused(history_->pause->isChecked());
}

void TRukMoxFormLight::ButtonHistorySaveClick() {
  const QString path =
      QFileDialog::getSaveFileName(this, WindowTitle(), QStringLiteral("rukmox-link-history.csv"),
                                   QStringLiteral("CSV (*.csv)"));
  if (!path.isEmpty()) SaveHistoryCsv(path);
}

bool TRukMoxFormLight::SaveHistoryCsv(const QString& path) {
  std::ostringstream csv;
  history_->history.WriteCsv(csv);
  // Written whole or not at all: an older file of that name is not left half overwritten.
  platform::FileProblem problem;
  const bool saved = platform::WriteWholeFile(path.toStdString(), csv.str(), &problem);
  if (!saved)
    messages_.Error(
        WordText(Word::HistoryUnwritable, Language,
                 {path, QString::fromStdString(platform::FileProblemText(problem, Language))}));
  return saved;
}

}  // namespace rukmox::window
