// rukmox-sim: serves the simulated dongle, its remote modules and the serial-port devices on
// pseudo-terminals until SIGINT or SIGTERM, and prints the paths to hand to the tools.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "Simulator.h"
#include "platform/StandardStreams.h"

int main(int argc, char** argv) {
  rukmox::platform::TakeClosedStandardStreams();
  CLI::App app{"Simulated rukmox dongle, remote modules and boot loaders on pseudo-terminals"};
  std::string scenarioFile;
  app.add_option("--scenario", scenarioFile, "JSON scenario file (default: the built-in one)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  rukmox::sim::Scenario scenario = rukmox::sim::DefaultScenario();
  if (!scenarioFile.empty()) {
    std::string error;
    if (!rukmox::sim::LoadScenarioFile(scenarioFile, &scenario, &error)) {
      std::cerr << "rukmox-sim: " << error << "\n";
      return 2;
    }
  }

  // Block the stop signals before the service thread exists, so that only sigwait sees them. A
  // shell starts background jobs with SIGINT ignored, and an ignored signal never reaches sigwait.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  rukmox::sim::Simulator simulator(scenario);
  std::string error;
  if (!simulator.Start(&error)) {
    std::cerr << "rukmox-sim: " << error << "\n";
    return 1;
  }
  std::cout << "dongle=" << simulator.DonglePath() << "\n"
            << "ports=" << simulator.PortsVariable() << "\n"
            << std::flush;
  // Nobody could find a simulator whose paths were not printed.
  if (!std::cout) {
    std::cerr << "rukmox-sim: cannot write the paths to standard output\n";
    simulator.Stop();
    return 1;
  }

  int received = 0;
  sigwait(&stop, &received);
  simulator.Stop();
  return 0;
}
