#include "Screenshot.h"

#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include "Rukmoxlight.h"

namespace rukmox::window {
namespace {

// Ticks are 100 ms apart; a module that answers slowly still gets a few seconds.
constexpr int kTickWaitMs = 10000;

}  // namespace

bool SaveScreenshot(TRukMoxFormLight& window, const QString& file, int ticks, QString* error) {
  window.show();
  QEventLoop loop;
  int seen = 0;
  const auto counted = QObject::connect(&window, &TRukMoxFormLight::PollTicked, &loop, [&] {
    if (++seen >= ticks) loop.quit();
  });
  QTimer::singleShot(kTickWaitMs, &loop, &QEventLoop::quit);
  if (ticks > 0) loop.exec();
  QObject::disconnect(counted);
  if (!window.grab().save(file, "PNG")) {
    if (error != nullptr) *error = QStringLiteral("cannot write ") + file;
    return false;
  }
  return true;
}

}  // namespace rukmox::window
