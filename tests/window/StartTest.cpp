// The window's start in its three connection states, its languages, its form and its close.
#include <QAccessible>
#include <QGroupBox>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "WindowFixture.h"

using namespace rukmox::window::test;

namespace {

const char* const kLocalGroup[] = {"LabVersionDongle", "LabelEnergy",         "ProgressBarEnergy",
                                   "EditNomeDongle",   "EditIndirizzoDongle", "ComboPotenzaDongle",
                                   "ButtonRemovePin",  "ButtonChangePin",     "ButtonReadPin",
                                   "EditPin",          "ButtonScanEnergy",    "ListDevice",
                                   "ButtonScan",       "EditStartCh",         "EditEndCh"};
const char* const kRemoteGroup[] = {"LabVersionMcu",   "EditNomeMcu", "EditIndirizzoMcu",
                                    "ComboPotenzaMcu", "ComboCanale", "ProgressBarLink",
                                    "LabelLink"};

QString PageCaption(QWidget* page) {
  auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
  return tabs->tabText(tabs->indexOf(page));
}

QString CaptionOf(QWidget* control) {
  if (auto* group = qobject_cast<QGroupBox*>(control)) return group->title();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  return PageCaption(control);
}

}  // namespace

class StartTest : public QObject {
  Q_OBJECT

 private:
  static void VerifyGroup(SimulatedWindow& w, const char* const* names, std::size_t count,
                          bool enabled) {
    for (std::size_t i = 0; i < count; ++i) {
      QWidget* control = w.Find<QWidget>(names[i]);
      QVERIFY2(control != nullptr, names[i]);
      QVERIFY2(control->isEnabled() == enabled, names[i]);
    }
  }
  static void VerifyRemoteEmpty(SimulatedWindow& w) {
    QCOMPARE(w.Label("LabVersionMcu")->text(), QString("H0 - F0 - M0 - P0"));
    QVERIFY(w.Edit("EditNomeMcu")->text().isEmpty());
    QVERIFY(w.Edit("EditIndirizzoMcu")->text().isEmpty());
    QCOMPARE(w.Combo("ComboPotenzaMcu")->currentIndex(), -1);
    QCOMPARE(w.Combo("ComboCanale")->currentIndex(), -1);
  }

 private slots:
  // The status line says who holds the dongle, as rukmoxctl does, instead of "No dongle at".
  void aDongleHeldByAnotherProgramIsNamedWithItsHolder() {
    int holder = -1;
    SimulatedWindow w;
    QVERIFY(w.Start(Linked(), [&](const std::string& dongle) {
      holder = open(dongle.c_str(), O_RDWR | O_NOCTTY);
      flock(holder, LOCK_EX | LOCK_NB);
    }));
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    const QString expected = QString::fromStdString(
        "The dongle " + w.sim->DonglePath() + " is held by another program: " + name +
        " (process " + std::to_string(getpid()) + ") holds its lock.");
    w.window->ImageLanguageClick(1);
    QCOMPARE(w.Label("LabelStatus")->text(), expected);
    VerifyGroup(w, kLocalGroup, std::size(kLocalGroup), false);
    close(holder);
  }

  void withoutDongleEverythingIsDisabledAndEmpty() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    QVERIFY(w.messages.messages.empty());
    VerifyGroup(w, kLocalGroup, std::size(kLocalGroup), false);
    VerifyGroup(w, kRemoteGroup, std::size(kRemoteGroup), false);
    QCOMPARE(w.Label("LabVersionDongle")->text(), QString("H0 - F0 - M0 - P0"));
    QVERIFY(w.Edit("EditNomeDongle")->text().isEmpty());
    QVERIFY(w.Edit("EditIndirizzoDongle")->text().isEmpty());
    QCOMPARE(w.Combo("ComboPotenzaDongle")->currentIndex(), -1);
    VerifyRemoteEmpty(w);
    QVERIFY(w.Find<QWidget>("ImageConnected")->isHidden());
    QVERIFY(!w.Find<QWidget>("ImageNotConnected")->isHidden());
    QCOMPARE(w.Label("LabelStatus")->text(),
             QString("Nessuna dongle su /nonexistent/rukmox-dongle"));

