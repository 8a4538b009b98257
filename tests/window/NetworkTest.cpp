// The network page on the simulator: the scan with its bars, label and stop button, the list and
// its pictures, the reconnection after a scan, connect and disconnect, and the lock-out of
// everything else while a scan runs.
#include <QIcon>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

#include "WindowFixture.h"

using namespace rukmox::window::test;

namespace {

// SENSOR-A (4660) is linked on channel 3, PUMP-7 (512) waits on 6, LOCKED (769, PIN) on 9 and a
// module without a name on 12.
constexpr int kSensor = 0;
constexpr int kPump = 1;
constexpr int kNameless = 3;

QStringList ListNames(QTableWidget* list) {
  QStringList names;
  for (int row = 0; row < list->rowCount(); ++row) names << list->item(row, 0)->text();
  return names;
}

// The colour in the middle of a row's state picture, where the square shows.
QColor PictureColour(QTableWidget* list, int row) {
  return list->item(row, 0)->icon().pixmap(16, 16).toImage().pixelColor(2, 2);
}

class NetworkPage {
 public:
  explicit NetworkPage(SimulatedWindow& w) : w_(w) {}
  QTableWidget* List() const { return w_.Find<QTableWidget>("ListDevice"); }
  QPushButton* Button(const char* name) const { return w_.Find<QPushButton>(name); }
  QProgressBar* Bar(const char* name) const { return w_.Find<QProgressBar>(name); }

  // Runs a scan over the range typed into the two edits, as the operator's click does.
  void Scan(const QString& first, const QString& last) {
    w_.Edit("EditStartCh")->setText(first);
    w_.Edit("EditEndCh")->setText(last);
    w_.messages.messages.clear();
    Button("ButtonScan")->click();
    QVERIFY(w_.WaitForOperation());
  }

  int RowOf(const QString& name) const {
    for (int row = 0; row < List()->rowCount(); ++row)
      if (List()->item(row, 0)->text() == name) return row;
    return -1;
  }

 private:
  SimulatedWindow& w_;
};

int Linked(SimulatedWindow& w) {
  return w.sim->With([](World& world) { return world.LinkedRemote(); });
}

}  // namespace

class NetworkTest : public QObject {
  Q_OBJECT

 private slots:
  void aWholeRangeScanMovesBothBarsNamesEachChannelAndReconnects() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    w.window->Device()->SetTimeout(250);
    QSignalSpy channelBar(page.Bar("BarraCanali"), &QProgressBar::valueChanged);
    QStringList labelPerChannel;  // the label while the first request of each channel is made
    connect(page.Bar("BarraScansione"), &QProgressBar::valueChanged, this, [&](int value) {
      if (value == 1) labelPerChannel << w.Label("LabelCanali")->text();
    });
    QString labelAtTheEnd;
    bool barsHiddenAtTheEnd = false;
    w.messages.onMessage = [&](const Message&) {
      labelAtTheEnd = w.Label("LabelCanali")->text();
      barsHiddenAtTheEnd = !page.Bar("BarraCanali")->isVisibleTo(w.window.get());
    };

    page.Scan("0", "15");

    QCOMPARE(page.Bar("BarraCanali")->maximum(), 16);
    QCOMPARE(page.Bar("BarraScansione")->maximum(), 5);
    QList<int> values;
    for (const QList<QVariant>& change : channelBar) values << change.at(0).toInt();
    QList<int> expected;
    for (int i = 1; i <= 16; ++i) expected << i;
    QCOMPARE(values, expected);
    QStringList names;
    for (int channel = 0; channel <= 15; ++channel) names << "Canale " + QString::number(channel);
    QCOMPARE(labelPerChannel, names);
    QCOMPARE(labelAtTheEnd, QString("Canale 16"));
    QVERIFY(barsHiddenAtTheEnd);

    // The module without a name gets no row and is not counted.
    QCOMPARE(ListNames(page.List()), (QStringList{"SENSOR-A", "PUMP-7", "LOCKED"}));
    QCOMPARE(page.List()->item(0, 1)->text(), QString("4660"));
    QCOMPARE(page.List()->item(0, 2)->text(), QString("3"));
    QCOMPARE(page.List()->item(0, 3)->text(), QString("CONNECTED(4096)"));
    QCOMPARE(page.List()->item(1, 3)->text(), QString("NOT CONNECTED"));
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(!w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text, QString("Sono stati individuati 3 dispositivi remoti."));

