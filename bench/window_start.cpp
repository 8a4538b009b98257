// Start of the operator window, offscreen: from the launch of this process (the launcher hands in
// its CLOCK_MONOTONIC time) to the first painted frame of TRukMoxFormLight, with or without a
// dongle; or, with --open-only, the module's Open alone on the same dongle.
//
//   rukmox-bench-window [--launched NANOSECONDS] [--dongle PATH] [--open-only]
#include <time.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "BenchOutput.h"
#include "WindowBench.h"

namespace {

using namespace rukmox::bench;

double MonotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kib = 0;
      status >> kib;
      return kib;
    }
  }
  return 0;
}

// Notes the end of the window's first paint: the paint event itself, then everything the toolkit
// does in the same pass, which the zero-time timer waits for.
class FirstPaint : public QObject {
 public:
  double at = 0;
  std::function<void()> painted;  // runs before the application quits, which closes the window
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && at == 0) {
      at = -1;
      QTimer::singleShot(0, this, [this] {
        at = MonotonicMs();
        if (painted) painted();
        QApplication::quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const double entered = MonotonicMs();
  const std::string launchedText = Option(argc, argv, "--launched", "");
  const double launched =
      launchedText.empty() ? entered : std::strtod(launchedText.c_str(), nullptr) / 1e6;
  bool openOnly = false;
  for (int i = 1; i < argc; ++i) openOnly = openOnly || std::string(argv[i]) == "--open-only";

  rukmox::platform::TransportSettings settings;
  settings.DonglePath = Option(argc, argv, "--dongle", "");
  settings.SysfsRoot = "/nonexistent/sys";  // only the dongle handed in, never a real one

  if (openOnly) {
    std::int32_t error = 0;
    auto module = rukmox::window::CreateModule(settings, &error);
    const auto start = Clock::now();
    const bool opened = module->Open();
    Figure("open_ms", MillisecondsSince(start));
    module->Close();
    return opened ? 0 : 1;
  }

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ErrorStream messages;
  FirstPaint paint;
  const double constructing = MonotonicMs();
  const auto made = MakeWindow(settings, messages);
  rukmox::window::TRukMoxFormLight& window = *made;
  const double constructed = MonotonicMs();
  bool deviceOpen = false;
  double resident = 0;
  paint.painted = [&] {
    deviceOpen = window.Device() != nullptr && window.Device()->IsOpen();
    resident = ResidentKiB();
  };
  window.installEventFilter(&paint);
  window.show();
  QTimer::singleShot(10000, &app, &QApplication::quit);  // a window that never paints
  app.exec();
  if (paint.at <= 0) {
    std::fprintf(stderr, "the window never painted\n");
    return 1;
  }
  Figure("process_entry_ms", entered - launched);
  Figure("construct_ms", constructed - constructing);
  Figure("first_frame_ms", paint.at - launched);
  Figure("rss_kib", resident);
  Figure("device_open", deviceOpen ? 1 : 0);
  return 0;
}
