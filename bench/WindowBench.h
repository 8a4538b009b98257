// What the window benchmarks share: a message sink for a window nobody watches, and the window
// itself on a dongle handed in.
#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "ModuleFactory.h"
#include "Rukmoxlight.h"
#include "platform/TransportSettings.h"

namespace rukmox::bench {

// Nobody answers a box here: the window's messages go to standard error.
class ErrorStream : public rukmox::window::MessageSink {
 public:
  void Error(const QString& text) override {
    std::fprintf(stderr, "error: %s\n", text.toLocal8Bit().constData());
  }
  void Information(const QString& text) override {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  }
  bool Question(const QString&) override { return false; }
};

// The operator window as the program makes it, on the dongle `settings` names (none when empty).
inline std::unique_ptr<rukmox::window::TRukMoxFormLight> MakeWindow(
    const rukmox::platform::TransportSettings& settings, rukmox::window::MessageSink& messages) {
  return std::make_unique<rukmox::window::TRukMoxFormLight>(
      [settings](std::int32_t* errorWord) {
        return rukmox::window::CreateModule(settings, errorWord);
      },
      messages, rukmox::window::DonglePlace{QString::fromStdString(settings.DonglePath), false});
}

}  // namespace rukmox::bench
