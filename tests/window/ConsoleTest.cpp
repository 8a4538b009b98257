// The data console on the link page: lines out and their echo back in text and hex, refused
// lines, the poll tick held off while it runs, stopping and closing without losing what was
// sent, and its end when the dongle goes.
#include <QPlainTextEdit>
#include <QSignalSpy>

#include "ConsolePage.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::window::TRukMoxFormLight;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kEchoWaitMs = 10000;
constexpr std::uint8_t kDataCommand = 0;

Bytes ToBytes(const QByteArray& text) {
  return Bytes(text.begin(), text.end());
}

// Starts the console on a linked pair, in English, with the page in front.
void StartConsole(SimulatedWindow& w) {
  w.window->ImageLanguageClick(1);
  QVERIFY(w.window->ShowPage(QStringLiteral("TabConsole")));
  w.Find<QAbstractButton>("ButtonConsole")->click();
  QVERIFY(w.window->ConsoleRunning());
}

void SendLine(SimulatedWindow& w, const QString& line) {
  QLineEdit* edit = w.Edit("EditConsoleLine");
  edit->setText(line);
  QTest::keyClick(edit, Qt::Key_Return);
}

Bytes AtHost(SimulatedWindow& w) {
  return w.sim->With([](World& world) {
    Bytes all;
    for (const auto& frame : world.remotes[0].hostReceived)
      all.insert(all.end(), frame.data.begin(), frame.data.end());
    return all;
  });
}

QString View(SimulatedWindow& w) {
  return w.Find<QPlainTextEdit>("ViewConsole")->toPlainText();
}

}  // namespace

class ConsoleTest : public QObject {
  Q_OBJECT

 private slots:
  void aLineGoesOutAndItsEchoIsShown_data() {
    QTest::addColumn<int>("mode");  // 0 text, 1 hex
    QTest::addColumn<int>("lineEnd");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("shown");
    QTest::newRow("text, CR LF") << 0 << 3 << "AT+VER?" << QByteArray("AT+VER?\r\n")
                                 << "> AT+VER?\nAT+VER?\n";
    QTest::newRow("text, no line end") << 0 << 0 << "ping" << QByteArray("ping") << "> ping\nping";
    QTest::newRow("text beyond ASCII") << 0 << 2 << QString::fromUtf8("è")
                                       << QByteArray("\xC3\xA8\n") << "> \\xC3\\xA8\n\\xC3\\xA8\n";
    // The line end is for text lines; frame bytes go out as data like any other.
    QTest::newRow("hex") << 1 << 3 << "f0 ef 0d" << QByteArray("\xF0\xEF\x0D", 3)
                         << "> F0 EF 0D\nF0 EF 0D";
  }
  void aLineGoesOutAndItsEchoIsShown() {
    QFETCH(int, mode);
    QFETCH(int, lineEnd);
    QFETCH(QString, line);
    QFETCH(QByteArray, sent);
    QFETCH(QString, shown);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Combo("ComboConsoleMode")->setCurrentIndex(mode);
    w.Combo("ComboConsoleLineEnd")->setCurrentIndex(lineEnd);
    StartConsole(w);
    SendLine(w, line);
    QVERIFY(w.Edit("EditConsoleLine")->text().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(w.window->ConsoleCounts().fromRemote,
                              static_cast<quint64>(sent.size()), kEchoWaitMs);
    QCOMPARE(AtHost(w), ToBytes(sent));
    QCOMPARE(w.window->ConsoleCounts().toRemote, static_cast<quint64>(sent.size()));
    QCOMPARE(View(w), shown);
    QCOMPARE(w.Label("LabelConsoleCounts")->text(),
             QStringLiteral("%1 bytes sent, %1 received").arg(sent.size()));
    QVERIFY(w.messages.messages.empty());
  }

  void aBadHexLineSendsNothingAndStaysForMending() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Combo("ComboConsoleMode")->setCurrentIndex(1);
    StartConsole(w);
    SendLine(w, QStringLiteral("48 6"));
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QVERIFY(w.messages.messages[0].text.contains(QStringLiteral("nothing was sent")));
    QCOMPARE(w.Edit("EditConsoleLine")->text(), QStringLiteral("48 6"));
    // A line that had been queued would go out at the console's first steps.
    QSignalSpy steps(w.Find<QTimer>("TimerOperation"), &QTimer::timeout);
    QTRY_VERIFY(steps.count() >= 3);
    QCOMPARE(w.window->ConsoleCounts().toRemote, quint64{0});
    QVERIFY(AtHost(w).empty());
    QVERIFY(View(w).isEmpty());
    QVERIFY(w.window->ConsoleRunning());
  }

