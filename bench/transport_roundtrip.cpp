// Measures TRukCom over a pseudo-terminal: the round trip of a 4-byte write answered by 3 bytes
// from a second thread, and what a silent 1-byte Read costs with Timeout 100.
//
//   rukmox-bench-transport [runs] [silent-runs]
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Rukcom.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// The far end: answers every 4 bytes it receives with 3 bytes, until told to stop.
void Answer(int master, const std::atomic<bool>& stop) {
  std::uint8_t request[4];
  std::size_t have = 0;
  const std::uint8_t reply[3] = {0x64, 0x01, 0x00};
  while (!stop.load()) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    const ssize_t n = read(master, request + have, sizeof request - have);
    if (n <= 0) return;
    have += static_cast<std::size_t>(n);
    if (have == sizeof request) {
      have = 0;
      if (write(master, reply, sizeof reply) != static_cast<ssize_t>(sizeof reply)) return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const int silentRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  int master = -1, slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::perror("openpty");
    return 1;
  }
  termios tio{};
  tcgetattr(master, &tio);
  cfmakeraw(&tio);
  tcsetattr(master, TCSANOW, &tio);
  rukmox::platform::TransportSettings settings;
  settings.Ports = {name};

  std::int32_t error = 0;
  TRukCom com(nullptr, 0, 9, &error, true, 0, 0, settings);
  if (!com.Open()) {
    std::fprintf(stderr, "cannot open %s (error word %d)\n", name, error);
    return 1;
  }

  std::atomic<bool> stop{false};
  std::thread far(Answer, master, std::cref(stop));

  const std::uint8_t request[4] = {0xF0, 0x0D, 0x01, 0x00};
  std::uint8_t reply[3];
  std::vector<double> roundTrips;
  roundTrips.reserve(static_cast<std::size_t>(runs));
  int failures = 0;
  for (int i = 0; i < runs; ++i) {
    error = 0;
    const auto start = Clock::now();
    const bool ok = com.Write(request, 4, 0) && com.Read(reply, 3, 0);
    const auto took = Clock::now() - start;
    if (!ok) {
      ++failures;
      continue;
    }
    roundTrips.push_back(std::chrono::duration<double, std::micro>(took).count());
  }
  stop = true;
  far.join();

  std::vector<double> silent;
  for (int i = 0; i < silentRuns; ++i) {
    error = 0;
    std::uint8_t byte;
    const auto start = Clock::now();
    com.Read(&byte, 1, 0);
    silent.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  com.Close();
  close(slave);
  close(master);

  std::printf("round trip, 4-byte write + 3-byte answer: median %.0f us over %zu runs",
              Median(roundTrips), roundTrips.size());
  if (failures) std::printf(" (%d failed)", failures);
  std::printf("\nsilent 1-byte Read, Timeout %d: median %.1f ms over %d runs (expected 250)\n",
              com.GetTimeout(), Median(silent), silentRuns);
  return failures ? 1 : 0;
}
