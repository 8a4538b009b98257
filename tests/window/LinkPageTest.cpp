// The link history and the range test beside the link monitor: what the poll tick feeds, the
// pause, the CSV file, and a range test run, stopped and refused.
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QLineSeries>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>

#include "LinkHistory.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::LinkHistory;
using rukmox::window::TRukMoxFormLight;

namespace {

constexpr int kRemotePing = 31;

// The series lives in its chart, not among the window's children.
QXYSeries* Series(SimulatedWindow& w, const char* chart, const char* name) {
  for (QAbstractSeries* series : w.Find<QChartView>(chart)->chart()->series())
    if (series->objectName() == QLatin1String(name)) return qobject_cast<QXYSeries*>(series);
  return nullptr;
}

int Points(SimulatedWindow& w, const char* name) {
  const char* chart = QByteArray(name).startsWith("SeriesRange") ? "ChartRange" : "ChartHistory";
  QXYSeries* series = Series(w, chart, name);
  return series ? static_cast<int>(series->count()) : -1;
}

}  // namespace

class LinkPageTest : public QObject {
  Q_OBJECT

 private slots:
  void ticksFeedTheHistoryWithTheMoveMarked() {
    SimulatedWindow w;
    QVERIFY(w.Start(Strong()));
    Tick(w);
    // Noise on the channel in use makes the module move the pair inside the next tick.
    w.sim->With([](World& world) { world.PinNoise(3, -60); });
    Tick(w);
    Tick(w);

    const auto& samples = w.window->History().Samples();
    QCOMPARE(samples.size(), std::size_t{3});
    QCOMPARE(samples[0].channel, 3);
    QVERIFY(!samples[0].channelMoved);
    QVERIFY(samples[1].channel != 3);
    QVERIFY(samples[1].channelMoved);
    QVERIFY(!samples[2].channelMoved);  // marked once, where it happened
    QCOMPARE(samples[0].quality, 54);   // -40 dBm as the link page shows it
    QVERIFY(samples[0].linked);
    // The chart is drawn only where it can be seen, and then with everything the ticks kept.
    QCOMPARE(Points(w, "SeriesQuality"), 0);
    QVERIFY(w.window->ShowPage(QStringLiteral("TabHistory")));
    w.window->show();
    QCOMPARE(Points(w, "SeriesQuality"), 3);
    QCOMPARE(Points(w, "SeriesEnergy"), 3);
    QCOMPARE(Points(w, "SeriesMoves"), 1);
    // The newest sample is at the right edge, the older ones to its left.
    const QList<QPointF> quality = Series(w, "ChartHistory", "SeriesQuality")->points();
    QCOMPARE(quality.back().x(), 0.0);
    QVERIFY(quality.front().x() <= 0.0);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    QVERIFY(w.window->SaveHistoryCsv(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString::fromStdString(LinkHistory::CsvHeader()));
    QVERIFY(lines[1].endsWith(QStringLiteral(",3,1,0")));
    QVERIFY2(lines[2].endsWith(QStringLiteral(",1,1")), qPrintable(lines[2]));
    QVERIFY(lines[3].endsWith(QStringLiteral(",1,0")));
    QVERIFY(w.messages.messages.empty());
  }

  void pauseStopsTheFeedingButNotTheMoveMark() {
    SimulatedWindow w;
    QVERIFY(w.Start(Strong()));
    QVERIFY(w.window->ShowPage(QStringLiteral("TabHistory")));
    w.window->show();
    Tick(w);
    w.window->ButtonHistoryPauseClick();
    QVERIFY(w.Find<QAbstractButton>("ButtonHistoryPause")->isChecked());
    w.sim->With([](World& world) { world.PinNoise(3, -60); });
    Tick(w);  // moves the pair while paused
    Tick(w);
    QCOMPARE(w.window->History().Samples().size(), std::size_t{1});
    QCOMPARE(Points(w, "SeriesQuality"), 1);
    // The link monitor itself goes on.
    QVERIFY(w.Label("LabelLink")->text().startsWith(QStringLiteral("Quality (")));

    w.window->ButtonHistoryPauseClick();
    QVERIFY(!w.Find<QAbstractButton>("ButtonHistoryPause")->isChecked());
    Tick(w);
    const auto& samples = w.window->History().Samples();
    QCOMPARE(samples.size(), std::size_t{2});
    QVERIFY(samples[1].channelMoved);
  }

  void withoutRemoteTheHistoryShowsNoLink() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    w.sim->With([](World& world) { world.PinNoise(3, -70); });
    Tick(w);
    const auto& samples = w.window->History().Samples();
    QCOMPARE(samples.size(), std::size_t{1});
    QVERIFY(!samples[0].linked);
    QCOMPARE(samples[0].quality, 0);
    QCOMPARE(samples[0].energy, 24);
  }

