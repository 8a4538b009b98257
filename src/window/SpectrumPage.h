// The spectrum analyser: the energy on the 16 channels sweep after sweep until stopped, the last
// 20 sweeps drawn on top of each other; and the channel delta-signal report of service mode. The
// sweeps run as an operation of the device session, one sweep a step.
#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "EnergySweeps.h"
#include "PageContext.h"

namespace Ui {
class SpectrumPage;
}

namespace rukmox::window {

class SweepRing;

class SpectrumPage : public QWidget, private workflow::SweepFace {
  Q_OBJECT

 public:
  explicit SpectrumPage(PageContext& context, QWidget* parent = nullptr);
  ~SpectrumPage() override;

  // The sweeps follow the local device's panel.
  void Enable(bool on);
  // ButtonScanChannel is a service control.
  void SetServiceMode(bool on);
  void ApplyCaptions(int language);
  // Gives the time label its own size; once the window's fonts are known.
  void FixReadingSizes();

  // The handlers: start the sweeps, stop them, the delta-signal report.
  void ScanEnergy();
  void Stop();
  void DeltaSignal();

 signals:
  // After each sweep (drawn with the next screen frame); `sweeps` counts it.
  void SweepDrawn(int sweeps);

 private:
  void BuildChart();
  void SweepRead(const workflow::Sweep& sweep) override;
  void SweepsEnd() override;
  void DrawFrame();
  void ShowTime();

  PageContext& context_;
  std::unique_ptr<Ui::SpectrumPage> form_;
  std::unique_ptr<SweepRing> ring_;
  // The chart is drawn by this frame timer while the sweeps run, not after each sweep: a fast
  // dongle sweeps in less time than drawing takes.
  QTimer frame_;
  std::int64_t elapsedMs_ = 0;
};

}  // namespace rukmox::window
