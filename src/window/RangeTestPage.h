// The range test's small page: start/stop, the number of pings, the running figures and a chart
// of each ping's round trip (lost pings marked).
#pragma once

#include <memory>

#include "RangeTest.h"

class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QSpinBox;
class QTabWidget;
class QTimer;
class QWidget;

namespace rukmox::window {

class RangeTestPage {
 public:
  // Adds the page TabRange to `pages`.
  explicit RangeTestPage(QTabWidget* pages);
  ~RangeTestPage();

  void Clear();
  void Show(const RangeStep& step, const RangeFigures& figures, int language);
  void ApplyCaptions(int language, bool running);

  QWidget* tab = nullptr;
  QPushButton* button = nullptr;
  QSpinBox* count = nullptr;
  QLabel* counts = nullptr;
  QLabel* trip = nullptr;
  QLabel* quality = nullptr;
  QChartView* chart = nullptr;
  QTimer* pace = nullptr;  // one step per timeout, so that the window stays live between pings

  std::unique_ptr<RangeTest> test;
  RangeFigures last;

 private:
  QLineSeries* trips_ = nullptr;
  QScatterSeries* lost_ = nullptr;
};

}  // namespace rukmox::window
