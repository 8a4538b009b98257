// The rukmox program as a user starts it: options, the screenshot without a display, the refusal
// to start without one, and the end a signal asks for.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>

#include "FastScenario.h"
#include "Simulator.h"

namespace {

struct Run {
  int status = -1;
  QString out;
  QString err;
};

Run Start(const QStringList& arguments, const QProcessEnvironment& environment) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(RUKMOX_PROGRAM), arguments);
  Run run;
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  run.err = QString::fromLocal8Bit(process.readAllStandardError());
  return run;
}

// The window started on a simulator in this process.
struct Simulated {
  Simulated() : sim(rukmox::sim::test::FastScenario()) { started = sim.Start(); }

  QStringList Devices() const {
    return {"--dongle", QString::fromStdString(sim.DonglePath()), "--ports",
            QString::fromStdString(sim.PortsVariable())};
  }

  rukmox::sim::Simulator sim;
  bool started = false;
};

QProcessEnvironment Offscreen() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.remove("RUKMOX_DONGLE");
  return env;
}

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void options_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--simulate";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "rukmox 0.";
    QTest::newRow("unknown language") << QStringList{"--lang", "de"} << 2 << "it or en";
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "colour";
    QTest::newRow("empty port list")
        << QStringList{"--dongle", "/nonexistent", "--ports", ""} << 2 << "no serial port";
    QTest::newRow("simulator and dongle")
        << QStringList{"--simulate", "--dongle", "/dev/null"} << 2 << "exclude";
    QTest::newRow("scan without screenshot")
        << QStringList{"--simulate", "--scan"} << 2 << "--scan";
    QTest::newRow("range test without screenshot")
        << QStringList{"--simulate", "--range-test", "5"} << 2 << "--range-test";
    QTest::newRow("console without screenshot")
        << QStringList{"--simulate", "--console", "hello"} << 2 << "--console";
    QTest::newRow("ticks not a count")
        << QStringList{"--simulate", "--ticks", "0", "--screenshot", "x.png"} << 2 << "--ticks";
    QTest::newRow("more ports than the search covers")
        << QStringList{"--ports", QString("/dev/null:").repeated(256).chopped(1)} << 2
        << "covers only the first 255";
    QTest::newRow("unknown page") << QStringList{"--dongle", "/nonexistent", "--screenshot",
                                                 "x.png",    "--tab",        "TabNothing"}
                                  << 2 << "TabNothing";
    // An empty name would mean no picture, and a window nobody closes.
    QTest::newRow("screenshot without a name")
        << QStringList{"--simulate", "--screenshot", ""} << 2 << "--screenshot needs a file name";
    QTest::newRow("empty scenario name")
        << QStringList{"--simulate=", "--screenshot", "x.png"} << 2 << "--simulate= needs";
    // Read with a bound and only when a regular file: nothing endless, nothing waited on.
    QTest::newRow("endless scenario")
        << QStringList{"--simulate=/dev/zero", "--screenshot", "x.png"} << 2
        << "/dev/zero: it is not a regular file";
    QTest::newRow("picture into a missing folder")
        << QStringList{"--dongle", "/nonexistent", "--screenshot", "/nonexistent/rukmox/x.png"} << 1
        << "cannot write /nonexistent/rukmox/x.png: it does not exist";
  }
  void options() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    const Run run = Start(arguments, Offscreen());
    QCOMPARE(run.status, status);
    QVERIFY2((run.out + run.err).contains(says), qPrintable(run.out + run.err));
  }

  void screenshots_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("without a dongle") << QStringList{"--dongle", "/nonexistent/dongle"};
    QTest::newRow("simulated, network page, English")
        << QStringList{"--simulate", "--tab", "TabScansione", "--lang", "en"};
    QTest::newRow("simulated, spectrum during sweeps, service mode")
        << QStringList{"--simulate", "--tab", "TabTest", "--sweeps", "5", "--service"};
    QTest::newRow("simulated, network page after a scan")
        << QStringList{"--simulate", "--tab", "TabScansione", "--scan", "--lang", "en"};
    QTest::newRow("simulated, link history after ticks")
        << QStringList{"--simulate", "--tab", "TabHistory", "--ticks", "5"};
    QTest::newRow("simulated, after a range test")
        << QStringList{"--simulate", "--tab", "TabRange", "--range-test", "5", "--lang", "en"};
    QTest::newRow("simulated, console with a line echoed")
        << QStringList{"--simulate", "--tab", "TabConsole", "--console", "hello", "--lang", "en"};
  }
  void screenshots() {
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    const QString file = dir.filePath("window.png");
    const Run run = Start(arguments + QStringList{"--screenshot", file}, Offscreen());
    QCOMPARE(run.status, 0);
    QVERIFY2(!run.err.contains("error:"), qPrintable(run.err));  // no message on the way
    QImage picture(file);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 400 && picture.height() > 300);
  }

  // The pair must not be left split on the scan's channel, as a killed program would leave it.
  void aSignalDuringAScanPutsThePairBackAndEndsTheRun() {
    Simulated simulated;
    QVERIFY(simulated.started);
    QTemporaryDir dir;
    const QString file = dir.filePath("window.png");
    QProcess process;
    process.setProcessEnvironment(Offscreen());
    process.start(QStringLiteral(RUKMOX_PROGRAM),
                  simulated.Devices() + QStringList{"--tab", "TabScansione", "--scan", "--lang",
                                                    "en", "--screenshot", file});
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();
    simulated.sim.With([pid](rukmox::sim::World& w) {
      w.dongle.triggers.push_back({6 /* scan request */, [pid](rukmox::sim::World&) {
                                     kill(static_cast<pid_t>(pid), SIGTERM);
                                   }});
    });
    QVERIFY(process.waitForFinished(30000));

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + SIGTERM);
    QVERIFY(!QFile::exists(file));  // the run ended instead
    simulated.sim.With([](rukmox::sim::World& w) {
      QCOMPARE(w.dongle.current.channel, 3);
      QCOMPARE(w.LinkedRemote(), 0);
    });
  }

  void aSignalEndsTheOpenWindow_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("Ctrl-C") << int(SIGINT);
  }
  void aSignalEndsTheOpenWindow() {
    QFETCH(int, signal);
    Simulated simulated;
    QVERIFY(simulated.started);
    QProcess process;
    process.setProcessEnvironment(Offscreen());
    process.start(QStringLiteral(RUKMOX_PROGRAM), simulated.Devices());
    QVERIFY(process.waitForStarted());
    // Once the poll tick runs, the window is up and its loop turns.
    QTRY_VERIFY_WITH_TIMEOUT(simulated.sim.With([](rukmox::sim::World& w) {
      return std::any_of(w.dongle.received.begin(), w.dongle.received.end(), [](const auto& frame) {
        return frame.code == 16; /* link quality */
      });
    }),
                             20000);
    kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
  }

  void withoutDisplayItSaysSoInsteadOfFailing() {
    QProcessEnvironment env = Offscreen();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    const Run refused = Start({"--dongle", "/nonexistent"}, env);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains("no display"), qPrintable(refused.err));

    QTemporaryDir dir;
    const QString file = dir.filePath("window.png");
    const Run picture = Start({"--dongle", "/nonexistent", "--screenshot", file}, env);
    QCOMPARE(picture.status, 0);
    QVERIFY(!QImage(file).isNull());
  }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "ProgramTest.moc"
