#include "StartOptions.h"

#include <QCommandLineParser>
#include <initializer_list>
#include <string>

#include "ExtraTexts.h"
#include "HelpTexts.h"
#include "Languages.h"
#include "ProgrammingJob.h"
#include "platform/PortList.h"

namespace rukmox::window {
namespace {

// "--ticks": how the usage errors name an option.
std::string OptionName(const QCommandLineOption& option) {
  std::string name = "--";
  name += option.names().first().toStdString();
  return name;
}

constexpr int kUsageError = 2;
const QString kSimulate = QStringLiteral("--simulate");

// The language --lang names, looked up before the parse so that the help already speaks it.
std::optional<int> LanguageAsked(const QStringList& arguments) {
  std::optional<int> asked;
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--")) break;
    if (arguments[i] == QLatin1String("--lang") && i + 1 < arguments.size())
      asked = LanguageOf(arguments[++i].toStdString());
    else if (arguments[i].startsWith(QLatin1String("--lang=")))
      asked = LanguageOf(arguments[i].mid(7).toStdString());
  }
  return asked;
}

}  // namespace

ParsedStart ParseStartOptions(const QStringList& arguments, const QString& version,
                              int localeLanguage) {
  const std::optional<int> asked = LanguageAsked(arguments);
  const int wordsLanguage = asked.value_or(localeLanguage);
  const auto words = [wordsLanguage](help::Id id,
                                     std::initializer_list<std::string_view> values = {}) {
    return QString::fromStdString(FillIn(HelpText(id, wordsLanguage), values));
  };

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
  parser.setApplicationDescription(words(help::WindowDescription));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                words(help::WindowHelpOption));
  const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                         words(help::WindowVersionOption));
  const QCommandLineOption dongle(QStringLiteral("dongle"), words(help::WindowDongleOption),
                                  QStringLiteral("PATH"));
  const QCommandLineOption ports(QStringLiteral("ports"), words(help::WindowPortsOption),
                                 QStringLiteral("P1:P2:..."));
  const QCommandLineOption simulate(QStringLiteral("simulate"), words(help::SimulateOption));
  const QCommandLineOption lang(QStringLiteral("lang"),
                                words(help::WindowLangOption, {LanguageList()}),
                                QStringLiteral("LL"), QStringLiteral("it"));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"), words(help::ScreenshotOption),
                                      QStringLiteral("FILE"));
  const QCommandLineOption tab(QStringLiteral("tab"), words(help::TabOption),
                               QStringLiteral("NAME"));
  const QCommandLineOption service(QStringLiteral("service"), words(help::ServiceOption));
  const QCommandLineOption sweeps(QStringLiteral("sweeps"), words(help::ScreenshotSweepsOption),
                                  QStringLiteral("N"));
  const QCommandLineOption scan(QStringLiteral("scan"), words(help::ScreenshotScanOption));
  const QCommandLineOption ticks(QStringLiteral("ticks"), words(help::ScreenshotTicksOption),
                                 QStringLiteral("N"));
  const QCommandLineOption rangeTest(QStringLiteral("range-test"),
                                     words(help::ScreenshotRangeTestOption), QStringLiteral("N"));
  const QCommandLineOption console(QStringLiteral("console"), words(help::ScreenshotConsoleOption),
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
    parsed.error =
        words(help::WindowUnexpected, {parser.positionalArguments().first().toStdString()});
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  const std::string language = parser.value(lang).toStdString();
  if (!LanguageOf(language)) {
    const std::string why = UnreadableCatalogue(language);
    parsed.error = QStringLiteral("--lang: ") +
                   (why.empty() ? words(help::UnknownLanguage, {language, LanguageList()})
                                : words(help::UnreadableLanguage, {language, why}));
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  // An empty name would otherwise mean "no picture" and leave the window open for good.
  if (parser.isSet(screenshot) && parser.value(screenshot).isEmpty()) {
    parsed.error = words(help::ScreenshotNeedsFile);
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  if (emptyScenario) {
    parsed.error = words(help::ScenarioNeedsFile);
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  if (parser.isSet(simulate) && parser.isSet(dongle)) {
    parsed.error = words(help::SimulateWithDongle);
    parsed.exitStatus = kUsageError;
    return parsed;
  }
  // Ports past the search would never be tried: better to say so than to let a job miss them.
  if (parser.isSet(ports)) {
    if (const auto why = workflow::PortListBeyondSearch(
            platform::SplitPortList(parser.value(ports).toStdString()), "--ports", wordsLanguage)) {
      parsed.error = QString::fromStdString(*why);
      parsed.exitStatus = kUsageError;
      return parsed;
    }
  }

  // An empty list would quietly stand for the system's ports instead of the ones meant.
  if (parser.isSet(ports) && parser.value(ports).split(':', Qt::SkipEmptyParts).isEmpty()) {
    parsed.error = words(help::NoPortNamed, {"--ports"});
    parsed.exitStatus = kUsageError;
    return parsed;
  }

  int sweepCount = 0;
  if (parser.isSet(sweeps)) {
    bool number = false;
    sweepCount = parser.value(sweeps).toInt(&number);
    if (!number || sweepCount < 1 || !parser.isSet(screenshot)) {
      parsed.error = words(help::CountWithScreenshot, {"--sweeps"});
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
    parsed.error = words(help::CountWithScreenshot, {OptionName(option)});
    parsed.exitStatus = kUsageError;
    return false;
  };
  int tickCount = 0;
  int pingCount = 0;
  if (!screenshotCount(ticks, tickCount) || !screenshotCount(rangeTest, pingCount)) return parsed;

  for (const QCommandLineOption* option : {&scan, &console}) {
    if (parser.isSet(*option) && !parser.isSet(screenshot)) {
      parsed.error = words(help::WithScreenshot, {OptionName(*option)});
      parsed.exitStatus = kUsageError;
      return parsed;
    }
  }

  StartOptions options;
  if (parser.isSet(dongle)) options.dongle = parser.value(dongle);
  if (parser.isSet(ports)) options.ports = parser.value(ports);
  options.simulate = parser.isSet(simulate);
  options.scenario = scenario;
  options.language = *LanguageOf(language);
  options.wordsLanguage = wordsLanguage;
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
