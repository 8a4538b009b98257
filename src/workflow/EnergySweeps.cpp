#include "EnergySweeps.h"

#include <chrono>
#include <thread>

namespace rukmox::workflow {

EnergySweeps::EnergySweeps(TRukMox& device, SweepFace& face, std::optional<std::int32_t> count)
    : device_(device), face_(face), count_(count) {}

void EnergySweeps::Stop() {
  if (!lastSweep_) lastSweep_ = inStep_ ? number_ : number_ + 1;
}

std::optional<Operation::Wait> EnergySweeps::Step() {
  if (ended_) return std::nullopt;
  if ((lastSweep_ && number_ >= *lastSweep_) || (count_ && number_ >= *count_)) return End();

  // The sweeps run as fast as the module answers; the rest of the time slice goes to others.
  std::this_thread::yield();
  Sweep sweep;
  sweep.number = number_++;
  EnergyValues values{};
  // The duration of the read alone, on a clock that no change of the wall time moves.
  const auto start = std::chrono::steady_clock::now();
  if (device_.ReadEnergyScan(values.data(), RadioChannelCount)) {
    elapsedMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - start)
                     .count();
    sweep.values = values;
    ++readings_;
  }
  sweep.elapsedMs = elapsedMs_;
  inStep_ = true;
  face_.SweepRead(sweep);
  inStep_ = false;
  // With the dongle gone every further read would fail at once.
  if (!device_.IsOpen() || (lastSweep_ && number_ >= *lastSweep_) || (count_ && number_ >= *count_))
    return End();
  return Wait{0};
}

std::optional<Operation::Wait> EnergySweeps::End() {
  ended_ = true;
  face_.SweepsEnd();
  return std::nullopt;
}

}  // namespace rukmox::workflow
