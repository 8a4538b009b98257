// A simulator in the test process and the built rukmoxctl run against it as a child process.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "FastScenario.h"
#include "Scenario.h"
#include "Simulator.h"

namespace rukmox::test {

class CtlTest : public ::testing::Test {
 protected:
  // Tests that need another installation change `scenario_` before calling StartSimulator.
  void SetUp() override { scenario_ = sim::test::FastScenario(); }

  // Runs `change` on the world once the dongle has dealt with the first command frame with code
  // `code`, as another party would between two of rukmoxctl's steps. The simulator runs it itself
  // before it reads the next byte, so rukmoxctl always meets the change at its next step.
  // `change` runs under the world's lock: it must not call sim_->With.
  void OnceDongleReceives(std::uint8_t code, std::function<void(sim::World&)> change) {
    if (!sim_) StartSimulator();
    sim_->With([&](sim::World& w) { w.dongle.triggers.push_back({code, std::move(change)}); });
  }

  void StartSimulator() {
    sim_ = std::make_unique<sim::Simulator>(scenario_);
    std::string error;
    ASSERT_TRUE(sim_->Start(&error)) << error;
  }

  // rukmoxctl with the simulator's dongle and ports (unless the test names others) and `args`.
  ChildResult Ctl(const std::vector<std::string>& args, const ChildOptions& options = {}) {
    if (!sim_) StartSimulator();
    std::vector<std::string> all = {"--dongle", dongleOverride_.value_or(sim_->DonglePath()),
                                    "--ports", portsOverride_.value_or(sim_->PortsVariable())};
    all.insert(all.end(), args.begin(), args.end());
    return RunCtlRaw(all, options);
  }

  static ChildResult RunCtlRaw(const std::vector<std::string>& args,
                               const ChildOptions& options = {}) {
    // The Windows stage runs the same tests against rukmoxctl.exe under Wine, through a wrapper.
    const char* program = std::getenv("RUKMOXCTL_PROGRAM_OVERRIDE");
    ChildResult result = RunChild(program != nullptr ? program : RUKMOXCTL_PROGRAM, args, options);
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
  std::optional<std::string> dongleOverride_;
  std::optional<std::string> portsOverride_;
};

}  // namespace rukmox::test
