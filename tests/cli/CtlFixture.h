// A simulator in the test process and the built rukmoxctl run against it as a child process.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Scenario.h"
#include "Simulator.h"

namespace rukmox::test {

// The built-in installation without wire timing, delays, chance or noise bursts, so that the
// results do not depend on the machine's speed: every scan request is answered, every channel is
// quiet at -90 dBm.
inline sim::Scenario QuietScenario() {
  sim::Scenario s = sim::DefaultScenario();
  s.timing = sim::TimingSpec{};
  for (sim::ChannelSpec& c : s.channels) {
    c.baseDbm = -90;
    c.pinned = true;
    c.burstChance = 0;
  }
  for (sim::RemoteSpec& r : s.remotes) {
    r.scanAnswerRate = 1;
    r.pathLossDb = 60;
  }
  for (sim::PortSpec& p : s.ports) p.boot.prepareMs = 0;
  return s;
}

class CtlTest : public ::testing::Test {
 protected:
  // Tests that need another installation change `scenario_` before calling StartSimulator.
  void SetUp() override { scenario_ = QuietScenario(); }

  void StartSimulator() {
    sim_ = std::make_unique<sim::Simulator>(scenario_);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }

  // rukmoxctl with the simulator's dongle and ports and `args`.
  ChildResult Ctl(const std::vector<std::string>& args) {
    if (!sim_) StartSimulator();
    std::vector<std::string> all = {"--dongle", sim_->DonglePath(), "--ports",
                                    sim_->PortsVariable()};
    all.insert(all.end(), args.begin(), args.end());
    return RunCtlRaw(all);
  }

  static ChildResult RunCtlRaw(const std::vector<std::string>& args) {
    ChildResult result = RunChild(RUKMOXCTL_PROGRAM, args);
    EXPECT_FALSE(result.timedOut) << "rukmoxctl did not end";
    return result;
  }

  // The single JSON object a one-shot command prints.
  static nlohmann::json JsonOf(const ChildResult& result) {
    return nlohmann::json::parse(result.out, nullptr, false);
  }

  // One JSON object per line, for the streaming commands.
  static std::vector<nlohmann::json> JsonLines(const ChildResult& result) {
    std::vector<nlohmann::json> objects;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line))
      if (!line.empty()) objects.push_back(nlohmann::json::parse(line, nullptr, false));
    return objects;
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }

  sim::Scenario scenario_;
  std::unique_ptr<sim::Simulator> sim_;
};

}  // namespace rukmox::test
