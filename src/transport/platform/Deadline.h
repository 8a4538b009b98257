// One point on the monotonic clock that a blocking call must not pass, or none at all.
// Waits are measured against it so that retries after EINTR or partial transfers never
// stretch the time-out.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace rukmox::platform {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  static Deadline Never() { return Deadline(); }
  static Deadline At(Clock::time_point when) { return Deadline(when); }
  static Deadline After(std::chrono::milliseconds span) { return Deadline(Clock::now() + span); }

  // The earlier of two deadlines; Never loses against any real one.
  static Deadline Earlier(const Deadline& a, const Deadline& b) {
    if (a.never_) return b;
    if (b.never_) return a;
    return a.when_ <= b.when_ ? a : b;
  }

  bool IsNever() const { return never_; }
  Clock::time_point When() const { return when_; }

  bool Expired(Clock::time_point now = Clock::now()) const { return !never_ && now >= when_; }

  // Time left, zero once expired. Meaningless for Never; ask IsNever first.
  Clock::duration Remaining(Clock::time_point now = Clock::now()) const {
    if (never_) return Clock::duration::max();
    return std::max(Clock::duration::zero(), when_ - now);
  }

  // The remaining time for ppoll(); null stands for "no limit".
  const timespec* PollTimeout(timespec* storage, Clock::time_point now = Clock::now()) const {
    if (never_) return nullptr;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(Remaining(now));
    storage->tv_sec = static_cast<time_t>(left.count() / 1000000000);
    storage->tv_nsec = static_cast<long>(left.count() % 1000000000);
    return storage;
  }

 private:
  Deadline() = default;
  explicit Deadline(Clock::time_point when) : never_(false), when_(when) {}

  bool never_ = true;
  Clock::time_point when_{};
};

}  // namespace rukmox::platform