    // The flags still work, and the ticks go on without a module to talk to.
    QTest::mouseClick(w.Find<QToolButton>("ImageEng"), Qt::LeftButton);
    QCOMPARE(PageCaption(w.Find<QWidget>("TabDevices")),
             QString("Settings of the local/remote device"));
    QCOMPARE(w.Label("LabelStatus")->text(), QString("No dongle at /nonexistent/rukmox-dongle"));
    QSignalSpy ticks(w.window.get(), &rukmox::window::TRukMoxFormLight::PollTicked);
    QVERIFY(ticks.wait(2000));
    QVERIFY(w.messages.messages.empty());
  }

  void withDongleAloneTheRemotePanelIsEmpty() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    QVERIFY(w.messages.messages.empty());
    VerifyGroup(w, kLocalGroup, std::size(kLocalGroup), true);
    VerifyGroup(w, kRemoteGroup, std::size(kRemoteGroup), false);
    QCOMPARE(w.Label("LabVersionDongle")->text(), QString("H2 - F7 - M1 - P3"));
    QCOMPARE(w.Edit("EditNomeDongle")->text(), QString("RUKDONGLE"));
    QCOMPARE(w.Edit("EditIndirizzoDongle")->text(), QString("4096"));
    QCOMPARE(w.Combo("ComboPotenzaDongle")->currentText(), QString("default (0dBm)"));
    VerifyRemoteEmpty(w);
    QCOMPARE(w.Label("LabelStatus")->text(),
             QString("Dongle in uso: ") + QString::fromStdString(w.sim->DonglePath()));
  }

  void withBothDevicesBothPanelsAreFilled() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.messages.messages.empty());
    VerifyGroup(w, kLocalGroup, std::size(kLocalGroup), true);
    VerifyGroup(w, kRemoteGroup, std::size(kRemoteGroup), true);
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("SENSOR-A"));
    QCOMPARE(w.Edit("EditIndirizzoMcu")->text(), QString("4660"));
    QCOMPARE(w.Combo("ComboPotenzaMcu")->currentText(), QString("default (0dBm)"));
    QCOMPARE(w.Combo("ComboCanale")->currentText(), QString("3"));
    // The first tick shows the link.
    QTRY_VERIFY(!w.Find<QWidget>("ImageConnected")->isHidden());
    QVERIFY(w.Find<QWidget>("ImageNotConnected")->isHidden());
  }

  void formHasItsStartingStates() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    auto& window = *w.window;
    QCOMPARE(window.windowTitle(), QString("Ruk Wireless Communication"));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    for (const char* hidden :
         {"GroupProgramDongle", "GroupProgramMcu", "ProgressBarDongle", "ProgressBarMcu",
          "ButtonReadPin", "ImageConnected", "LabelScan", "LabelCanali", "ButtonAbort",
          "BarraCanali", "BarraScansione", "LabelScanTime", "ButtonStopEnergy"})
      QVERIFY2(w.Find<QWidget>(hidden)->isHidden(), hidden);
    for (const char* shown : {"ButtonScanEnergy", "ImageNotConnected", "ImageIta", "ImageEng"})
      QVERIFY2(!w.Find<QWidget>(shown)->isHidden(), shown);
    QCOMPARE(w.Edit("EditNomeDongle")->maxLength(), 9);
    QCOMPARE(w.Edit("EditPin")->maxLength(), 4);
    QCOMPARE(w.Edit("EditPin")->echoMode(), QLineEdit::Password);
    // A path may be typed or pasted into the file fields.
    QVERIFY(!w.Edit("EditFileNameDongle")->isReadOnly());
    QVERIFY(!w.Edit("EditFileNameMcu")->isReadOnly());
    QCOMPARE(w.Edit("EditStartCh")->text(), QString("0"));
    QCOMPARE(w.Edit("EditEndCh")->text(), QString("15"));
    QCOMPARE(w.Combo("ComboCanale")->count(), 16);
    QCOMPARE(w.Find<QProgressBar>("ProgressBarLink")->maximum(), 50);
    QCOMPARE(w.Find<QWidget>("ImageIta")->property("tag").toInt(), 0);
    QCOMPARE(w.Find<QWidget>("ImageEng")->property("tag").toInt(), 1);
    QVERIFY(w.Find<QWidget>("ChartScan") != nullptr);
    QCOMPARE(w.Timer()->interval(), 100);
    QVERIFY(w.Timer()->isSingleShot());
    auto* pages = w.Find<QTabWidget>("PageControl");
    QCOMPARE(pages->currentWidget()->objectName(), QString("TabDevices"));
  }

  void languageSwitchesCaptions_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("italian");
    QTest::addColumn<QString>("english");
    QTest::newRow("page") << "TabDevices"
                          << "Gestione dispositivo locale/remoto"
                          << "Settings of the local/remote device";
    QTest::newRow("scan button") << "ButtonScan"
                                 << "Esegui scansione"
                                 << "Scan";
    QTest::newRow("group") << "GroupPropertyMcu"
                           << "Proprietà"
                           << "Properties";
    QTest::newRow("label") << "LabelNomeDongle"
                           << "Nome dispositivo"
                           << "Device Name";
    // The table wins over the form's three dots: one ellipsis character.
    QTest::newRow("browse") << "ButtonSfogliaDongle"
                            << "Sfoglia\u2026"
                            << "Browse...";
    QTest::newRow("small page") << "TabPin"
                                << "Gestione PIN"
                                << "PIN management";
    QTest::newRow("network page") << "TabScansione"
                                  << "Gestione rete"
                                  << "Network";
    QTest::newRow("quality keeps its words") << "LabelLink"
                                             << "Quality (0)"
                                             << "Quality (0)";
    QTest::newRow("pin label keeps its words") << "LabelPin"
                                               << "PIN"
                                               << "PIN";
  }
  void languageSwitchesCaptions() {
    QFETCH(QString, control);
    QFETCH(QString, italian);
    QFETCH(QString, english);
    SimulatedWindow w;
    w.StartWithoutDongle();
    QWidget* target = w.Find<QWidget>(control.toLatin1().constData());
    QCOMPARE(CaptionOf(target), italian);
    QTest::mouseClick(w.Find<QToolButton>("ImageEng"), Qt::LeftButton);
    QCOMPARE(CaptionOf(target), english);
    QTest::mouseClick(w.Find<QToolButton>("ImageEng"), Qt::LeftButton);  // already English
    QCOMPARE(CaptionOf(target), english);
    QTest::mouseClick(w.Find<QToolButton>("ImageIta"), Qt::LeftButton);
    QCOMPARE(CaptionOf(target), italian);
  }

  void languageSwitchesListColumnsButNotEntries() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    auto* list = w.Find<QTableWidget>("ListDevice");
    QCOMPARE(list->horizontalHeaderItem(3)->text(), QString("Connessione"));
    QTest::mouseClick(w.Find<QToolButton>("ImageEng"), Qt::LeftButton);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), QString("Name"));
    QCOMPARE(list->horizontalHeaderItem(3)->text(), QString("Connection"));
    QCOMPARE(w.Combo("ComboPotenzaDongle")->itemText(0), QString("min (-10dBm)"));
  }

  void messagesComeInTheLanguageShownAtTheTime() {
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    QVERIFY(w.ShowActive());
    w.window->findChild<QTimer*>("TimerUpdate")->stop();
    QTest::mouseClick(w.Find<QToolButton>("ImageEng"), Qt::LeftButton);
    // The dongle stops answering; leaving its name field re-reads it.
    w.sim->With([](rukmox::sim::World& world) { world.dongle.silent = true; });
    w.Edit("EditNomeDongle")->setFocus();
    w.Combo("ComboPotenzaDongle")->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    const Message& m = w.messages.messages.front();
    QVERIFY(m.error);
    const QString prefix = "Unable to load the parameters of the device. \nError n. ";
    QVERIFY2(m.text.startsWith(prefix), qPrintable(m.text));
    QCOMPARE(m.text, prefix + QString::number(w.window->DeviceError()) + ".");
    QVERIFY(!w.Edit("EditNomeDongle")->isEnabled());
    QVERIFY(w.Edit("EditNomeDongle")->text().isEmpty());
  }

  void everyControlHasAnAccessibleName() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    for (const char* name : {"EditNomeDongle",
                             "EditIndirizzoDongle",
                             "ComboPotenzaDongle",
                             "EditNomeMcu",
                             "EditIndirizzoMcu",
                             "ComboPotenzaMcu",
                             "ComboCanale",
                             "ProgressBarLink",
                             "ProgressBarEnergy",
                             "ImageIta",
                             "ImageEng",
                             "ImageConnected",
                             "EditPin",
                             "ButtonChangePin",
                             "ButtonRemovePin",
                             "ListDevice",
                             "EditStartCh",
                             "EditEndCh",
                             "ButtonScan",
                             "ButtonConnectMcu",
                             "ButtonScanEnergy",
                             "ChartScan"}) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w.Find<QWidget>(name));
      QVERIFY2(a != nullptr, name);
      QVERIFY2(!a->text(QAccessible::Name).isEmpty(), name);
    }
    QAccessibleInterface* name =
        QAccessible::queryAccessibleInterface(w.Find<QWidget>("EditNomeDongle"));
    QCOMPARE(name->text(QAccessible::Name), QString("Nome dispositivo"));
  }

  void tabOrderFollowsThePanels() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    w.Edit("EditNomeDongle")->setFocus();
    const char* const order[] = {"EditIndirizzoDongle", "ComboPotenzaDongle", "EditNomeMcu",
                                 "EditIndirizzoMcu", "ComboPotenzaMcu"};
    for (const char* next : order) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      // Tab bars of the small pages may take a stop in between.
      for (int guard = 0; guard < 3 && QApplication::focusWidget()->objectName() != next; ++guard)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
    }
  }

  void escapeClosesTheWindowUnlessBusy() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    w.window->ButtonScanEnergyClick();  // the sweeps: busy
    QVERIFY(w.window->Busy());
    QTest::keyClick(w.Edit("EditNomeDongle"), Qt::Key_Escape);
    QVERIFY(w.window->isVisible());
    QVERIFY(!w.window->close());  // the system menu's close, refused silently
    QVERIFY(w.window->Device() != nullptr);
    QVERIFY(w.messages.messages.empty());

    w.window->ButtonAbortClick();
    QVERIFY(w.WaitForOperation());
    QVERIFY(!w.window->Busy());
    QTest::keyClick(w.Edit("EditNomeDongle"), Qt::Key_Escape);
    QVERIFY(!w.window->isVisible());
    QVERIFY(w.window->Device() == nullptr);  // closed and released
    // No tick touches the released module: the poll timer, single-shot, is not running, and
    // only a tick or a handler would start it again.
    QVERIFY(!w.window->findChild<QTimer*>("TimerUpdate")->isActive());
  }

  void closingWithoutDongleReleasesTheModule() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    QVERIFY(w.ShowActive());
    QVERIFY(w.window->close());
    QVERIFY(w.window->Device() == nullptr);
  }
};

QTEST_MAIN(StartTest)
#include "StartTest.moc"
