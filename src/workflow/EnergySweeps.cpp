#include "EnergySweeps.h"

#include <chrono>
#include <thread>

namespace rukmox::workflow {

EnergySweeps::EnergySweeps(TRukMox& device, SweepFace& face, std::optional<std::int32_t> count)
    : device_(device), face_(face), count_(count) {}

std::optional<Operation::Wait> EnergySweeps::Step() {
  if (ended_) return std::nullopt;
  if (stopRequested_ || (count_ && number_ >= *count_)) return End();

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
  // With the dongle gone every further read would fail at once.
  sweep.dongleGone = !device_.IsOpen();
  face_.SweepRead(sweep);
  if (sweep.dongleGone || (count_ && number_ >= *count_)) return End();
  return Wait{0};
}

std::optional<Operation::Wait> EnergySweeps::End() {
  ended_ = true;
  face_.SweepsEnd();
  return std::nullopt;
}

}  // namespace rukmox::workflow
