// Scenarios for tests: no wire timing, no delays, quiet channels pinned, every scan request
// answered, so that results do not depend on chance or on the machine's speed.
#pragma once

#include "Scenario.h"

namespace rukmox::sim::test {

inline Scenario FastScenario() {
  Scenario s = DefaultScenario();
  s.timing = TimingSetup{};
  for (ChannelSetup& c : s.channels) {
    c.baseDbm = -90;
    c.pinned = true;
    c.burstChance = 0;
  }
  for (RemoteSetup& r : s.remotes) {
    r.scanAnswerRate = 1;
    r.pathLossDb = 60;
  }
  for (PortSetup& p : s.ports) p.boot.prepareMs = 0;
  return s;
}

}  // namespace rukmox::sim::test
