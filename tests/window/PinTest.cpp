// The PIN page: every message of a change or a removal, with and without a linked remote.
#include <QPushButton>
#include <QToolButton>

#include "WindowFixture.h"

using namespace rukmox::window::test;

namespace {

constexpr int kInfo = TRukMox::CmdInfo;
constexpr int kSetPin = TRukMox::CmdSetPin;

}  // namespace

class PinTest : public QObject {
  Q_OBJECT

 private slots:
  void pinButtons_data() {
    QTest::addColumn<bool>("linked");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("silenced");  // the dongle's answer lost, counted from 1; 0 none
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("fieldAfter");
    QTest::addColumn<QString>("donglePin");

    const QString change = "ButtonChangePin";
    const QString remove = "ButtonRemovePin";
    QTest::newRow("change, remote linked")
        << true << change << "1234" << 0 << false << false
        << "PIN dei dispositivi locale e remoto impostato correttamente."
        << "1234"
        << "1234";
    QTest::newRow("change, dongle alone") << false << change << "1234" << 0 << false << false
                                          << "PIN del dispositivo locale impostato correttamente."
                                          << "1234"
                                          << "1234";
    QTest::newRow("change, dongle alone, English")
        << false << change << "1234" << 0 << true << false
        << "PIN of the local device is set up correctly."
        << "1234"
        << "1234";
    QTest::newRow("change to nothing sets no PIN")
        << false << change << "" << 0 << false << false
        << "PIN del dispositivo locale impostato correttamente."
        << ""
        << "    ";
    QTest::newRow("four blanks trim to nothing")
        << true << change << "    " << 0 << false << false
        << "PIN dei dispositivi locale e remoto impostato correttamente."
        << "    "
        << "    ";
    QTest::newRow("two characters are refused")
        << false << change << "12" << 0 << false << true
        << "Impossibile cambiare il pin corrente. \nErrore: 3."
        << "12"
        << "    ";
    QTest::newRow("change, the dongle's PIN unreadable")
        << true << change << "1234" << 1 << false << true
        << "Impossibile cambiare il pin corrente. \nErrore di lettura del pin corrente."
        << "1234"
        << "    ";
    QTest::newRow("remove, remote linked")
        << true << remove << "9999" << 0 << false << false
        << "PIN dei dispositivi locale e remoto rimosso correttamente."
        << ""
        << "    ";
    QTest::newRow("remove, dongle alone") << false << remove << "9999" << 0 << false << false
                                          << "PIN del dispositivo locale rimosso correttamente."
                                          << ""
                                          << "    ";
    QTest::newRow("remove, the dongle's PIN unreadable")
        << false << remove << "9999" << 1 << false << true
        << "Impossibile rimuovere il pin corrente. \nErrore di lettura del pin corrente."
        << "9999"
        << "    ";
    QTest::newRow("remove, the dongle does not answer the change")
        << false << remove << "9999" << 2 << false << true
        << "Impossibile rimuovere il pin corrente. \nErrore n. 3."
        << "9999"
        << "    ";
  }
  void pinButtons() {
    QFETCH(bool, linked);
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(int, silenced);
    QFETCH(bool, english);
    QFETCH(bool, error);
    QFETCH(QString, message);
    QFETCH(QString, fieldAfter);
    QFETCH(QString, donglePin);
    SimulatedWindow w;
    QVERIFY(w.Start(linked ? Linked() : DongleAlone()));
    if (english) QTest::mouseClick(w.Find<QToolButton>("ImageEng"), Qt::LeftButton);
    w.Timer()->stop();
    SimulatedWindow::Type(w.Edit("EditPin"), typed);
    w.Frames();
    if (silenced > 0) w.SilenceNextReplies(1, silenced - 1);
    QTest::mouseClick(w.Find<QPushButton>(button.toLatin1().constData()), Qt::LeftButton);

    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QCOMPARE(w.messages.messages.front().error, error);
    QCOMPARE(w.messages.messages.front().text, message);
    QCOMPARE(w.Edit("EditPin")->text(), fieldAfter);
    const auto frames = w.Frames();
    // The remote panel is read again only after a success with a linked remote.
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, 1) > 0, linked && !error);
    if (silenced == 1) QCOMPARE(SimulatedWindow::Count(frames, kSetPin, 0), std::size_t{0});
    const auto pins = w.sim->With([](World& world) {
      return std::make_pair(world.dongle.current.pin, world.remotes[0].current.pin);
    });
    QCOMPARE(QString::fromStdString(pins.first), donglePin);
    // The remote's PIN follows the dongle's when the two are linked, and stays otherwise.
    QCOMPARE(QString::fromStdString(pins.second), linked && !error ? donglePin : QString("    "));
    QVERIFY(w.Timer()->isActive());
  }

  // Its button stays hidden; the handler is complete all the same.
  void readingThePin() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    w.sim->With([](World& world) { world.dongle.current.pin = "4321"; });
    w.window->ButtonReadPinClick();
    QCOMPARE(w.Edit("EditPin")->text(), QString("4321"));
    QVERIFY(w.messages.messages.empty());

    w.SilenceNextReplies(1);
    w.window->ButtonReadPinClick();
    QVERIFY(w.Edit("EditPin")->text().isEmpty());
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QCOMPARE(w.messages.messages.front().text, QString("Errore di lettura del pin della dongle."));
    QVERIFY(w.messages.messages.front().error);
  }
};

QTEST_MAIN(PinTest)
#include "PinTest.moc"
