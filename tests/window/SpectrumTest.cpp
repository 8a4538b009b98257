// The spectrum page: the ring of 20 sweeps, the stop that lets the sweep in progress finish, the
// read time, the lock-out of every other operation while it sweeps, and the end of the loop when
// the dongle is gone.
#include <QAction>
#include <QChartView>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QSignalSpy>
#include <functional>

#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::window::TRukMoxFormLight;

namespace {

constexpr int kRing = 20;
constexpr int kPointsPerSweep = 48;
constexpr int kQuietValue = 5;  // the fast scenario's -90 dBm as the chart shows it (dBm + 95)
constexpr int kRunaway = 60;    // a loop that should have ended and did not is stopped here

// Series number `number` (0 to 19), by its name Series1 to Series20.
QLineSeries* Series(SimulatedWindow& w, int number) {
  const QString name = QStringLiteral("Series%1").arg(number + 1);
  for (QAbstractSeries* series : w.Find<QChartView>("ChartScan")->chart()->series())
    if (series->objectName() == name) return qobject_cast<QLineSeries*>(series);
  return nullptr;
}

// The height of channel `channel`'s bar in series `number`.
qreal Bar(SimulatedWindow& w, int number, int channel) {
  return Series(w, number)->at(3 * channel + 1).y();
}

// Runs the sweeps; after each one `drawn(sweeps)` sees the window as the operator would.
void Sweep(SimulatedWindow& w, const std::function<void(int)>& drawn) {
  w.Timer()->stop();
  const auto connection =
      QObject::connect(w.window.get(), &TRukMoxFormLight::SweepDrawn, w.window.get(), drawn);
  w.window->ButtonScanEnergyClick();
  QVERIFY(w.WaitForOperation());  // until they are stopped
  QObject::disconnect(connection);
}

// Runs exactly `count` sweeps.
void SweepTimes(SimulatedWindow& w, int count) {
  Sweep(w, [&](int sweeps) {
    if (sweeps >= count) w.window->ButtonAbortClick();
  });
}

std::vector<int> NonEmptySeries(SimulatedWindow& w) {
  std::vector<int> numbers;
  for (int n = 0; n < kRing; ++n)
    if (Series(w, n)->count() > 0) numbers.push_back(n);
  return numbers;
}

}  // namespace

class SpectrumTest : public QObject {
  Q_OBJECT

 private slots:
  void twentyFiveSweepsFillTheRing() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QSignalSpy pointByPoint(Series(w, 0), &QXYSeries::pointAdded);
    // Channel 0 tells the sweeps apart: sweep k reads kQuietValue + k there.
    Sweep(w, [&](int sweeps) {
      w.sim->With([&](World& world) { world.PinNoise(0, -90 + sweeps); });
      if (sweeps >= 25) w.window->ButtonAbortClick();
    });
    for (int n = 0; n < kRing; ++n) {
      QCOMPARE(Series(w, n)->count(), kPointsPerSweep);
      const int sweep = n < 5 ? kRing + n : n;
      QCOMPARE(Bar(w, n, 0), qreal(kQuietValue + sweep));
    }
    // Each channel is a bar: up from 0 to its value and back at x = channel.
    QLineSeries* last = Series(w, 4);
    for (int channel = 0; channel < 16; ++channel) {
      QCOMPARE(last->at(3 * channel), QPointF(channel, 0));
      QCOMPARE(last->at(3 * channel + 2), QPointF(channel, 0));
      QCOMPARE(last->at(3 * channel + 1).x(), qreal(channel));
      if (channel > 0) QCOMPARE(last->at(3 * channel + 1).y(), qreal(kQuietValue));
    }
    QCOMPARE(pointByPoint.count(), 0);  // a sweep is drawn in one go

