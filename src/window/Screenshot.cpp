#include "Screenshot.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QEventLoop>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QTimer>

#include "Rukmoxlight.h"
#include "StringTable.h"
#include "ToolsWindow.h"
#include "platform/Files.h"

namespace rukmox::window {
namespace {

// Ticks are 100 ms apart; a module that answers slowly still gets a few seconds, and a second a
// tick at most.
constexpr int kTickWaitMs = 10000;
constexpr int kTickWaitPerTickMs = 1000;
constexpr int kEchoWaitMs = 5000;

// The tools window when it is open (a page of it was asked for), else the main window.
QWidget& Pictured(TRukMoxFormLight& window) {
  QWidget* tools = window.Tools();
  return tools->isVisible() ? *tools : static_cast<QWidget&>(window);
}

// Written whole or not at all, with the reason when it cannot be.
bool Save(TRukMoxFormLight& window, const QString& file, QString* error) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !Pictured(window).grab().save(&buffer, "PNG")) {
    if (error != nullptr) *error = QStringLiteral("cannot make a PNG picture of the window");
    return false;
  }
  platform::FileProblem problem;
  const std::string_view bytes(png.constData(), static_cast<std::size_t>(png.size()));
  if (platform::WriteWholeFile(file.toStdString(), bytes, &problem)) return true;
  if (error != nullptr)
    *error = QStringLiteral("cannot write ") + file + QStringLiteral(": ") +
             QString::fromStdString(platform::FileProblemText(problem, LanguageEnglish));
  return false;
}

}  // namespace

void WaitForOperation(TRukMoxFormLight& window) {
  if (!window.OperationRunning()) return;
  QEventLoop loop;
  QObject::connect(&window, &TRukMoxFormLight::OperationFinished, &loop, &QEventLoop::quit);
  loop.exec();
}

bool SaveScreenshot(TRukMoxFormLight& window, const QString& file, int ticks, QString* error) {
  window.show();
  QEventLoop loop;
  int seen = 0;
  const auto counted = QObject::connect(&window, &TRukMoxFormLight::PollTicked, &loop, [&] {
    if (++seen >= ticks) loop.quit();
  });
  QTimer::singleShot(kTickWaitMs + ticks * kTickWaitPerTickMs, &loop, &QEventLoop::quit);
  if (ticks > 0) loop.exec();
  QObject::disconnect(counted);
  return Save(window, file, error);
}

bool SaveSweepScreenshot(TRukMoxFormLight& window, const QString& file, int sweeps,
                         QString* error) {
  window.show();
  bool drawn = false;
  bool saved = false;
  QString why;
  QEventLoop loop;
  const auto counted =
      QObject::connect(&window, &TRukMoxFormLight::SweepDrawn, &window, [&](int done) {
        if (done < sweeps || drawn) return;
        drawn = true;
        QApplication::processEvents();  // the chart's repaint
        saved = Save(window, file, &why);
        window.ButtonAbortClick();
      });
  const auto ended =
      QObject::connect(&window, &TRukMoxFormLight::OperationFinished, &loop, &QEventLoop::quit);
  window.ButtonScanEnergyClick();
  if (window.Busy()) loop.exec();  // until the sweeps have stopped
  QObject::disconnect(counted);
  QObject::disconnect(ended);
  if (!drawn) {
    if (error != nullptr) *error = QStringLiteral("the spectrum sweeps did not run");
    return false;
  }
  if (!saved && error != nullptr) *error = why;
  return saved;
}

bool SaveRangeTestScreenshot(TRukMoxFormLight& window, const QString& file, int pings,
                             QString* error) {
  window.show();
  auto* count = window.findChild<QSpinBox*>(QStringLiteral("SpinRangeCount"));
  if (count != nullptr) count->setValue(pings);
  window.ButtonRangeTestClick();
  if (!window.RangeTestRunning()) {
    if (error != nullptr) *error = QStringLiteral("the range test did not start");
    return false;
  }
  QEventLoop loop;
  const auto stepped = QObject::connect(&window, &TRukMoxFormLight::RangeStepShown, &loop, [&] {
    if (!window.RangeTestRunning()) loop.quit();
  });
  loop.exec();  // each ping ends in its own time-out at worst
  QObject::disconnect(stepped);
  QApplication::processEvents();  // the chart's repaint
  return Save(window, file, error);
}

bool SaveConsoleScreenshot(TRukMoxFormLight& window, const QString& file, const QString& line,
                           QString* error) {
  window.show();
  window.ButtonConsoleClick();
  if (!window.ConsoleRunning()) {
    if (error != nullptr) *error = QStringLiteral("the console did not start");
    return false;
  }
  if (auto* edit = window.findChild<QLineEdit*>(QStringLiteral("EditConsoleLine")))
    edit->setText(line);
  window.ButtonConsoleSendClick();
  QEventLoop loop;
  const auto echoed = QObject::connect(&window, &TRukMoxFormLight::ConsoleReceived, &loop, [&] {
    const BridgeCounts counts = window.ConsoleCounts();
    if (counts.fromRemote >= counts.toRemote) loop.quit();
  });
  QTimer::singleShot(kEchoWaitMs, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(echoed);
  QApplication::processEvents();  // the view's repaint
  return Save(window, file, error);
}

}  // namespace rukmox::window
