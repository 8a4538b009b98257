// The device property panels: key filters (typed and pasted), the six change handlers with their
// success, refusal and failure paths, and the exit handlers.
#include <QClipboard>

#include "KeyFilters.h"
#include "NameCharacters.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::window::NameKey;
using rukmox::window::NumericKey;

namespace {

constexpr int kSetName = TRukMox::CmdSetName;
constexpr int kStore = TRukMox::CmdStore;
constexpr int kSetAddress = TRukMox::CmdSetAddress;
constexpr int kSetPower = TRukMox::CmdSetPower;
constexpr int kInfo = TRukMox::CmdInfo;
constexpr int kLocal = 0;
constexpr int kRemote = 1;

std::vector<QString> Texts(const RecordingSink& sink) {
  std::vector<QString> out;
  for (const Message& m : sink.messages) out.push_back(m.text);
  return out;
}

}  // namespace

class PanelsTest : public QObject {
  Q_OBJECT

 private slots:
  void keyFiltersJudgeTheWholeCharacter_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("name");  // which filter
    QTest::addColumn<int>("passed");
    QTest::addColumn<bool>("enter");
    QTest::newRow("name letter") << int('q') << true << int('q') << false;
    QTest::newRow("name blank") << int(' ') << true << int(' ') << false;
    QTest::newRow("name dash") << int('-') << true << int('-') << false;
    QTest::newRow("name underscore") << int('_') << true << int('_') << false;
    QTest::newRow("name dot") << int('.') << true << 0 << false;
    QTest::newRow("name accented") << 0xE9 << true << 0 << false;
    QTest::newRow("name tab character") << 9 << true << 0 << false;
    QTest::newRow("name backspace") << 8 << true << 8 << false;
    QTest::newRow("name escape") << 27 << true << 27 << false;
    QTest::newRow("name enter") << 13 << true << 13 << true;
    QTest::newRow("digit") << int('7') << false << int('7') << false;
    QTest::newRow("numeric letter") << int('a') << false << 0 << false;
    QTest::newRow("numeric blank") << int(' ') << false << 0 << false;
    QTest::newRow("numeric delete character") << 127 << false << 0 << false;
    QTest::newRow("numeric backspace") << 8 << false << 8 << false;
    QTest::newRow("numeric enter") << 13 << false << 13 << true;
  }
  void keyFiltersJudgeTheWholeCharacter() {
    QFETCH(int, key);
    QFETCH(bool, name);
    QFETCH(int, passed);
    QFETCH(bool, enter);
    auto character = static_cast<char16_t>(key);
    QCOMPARE(name ? NameKey(character) : NumericKey(character), enter);
    QCOMPARE(int(character), passed);
  }

  // The key filter and the paste filter of every name field take what the name rule takes, row
  // for row with rukmoxctl's arguments.
  void nameFieldsTakeWhatTheNameRuleTakes() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    for (const rukmox::test::NameCharacterRow& row : rukmox::test::kNameCharacters) {
      if (row.code > 0xFFFF) continue;  // a key carries one UTF-16 unit
      auto key = static_cast<char16_t>(row.code);
      QVERIFY2(!NameKey(key), row.name);
      QVERIFY2((key == row.code) == row.taken, row.name);
      for (const char* field : {"EditNomeDongle", "EditNomeMcu", "EditPin"}) {
        QString text = QStringLiteral("N") + QString::fromUcs4(&row.code, 1);
        int position = int(text.size());
        w.Edit(field)->validator()->validate(text, position);
        QVERIFY2((text.size() == 2) == row.taken, qPrintable(QString(field) + ' ' + row.name));
      }
    }
  }

  void fieldsTakeOnlyWhatTheirFilterPasses_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");
    QTest::newRow("name keys") << "EditNomeDongle" << false << "Ab 1-_z"
                               << "Ab 1-_z";
    QTest::newRow("name refuses a dot") << "EditNomeDongle" << false << "A.B"
                                        << "AB";
    QTest::newRow("name refuses an accent") << "EditNomeMcu" << false << "Caf\u00e9"
                                            << "Caf";
    QTest::newRow("name ignores a tenth key") << "EditNomeDongle" << false << "ABCDEFGHIJ"
                                              << "ABCDEFGHI";
    QTest::newRow("address refuses letters") << "EditIndirizzoDongle" << false << "12a3"
                                             << "123";
    QTest::newRow("address refuses a sign") << "EditIndirizzoMcu" << false << "-5"
                                            << "5";
    QTest::newRow("pin refuses a dot, five keys") << "EditPin" << false << "1.2345"
                                                  << "1234";
    QTest::newRow("name paste") << "EditNomeDongle" << true << "AB.C-\u00e9_1"
                                << "ABC-_1";
    QTest::newRow("name paste too long") << "EditNomeMcu" << true << "ABCDEFGHIJKL"
                                         << "ABCDEFGHI";
    QTest::newRow("address paste") << "EditIndirizzoDongle" << true << " 12a3\n"
                                   << "123";
    QTest::newRow("pin paste") << "EditPin" << true << "1.2\t"
                               << "12";
    QTest::newRow("pin paste too long") << "EditPin" << true << "12345"
                                        << "1234";
  }
  void fieldsTakeOnlyWhatTheirFilterPasses() {
    QFETCH(QString, field);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, shown);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QLineEdit* edit = w.Edit(field.toLatin1().constData());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    w.Frames();
    if (paste) {
      QApplication::clipboard()->setText(input);
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
      SimulatedWindow::Type(edit, input);
    }
    QCOMPARE(edit->text(), shown);
    QVERIFY(w.Frames().empty());  // no key but Enter sends anything
  }

  void localNameIsSentStoredAndReread() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    w.TypeAndEnter("EditNomeDongle", "BENCH 2");
    const auto frames = w.Frames();
    QCOMPARE(SimulatedWindow::Count(frames, kSetName, kLocal), std::size_t{1});
    QCOMPARE(SimulatedWindow::Count(frames, kStore, kLocal), std::size_t{1});
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, kLocal), std::size_t{1});
    QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.sim->With([](World& world) { return world.dongle.stored.name; }),
             std::string("BENCH 2"));
    QCOMPARE(w.Edit("EditNomeDongle")->text(), QString("BENCH 2"));
  }

  void blankNamesAreRefusedBeforeAnythingIsSent_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("kept");
    QTest::newRow("local empty") << "EditNomeDongle"
                                 << ""
                                 << "Impossibile impostare il nuovo nome del dispositivo locale."
                                 << "RUKDONGLE";
    QTest::newRow("local blanks") << "EditNomeDongle"
                                  << "   "
                                  << "Impossibile impostare il nuovo nome del dispositivo locale."
                                  << "RUKDONGLE";
    QTest::newRow("remote blanks") << "EditNomeMcu"
                                   << " "
                                   << "Impossibile impostare il nuovo nome del dispositivo remoto."
                                   << "SENSOR-A";
  }
  void blankNamesAreRefusedBeforeAnythingIsSent() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, kept);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.TypeAndEnter(field.toLatin1().constData(), typed);
    QVERIFY(w.Frames().empty());
    QCOMPARE(Texts(w.messages), std::vector<QString>{message});
    QVERIFY(w.messages.messages.front().error);
    QCOMPARE(w.Edit(field.toLatin1().constData())->text(), kept);
  }

  // The name command goes out but its answer never comes back: the module may well have taken
  // the name, and the re-read shows what it holds.
  void unansweredLocalNameShowsItsMessageAndRereads() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QLineEdit* edit = w.Edit("EditNomeDongle");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "LOST");
    w.Frames();
    w.SilenceNextReplies(1);
    QTest::keyClick(edit, Qt::Key_Return);
    const auto frames = w.Frames();
    QCOMPARE(Texts(w.messages),
             std::vector<QString>{"Impossibile impostare il nuovo nome del dispositivo locale."});
    QCOMPARE(SimulatedWindow::Count(frames, kStore, kLocal), std::size_t{0});
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, kLocal), std::size_t{1});
    const auto held = w.sim->With([](World& world) { return world.dongle.current.name; });
    QCOMPARE(edit->text(), QString::fromStdString(held));
  }

  // A remote that went out of reach: the change fails, the re-read finds no remote and the panel
  // empties.
  void remoteNameOutOfReach() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.sim->With([](World& world) { world.remotes[0].inReach = false; });
    w.TypeAndEnter("EditNomeMcu", "LOST");
    QCOMPARE(Texts(w.messages),
             std::vector<QString>{"Impossibile impostare il nuovo nome del dispositivo remoto."});
    QVERIFY(!w.Edit("EditNomeMcu")->isEnabled());
    QVERIFY(w.Edit("EditNomeMcu")->text().isEmpty());
    QCOMPARE(w.sim->With([](World& world) { return world.remotes[0].current.name; }),
             std::string("SENSOR-A"));
  }

  void localAddress_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("commands");  // address commands that reached the dongle
    QTest::addColumn<QString>("shown");
    QTest::newRow("accepted") << "4097" << false << 1 << "4097";
    QTest::newRow("empty asks for 1") << "" << false << 1 << "1";
    // Not cut to its low 16 bits (5): refused before anything is sent.
    QTest::newRow("65536 + 5") << "65541" << true << 0 << "4096";
    QTest::newRow("beyond 32 bits") << "99999999999" << true << 0 << "4096";
    QTest::newRow("0 is no address") << "0" << true << 0 << "4096";
    QTest::newRow("65535 is no address") << "65535" << true << 0 << "4096";
  }
  void localAddress() {
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    QFETCH(int, commands);
    QFETCH(QString, shown);
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    w.TypeAndEnter("EditIndirizzoDongle", typed);
    const auto frames = w.Frames();
    QCOMPARE(int(SimulatedWindow::Count(frames, kSetAddress, kLocal)), commands);
    if (refused)
      QCOMPARE(
          Texts(w.messages),
          std::vector<QString>{"Impossibile impostare il nuovo indirizzo del dispositivo locale."});
    else
      QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.Edit("EditIndirizzoDongle")->text(), shown);
    const auto address = w.sim->With([](World& world) { return world.dongle.current.address; });
    QCOMPARE(QString::number(address), shown);
  }

  void localAddressWithLinkedRemoteReachesItAgain() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.TypeAndEnter("EditIndirizzoDongle", "4097");
    const auto frames = w.Frames();
    QVERIFY(w.messages.messages.empty());
    QVERIFY(SimulatedWindow::Count(frames, kStore, kRemote) >= 1);
    QCOMPARE(w.Edit("EditIndirizzoDongle")->text(), QString("4097"));
    QVERIFY(w.Edit("EditNomeMcu")->isEnabled());
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("SENSOR-A"));
  }

  void localAddressWhoseRemoteCannotBeReachedAgain() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.sim->With([](World& world) { world.remotes[0].inReach = false; });
    w.TypeAndEnter("EditIndirizzoDongle", "4097");
    QCOMPARE(Texts(w.messages),
             std::vector<QString>{"Impossibile riconnettere il dispositivo remoto."});
    QCOMPARE(w.Edit("EditIndirizzoDongle")->text(), QString("4097"));
    QVERIFY(!w.Edit("EditNomeMcu")->isEnabled());
  }

  void remoteAddress_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("commands");
    QTest::addColumn<QString>("shown");
    QTest::newRow("accepted") << "4661" << false << 1 << "4661";
    QTest::newRow("65536 + 5") << "65541" << true << 0 << "4660";
    QTest::newRow("0 is no address") << "0" << true << 0 << "4660";
  }
  void remoteAddress() {
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    QFETCH(int, commands);
    QFETCH(QString, shown);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.TypeAndEnter("EditIndirizzoMcu", typed);
    QCOMPARE(int(SimulatedWindow::Count(w.Frames(), kSetAddress, kRemote)), commands);
    if (refused)
      QCOMPARE(
          Texts(w.messages),
          std::vector<QString>{"Impossibile impostare il nuovo indirizzo del dispositivo remoto."});
    else
      QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.Edit("EditIndirizzoMcu")->text(), shown);
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("SENSOR-A"));
  }

  // The two ends of a pair with one address could no longer be told apart: refused, nothing sent.
  void addressOfTheOtherEndIsRefused_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    const QString reason = QStringLiteral(
        "\nL'indirizzo è già quello dell'altro dispositivo della coppia; i due devono essere "
        "diversi.");
    QTest::newRow("remote given the dongle's")
        << "EditIndirizzoMcu"
        << "4096" << kRemote
        << "Impossibile impostare il nuovo indirizzo del dispositivo remoto." + reason << "4660";
    QTest::newRow("dongle given the remote's")
        << "EditIndirizzoDongle"
        << "4660" << kLocal
        << "Impossibile impostare il nuovo indirizzo del dispositivo locale." + reason << "4096";
  }
  void addressOfTheOtherEndIsRefused() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, target);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    const QByteArray name = field.toLatin1();
    w.TypeAndEnter(name.constData(), typed);
    QCOMPARE(int(SimulatedWindow::Count(w.Frames(), kSetAddress, target)), 0);
    QCOMPARE(Texts(w.messages), std::vector<QString>{message});
    QCOMPARE(w.Edit(name.constData())->text(), shown);
  }

  void remoteNameIsSentAndStoredOnTheRemote() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.TypeAndEnter("EditNomeMcu", "PUMP-9");
    const auto frames = w.Frames();
    QCOMPARE(SimulatedWindow::Count(frames, kSetName, kRemote), std::size_t{1});
    QVERIFY(SimulatedWindow::Count(frames, kStore, kRemote) >= 1);
    QCOMPARE(SimulatedWindow::Count(frames, kSetName, kLocal), std::size_t{0});
    QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.sim->With([](World& world) { return world.remotes[0].stored.name; }),
             std::string("PUMP-9"));
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("PUMP-9"));
  }

  void powerPicks_data() {
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("fail");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("local max") << "ComboPotenzaDongle" << kLocal << false << ""
                               << "max (+3dBm)";
    QTest::newRow("remote max") << "ComboPotenzaMcu" << kRemote << false << ""
                                << "max (+3dBm)";
    // The answer is lost, not the command: the re-read shows the level the module took.
    QTest::newRow("local unanswered")
        << "ComboPotenzaDongle" << kLocal << true
        << "Impossibile impostare il nuovo valore di potenza del dispositivo locale."
        << "max (+3dBm)";
    QTest::newRow("remote unanswered")
        << "ComboPotenzaMcu" << kRemote << true
        << "Impossibile impostare il nuovo valore di potenza del dispositivo remoto."
        << "max (+3dBm)";
  }
  void powerPicks() {
    QFETCH(QString, combo);
    QFETCH(int, target);
    QFETCH(bool, fail);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QComboBox* list = w.Combo(combo.toLatin1().constData());
    QCOMPARE(list->currentIndex(), 1);
    w.Frames();
    if (fail) w.SilenceNextReplies(1);
    QTest::keyClick(list, Qt::Key_Down);  // the operator picks "max (+3dBm)"
    const auto frames = w.Frames();
    QCOMPARE(SimulatedWindow::Count(frames, kSetPower, target), std::size_t{1});
    for (const CommandFrame& f : frames)
      if (f.code == kSetPower) QCOMPARE(int(f.payload.at(0)), int(PowerTable[PowerLevelMax]));
    if (fail) {
      QCOMPARE(Texts(w.messages), std::vector<QString>{message});
      QCOMPARE(SimulatedWindow::Count(frames, kStore, target), std::size_t{0});
    } else {
      QVERIFY(w.messages.messages.empty());
      QVERIFY(SimulatedWindow::Count(frames, kStore, target) >= 1);
    }
    QCOMPARE(list->currentText(), shown);
  }

  void aListChangeWithoutSelectionDoesNothing() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.Combo("ComboPotenzaDongle")->setCurrentIndex(-1);
    w.Combo("ComboPotenzaMcu")->setCurrentIndex(-1);
    w.Frames();
    w.window->ComboPotenzaDongleChange();
    w.window->ComboPotenzaMcuChange();
    QVERIFY(w.Frames().empty());
  }

  void leavingAFieldThrowsTheTypedTextAway_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("held");
    QTest::newRow("local name") << "EditNomeDongle" << kLocal << "RUKDONGLE";
    QTest::newRow("local address") << "EditIndirizzoDongle" << kLocal << "4096";
    QTest::newRow("remote name") << "EditNomeMcu" << kRemote << "SENSOR-A";
  }
  void leavingAFieldThrowsTheTypedTextAway() {
    QFETCH(QString, field);
    QFETCH(int, target);
    QFETCH(QString, held);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    QLineEdit* edit = w.Edit(field.toLatin1().constData());
    edit->setFocus();
    QTest::keyClicks(edit, "12");
    w.Frames();
    w.Find<QWidget>("EditPin")->setFocus(Qt::MouseFocusReason);  // clicking elsewhere
    const auto frames = w.Frames();
    QCOMPARE(SimulatedWindow::Count(frames, kSetName, target), std::size_t{0});
    QCOMPARE(SimulatedWindow::Count(frames, kSetAddress, target), std::size_t{0});
    QCOMPARE(SimulatedWindow::Count(frames, kInfo, target), std::size_t{1});
    QCOMPARE(edit->text(), held);
    QVERIFY(w.messages.messages.empty());
  }

  void enterKeepsTheFocusInTheField() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    w.TypeAndEnter("EditNomeDongle", "KEEP");
    QCOMPARE(QApplication::focusWidget(), w.Find<QWidget>("EditNomeDongle"));
  }
};

QTEST_MAIN(PanelsTest)
#include "PanelsTest.moc"
