// The poll tick's radio exchanges without the window: the window's own tick (the automatic
// channel change and energy reading, then the link quality of a linked remote) every 100 ms,
// counted from the end of the previous tick. Its CPU time is what the exchanges themselves cost;
// the launcher holds the idle window's CPU time against it.
//
//   rukmox-bench-poll --dongle PATH [--seconds S]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "BenchOutput.h"
#include "LinkMonitor.h"
#include "Rukmox.h"
#include "platform/D2xxLibrary.h"

int main(int argc, char** argv) {
  using namespace rukmox::bench;
  const double seconds = std::atof(Option(argc, argv, "--seconds", "20").c_str());
  rukmox::platform::TransportSettings settings;
  settings.DonglePath = Option(argc, argv, "--dongle", "");
  settings.SysfsRoot = "/nonexistent/sys";
  std::int32_t error = 0;
  // The window's construction arguments.
  TRukMox mox(nullptr, 3000, 5, &error, true, 0, 0, rukmox::platform::LoadD2xxLibrary(settings));
  if (!mox.Open()) {
    std::fprintf(stderr, "Open failed (error word %d)\n", error);
    return 1;
  }
  rukmox::workflow::LinkMonitor monitor;
  const auto start = Clock::now();
  int ticks = 0;
  while (MillisecondsSince(start) < seconds * 1000) {
    monitor.Tick(mox, nullptr);
    ++ticks;
    std::this_thread::sleep_for(rukmox::workflow::PollInterval);
  }
  Figure("poll_ticks", ticks);
  Figure("linked", mox.Current != nullptr && mox.Current->Linked ? 1 : 0);
  mox.Close();
  return 0;
}
