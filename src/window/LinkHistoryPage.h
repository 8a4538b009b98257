// The link history: a chart of the link quality and the channel energy of the last five minutes,
// with the channel moves marked, fed by the poll tick's readings; pause, and save as CSV.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

#include "LinkHistory.h"
#include "PageContext.h"

class QLineSeries;
class QScatterSeries;

namespace Ui {
class LinkHistoryPage;
}

namespace rukmox::window {

class LinkHistoryPage : public QWidget {
  Q_OBJECT

 public:
  explicit LinkHistoryPage(PageContext& context, QWidget* parent = nullptr);
  ~LinkHistoryPage() override;

  // One tick's readings, with the module's count of its own channel moves so far; the time is
  // taken here. Nothing is kept or drawn while paused, but a move made meanwhile is still marked
  // on the first tick after the pause. The chart is drawn only while the page can be seen (every
  // point moves left at every tick, and redrawing five minutes of them costs more than the tick's
  // radio traffic), and drawn afresh when the page comes into view.
  void Add(std::int32_t quality, std::int32_t energy, std::int32_t channel, bool linked,
           std::int32_t channelChanges);
  const LinkHistory& History() const { return history_; }
  void ApplyCaptions(int language);

  // The handlers: pause or go on (a call from the program flips the button), save as CSV.
  void TogglePause();
  void Save();
  // Writes the history held as CSV; false, after telling the operator, when it cannot.
  bool SaveCsv(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildChart();
  void Draw();

  PageContext& context_;
  std::unique_ptr<Ui::LinkHistoryPage> form_;
  LinkHistory history_;
  QElapsedTimer clock_;
  std::int32_t changesSeen_ = 0;
  QLineSeries* quality_ = nullptr;
  QLineSeries* energy_ = nullptr;
  QScatterSeries* moves_ = nullptr;
};

}  // namespace rukmox::window