  // A command exchange in between would purge or misread the remote host's data.
  void whileItRunsOnlyDataGoesToTheDongleAndAfterStopTheTickComesBack() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QSignalSpy ticks(w.window.get(), &TRukMoxFormLight::PollTicked);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 5000);
    StartConsole(w);
    w.Frames();
    ticks.clear();
    auto* button = w.Find<QAbstractButton>("ButtonConsole");
    QCOMPARE(button->text(), QStringLiteral("Stop"));
    QVERIFY(button->isEnabled());
    QVERIFY(!w.Combo("ComboCanale")->isEnabled());
    QVERIFY(!w.Find<QWidget>("ButtonRangeTest")->isEnabled());

    SendLine(w, QStringLiteral("hello"));
    QTRY_COMPARE_WITH_TIMEOUT(w.window->ConsoleCounts().fromRemote, quint64{7}, kEchoWaitMs);
    // Half a second of console steps (one each 10 ms at most): five poll intervals.
    QSignalSpy steps(w.Find<QTimer>("TimerOperation"), &QTimer::timeout);
    QTRY_VERIFY(steps.count() >= 50);
    QCOMPARE(ticks.count(), 0);
    QVERIFY(!w.Timer()->isActive());
    const auto during = w.Frames();
    QCOMPARE(during.size(), std::size_t{1});
    QCOMPARE(during[0].code, kDataCommand);

    button->click();
    QVERIFY(!w.window->ConsoleRunning());
    QVERIFY(!w.window->OperationRunning());
    QCOMPARE(button->text(), QStringLiteral("Start"));
    QVERIFY(w.Combo("ComboCanale")->isEnabled());
    QVERIFY(!w.Edit("EditConsoleLine")->isEnabled());
    QVERIFY(w.window->Device()->GetPurgeBeforeWrite());
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 5000);
    const auto after = w.Frames();
    QVERIFY(std::any_of(after.begin(), after.end(),
                        [](const CommandFrame& f) { return f.code != kDataCommand; }));
    // The counts of the run stay to be read.
    QCOMPARE(w.Label("LabelConsoleCounts")->text(), QStringLiteral("7 bytes sent, 7 received"));
  }

  // A line of ten frames takes a third of a second to go out; stopping or closing meanwhile
  // still delivers all of it.
  void stopAndCloseSendWhatWasAlreadySentFirst_data() {
    QTest::addColumn<bool>("close");
    QTest::newRow("stop") << false;
    QTest::newRow("close") << true;
  }
  void stopAndCloseSendWhatWasAlreadySentFirst() {
    QFETCH(bool, close);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->show();
    StartConsole(w);
    const QString line(rukmox::window::ConsolePage::kLineLimit, QChar('x'));
    SendLine(w, line);
    if (close) {
      QVERIFY(!w.window->close());  // waits for the console
      QVERIFY(!w.Edit("EditConsoleLine")->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(!w.window->isVisible(), kEchoWaitMs);
      QVERIFY(w.window->Device() == nullptr);
    } else {
      w.window->ButtonConsoleClick();
      QVERIFY(w.window->ConsoleRunning());
      SendLine(w, QStringLiteral("more"));  // taken no more
      QTRY_VERIFY_WITH_TIMEOUT(!w.window->ConsoleRunning(), kEchoWaitMs);
    }
    // The last frame left the window with the console's end; the radio hands it to the host a
    // moment later.
    QTRY_COMPARE_WITH_TIMEOUT(
        AtHost(w).size(), std::size_t(rukmox::window::ConsolePage::kLineLimit + 2), kEchoWaitMs);
    QVERIFY(w.messages.messages.empty());
  }

  void theDongleGoingEndsTheConsoleAsItEndsTheRangeTest_data() {
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("unplugged") << true;
    QTest::newRow("module closed under the window") << false;
  }
  void theDongleGoingEndsTheConsoleAsItEndsTheRangeTest() {
    QFETCH(bool, hangUp);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    StartConsole(w);
    SendLine(w, QStringLiteral("hello"));
    QTRY_COMPARE_WITH_TIMEOUT(w.window->ConsoleCounts().fromRemote, quint64{7}, kEchoWaitMs);
    if (hangUp)
      w.sim->HangUp();
    else
      w.window->Device()->Close();
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->ConsoleRunning(), kEchoWaitMs);
    QVERIFY(!w.window->OperationRunning());
    QVERIFY(w.window->DongleGone());
    QVERIFY(w.Label("LabelStatus")->text().startsWith(QStringLiteral("Dongle gone")));
    QVERIFY(!w.Edit("EditNomeDongle")->isEnabled());
    QVERIFY(w.Find<QWidget>("ImageConnected")->isHidden());
    QCOMPARE(w.Find<QAbstractButton>("ButtonConsole")->text(), QStringLiteral("Start"));
    QVERIFY(w.messages.messages.empty());
    // Nothing to start on any more.
    w.window->ButtonConsoleClick();
    QVERIFY(!w.window->ConsoleRunning());
  }

  void startIsRefusedWithoutARemoteAndInsideAnotherOperation() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    QVERIFY(!w.Edit("EditConsoleLine")->isEnabled());
    QVERIFY(!w.Find<QWidget>("ButtonConsoleSend")->isEnabled());
    w.window->ButtonConsoleClick();
    QVERIFY(!w.window->ConsoleRunning());
    QVERIFY(!w.window->OperationRunning());
    QVERIFY(w.Timer()->isActive());
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text, QStringLiteral("Nessun dispositivo remoto collegato."));

    auto* button = w.Find<QAbstractButton>("ButtonConsole");
    w.window->ButtonScanEnergyClick();  // a scan, the sweeps or a job
    QVERIFY(w.window->OperationRunning());
    QVERIFY(!button->isEnabled());
    w.window->ButtonAbortClick();
    QVERIFY(w.WaitForOperation());
    QVERIFY(button->isEnabled());
  }
};

QTEST_MAIN(ConsoleTest)
#include "ConsoleTest.moc"
