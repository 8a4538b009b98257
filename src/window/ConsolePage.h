// The data console: talks to the remote module's host over the transparent data channel. A line
// goes out as text with the chosen line end, or as hex pairs; the view shows what comes back and
// the lines sent. While it runs the console owns the module's input: it runs as an operation of
// the device session, one bridge step a step, and the poll tick rests.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "ConsoleText.h"
#include "DataBridge.h"
#include "LineRecall.h"
#include "PageContext.h"

namespace Ui {
class ConsolePage;
}

namespace rukmox::window {

class Remembered;

class ConsolePage : public QWidget {
  Q_OBJECT

 public:
  // The view keeps this many lines; older ones drop off its top.
  static constexpr int kViewLines = 2000;
  // A line always fits into the bridge's empty queue, line end included.
  static constexpr int kLineLimit = 1000;

  explicit ConsolePage(PageContext& context, QWidget* parent = nullptr);
  ~ConsolePage() override;

  bool Running() const;
  // Bytes each way of the console running, or of the last run.
  BridgeCounts Counts() const;
  void ApplyCaptions(int language);
  // The control that stops the running console; it stays live while the others are locked.
  QWidget* StopControl() const;

  // The handlers: start the console, or stop the one running (what was already sent still goes
  // out first); send the line (also Enter in it).
  void StartOrStop();
  void Send();
  // Empty the view; save what it shows as text (false, after telling the operator, when the file
  // cannot be written).
  void ClearView();
  // Restores the mode and the line end from `remembered`, and keeps them there as they change.
  void Remember(Remembered& remembered);
  void Save();
  bool SaveText(const QString& path);

 protected:
  // Up and Down in the line call back the lines sent.
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // After a step that showed bytes from the remote; `received` counts all of this run.
  void Received(quint64 received);

 private:
  class Run;

  ConsoleMode Mode() const;
  std::string_view LineEnd() const;
  void ShowReceived(std::span<const std::uint8_t> bytes);
  void ShowSent(std::span<const std::uint8_t> bytes);
  void Append(const std::string& text, bool sent);
  void ShowCounts();
  // The line and Send work only while the console runs and is not stopping.
  void SetLineLive(bool live);
  void Ended(const BridgeCounts& counts);

  PageContext& context_;
  std::unique_ptr<Ui::ConsolePage> form_;
  ConsoleTranscript transcript_;
  LineStamper stamper_;
  workflow::LineRecall recall_;
  BridgeCounts last_;   // of the last run, shown after it ends
  Run* run_ = nullptr;  // the console running, owned by the session
};

}  // namespace rukmox::window
