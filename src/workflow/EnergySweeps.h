// The spectrum analyser's sweeps: the energy on all 16 channels read again and again until they
// are stopped (or, for a command, counted out), each sweep told to the face as it comes. The
// window draws the last 20 of them on its chart; `rukmoxctl spectrum` prints them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "Operation.h"
#include "Rukmox.h"

namespace rukmox::workflow {

using EnergyValues = std::array<std::uint8_t, RadioChannelCount>;

struct Sweep {
  std::int32_t number = 0;             // from 0
  std::optional<EnergyValues> values;  // none when the read failed
  std::int64_t elapsedMs = 0;  // how long the last read that succeeded took; 0 until one has
};

class SweepFace {
 public:
  virtual ~SweepFace() = default;
  virtual void SweepRead(const Sweep& sweep) = 0;
  // The sweeps are over: stopped, counted out, or the dongle went away (the sweep told last is
  // the one that found it gone).
  virtual void SweepsEnd() {}
};

class EnergySweeps final : public Operation {
 public:
  // Sweeps until stopped, or `count` of them.
  EnergySweeps(TRukMox& device, SweepFace& face, std::optional<std::int32_t> count = std::nullopt);

  // One sweep.
  std::optional<Wait> Step() override;
  // The sweeps end after the sweep in progress: one asked for between two steps is in progress
  // already (the window handles the operator's clicks at the start of a sweep), one asked for
  // while a sweep is told is the last.
  void Stop() override;

  std::int32_t Sweeps() const { return number_; }
  // How many reads succeeded.
  std::int32_t Readings() const { return readings_; }

 private:
  std::optional<Wait> End();

  TRukMox& device_;
  SweepFace& face_;
  std::optional<std::int32_t> count_;
  std::optional<std::int32_t> lastSweep_;  // how many sweeps there are to be, once stopped
  bool inStep_ = false;
  bool ended_ = false;
  std::int32_t number_ = 0;
  std::int32_t readings_ = 0;
  std::int64_t elapsedMs_ = 0;
};

}  // namespace rukmox::workflow
