// The programming groups on the simulator: the dongle and the MCU programmed end to end through
// their simulated boot loaders with the bar moving, the result messages, every early end, the
// re-opening after a failure, the lock-out of other operations and the close that waits.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

#include "FirmwareFolder.h"
#include "FirmwareImage.h"
#include "LockHolder.h"
#include "ProgrammingGroup.h"
#include "WindowFixture.h"
#include "platform/StopSignals.h"

#include <csignal>

using namespace rukmox::window::test;
using rukmox::test::FirmwareFile;
using rukmox::test::ImageRecords;

namespace {

constexpr int kSensor = 0;
constexpr std::size_t kImageRecords = 9;  // 256 bytes in 32-byte records and the end record
const QString kWaiting = QStringLiteral(
    "\nIl dispositivo attende nel suo boot loader: programmando un file valido torna a "
    "funzionare.");
const QString kNothingSent = QStringLiteral("\nNulla è stato inviato ad alcun dispositivo.");

QList<int> Values(const QSignalSpy& spy) {
  QList<int> values;
  for (const QList<QVariant>& change : spy) values << change.at(0).toInt();
  return values;
}

class Job {
 public:
  explicit Job(SimulatedWindow& w) : w_(w) {
    for (const char* group : {"GroupProgramDongle", "GroupProgramMcu"})
      w_.Find<QGroupBox>(group)->setVisible(true);
    UsePorts(w_.sim->PortPaths());
  }

  // The serial ports the job searches, with the dongle where the program found it.
  void UsePorts(const std::vector<std::string>& ports) {
    const std::string dongle = w_.sim->DonglePath();
    w_.window->SetProgrammerMaker([ports, dongle](std::int32_t* errorWord) {
      rukmox::platform::TransportSettings settings;
      settings.Ports = ports;
      settings.DonglePath = dongle;
      return rukmox::window::CreateProgrammer(settings, errorWord);
    });
  }

  QString WriteFile(const std::string& text) {
    const QString path = dir_.filePath("firmware.s19");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text.data(), qint64(text.size()));
    return path;
  }

  // Presses the target's program button with `file` in its edit.
  void Program(bool dongle, const QString& file) {
    w_.Edit(dongle ? "EditFileNameDongle" : "EditFileNameMcu")->setText(file);
    w_.messages.messages.clear();
    w_.Find<QPushButton>(dongle ? "ButtonProgramDongle" : "ButtonProgramMcu")->click();
    QVERIFY(w_.WaitForOperation());
    // The question before the job is looked at on its own; the job's messages follow it.
    auto& messages = w_.messages.messages;
    questions.clear();
    for (const Message& m : messages)
      if (m.question) questions << m.text;
    std::erase_if(messages, [](const Message& m) { return m.question; });
  }

  QStringList questions;  // asked by the last Program

  QProgressBar* Bar(bool dongle) const {
    return w_.Find<QProgressBar>(dongle ? "ProgressBarDongle" : "ProgressBarMcu");
  }

  std::size_t Records(bool dongle) {
    return w_.sim->With([dongle](World& w) {
      return dongle ? w.dongle.boot.records.size() : w.ports[1].boot.records.size();
    });
  }

 private:
  SimulatedWindow& w_;
  QTemporaryDir dir_;
};

std::string Image() {
  return FirmwareFile(ImageRecords(256));
}

}  // namespace

class FirmwareTest : public QObject {
  Q_OBJECT

