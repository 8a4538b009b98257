// Service mode: what it shows, how it is switched on and off, the option that starts the window in
// it, and the channel delta-signal report it offers.
#include <QAbstractButton>
#include <QStatusBar>

#include "StartOptions.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::window::ParseStartOptions;

namespace {

const char* const kServiceControls[] = {"GroupProgramDongle", "GroupProgramMcu", "ButtonReadPin",
                                        "ButtonScanChannel"};

QString StatusLine(SimulatedWindow& w) {
  return w.Label("LabelStatus")->text();
}

QString DeltaReport(const QString& delta) {
  QString text = "Delta signal: ";
  for (int channel = 0; channel < 16; ++channel)
    text += QString("\nChannel %1: %2").arg(channel).arg(delta);
  return text;
}

}  // namespace

class ServiceTest : public QObject {
  Q_OBJECT

 private:
  static void VerifyShown(SimulatedWindow& w, bool shown) {
    for (const char* name : kServiceControls)
      QVERIFY2(w.Find<QWidget>(name)->isHidden() == !shown, name);
  }

 private slots:
  void ctrlShiftSSwitchesServiceModeOnAndOff() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    VerifyShown(w, false);
    const QSize operatorSize = w.window->size();
    const QString operatorLine = StatusLine(w);

    QTest::keyClick(w.window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(w.window->ServiceMode());
    VerifyShown(w, true);
    QCOMPARE(StatusLine(w), operatorLine + " \u2014 modalità di servizio");
    QVERIFY(w.window->height() > operatorSize.height());  // room for the programming groups

    QTest::keyClick(w.window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!w.window->ServiceMode());
    VerifyShown(w, false);
    QCOMPARE(StatusLine(w), operatorLine);
    QCOMPARE(w.window->size(), operatorSize);
  }

  void theStatusLineSaysSoInEitherLanguage() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->SetServiceMode(true);
    w.window->ImageLanguageClick(1);
    QVERIFY(StatusLine(w).endsWith(" \u2014 service mode"));
    QCOMPARE(w.Find<QAbstractButton>("ButtonScanChannel")->text(), QString("Delta signal"));
  }

  void theOptionStartsInServiceMode_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("service");
    QTest::addColumn<int>("sweeps");
    QTest::addColumn<bool>("refused");
    QTest::newRow("plain") << QStringList{} << false << 0 << false;
    QTest::newRow("--service") << QStringList{"--service"} << true << 0 << false;
    QTest::newRow("sweeps for a screenshot")
        << QStringList{"--screenshot", "x.png", "--sweeps", "3"} << false << 3 << false;
    QTest::newRow("sweeps without a screenshot")
        << QStringList{"--sweeps", "3"} << false << 0 << true;
    QTest::newRow("no sweeps") << QStringList{"--screenshot", "x.png", "--sweeps", "0"} << false
                               << 0 << true;
    QTest::newRow("sweeps not a number")
        << QStringList{"--screenshot", "x.png", "--sweeps", "many"} << false << 0 << true;
  }
  void theOptionStartsInServiceMode() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, service);
    QFETCH(int, sweeps);
    QFETCH(bool, refused);
    const auto parsed = ParseStartOptions(QStringList{"rukmox"} + arguments, "0");
    QCOMPARE(!parsed.options.has_value(), refused);
    if (refused) {
      QCOMPARE(parsed.exitStatus, 2);
      QVERIFY(parsed.error.contains("--sweeps"));
      return;
    }
    QCOMPARE(parsed.options->service, service);
    QCOMPARE(parsed.options->sweeps, sweeps);
  }

  void theDeltaSignalReport_data() {
    QTest::addColumn<bool>("dongle");
    QTest::addColumn<QString>("delta");
    // The remote is heard at -60 dBm on every channel, the quiet channels read -90 dBm.
    QTest::newRow("linked remote") << true << "30";
    // Both readings fail: -94 on either side.
    QTest::newRow("module closed") << false << "0";
  }
  void theDeltaSignalReport() {
    QFETCH(bool, dongle);
    QFETCH(QString, delta);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->SetServiceMode(true);
    w.Timer()->stop();
    if (!dongle) w.window->Device()->Close();
    w.Find<QAbstractButton>("ButtonScanChannel")->click();
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(!w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text, DeltaReport(delta));
    // The pair is back on the channel it was on.
    if (dongle) QCOMPARE(w.sim->With([](World& world) { return world.dongle.current.channel; }), 3);
    QVERIFY(w.Timer()->isActive());
  }
};

QTEST_MAIN(ServiceTest)
#include "ServiceTest.moc"
