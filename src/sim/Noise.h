// Noise on one radio channel: a seeded random walk around a base level, with bursts. It walks in
// fixed steps of time, so that two runs with the same seed read the same sequence.
#pragma once

#include <cstdint>
#include <random>

#include "Scenario.h"

namespace rukmox::sim {

class ChannelNoise {
 public:
  ChannelNoise() = default;
  ChannelNoise(const ChannelSetup& setup, std::uint32_t seed);

  // The level after `step` steps since the start, in dBm.
  double At(std::int64_t step);
  void Pin(double dbm);
  const ChannelSetup& setup() const { return setup_; }

 private:
  void Walk();

  ChannelSetup setup_;
  std::mt19937 random_;
  std::int64_t step_ = 0;
  double walk_ = 0;  // offset from the base
  int burstLeft_ = 0;
};

}  // namespace rukmox::sim
