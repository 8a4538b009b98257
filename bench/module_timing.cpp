// Times TRukMox against the simulated dongle on a pseudo-terminal (wire timing off), each figure
// beside the peer it is held against in the same run:
//   - a local Ping against the bare write/poll/read loop of bare_ping.c on the same dongle;
//   - a silent exchange and a silent Open against what the read time-outs promise;
//   - a scan of channels 0..15 with nobody in reach against its requests' time-outs plus the
//     channel commands the scan sends, timed alone.
//
//   rukmox-bench-module [--quick] [--rounds N]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchOutput.h"
#include "Rukmox.h"
#include "Simulator.h"
#include "bare_ping.h"
#include "platform/D2xxLibrary.h"

namespace {

using namespace rukmox::bench;
using rukmox::sim::Scenario;
using rukmox::sim::Simulator;

// Our layer's read time-outs: a read of n bytes gives up after Timeout plus 5 ms a byte.
constexpr double ReadMultiplierMs = 5;
double SilentOneByteReadMs(std::int32_t timeout) {
  return timeout + ReadMultiplierMs;
}

// Requests a scan sends on every channel (the operator window's setting) and the channels.
constexpr int ScanRepeat = 5;
constexpr int FirstChannel = 0;

struct Bench {
  std::unique_ptr<Simulator> sim;
  std::int32_t error = 0;
  std::unique_ptr<TRukMox> mox;
};

// The dongle on a simulator of its own, nobody linked and nobody in reach unless the scenario
// says otherwise, and the module object that finds it.
bool Start(Bench& b, Scenario scenario) {
  scenario.timing = rukmox::sim::TimingSetup{};
  b.sim = std::make_unique<Simulator>(scenario);
  std::string why;
  if (!b.sim->Start(&why)) {
    std::fprintf(stderr, "simulator: %s\n", why.c_str());
    return false;
  }
  rukmox::platform::TransportSettings settings;
  settings.DonglePath = b.sim->DonglePath();
  settings.SysfsRoot = "/nonexistent/sys";  // no real dongle joins the run
  b.mox = std::make_unique<TRukMox>(nullptr, 3000, 5, &b.error, true, 0, 0,
                                    rukmox::platform::LoadD2xxLibrary(settings));
  return true;
}

Scenario Alone() {
  Scenario s = rukmox::sim::DefaultScenario();
  s.dongle.settings.peer = rukmox::sim::kNoPeer;
  for (auto& r : s.remotes) r.inReach = false;
  return s;
}

// Local pings through TRukMox and through the bare loop, round after round, each round's ratio
// of medians; the two never hold the tty at the same time.
bool PingRows(int rounds, int pings) {
  Bench b;
  if (!Start(b, Alone())) return false;
  std::vector<double> ours, bare, ratios;
  for (int r = 0; r < rounds; ++r) {
    if (!b.mox->Open()) {
      std::fprintf(stderr, "Open failed (error word %d)\n", b.error);
      return false;
    }
    std::vector<double> round;
    for (int i = 0; i < pings; ++i) {
      const auto start = Clock::now();
      if (b.mox->Ping(false)) round.push_back(MillisecondsSince(start) * 1000);
    }
    b.mox->Close();
    std::vector<double> loop(static_cast<std::size_t>(pings));
    const int done = bare_ping_loop(b.sim->DonglePath().c_str(), pings, loop.data());
    if (done <= 0 || round.empty()) {
      std::fprintf(stderr, "pings failed: %zu through TRukMox, %d bare\n", round.size(), done);
      return false;
    }
    loop.resize(static_cast<std::size_t>(done));
    ours.push_back(Median(round));
    bare.push_back(Median(loop));
    ratios.push_back(ours.back() / bare.back());
  }
  Figure("ping_us", Median(ours));
  Figure("bare_ping_us", Median(bare));
  Figure("ping_ratio", Median(ratios));
  return true;
}

// Pings to a dongle that has stopped answering, after a normal Open.
bool SilentExchangeRows(int runs) {
  Bench b;
  if (!Start(b, Alone()) || !b.mox->Open()) return false;
  b.sim->With([](rukmox::sim::World& w) { w.dongle.silent = true; });
  std::vector<double> took;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    b.mox->Ping(false);
    took.push_back(MillisecondsSince(start));
  }
  Figure("silent_exchange_ms", Median(took));
  Figure("silent_exchange_promise_ms", SilentOneByteReadMs(b.mox->GetTimeout()));
  return true;
}

// Open on a dongle that never answers: one ping at 115200 and one at each rate of the search.
bool SilentOpenRows(int runs) {
  Scenario s = Alone();
  s.dongleSilent = true;
  Bench b;
  if (!Start(b, s)) return false;
  std::vector<double> took;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (b.mox->Open()) return false;
    took.push_back(MillisecondsSince(start));
  }
  constexpr int Pings = 1 + 4;
  Figure("silent_open_ms", Median(took));
  Figure("silent_open_promise_ms", Pings * SilentOneByteReadMs(b.mox->GetTimeout()));
  return true;
}

// The scan with nobody in reach, then the scan's channel commands alone (read the channel, set
// each channel, set the first one back), round after round.
bool ScanRows(int rounds, int lastChannel) {
  Bench b;
  if (!Start(b, Alone()) || !b.mox->Open()) return false;
  b.mox->ScanRepeat = ScanRepeat;
  const int requests = ScanRepeat * (lastChannel - FirstChannel + 1);
  std::vector<double> scans, commands, ratios;
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    b.mox->ScanNetwork(FirstChannel, lastChannel);
    scans.push_back(MillisecondsSince(start));

    start = Clock::now();
    const std::int32_t saved = b.mox->GetLocalChannel();
    for (int ch = FirstChannel; ch <= lastChannel; ++ch) b.mox->SetLocalChannel(ch);
    b.mox->SetLocalChannel(saved);
    commands.push_back(MillisecondsSince(start));

    const double limit = requests * SilentOneByteReadMs(b.mox->GetTimeout()) + commands.back();
    ratios.push_back(scans.back() / limit);
  }
  Figure("scan_requests", requests);
  Figure("scan_ms", Median(scans));
  Figure("scan_channel_commands_ms", Median(commands));
  Figure("scan_request_timeout_ms", b.mox->GetTimeout());
  Figure("scan_request_promise_ms", SilentOneByteReadMs(b.mox->GetTimeout()));
  Figure("scan_ratio", Median(ratios));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = QuickRun(argc, argv);
  const int rounds =
      std::max(1, std::atoi(Option(argc, argv, "--rounds", quick ? "1" : "5").c_str()));
  const bool ok = PingRows(rounds, quick ? 20 : 400) && SilentExchangeRows(quick ? 1 : 9) &&
                  SilentOpenRows(quick ? 1 : 3) && ScanRows(quick ? 1 : 1, quick ? 0 : 15);
  return ok ? 0 : 1;
}
