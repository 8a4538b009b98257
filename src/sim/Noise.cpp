#include "Noise.h"

#include <algorithm>

namespace rukmox::sim {

ChannelNoise::ChannelNoise(const ChannelSetup& setup, std::uint32_t seed)
    : setup_(setup), random_(seed) {}

void ChannelNoise::Pin(double dbm) {
  setup_.baseDbm = dbm;
  setup_.pinned = true;
}

void ChannelNoise::Walk() {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double stepDb = std::max(0.25, setup_.driftDb / 4);
  walk_ += (unit(random_) - 0.5) * 2 * stepDb;
  walk_ = std::clamp(walk_, -setup_.driftDb, setup_.driftDb);
  if (burstLeft_ > 0) {
    --burstLeft_;
  } else if (unit(random_) < setup_.burstChance) {
    burstLeft_ = setup_.burstSteps;
  }
}

double ChannelNoise::At(std::int64_t step) {
  // Cap the catch-up so that a long idle time costs nothing noticeable.
  if (step - step_ > 100000) step_ = step - 100000;
  while (step_ < step) {
    Walk();
    ++step_;
  }
  if (setup_.pinned) return setup_.baseDbm;
  const double level = setup_.baseDbm + walk_ + (burstLeft_ > 0 ? setup_.burstDb : 0.0);
  // Energy detection reads nothing below -94 dBm and saturates near 0 dBm.
  return std::clamp(level, -94.0, -1.0);
}

}  // namespace rukmox::sim
