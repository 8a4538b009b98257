// rukmox: the operator window. Without hardware, --simulate serves a simulated dongle and its
// remote modules in this process.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "CatalogueFolder.h"
#include "ExtraTexts.h"
#include "HelpTexts.h"
#include "Languages.h"
#include "MessageBoxSink.h"
#include "ModuleFactory.h"
#include "Remembered.h"
#include "Rukmoxlight.h"
#include "Scenario.h"
#include "Screenshot.h"
#include "Simulator.h"
#include "StartOptions.h"
#include "ToolsWindow.h"
#include "WindowWords.h"
#include "platform/PortList.h"
#include "platform/ProgramFile.h"
#include "platform/StandardStreams.h"
#include "platform/StopSignals.h"

namespace {

using namespace rukmox::window;

void Print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  if (!text.endsWith('\n')) std::fputc('\n', stream);
}

bool Set(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A usage word of the program in the language of what it prints.
QString Words(rukmox::help::Id id, int language, std::initializer_list<std::string_view> values) {
  return QString::fromStdString(rukmox::FillIn(rukmox::HelpText(id, language), values));
}

bool HasDisplay() {
  return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

// A screenshot run has nobody to close a box: its messages go to standard error.
class ErrorStreamSink : public MessageSink {
 public:
  void Error(const QString& text) override { Print(stderr, QStringLiteral("error: ") + text); }
  void Information(const QString& text) override { Print(stderr, text); }
  // Nobody to answer: nothing is changed on a question's behalf.
  bool Question(const QString& text) override {
    Print(stderr, text);
    return false;
  }
};

// The window's messages: boxes until a signal asks the program to end; from then on nobody is
// there to close a box, so they go to standard error.
class EndingSink : public MessageSink {
 public:
  EndingSink(MessageSink& running, MessageSink& ending) : running_(running), ending_(ending) {}
  void End() { ended_ = true; }

  void Error(const QString& text) override { Sink().Error(text); }
  void Information(const QString& text) override { Sink().Information(text); }
  bool Question(const QString& text) override { return Sink().Question(text); }

 private:
  MessageSink& Sink() { return ended_ ? ending_ : running_; }

  MessageSink& running_;
  MessageSink& ending_;
  bool ended_ = false;
};

// Once a signal asked the program to end: the open dialogs are answered as cancelled, what runs
// is stopped as its stop button stops it (a scan goes back to its channel and its link, a job
// ends between two records), and the window closes as soon as the operation lets it.
void EndStep(TRukMoxFormLight& window) {
  for (int open = 0; open < 8; ++open) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) break;
    dialog->reject();
  }
  window.ButtonAbortClick();
  window.close();
}

constexpr QSize kToolsPictureSize{1280, 800};

// Where the operations log is kept: $XDG_STATE_HOME/rukmox, by default ~/.local/state/rukmox.
QString StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const QString base = state != nullptr && *state == '/'
                           ? QString::fromLocal8Bit(state)
                           : QDir::homePath() + QStringLiteral("/.local/state");
  return base + QStringLiteral("/rukmox");
}

