#include "Simulator.h"

#include <gtest/gtest.h>

#include "SimLine.h"

namespace rukmox::sim {
namespace {

using test::SimLine;

TEST(Smoke, Ping) {
  Simulator sim;
  std::string error;
  ASSERT_TRUE(sim.Start(&error)) << error;
  SimLine line(sim.DonglePath(), B115200);
  ASSERT_TRUE(line.ok());
  EXPECT_EQ(line.Exchange({0xF0, 0x03, 0x1F, 0x00}), (Bytes{0x64, 0x02}));
  sim.With([](World& w) {
    std::printf("raw %zu frames %zu\n", w.dongle.rawReceived.size(), w.dongle.received.size());
  });
}

}  // namespace
}  // namespace rukmox::sim
