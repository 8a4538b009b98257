// How far a timed operation may miss its duration before a test calls it wrong. A loaded 2-core
// machine wakes us late, never early, and the sanitizers make every step slower still: only the
// late side grows under them, so a time-out that fires too early is caught in every build.
#pragma once

#include <chrono>

namespace rukmox::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSlowdown = 3;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int kSlowdown = 3;
#else
inline constexpr int kSlowdown = 1;
#endif
#else
inline constexpr int kSlowdown = 1;
#endif

// Added to a duration for its upper bound.
inline constexpr std::chrono::milliseconds kLate = std::chrono::milliseconds(150) * kSlowdown;
// Taken from a duration for its lower bound: clock granularity, nothing more.
inline constexpr std::chrono::milliseconds kEarly = std::chrono::milliseconds(3);

}  // namespace rukmox::test
