// The link history's small page: a chart of quality and energy over the last five minutes, with
// the channel moves marked, fed by the poll tick; pause and save as CSV.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <memory>

#include "LinkHistory.h"

class QChartView;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QTabWidget;
class QValueAxis;
class QWidget;

namespace rukmox::window {

class LinkHistoryPage {
 public:
  // Adds the page TabHistory to `pages`.
  explicit LinkHistoryPage(QTabWidget* pages);

  // One tick's readings, with the module's count of its own channel moves so far; the time is
  // taken here. Nothing is kept or drawn while paused, but a move made meanwhile is still marked
  // on the first tick after the pause. The chart is drawn only while the page can be seen (every
  // point moves left at every tick, and redrawing five minutes of them costs more than the tick's
  // radio traffic), and drawn afresh when the page comes into view.
  void Add(std::int32_t quality, std::int32_t energy, std::int32_t channel, bool linked,
           std::int32_t channelChanges);
  void ApplyCaptions(int language);

  LinkHistory history;
  QWidget* tab = nullptr;
  QChartView* chart = nullptr;
  QPushButton* pause = nullptr;
  QPushButton* save = nullptr;

 private:
  void Draw();
  std::unique_ptr<QObject> drawOnShow_;  // a deleted filter leaves its widget by itself
  QElapsedTimer clock_;
  std::int32_t changesSeen_ = 0;
  QLineSeries* quality_ = nullptr;
  QLineSeries* energy_ = nullptr;
  QScatterSeries* moves_ = nullptr;
};

}  // namespace rukmox::window
