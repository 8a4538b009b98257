#include "StartOptions.h"

#include <QCommandLineParser>

#include "ProgrammingJob.h"
#include "platform/PortList.h"

namespace rukmox::window {
namespace {

constexpr int kUsageError = 2;
const QString kSimulate = QStringLiteral("--simulate");

}  // namespace

ParsedStart ParseStartOptions(const QStringList& arguments, const QString& version) {
  // "--simulate=FILE" carries an optional value, which the parser has no notion of.
  QStringList args;
  QString scenario;
  bool emptyScenario = false;
  for (const QString& a : arguments) {
    if (a.startsWith(kSimulate + '=')) {
      scenario = a.mid(kSimulate.size() + 1);
      emptyScenario = scenario.isEmpty();
      args << kSimulate;
    } else {
      args << a;
    }
  }

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Operator window for a pair of short-range radio modules: the USB dongle "
                     "\"Wireless Port\" and the remote module reached through it."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Show the version and exit."));
  const QCommandLineOption dongle(
      QStringLiteral("dongle"),
      QStringLiteral("tty of the dongle, listed first among the USB devices as \"Wireless Port\"."),
      QStringLiteral("PATH"));
  const QCommandLineOption ports(
      QStringLiteral("ports"),
      QStringLiteral("Serial ports for programming, colon-separated (port k = entry k)."),
      QStringLiteral("P1:P2:..."));
  const QCommandLineOption simulate(
      QStringLiteral("simulate"),
      QStringLiteral("Run the device simulator in this process and open the window on it; "
                     "--simulate=SCENARIO loads a scenario file instead of the built-in one."));
  const QCommandLineOption lang(QStringLiteral("lang"),
                                QStringLiteral("Language to start in: it (default) or en."),
                                QStringLiteral("it|en"), QStringLiteral("it"));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Write a PNG of the window after start and the first poll ticks, then exit."),
      QStringLiteral("FILE"));
  const QCommandLineOption tab(
      QStringLiteral("tab"),
      QStringLiteral("Page to bring to the front, by its object name (such as TabScansione)."),
      QStringLiteral("NAME"));
  const QCommandLineOption service(
      QStringLiteral("service"),
      QStringLiteral("Start in service mode: the programming groups, the PIN read and the channel "
                     "delta-signal report are shown (Ctrl+Shift+S switches it in the window)."));
  const QCommandLineOption sweeps(
      QStringLiteral("sweeps"),
      QStringLiteral("With --screenshot: run this many spectrum sweeps first (on the spectrum "
                     "page, --tab TabTest)."),
      QStringLiteral("N"));
  const QCommandLineOption scan(
      QStringLiteral("scan"),
      QStringLiteral(
          "With --screenshot: scan the network page's channel range before the picture."));
  const QCommandLineOption ticks(
      QStringLiteral("ticks"),
      QStringLiteral("With --screenshot: let this many poll ticks run first (2 unless given), so "
                     "that the link history (--tab TabHistory) has a past to show."),
      QStringLiteral("N"));
  const QCommandLineOption rangeTest(
      QStringLiteral("range-test"),
      QStringLiteral("With --screenshot: run a range test of this many pings first (on the range "
                     "test page, --tab TabRange)."),
      QStringLiteral("N"));
  const QCommandLineOption console(
      QStringLiteral("console"),
      QStringLiteral("With --screenshot: start the data console (on its page, --tab TabConsole), "
                     "send this text line and write the window once its echo is back."),
      QStringLiteral("LINE"));
  parser.addOptions({help, versionOption, dongle, ports, simulate, lang, service, screenshot, tab,
                     sweeps, scan, ticks, rangeTest, console});