    // Green with a person without a PIN, orange with a key with one.
    const QColor open = PictureColour(page.List(), 1);
    const QColor pin = PictureColour(page.List(), 2);
    QVERIFY2(open.green() > open.red(), qPrintable(open.name()));
    QVERIFY2(pin.red() > pin.green() && pin.green() > pin.blue(), qPrintable(pin.name()));

    // The device linked before is linked again; the page and the module are as before the scan.
    QCOMPARE(Linked(w), kSensor);
    QVERIFY(page.Button("ButtonDisconnectMcu")->isEnabled());
    QVERIFY(page.Button("ButtonConnectMcu")->isEnabled());
    QCOMPARE(w.Label("LabelCanali")->text(), QString("Canale "));
    for (const char* hidden :
         {"ButtonAbort", "LabelCanali", "LabelScan", "BarraCanali", "BarraScansione"})
      QVERIFY2(!w.Find<QWidget>(hidden)->isVisibleTo(w.window.get()), hidden);
    QCOMPARE(w.window->Device()->GetTimeout(), 250);
    QCOMPARE(w.window->Device()->ScanRepeat, 5);
    QVERIFY(!w.window->Device()->OnScanStep && !w.window->Device()->OnChannelStep);
    QVERIFY(w.Timer()->isActive());
  }

  void rangesAndWhatTheyShow_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QStringList>("labels");  // LabelCanali at each channel's first request
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("relinked");
    QTest::newRow("first channel not a number")
        << "x"
        << "3" << 4 << QStringList{"Canale x", "Canale 1", "Canale 2", "Canale 3"}
        << QStringList{"SENSOR-A"} << true;
    QTest::newRow("one channel") << "6"
                                 << "6" << 1 << QStringList{"Canale 6"} << QStringList{"PUMP-7"}
                                 << false;
    QTest::newRow("last channel not a number")
        << "15"
        << "y" << 1 << QStringList{"Canale 15"} << QStringList{} << false;
    // The module scans its present channel only; the bar still gets a maximum it can take.
    QTest::newRow("last below first")
        << "9"
        << "3" << 1 << QStringList{"Canale 9"} << QStringList{"SENSOR-A"} << true;
  }
  void rangesAndWhatTheyShow() {
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, maximum);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, rows);
    QFETCH(bool, relinked);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    QStringList seen;
    int maximumSeen = -1;
    connect(page.Bar("BarraScansione"), &QProgressBar::valueChanged, this, [&](int value) {
      if (value != 1) return;
      seen << w.Label("LabelCanali")->text();
      maximumSeen = page.Bar("BarraCanali")->maximum();
    });

    page.Scan(first, last);

    QCOMPARE(maximumSeen, maximum);
    QCOMPARE(seen, labels);
    QCOMPARE(ListNames(page.List()), rows);
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QCOMPARE(w.messages.messages[0].text,
             rows.isEmpty() ? QString("Nessun dispostivo remoto individuato.")
                            : "Sono stati individuati " + QString::number(rows.size()) +
                                  " dispositivi remoti.");
    const TRemoteDeviceRecord* current = w.window->Device()->Current;
    QCOMPARE(current != nullptr && current->Linked, relinked);
    QCOMPARE(page.Button("ButtonDisconnectMcu")->isEnabled(), relinked);
    QCOMPARE(page.Button("ButtonConnectMcu")->isEnabled(), !rows.isEmpty());
    QVERIFY(!page.Bar("BarraCanali")->isVisibleTo(w.window.get()));
    QVERIFY(w.Timer()->isActive());
  }

  void stopAfterTheSecondRequestEndsTheScanWithWhatWasFound() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    QPushButton* abort = page.Button("ButtonAbort");
    QSignalSpy requestBar(page.Bar("BarraScansione"), &QProgressBar::valueChanged);
    connect(page.Bar("BarraScansione"), &QProgressBar::valueChanged, this, [&](int value) {
      // The operator's click arrives while the scan lets messages through.
      if (value == 2) QTimer::singleShot(0, abort, &QAbstractButton::click);
    });
    w.Frames();

    page.Scan("6", "9");

    QList<int> values;
    for (const QList<QVariant>& change : requestBar) values << change.at(0).toInt();
    QCOMPARE(values, (QList<int>{1, 2, 0}));  // the channel's end sets it back to 0
    QCOMPARE(SimulatedWindow::Count(w.Frames(), TRukMox::CmdScan, 1), std::size_t{2});
    QCOMPARE(ListNames(page.List()), QStringList{"PUMP-7"});
    QCOMPARE(w.messages.messages.back().text,
             QString("Sono stati individuati 1 dispositivi remoti."));
    QVERIFY(w.window->AbortRequested());  // until the next scan starts
  }

  void aRowConnectsItsOwnDeviceEvenBehindAnUnnamedOne_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("button") << false;
    QTest::newRow("double click, button disabled") << true;
  }
  void aRowConnectsItsOwnDeviceEvenBehindAnUnnamedOne() {
    QFETCH(bool, doubleClick);
    Scenario s = Linked();
    s.remotes[kNameless].module.settings.channel = 5;  // listed before PUMP-7, without a row
    SimulatedWindow w;
    QVERIFY(w.Start(s));
    QVERIFY(w.ShowActive());
    QVERIFY(w.window->ShowPage("TabScansione"));
    NetworkPage page(w);
    page.Scan("5", "6");
    QCOMPARE(ListNames(page.List()), QStringList{"PUMP-7"});
    QCOMPARE(w.window->Device()->Devices.size(), std::size_t{2});

    page.List()->selectRow(0);
    w.messages.messages.clear();
    if (doubleClick) {
      page.Button("ButtonConnectMcu")->setEnabled(false);
      QWidget* cells = page.List()->viewport();
      const QPoint at = page.List()->visualItemRect(page.List()->item(0, 0)).center();
      QTest::mouseClick(cells, Qt::LeftButton, Qt::NoModifier, at);
      QTest::mouseDClick(cells, Qt::LeftButton, Qt::NoModifier, at);
    } else {
      page.Button("ButtonConnectMcu")->click();
    }

    QVERIFY(w.messages.messages.empty());
    QCOMPARE(Linked(w), kPump);
    QVERIFY(page.Button("ButtonDisconnectMcu")->isEnabled());
    QCOMPARE(page.List()->item(0, 3)->text(), QString("CONNECTED(4096)"));
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("PUMP-7"));
  }

  void aFailedConnectLeavesNoRemoteAndSaysWhetherAPinMayBeTheCause_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("message");
    QTest::newRow("PIN") << "LOCKED"
                         << "Impossibile connettersi con il dispositivo remoto selezionato. "
                            "\nProvare a cambiare il PIN del dispositivo locale.";
    QTest::newRow("no PIN") << "PUMP-7"
                            << "Impossibile connettersi con il dispositivo remoto selezionato.";
  }
  void aFailedConnectLeavesNoRemoteAndSaysWhetherAPinMayBeTheCause() {
    QFETCH(QString, device);
    QFETCH(QString, message);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    page.Scan("3", "9");
    // PUMP-7 goes out of reach after it was found.
    w.sim->With([](World& world) { world.remotes[kPump].inReach = false; });
    page.List()->selectRow(page.RowOf(device));
    bool refreshedBeforeTheMessage = false;
    w.messages.onMessage = [&](const Message&) {
      refreshedBeforeTheMessage = !page.Button("ButtonDisconnectMcu")->isEnabled() &&
                                  page.List()->item(0, 3)->text() == "NOT CONNECTED";
    };
    w.messages.messages.clear();

    page.Button("ButtonConnectMcu")->click();

    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text, message);
    QVERIFY(refreshedBeforeTheMessage);
    QCOMPARE(Linked(w), -1);  // the previous connection was dropped first
    QVERIFY(!w.Edit("EditNomeMcu")->isEnabled());
    QVERIFY(w.Timer()->isActive());
  }

  void connectWithoutASelectedRowDoesNothing() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    page.Scan("6", "6");
    page.List()->clearSelection();
    w.Frames();
    w.messages.messages.clear();
    page.Button("ButtonConnectMcu")->click();
    QVERIFY(w.Frames().empty());
    QVERIFY(w.messages.messages.empty());
  }

  void disconnect_data() {
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("message");
    QTest::newRow("done") << false << QString();
    QTest::newRow("refused") << true
                             << "Impossibile disconnettere correttamente il dispositivo remoto.";
  }
  void disconnect() {
    QFETCH(bool, refused);
    QFETCH(QString, message);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    w.window->TabScansioneShow();
    QVERIFY(page.Button("ButtonDisconnectMcu")->isEnabled());
    w.Timer()->stop();
    if (refused) w.SilenceNextReplies(12);  // the disconnect and its retries get no answer

    page.Button("ButtonDisconnectMcu")->click();

    if (refused) {
      QCOMPARE(w.messages.messages.size(), std::size_t{1});
      QCOMPARE(w.messages.messages[0].text, message);
    } else {
      QVERIFY(w.messages.messages.empty());
      QCOMPARE(Linked(w), -1);
      QVERIFY(!page.Button("ButtonDisconnectMcu")->isEnabled());
    }
    QVERIFY(!w.Edit("EditNomeMcu")->isEnabled());
  }

  void disconnectWithTheModuleClosedOnlyRefreshes() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->Device()->Close();
    w.Frames();
    NetworkPage(w).Button("ButtonDisconnectMcu")->setEnabled(true);
    NetworkPage(w).Button("ButtonDisconnectMcu")->click();
    QVERIFY(w.messages.messages.empty());
    QVERIFY(w.Frames().empty());
    QVERIFY(!NetworkPage(w).Button("ButtonDisconnectMcu")->isEnabled());
  }

  // The lock takes the focus from a field; leaving it so must not read the device inside the scan.
  void aFieldTheLockDisablesReadsNothingDuringTheScan() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    w.Edit("EditNomeDongle")->setFocus();
    QTRY_VERIFY(w.Edit("EditNomeDongle")->hasFocus());
    w.Timer()->stop();
    w.Frames();
    NetworkPage(w).Scan("6", "6");
    QVERIFY(!w.Edit("EditNomeDongle")->hasFocus());
    QCOMPARE(SimulatedWindow::Count(w.Frames(), TRukMox::CmdInfo, 0), std::size_t{0});
  }

  void whileAScanRunsNothingElseStartsAndACloseWaitsForItsEnd() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    NetworkPage page(w);
    page.Scan("6", "6");  // a row to connect, so the connect controls are live before
    QVERIFY(page.Button("ButtonConnectMcu")->isEnabled());

    const char* locked[] = {"ButtonScan",     "ButtonConnectMcu", "ButtonDisconnectMcu",
                            "ListDevice",     "EditStartCh",      "EditEndCh",
                            "EditNomeDongle", "ComboCanale",      "ButtonScanEnergy",
                            "ButtonChangePin"};
    QStringList liveDuringTheScan;
    bool abortLive = false;
    bool asked = false;
    connect(page.Bar("BarraScansione"), &QProgressBar::valueChanged, this, [&](int value) {
      if (value != 1 || asked) return;
      asked = true;
      for (const char* name : locked)
        if (w.Find<QWidget>(name)->isEnabled()) liveDuringTheScan << name;
      abortLive = page.Button("ButtonAbort")->isEnabled();
      // A second operation and a close, asked for while the scan lets messages through.
      QTimer::singleShot(0, w.window.get(), [&w] {
        w.window->ButtonConnectMcuClick();
        w.window->ButtonScanClick();
        w.window->close();
      });
    });
    w.Frames();
    w.messages.messages.clear();

    page.Scan("6", "7");

    QCOMPARE(liveDuringTheScan, QStringList{});
    QVERIFY(abortLive);
    const auto frames = w.Frames();
    QCOMPARE(SimulatedWindow::Count(frames, TRukMox::CmdConnect, 1), std::size_t{0});
    QCOMPARE(SimulatedWindow::Count(frames, TRukMox::CmdScan, 1), std::size_t{10});
    QCOMPARE(w.messages.messages.size(), std::size_t{1});  // one scan, announced once
    QVERIFY(w.window->Device() != nullptr);                // the close waited

    QTRY_VERIFY(w.window->Device() == nullptr);  // and came once the scan had ended
  }
};

QTEST_MAIN(NetworkTest)
#include "NetworkTest.moc"