    // After the run: the page as before it, the poll timer running again, the traces kept.
    QVERIFY(!w.window->Busy());
    QVERIFY(w.Find<QWidget>("ButtonScanEnergy")->isEnabled());
    QVERIFY(w.Find<QWidget>("ButtonStopEnergy")->isHidden());
    QVERIFY(w.Label("LabelScanTime")->isHidden());
    QVERIFY(w.Timer()->isActive());
  }

  void theChartIsDrawnWhileItSweeps() {
    // The sweeps are drawn by a frame timer during the loop, not only once it ends.
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QElapsedTimer clock;
    bool drawnWhileSweeping = false;
    Sweep(w, [&](int sweeps) {
      if (sweeps == 1) clock.start();
      drawnWhileSweeping = Series(w, 0)->count() == kPointsPerSweep;
      if (drawnWhileSweeping || clock.elapsed() > 3000) w.window->ButtonAbortClick();
    });
    QVERIFY(drawnWhileSweeping);
  }

  void stopLetsTheSweepInProgressFinish() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    auto* stop = w.Find<QAbstractButton>("ButtonStopEnergy");
    Sweep(w, [&](int sweeps) {
      // The click waits for the next sweep's message processing; that sweep is still drawn.
      if (sweeps == 3)
        QMetaObject::invokeMethod(stop, &QAbstractButton::click, Qt::QueuedConnection);
      if (sweeps >= kRunaway) w.window->ButtonAbortClick();
    });
    QCOMPARE(NonEmptySeries(w), (std::vector<int>{0, 1, 2, 3}));

    // The next run starts from an empty chart.
    SweepTimes(w, 1);
    QCOMPARE(NonEmptySeries(w), std::vector<int>{0});
  }

  void aFailedReadLeavesItsSeriesEmptyAndTheTimeAsItWas() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Timer()->stop();
    w.SilenceNextReplies(1);  // the first energy read gets no answer
    QStringList times;
    Sweep(w, [&](int sweeps) {
      times << w.Label("LabelScanTime")->text();
      if (sweeps >= 2) w.window->ButtonAbortClick();
    });
    QCOMPARE(times.value(0), QString("Time: 0"));
    QVERIFY(times.value(1).startsWith("Time: "));
    QCOMPARE(NonEmptySeries(w), std::vector<int>{1});
    QVERIFY(w.messages.messages.empty());  // a failed sweep is not reported
  }

  void whileSweepingNothingElseStartsAndTheWindowStaysOpen() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    w.window->SetServiceMode(true);  // the service controls are locked as well
    const char* const locked[] = {"ButtonScanEnergy",
                                  "EditNomeDongle",
                                  "EditIndirizzoDongle",
                                  "ComboPotenzaDongle",
                                  "EditNomeMcu",
                                  "ComboCanale",
                                  "EditPin",
                                  "ButtonChangePin",
                                  "ButtonRemovePin",
                                  "ButtonReadPin",
                                  "ButtonScan",
                                  "ListDevice",
                                  "ButtonConnectMcu",
                                  "ButtonProgramDongle",
                                  "ButtonScanChannel"};
    bool checked = false;
    Sweep(w, [&](int sweeps) {
      if (sweeps == 1) {
        for (const char* name : locked) QVERIFY2(!w.Find<QWidget>(name)->isEnabled(), name);
        QVERIFY(!w.Find<QAction>("ActionReconnect")->isEnabled());
        QVERIFY(w.Find<QWidget>("ButtonStopEnergy")->isEnabled());
        QVERIFY(!w.Timer()->isActive());
        // Escape and the close button do nothing while it sweeps.
        QTest::keyClick(w.window.get(), Qt::Key_Escape);
        QVERIFY(!w.window->close());
        QVERIFY(w.window->isVisible());
        checked = true;
      }
      if (sweeps >= 2) w.window->ButtonAbortClick();
    });
    QVERIFY(checked);
    QVERIFY(w.window->isVisible());
    for (const char* name : {"ButtonScanEnergy", "EditNomeDongle", "ComboCanale", "ButtonScan"})
      QVERIFY2(w.Find<QWidget>(name)->isEnabled(), name);
    QVERIFY(w.Find<QAction>("ActionReconnect")->isEnabled());
    QVERIFY(w.window->close());  // and now it closes
  }

  void theLoopEndsWhenTheDongleIsGone_data() {
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<int>("sweeps");
    // The read after the unplug fails, and the loop sees the dongle gone.
    QTest::newRow("unplugged") << true << 3;
    QTest::newRow("module closed between two sweeps") << false << 2;
  }
  void theLoopEndsWhenTheDongleIsGone() {
    QFETCH(bool, hangUp);
    QFETCH(int, sweeps);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    int swept = 0;
    Sweep(w, [&](int sweeps) {
      swept = sweeps;
      if (sweeps == 2) {
        if (hangUp)
          w.sim->HangUp();
        else
          w.window->Device()->Close();
      }
      if (sweeps >= kRunaway) w.window->ButtonAbortClick();
    });
    if (hangUp && w.window->Device()->IsOpen())
      QSKIP("the transport does not close itself on a hang-up yet");
    QCOMPARE(swept, sweeps);
    QVERIFY(!w.window->Busy());
    QVERIFY(w.window->DongleGone());
    QVERIFY(!w.Find<QWidget>("ButtonScanEnergy")->isEnabled());
    QVERIFY(w.Find<QWidget>("ButtonStopEnergy")->isHidden());
  }
};

QTEST_MAIN(SpectrumTest)
#include "SpectrumTest.moc"