 private slots:
  void programsEndToEndWithTheBarMoving_data() {
    QTest::addColumn<bool>("dongle");
    QTest::newRow("dongle") << true;
    QTest::newRow("mcu") << false;
  }
  void programsEndToEndWithTheBarMoving() {
    QFETCH(bool, dongle);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    QSignalSpy bar(job.Bar(dongle), &QProgressBar::valueChanged);
    QSignalSpy otherBar(job.Bar(!dongle), &QProgressBar::valueChanged);
    bool shownWhileWriting = false;
    connect(job.Bar(dongle), &QProgressBar::valueChanged, this,
            [&] { shownWhileWriting = shownWhileWriting || !job.Bar(dongle)->isHidden(); });

    const QString file = job.WriteFile(Image());
    job.Program(dongle, file);

    // Asked first: the file, what it holds, and the target with the version it runs now.
    QCOMPARE(job.questions.size(), 1);
    const QString target = dongle ? QStringLiteral("la dongle")
                                  : QStringLiteral("il dispositivo remoto SENSOR-A (indirizzo ");
    QVERIFY2(job.questions[0].startsWith(QStringLiteral("Programmare ") + target),
             qPrintable(job.questions[0]));
    for (const QString& line :
         {QStringLiteral("File: ") + file, QStringLiteral("Record: 9, byte di dati: 256"),
          QStringLiteral("Indirizzi: da 0x0000 a 0x00FF"), QStringLiteral("versione attuale H")})
      QVERIFY2(job.questions[0].contains(line), qPrintable(job.questions[0]));
    // The success, then the version before and after.
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(!w.messages.messages[0].error);
    const QStringList told = w.messages.messages[0].text.split('\n');
    QCOMPARE(told.value(0), QString("Programmazione eseguita correttamente."));
    QVERIFY2(told.value(1).startsWith(QStringLiteral("Versione: H")) &&
                 told.value(1).contains(QStringLiteral(" \u2192 H")),
             qPrintable(told.value(1)));
    QCOMPARE(job.Records(dongle), kImageRecords);
    const QList<int> positions = Values(bar);
    QVERIFY2(positions.size() >= 5, qPrintable(QString::number(positions.size())));
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    QCOMPARE(positions.back(), 100);
    QVERIFY(shownWhileWriting);
    QVERIFY(job.Bar(dongle)->isHidden());
    QCOMPARE(otherBar.size(), 0);

    // The module link is open again and both panels are read afresh.
    QVERIFY(w.window->Device()->IsOpen());
    QCOMPARE(w.Edit("EditNomeDongle")->text(), QString("RUKDONGLE"));
    QVERIFY(w.Edit("EditNomeDongle")->isEnabled());
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("SENSOR-A"));
    QVERIFY(w.Edit("EditNomeMcu")->isEnabled());
    QVERIFY(w.Timer()->isActive());
  }

  void everyResultIsToldAndTheLinkIsOpenedAgain_data() {
    QTest::addColumn<bool>("dongle");
    QTest::addColumn<int>("refuseRecord");
    QTest::addColumn<int>("prepareStatus");
    QTest::addColumn<QString>("message");
    QTest::newRow("record refused, mcu")
        << false << 2 << 0 << "Errore nella programmazione del record n. 2." + kWaiting;
    QTest::newRow("record refused, dongle")
        << true << 5 << 0 << "Errore nella programmazione del record n. 5." + kWaiting;
    QTest::newRow("prepare refused")
        << false << 0 << 3 << "Errore nella fase di inizializzazione." + kWaiting;
  }
  void everyResultIsToldAndTheLinkIsOpenedAgain() {
    QFETCH(bool, dongle);
    QFETCH(int, refuseRecord);
    QFETCH(int, prepareStatus);
    QFETCH(QString, message);
    Scenario s = Linked();
    rukmox::sim::BootLoaderSetup& boot = s.ports[dongle ? 0 : 1].boot;
    boot.refuseRecord = refuseRecord;
    boot.prepareStatus = static_cast<std::uint8_t>(prepareStatus);
    SimulatedWindow w;
    QVERIFY(w.Start(s));
    Job job(w);
    w.Timer()->stop();
    w.Frames();

    job.Program(dongle, job.WriteFile(Image()));

    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text, message);
    QVERIFY(job.Bar(dongle)->isHidden());
    QVERIFY(w.Timer()->isActive());
    if (dongle) {
      // The dongle waits in its boot loader: the opening finds no module there.
      QVERIFY(!w.window->Device()->IsOpen());
      QVERIFY(!w.Edit("EditNomeDongle")->isEnabled());
      return;
    }
    // After a failure as after a success: the link is opened again and the panels re-read.
    QVERIFY(SimulatedWindow::Count(w.Frames(), TRukMox::CmdInfo, 0) >= 1);
    QVERIFY(w.window->Device()->IsOpen());
    QVERIFY(w.Edit("EditNomeDongle")->isEnabled());
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("SENSOR-A"));
  }

  void earlyEndsSayWhyAndOpenNothingAgain_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty edit") << "empty edit";
    QTest::newRow("missing file") << "missing file";
    QTest::newRow("a folder") << "a folder";
    QTest::newRow("a port that does not exist") << "a port that does not exist";
    QTest::newRow("the dongle among the ports") << "the dongle among the ports";
    QTest::newRow("dongle refuses its boot loader") << "dongle refuses its boot loader";
    QTest::newRow("no dongle on any port") << "no dongle on any port";
    QTest::newRow("checkup write fails") << "checkup write fails";
    QTest::newRow("remote store fails") << "remote store fails";
    QTest::newRow("no mcu on any port") << "no mcu on any port";
  }
  void earlyEndsSayWhyAndOpenNothingAgain() {
    QFETCH(QString, name);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    const QString image = job.WriteFile(Image());
    const std::vector<std::string> ports = w.sim->PortPaths();
    w.Timer()->stop();  // no poll tick between the start and the job
    bool dongle = true;
    QString file = image;
    QString message;
    if (name == "empty edit") {
      file.clear();
      message = "Selezionare un file di programmazione valido.";
    } else if (name == "missing file") {
      file += ".gone";
      message = "Selezionare un file di programmazione valido.\nIl file " + file + " non esiste.";
    } else if (name == "a folder") {
      file = QFileInfo(image).absolutePath();
      message = "Selezionare un file di programmazione valido.\n" + file +
                " è una cartella, non un file.";
    } else if (name == "a port that does not exist") {
      dongle = false;
      job.UsePorts({ports[0], "/nonexistent/ttyRUK"});
      message =
          "Impossibile individuare un dispositivo mcu da programmare.\nLa porta seriale "
          "/nonexistent/ttyRUK non esiste." +
          kNothingSent;
    } else if (name == "the dongle among the ports") {
      job.UsePorts({w.sim->DonglePath(), ports[0]});
      message = "Impossibile individuare un dispositivo dongle da programmare.\n" +
                QString::fromStdString(w.sim->DonglePath()) +
                " è la dongle stessa, su cui corre il collegamento del modulo, non una porta "
                "seriale su cui risponde un boot loader." +
                kNothingSent;
    } else if (name == "dongle refuses its boot loader") {
      w.SilenceNextReplies(1);
      message = "Impossibile mandare nel boot loader il dispositivo locale.";
    } else if (name == "no dongle on any port") {
      job.UsePorts({ports[1]});
      message = "Impossibile individuare un dispositivo dongle da programmare." + kWaiting;
    } else if (name == "checkup write fails") {
      dongle = false;
      w.sim->With([](World& world) { world.remotes[kSensor].inReach = false; });
      message = "Impossibile scrivere il registro di checkup del dispositivo remoto.";
    } else if (name == "remote store fails") {
      dongle = false;
      w.sim->With([](World& world) {
        world.dongle.triggers.push_back({TRukMox::CmdCheckupRegister, [](World& after) {
                                           after.remotes[kSensor].inReach = false;
                                         }});
      });
      message = "Impossibile memorizzare correttamente le impostazioni del dispositivo remoto.";
    } else {
      dongle = false;
      job.UsePorts({ports[0]});
      message = "Impossibile individuare un dispositivo mcu da programmare." + kWaiting;
    }
    w.Frames();

    job.Program(dongle, file);

    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    const auto frames = w.Frames();
    QCOMPARE(w.messages.messages[0].text, message);
    QCOMPARE(job.Records(true) + job.Records(false), std::size_t{0});
    if (message.endsWith(kNothingSent) || file != image)
      QVERIFY(frames.empty());  // nothing at all was sent
    // The link was not opened again: no greeting after the failure.
    QCOMPARE(SimulatedWindow::Count(frames, TRukMox::CmdInfo, 0), std::size_t{0});
    QVERIFY(w.Timer()->isActive());
    QVERIFY(job.Bar(dongle)->isHidden());
  }

  void aFileThatCannotBeProgrammedIsRefusedBeforeAnyDeviceIsTouched_data() {
    QTest::addColumn<bool>("dongle");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QByteArray header(rukmox::test::FirmwareHeader.data(),
                            qsizetype(rukmox::test::FirmwareHeader.size()));
    const QByteArray good = QByteArray::fromStdString(Image());
    QTest::newRow("garbage") << true
                             << QByteArray(
                                    "\x7f"
                                    "ELF garbage\n")
                             << "Errata modalit\u00e0 di criptatura." + kNothingSent;
    QTest::newRow("empty") << true << QByteArray()
                           << "Dimensione nulla dei dati in ingresso." + kNothingSent;
    QTest::newRow("header only")
        << false << header + "\r\n"
        << "Dimensione nulla dei dati in ingresso.\nIl file non contiene alcun record dopo la "
           "sua intestazione." +
               kNothingSent;
    const QString notARecord = "\nLa riga non è un S-record." + kNothingSent;
    QTest::newRow("third record not hexadecimal")
        << true << header + "\r\nS1050000AABB95\r\nS9030000FC\r\nS1050010XXBB85\r\n"
        << "Errore nella programmazione del record n. 3." + notARecord;
    QTest::newRow("length byte disagrees, mcu")
        << false << header + "\r\nS1060000AABB95\r\n"
        << "Errore nella programmazione del record n. 1." + notARecord;
    QTest::newRow("record type missing")
        << true << good + "S\r\n"
        << "Errore nella programmazione del record n. 10." + notARecord;
    QTest::newRow("no end record, mcu")
        << false << header + "\r\nS1050000AABB95\r\n"
        << "Errore nella programmazione del record n. 1.\nIl file non termina con un record di "
           "fine (S7, S8 o S9): il boot loader attenderebbe altri record." +
               kNothingSent;
    QTest::newRow("record after the end record")
        << true << good + "S1050000AABB95\r\n"
        << "Errore nella programmazione del record n. 10.\nUn record segue il record di fine "
           "(S7, S8 o S9)." +
               kNothingSent;
    QTest::newRow("record type S4")
        << true << header + "\r\nS4050000AABB95\r\nS9030000FC\r\n"
        << "Errore nella programmazione del record n. 1.\nS4 non è un tipo di record di un file "
           "S-record." +
               kNothingSent;
  }
  void aFileThatCannotBeProgrammedIsRefusedBeforeAnyDeviceIsTouched() {
    QFETCH(bool, dongle);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    w.Timer()->stop();
    w.Frames();

    job.Program(dongle, job.WriteFile(file.toStdString()));

    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text, message);
    QVERIFY(w.Frames().empty());
    w.sim->With([](World& world) {
      QVERIFY(world.dongle.firmware == rukmox::sim::Firmware::Application);
      QVERIFY(world.ports[1].firmware == rukmox::sim::Firmware::Application);
      QCOMPARE(world.ports[0].rawReceived.size() + world.ports[1].rawReceived.size(),
               std::size_t{0});
    });
    QVERIFY(w.window->Device()->IsOpen());
    QCOMPARE(w.Edit("EditNomeMcu")->text(), QString("SENSOR-A"));
  }

  void answeringNoSendsNothing_data() {
    QTest::addColumn<bool>("dongle");
    QTest::newRow("dongle") << true;
    QTest::newRow("mcu") << false;
  }
  void answeringNoSendsNothing() {
    QFETCH(bool, dongle);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    w.messages.answer = false;
    w.Timer()->stop();
    w.Frames();
    job.Program(dongle, job.WriteFile(Image()));
    QCOMPARE(job.questions.size(), 1);
    QVERIFY(w.messages.messages.empty());
    QVERIFY(w.Frames().empty());
    QCOMPARE(job.Records(true) + job.Records(false), std::size_t{0});
    QVERIFY(!w.window->OperationRunning());
    QVERIFY(w.window->Device()->IsOpen());
    QVERIFY(w.Timer()->isActive());
    QVERIFY(w.Edit("EditNomeMcu")->isEnabled());
  }

  void thePhaseAndTheFiguresAreShownBesideTheBar() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->ImageLanguageClick(1);
    Job job(w);
    auto* group = w.window->findChild<rukmox::window::ProgrammingGroup*>("GroupProgramDongle");
    QStringList phases;
    QStringList figures;
    QSignalSpy bar(job.Bar(true), &QProgressBar::valueChanged);
    connect(job.Bar(true), &QProgressBar::valueChanged, this, [&] {
      phases << group->PhaseShown();
      figures << group->FiguresShown();
    });
    job.Program(true, job.WriteFile(Image()));
    QVERIFY2(phases.contains(QStringLiteral("Writing record 5 of 9")),
             qPrintable(phases.join('|')));
    const QRegularExpression shown(QStringLiteral("^\\d+ % \u2014 \\d+:\\d\\d left$"));
    QVERIFY2(std::any_of(figures.begin(), figures.end(),
                         [&](const QString& f) { return shown.match(f).hasMatch(); }),
             qPrintable(figures.join('|')));
    QVERIFY(w.Find<QWidget>("ButtonStopProgramDongle")->isHidden());  // the job is over
  }

  void stopEndsAtARecordAndLeavesTheDeviceInItsBootLoader_data() {
    QTest::addColumn<bool>("dongle");
    QTest::newRow("dongle") << true;
    QTest::newRow("mcu") << false;
  }
  void stopEndsAtARecordAndLeavesTheDeviceInItsBootLoader() {
    QFETCH(bool, dongle);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    const char* stop = dongle ? "ButtonStopProgramDongle" : "ButtonStopProgramMcu";
    // Stop is pressed once the third record is on its way.
    const auto pressing = QObject::connect(job.Bar(dongle), &QProgressBar::valueChanged, this, [&] {
      if (job.Records(dongle) == 3) w.Find<QAbstractButton>(stop)->click();
    });
    const QString file = job.WriteFile(Image());
    job.Program(dongle, file);
    QObject::disconnect(pressing);
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QCOMPARE(w.messages.messages[0].text,
             QStringLiteral("Programmazione interrotta dopo il record 3 di 9.") + kWaiting);
    QCOMPARE(job.Records(dongle), std::size_t{3});
    // Nothing was opened again: the dongle waits in its boot loader, the MCU in its own.
    QCOMPARE(w.window->Device()->IsOpen(), !dongle);
    QVERIFY(!w.Edit("EditNomeMcu")->isEnabled());
    QVERIFY(w.Find<QWidget>(stop)->isHidden());

    // Programming a valid file brings it back.
    job.Program(dongle, file);
    QVERIFY(w.messages.messages.back().text.startsWith("Programmazione eseguita correttamente."));
    QCOMPARE(job.Records(dongle), kImageRecords);
    QVERIFY(w.window->Device()->IsOpen());
  }

  void aRecordLetterInLowerCaseGoesOutInUpperCase() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    std::string file = Image();
    for (std::size_t at = file.find("\nS"); at != std::string::npos; at = file.find("\nS", at))
      file[++at] = 's';
    job.Program(true, job.WriteFile(file));
    QVERIFY(w.messages.messages.back().text.startsWith("Programmazione eseguita correttamente.\n"));
    w.sim->With([](World& world) {
      QCOMPARE(world.dongle.boot.records.size(), kImageRecords);
      for (const auto& record : world.dongle.boot.records) QCOMPARE(int(record.at(0)), int('S'));
    });
  }

  void afterNoDongleWasFoundTheWindowShowsNoLocalDevice() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    job.UsePorts({w.sim->PortPaths()[1]});  // only the MCU's port
    job.Program(true, job.WriteFile(Image()));
    QVERIFY(!w.window->Device()->IsOpen());
    QVERIFY(!w.Edit("EditNomeDongle")->isEnabled());
    QCOMPARE(w.Edit("EditNomeDongle")->text(), QString());
    QVERIFY(!w.Edit("EditNomeMcu")->isEnabled());
  }

  void aDongleAnotherProgramHoldsIsNotProgrammed() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    // Another program has the dongle; the window has let it go.
    w.window->Device()->Close();
    rukmox::test::LockHolder holder(w.sim->DonglePath());
    QVERIFY(holder.Held());
    w.Frames();

    job.Program(true, job.WriteFile(Image()));

    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    const QString text = w.messages.messages[0].text;
    QVERIFY2(text.startsWith("Impossibile individuare un dispositivo dongle da programmare.\nLa "
                             "dongle " +
                             QString::fromStdString(w.sim->DonglePath()) +
                             " è occupata da un altro programma: "),
             qPrintable(text));
    QVERIFY2(text.endsWith("(processo " + QString::number(holder.Pid()) + ") ne tiene il blocco." +
                           kNothingSent),
             qPrintable(text));
    QVERIFY(w.Frames().empty());
    QCOMPARE(job.Records(true), std::size_t{0});
    w.sim->With([](World& world) {
      QVERIFY(world.dongle.firmware == rukmox::sim::Firmware::Application);
      QCOMPARE(world.ports[0].rawReceived.size(), std::size_t{0});
    });
  }

  // SIGTERM, SIGHUP or Ctrl-C on the terminal that started the window, or the window's stop that
  // the program's end calls: the job ends between two records and says how to bring the device
  // back.
  void aSignalToEndStopsTheJobBetweenTwoRecords_data() {
    QTest::addColumn<bool>("signal");
    QTest::newRow("a signal, seen by the job") << true;
    QTest::newRow("the window's stop") << false;
  }
  void aSignalToEndStopsTheJobBetweenTwoRecords() {
    QFETCH(bool, signal);
    const rukmox::platform::StopSignals stopSignals;
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    int moves = 0;
    connect(job.Bar(false), &QProgressBar::valueChanged, this, [&](int value) {
      if (value <= 0 || ++moves != 2) return;
      if (signal)
        std::raise(SIGTERM);
      else
        w.window->ButtonAbortClick();
    });

    job.Program(false, job.WriteFile(Image()));

    QCOMPARE(job.Records(false), std::size_t{2});
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].error);
    QCOMPARE(w.messages.messages[0].text,
             "Programmazione interrotta dopo il record 2 di 9." + kWaiting);
    QVERIFY(job.Bar(false)->isHidden());
    QVERIFY(w.Timer()->isActive());
  }

  void whileAJobRunsNothingElseStartsAndACloseWaitsForItsEnd() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    const char* locked[] = {"ButtonScan",          "ButtonConnectMcu", "ListDevice",
                            "EditNomeDongle",      "ComboCanale",      "ButtonScanEnergy",
                            "ButtonProgramDongle", "ButtonProgramMcu", "ButtonSfogliaMcu"};
    QStringList liveDuringTheJob;
    bool asked = false;
    connect(job.Bar(false), &QProgressBar::valueChanged, this, [&](int value) {
      if (value == 0 || asked) return;
      asked = true;
      for (const char* name : locked)
        if (w.Find<QWidget>(name)->isEnabled()) liveDuringTheJob << name;
      // Another operation and a close, asked for while the bar's message is being served.
      QTimer::singleShot(0, w.window.get(), [&w] {
        w.window->ButtonScanClick();
        w.window->ButtonProgramDongleClick();
        w.window->close();
      });
    });
    w.Frames();

    job.Program(false, job.WriteFile(Image()));

    QVERIFY(asked);
    QCOMPARE(liveDuringTheJob, QStringList{});
    QCOMPARE(SimulatedWindow::Count(w.Frames(), TRukMox::CmdScan, 1), std::size_t{0});
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages[0].text.startsWith("Programmazione eseguita correttamente.\n"));
    QCOMPARE(job.Records(true), std::size_t{0});
    QVERIFY(w.window->Device() != nullptr);  // the close waited for the job
    QTRY_VERIFY(w.window->Device() == nullptr);
  }

  void progressMovesOnlyTheBarThatIsShown() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    Job job(w);
    job.Bar(true)->setVisible(true);
    job.Bar(false)->setValue(7);
    w.window->ProgrammingProgress(40);
    QCOMPARE(job.Bar(true)->value(), 40);
    QCOMPARE(job.Bar(false)->value(), 7);
  }

  void theDialogStartsInTheFirstFirmwareFolderThatExists_data() {
    QTest::addColumn<QStringList>("existing");  // which places have a Firmware folder
    QTest::addColumn<QString>("start");
    QTest::newRow("beside the executable")
        << QStringList{"exe", "data", "installed"} << "exe/Firmware";
    QTest::newRow("user data") << QStringList{"data", "installed"} << "data/Firmware";
    QTest::newRow("installed") << QStringList{"installed"} << "installed/Firmware";
    QTest::newRow("none") << QStringList{} << "home";
  }
  void theDialogStartsInTheFirstFirmwareFolderThatExists() {
    QFETCH(QStringList, existing);
    QFETCH(QString, start);
    QTemporaryDir root;
    QDir dir(root.path());
    for (const char* place : {"exe", "data", "installed", "home"}) QVERIFY(dir.mkdir(place));
    for (const QString& place : existing) QVERIFY(dir.mkpath(place + "/Firmware"));
    // A file called Firmware is not a folder to start in.
    QFile decoy(dir.filePath("exe/Firmware"));
    if (!existing.contains("exe")) QVERIFY(decoy.open(QIODevice::WriteOnly));
    const rukmox::window::FirmwarePlaces places{dir.filePath("exe"), dir.filePath("data"),
                                                dir.filePath("installed"), dir.filePath("home")};
    QCOMPARE(QDir::cleanPath(rukmox::window::FirmwareStartFolder(places)),
             QDir::cleanPath(dir.filePath(start)));
  }
};

QTEST_MAIN(FirmwareTest)
#include "FirmwareTest.moc"