  ParsedStart parsed;
  if (!parser.parse(args)) {
    parsed.error = parser.errorText();
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  if (parser.isSet(help)) {
    // Without an application object the parser does not know the program's name.
    parsed.output =
        parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("rukmox"));
    return parsed;
  }
  if (parser.isSet(versionOption)) {
    parsed.output = QStringLiteral("rukmox ") + version + '\n';
    return parsed;
  }
  if (!parser.positionalArguments().isEmpty()) {
    parsed.error = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  const QString language = parser.value(lang);
  if (language != QLatin1String("it") && language != QLatin1String("en")) {
    parsed.error = QStringLiteral("--lang takes it or en, not ") + language;
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  // An empty name would otherwise mean "no picture" and leave the window open for good.
  if (parser.isSet(screenshot) && parser.value(screenshot).isEmpty()) {
    parsed.error = QStringLiteral("--screenshot needs a file name");
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  if (emptyScenario) {
    parsed.error = QStringLiteral(
        "--simulate= needs a scenario file; --simulate alone runs the built-in installation");
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  if (parser.isSet(simulate) && parser.isSet(dongle)) {
    parsed.error = QStringLiteral("--simulate and --dongle exclude each other");
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  // Ports past the search would never be tried: better to say so than to let a job miss them.
  if (parser.isSet(ports)) {
    if (const auto why = workflow::PortListBeyondSearch(
            platform::SplitPortList(parser.value(ports).toStdString()), "--ports")) {
      parsed.error = QString::fromStdString(*why);
      parsed.exitStatus = kUsageError;
      return parsed;
    }
  }

  // An empty list would quietly stand for the system's ports instead of the ones meant.
  if (parser.isSet(ports) && parser.value(ports).split(':', Qt::SkipEmptyParts).isEmpty()) {
    parsed.error = QStringLiteral("--ports names no serial port");
    parsed.exitStatus = kUsageError;
    return parsed;
  }

  int sweepCount = 0;
  if (parser.isSet(sweeps)) {
    bool number = false;
    sweepCount = parser.value(sweeps).toInt(&number);
    if (!number || sweepCount < 1 || !parser.isSet(screenshot)) {
      parsed.error = QStringLiteral("--sweeps takes a count from 1, with --screenshot");
      parsed.exitStatus = kUsageError;
      return parsed;
    }
  }

  // A count from 1 that only a screenshot uses; 0 when not given.
  const auto screenshotCount = [&](const QCommandLineOption& option, int& count) {
    if (!parser.isSet(option)) return true;
    bool number = false;
    count = parser.value(option).toInt(&number);
    if (number && count >= 1 && parser.isSet(screenshot)) return true;
    parsed.error = QStringLiteral("--") + option.names().first() +
                   QStringLiteral(" takes a count from 1, with --screenshot");
    parsed.exitStatus = kUsageError;
    return false;
  };
  int tickCount = 0;
  int pingCount = 0;
  if (!screenshotCount(ticks, tickCount) || !screenshotCount(rangeTest, pingCount)) return parsed;

  for (const QCommandLineOption* option : {&scan, &console}) {
    if (parser.isSet(*option) && !parser.isSet(screenshot)) {
      parsed.error = QStringLiteral("--") + option->names().first() +
                     QStringLiteral(" goes with --screenshot");
      parsed.exitStatus = kUsageError;
      return parsed;
    }
  }

  StartOptions options;
  if (parser.isSet(dongle)) options.dongle = parser.value(dongle);
  if (parser.isSet(ports)) options.ports = parser.value(ports);
  options.simulate = parser.isSet(simulate);
  options.scenario = scenario;
  options.language = language == QLatin1String("en") ? 1 : 0;
  options.service = parser.isSet(service);
  options.screenshot = parser.value(screenshot);
  options.sweeps = sweepCount;
  options.tab = parser.value(tab);
  options.scan = parser.isSet(scan);
  if (tickCount > 0) options.ticks = tickCount;
  options.rangePings = pingCount;
  if (parser.isSet(console)) options.consoleLine = parser.value(console);
  parsed.options = options;
  return parsed;
}

}  // namespace rukmox::window
