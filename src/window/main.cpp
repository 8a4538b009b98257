// rukmox: the operator window. Without hardware, --simulate serves a simulated dongle and its
// remote modules in this process.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "MessageBoxSink.h"
#include "ModuleFactory.h"
#include "Rukmoxlight.h"
#include "Scenario.h"
#include "Screenshot.h"
#include "Simulator.h"
#include "StartOptions.h"
#include "WindowWords.h"
#include "platform/PortList.h"

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

int Run(QApplication& app, const StartOptions& options) {
  rukmox::platform::TransportSettings settings =
      rukmox::platform::TransportSettings::FromEnvironment();
  if (options.dongle) settings.DonglePath = options.dongle->toStdString();
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
      Print(stderr,
            QStringLiteral("rukmox: the simulator did not start: ") + QString::fromStdString(why));
      return 1;
    }
    settings.DonglePath = simulator->DonglePath();
    settings.Ports = simulator->PortPaths();
  }

  const bool screenshot = !options.screenshot.isEmpty();
  MessageBoxSink boxes;
  ErrorStreamSink errorStream;
  MessageSink& messages = screenshot ? static_cast<MessageSink&>(errorStream) : boxes;
  TRukMoxFormLight window(
      [&settings](std::int32_t* errorWord) { return CreateModule(settings, errorWord); }, messages,
      DonglePlace{QString::fromStdString(settings.DonglePath), options.simulate});
  boxes.SetParent(&window);
  window.SetProgrammerMaker(
      [&settings](std::int32_t* errorWord) { return CreateProgrammer(settings, errorWord); });
  if (options.language != 0) window.ImageLanguageClick(options.language);
  if (options.service) window.SetServiceMode(true);
  if (!options.tab.isEmpty() && !window.ShowPage(options.tab)) {
    Print(stderr, QStringLiteral("rukmox: the window has no page named ") + options.tab);
    return 2;
  }
  if (screenshot) {
    if (options.scan) {
      window.ButtonScanClick();
      WaitForOperation(window);
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
    if (!saved) Print(stderr, QStringLiteral("rukmox: ") + why);
    return saved ? 0 : 1;
  }
  window.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const ParsedStart parsed = ParseStartOptions(arguments, QStringLiteral(RUKMOX_VERSION));
  if (!parsed.options) {
    if (!parsed.output.isEmpty()) Print(stdout, parsed.output);
    if (!parsed.error.isEmpty()) Print(stderr, QStringLiteral("rukmox: ") + parsed.error);
    return parsed.exitStatus;
  }
  if (!HasDisplay()) {
    if (parsed.options->screenshot.isEmpty()) {
      Print(stderr,
            QStringLiteral("rukmox: there is no display (DISPLAY and WAYLAND_DISPLAY are unset); "
                           "--screenshot FILE writes a picture of the window instead."));
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