int Run(QApplication& app, const StartOptions& options) {
  using rukmox::platform::StopSignals;
  // Caught from the start: a signal during the opening ends the run once the opening is done.
  StopSignals stopSignals;
  rukmox::platform::TransportSettings settings =
      rukmox::platform::TransportSettings::FromEnvironment();
  if (options.dongle) settings.DonglePath = options.dongle->toStdString();
  // The user's settings, but not for a picture, which must not depend on them nor change them.
  const bool screenshot = !options.screenshot.isEmpty();
  std::unique_ptr<Remembered> remembered;
  if (!screenshot) remembered = std::make_unique<Remembered>();
  // The dongle chosen last, unless the command line or the environment names one.
  if (remembered && !options.dongle && settings.DonglePath.empty())
    if (const auto chosen = remembered->Dongle()) settings.DonglePath = chosen->toStdString();
  if (options.ports) settings.Ports = rukmox::platform::SplitPortList(options.ports->toStdString());

  std::unique_ptr<rukmox::sim::Simulator> simulator;
  if (options.simulate) {
    rukmox::sim::Scenario scenario = rukmox::sim::DefaultScenario();
    std::string why;
    if (!options.scenario.isEmpty() &&
        !rukmox::sim::LoadScenarioFile(options.scenario.toStdString(), &scenario, &why)) {
      Print(stderr, QStringLiteral("rukmox: ") + QString::fromStdString(why));
      return 2;
    }
    simulator = std::make_unique<rukmox::sim::Simulator>(scenario);
    if (!simulator->Start(&why)) {
      Print(stderr, QStringLiteral("rukmox: ") +
                        Words(rukmox::help::SimulatorFailed, options.wordsLanguage, {why}));
      return 1;
    }
    settings.DonglePath = simulator->DonglePath();
    settings.Ports = simulator->PortPaths();
  }

  MessageBoxSink boxes;
  ErrorStreamSink errorStream;
  EndingSink messages(screenshot ? static_cast<MessageSink&>(errorStream) : boxes, errorStream);
  TRukMoxFormLight window(
      [&settings](std::int32_t* errorWord) { return CreateModule(settings, errorWord); }, messages,
      PlaceOf(settings, options.simulate));
  boxes.SetParent(&window);
  if (remembered) {
    window.Remember(*remembered);
    window.KeepLogIn(StateFolder());
  }
  window.SetProgrammerMaker(
      [&settings](std::int32_t* errorWord) { return CreateProgrammer(settings, errorWord); });
  if (options.language != 0) window.ImageLanguageClick(options.language);
  if (options.service) window.SetServiceMode(true);
  if (!options.tab.isEmpty() && !window.ShowPage(options.tab)) {
    Print(stderr,
          QStringLiteral("rukmox: ") +
              Words(rukmox::help::NoSuchPage, options.wordsLanguage, {options.tab.toStdString()}));
    return 2;
  }
  // A picture of the tools window shows it at the size of a common laptop screen.
  if (screenshot && window.Tools()->isVisible()) window.Tools()->resize(kToolsPictureSize);

  QTimer ending;
  ending.setInterval(50);
  QObject::connect(&ending, &QTimer::timeout, &window, [&window] { EndStep(window); });
  const auto endNow = [&] {
    messages.End();
    EndStep(window);
    ending.start();
  };
  std::unique_ptr<QSocketNotifier> signalled;
  if (stopSignals.WakeDescriptor() >= 0) {
    signalled =
        std::make_unique<QSocketNotifier>(stopSignals.WakeDescriptor(), QSocketNotifier::Read);
    QObject::connect(signalled.get(), &QSocketNotifier::activated, &window, [&] {
      signalled->setEnabled(false);
      endNow();
    });
  }
  const auto endedBySignal = [] { return StopSignals::ExitStatus(StopSignals::Caught()); };

  if (screenshot) {
    if (options.scan && !StopSignals::Requested()) {
      window.ButtonScanClick();
      WaitForOperation(window);  // a signal meanwhile stops the scan as its stop button does
    }
    if (StopSignals::Requested()) {
      window.close();
      return endedBySignal();
    }
    QString why;
    bool saved = false;
    if (options.sweeps > 0)
      saved = SaveSweepScreenshot(window, options.screenshot, options.sweeps, &why);
    else if (options.consoleLine)
      saved = SaveConsoleScreenshot(window, options.screenshot, *options.consoleLine, &why);
    else if (options.rangePings > 0)
      saved = SaveRangeTestScreenshot(window, options.screenshot, options.rangePings, &why);
    else
      saved = SaveScreenshot(window, options.screenshot, options.ticks, &why);
    window.close();
    if (StopSignals::Requested()) return endedBySignal();
    if (!saved) Print(stderr, QStringLiteral("rukmox: ") + why);
    return saved ? 0 : 1;
  }
  window.show();
  // A signal that came during the opening is waiting in the notifier's pipe: the loop ends the run.
  const int status = app.exec();
  return StopSignals::Requested() ? endedBySignal() : status;
}

}  // namespace

int main(int argc, char** argv) {
  rukmox::platform::TakeClosedStandardStreams();
  // The catalogues, and the locale's language for what the program prints; the window itself
  // starts in Italian unless --lang says otherwise.
  const std::string catalogues = Variable("RUKMOX_LOCALE_DIR");
  for (const rukmox::CatalogueProblem& problem : rukmox::UseCatalogueFolder(
           !catalogues.empty() ? catalogues
                               : rukmox::CatalogueFolder(rukmox::platform::ProgramFolder(),
                                                         rukmox::BuiltInCataloguePlaces())))
    Print(stderr, QStringLiteral("rukmox: ") + QString::fromStdString(problem.why));
  const int localeLanguage = rukmox::LanguageFromLocale(
      {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")});
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const ParsedStart parsed =
      ParseStartOptions(arguments, QStringLiteral(RUKMOX_VERSION), localeLanguage);
  if (!parsed.options) {
    if (!parsed.output.isEmpty()) Print(stdout, parsed.output);
    if (!parsed.error.isEmpty()) Print(stderr, QStringLiteral("rukmox: ") + parsed.error);
    return parsed.exitStatus;
  }
  if (!HasDisplay()) {
    if (parsed.options->screenshot.isEmpty()) {
      Print(stderr, QStringLiteral("rukmox: ") +
                        Words(rukmox::help::NoDisplay, parsed.options->wordsLanguage, {}));
      return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");  // a picture needs no display
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("rukmox"));
  QApplication::setApplicationVersion(QStringLiteral(RUKMOX_VERSION));
  // What escapes is shown in a box, as the toolkit shows an exception, and the run ends normally.
  try {
    return Run(app, *parsed.options);
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, WindowTitle(), QString::fromLocal8Bit(e.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, WindowTitle(), QString());
  }
  return 0;
}