  void unwritableCsvIsReported() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Tick(w);
    const QString path = QStringLiteral("/nonexistent/rukmox/history.csv");
    QVERIFY(!w.window->SaveHistoryCsv(path));
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QVERIFY(w.messages.messages[0].text.contains(path));
  }

  void rangeTestCountsTheLostAnswers() {
    Scenario lossy = Linked();
    lossy.remotes[0].answerLoss = {0.25, kRemotePing};  // every fourth answer goes missing
    SimulatedWindow w;
    QVERIFY(w.Start(lossy));
    w.window->ImageLanguageClick(1);
    QVERIFY(w.window->ShowPage(QStringLiteral("TabRange")));
    w.Find<QSpinBox>("SpinRangeCount")->setValue(8);
    auto* button = w.Find<QAbstractButton>("ButtonRangeTest");
    QCOMPARE(button->text(), QString("Start"));
    QSignalSpy steps(w.window.get(), &TRukMoxFormLight::RangeStepShown);

    button->click();
    QVERIFY(w.window->RangeTestRunning());
    // Nothing else starts on the module meanwhile; the stop button stays live.
    QCOMPARE(button->text(), QString("Stop"));
    QVERIFY(button->isEnabled());
    QVERIFY(!w.Combo("ComboCanale")->isEnabled());
    QVERIFY(!w.Find<QWidget>("SpinRangeCount")->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(!w.window->RangeTestRunning(), 20000);
    QCOMPARE(steps.count(), 8);
    QCOMPARE(w.Label("LabelRangeCounts")->text(),
             QString("8 sent, 6 answered, 2 lost (loss 25.0 %)"));
    QVERIFY2(QRegularExpression(
                 QStringLiteral("^round trip median [0-9.]+ ms, 95th percentile [0-9.]+ ms$"))
                 .match(w.Label("LabelRangeTrip")->text())
                 .hasMatch(),
             qPrintable(w.Label("LabelRangeTrip")->text()));
    QVERIFY2(QRegularExpression(QStringLiteral("^quality local [0-9]+, remote [0-9]+$"))
                 .match(w.Label("LabelRangeQuality")->text())
                 .hasMatch(),
             qPrintable(w.Label("LabelRangeQuality")->text()));
    QCOMPARE(Points(w, "SeriesRangeTrip"), 6);
    QCOMPARE(Points(w, "SeriesRangeLost"), 2);
    QCOMPARE(button->text(), QString("Start"));
    QVERIFY(w.Combo("ComboCanale")->isEnabled());
    QVERIFY(!w.window->OperationRunning());
  }

  void rangeTestCannotStartInsideAnotherOperation() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    auto* button = w.Find<QAbstractButton>("ButtonRangeTest");
    w.window->ButtonScanEnergyClick();  // a scan, the sweeps or a job
    QVERIFY(w.window->OperationRunning());
    QVERIFY(!button->isEnabled());
    QVERIFY(!w.Find<QWidget>("SpinRangeCount")->isEnabled());
    w.window->ButtonAbortClick();
    QVERIFY(w.WaitForOperation());
    QVERIFY(button->isEnabled());
    QVERIFY(w.Find<QWidget>("SpinRangeCount")->isEnabled());
  }

  void rangeTestStopsWhenAsked() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Find<QSpinBox>("SpinRangeCount")->setValue(1000);
    QSignalSpy steps(w.window.get(), &TRukMoxFormLight::RangeStepShown);
    w.window->ButtonRangeTestClick();
    QTRY_VERIFY_WITH_TIMEOUT(steps.count() >= 2, 10000);
    w.window->ButtonRangeTestClick();
    QVERIFY(!w.window->RangeTestRunning());
    QVERIFY(!w.window->OperationRunning());
    QVERIFY(w.Combo("ComboCanale")->isEnabled());
    const int shown = static_cast<int>(steps.count());
    // No ping after the stop: nothing is left to step.
    QVERIFY(!w.Find<QTimer>("TimerOperation")->isActive());
    QCoreApplication::processEvents();
    QCOMPARE(static_cast<int>(steps.count()), shown);
    QVERIFY(shown < 1000);
  }

  void rangeTestEndsWhenTheDongleGoes() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Find<QSpinBox>("SpinRangeCount")->setValue(1000);
    QSignalSpy steps(w.window.get(), &TRukMoxFormLight::RangeStepShown);
    w.window->ButtonRangeTestClick();
    QTRY_VERIFY_WITH_TIMEOUT(steps.count() >= 1, 10000);
    w.window->Device()->Close();
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->RangeTestRunning(), 10000);
    QVERIFY(steps.count() < 5);
    QVERIFY(!w.window->OperationRunning());
  }

  void rangeTestNeedsALinkedRemote() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    w.window->ButtonRangeTestClick();
    QVERIFY(!w.window->RangeTestRunning());
    QVERIFY(!w.window->OperationRunning());
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
  }

  void closingEndsARunningRangeTest() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->show();
    QSignalSpy steps(w.window.get(), &TRukMoxFormLight::RangeStepShown);
    w.window->ButtonRangeTestClick();
    QTRY_VERIFY_WITH_TIMEOUT(steps.count() >= 1, 10000);
    QVERIFY(w.window->close());
    QVERIFY(!w.window->RangeTestRunning());
  }
};

QTEST_MAIN(LinkPageTest)
#include "LinkPageTest.moc"
