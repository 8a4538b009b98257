// What every benchmark program shares: medians, a monotonic clock in milliseconds, and figures
// printed as "name=value" lines that scripts/bench collects (other lines are for the reader).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace rukmox::bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

inline void Figure(const char* name, double value) {
  std::printf("%s=%.6g\n", name, value);
  std::fflush(stdout);
}

// --quick: one small pass, for CI, so that the programs keep building and running.
inline bool QuickRun(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--quick") == 0) return true;
  return false;
}

// The value after `--name`, or `fallback`.
inline std::string Option(int argc, char** argv, const char* name, const std::string& fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  return fallback;
}

}  // namespace rukmox::bench
