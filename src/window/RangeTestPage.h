// The range test: pings to the remote, one at a time at a steady pace, with the answered and lost
// counts, the round trip's median and 95th percentile, the quality at both ends and a chart of
// each ping's round trip (lost pings marked). The test runs as an operation of the device
// session, one ping a step; the poll tick goes on between the pings.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "PageContext.h"
#include "RangeTest.h"

class QLineSeries;
class QScatterSeries;

namespace Ui {
class RangeTestPage;
}

namespace rukmox::window {

class RangeTestPage : public QWidget {
  Q_OBJECT

 public:
  explicit RangeTestPage(PageContext& context, QWidget* parent = nullptr);
  ~RangeTestPage() override;

  bool Running() const;
  void ApplyCaptions(int language);
  // The control that stops the running test; it stays live while the others are locked.
  QWidget* StopControl() const;

  // The handler: starts a test, or stops the one running.
  void StartOrStop();
  // Puts the summary and every ping's round trip on the clipboard as text.
  void Copy();
  // The same text.
  QString Report() const;

 signals:
  // After each ping has been shown; `number` counts it from 1.
  void StepShown(int number);

 private:
  class Run;

  void BuildChart();
  void Clear();
  void Show(const RangeStep& step, const RangeFigures& figures);
  void Ended();

  PageContext& context_;
  std::unique_ptr<Ui::RangeTestPage> form_;
  QLineSeries* trips_ = nullptr;
  QScatterSeries* lost_ = nullptr;
  RangeFigures last_;
  std::vector<RangeStep> steps_;  // of the test running, or of the last one
  int count_ = 0;                 // the pings it was started for
  Run* run_ = nullptr;            // the test running, owned by the session
};

}  // namespace rukmox::window
