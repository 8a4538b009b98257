// The data console's small page: start/stop, a line to send (text or hex pairs, with the chosen
// line end), the view of what came back and what was sent, and the bytes counted each way.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "ConsoleText.h"
#include "DataBridge.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QWidget;

namespace rukmox::window {

class ConsolePage {
 public:
  // The view keeps this many lines; older ones drop off its top.
  static constexpr int kViewLines = 2000;
  // A line always fits into the bridge's empty queue, line end included.
  static constexpr int kLineLimit = 1000;

  // Adds the page TabConsole to `pages`.
  explicit ConsolePage(QTabWidget* pages);
  ~ConsolePage();

  ConsoleMode Mode() const;
  std::string_view LineEnd() const;
  void ShowReceived(std::span<const std::uint8_t> bytes);
  void ShowSent(std::span<const std::uint8_t> bytes);
  void ShowCounts(int language);
  void ApplyCaptions(int language, bool running);
  // The line and Send work only while the console runs and is not stopping.
  void SetRunning(bool running);

  QWidget* tab = nullptr;
  QPushButton* button = nullptr;
  QComboBox* mode = nullptr;
  QComboBox* lineEnd = nullptr;
  QLabel* counts = nullptr;
  QPlainTextEdit* view = nullptr;
  QLineEdit* line = nullptr;
  QPushButton* send = nullptr;
  QTimer* pump = nullptr;  // one bridge step per timeout, so that the window stays live

  std::unique_ptr<DataBridge> bridge;
  bool stopping = false;  // asked to stop: only what is already queued still goes out
  BridgeCounts last;      // of the last run, shown after it ends

 private:
  void Append(const std::string& text, bool sent);
  ConsoleTranscript transcript_;
};

}  // namespace rukmox::window
