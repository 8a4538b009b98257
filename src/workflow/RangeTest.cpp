#include "RangeTest.h"

#include <algorithm>
#include <cstring>

namespace rukmox {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

void TripCounter::Answered(double roundTripMs) {
  ++figures_.answered;
  roundTrips_.push_back(roundTripMs);
  figures_.medianMs = Median(roundTrips_);
  figures_.p95Ms = Percentile95(roundTrips_);
  Count();
}

void TripCounter::Lost() {
  ++figures_.lost;
  Count();
}

void TripCounter::Count() {
  figures_.sent = figures_.answered + figures_.lost;
  figures_.lossRate = static_cast<double>(figures_.lost) / figures_.sent;
}

RangeTest::RangeTest(TRukMox& device, int count, bool echo)
    : device_(device), count_(std::max(count, 0)), echo_(echo) {}

std::optional<std::int32_t> RangeTest::Quality(bool remote) {
  std::int32_t dbm = NoLevel;
  if (!device_.ReadLinkQuality(dbm, remote)) return std::nullopt;
  return dbm - NoLevel;
}

std::optional<double> RangeTest::Echo(int number) {
  // The step's number in the data, so that a late echo of an earlier step does not count.
  std::uint8_t out[kEchoSize] = {'R', 'T'};
  for (int i = 0; i < 4; ++i) out[2 + i] = static_cast<std::uint8_t>(number >> (8 * i));
  const auto start = Clock::now();
  if (!device_.Write(out, kEchoSize, 0)) return std::nullopt;
  std::uint8_t back[kEchoSize] = {};
  if (!device_.Read(back, kEchoSize, kEchoWaitMs)) return std::nullopt;
  if (std::memcmp(out, back, kEchoSize) != 0) return std::nullopt;
  return MsSince(start);
}

RangeStep RangeTest::Step() {
  RangeStep step;
  step.number = pings_.Figures().sent + 1;
  const auto start = Clock::now();
  step.answered = device_.Ping(true);
  if (step.answered) {
    step.roundTripMs = MsSince(start);
    pings_.Answered(step.roundTripMs);
  } else {
    pings_.Lost();
  }
  if (echo_) {
    step.echoSent = true;
    const std::optional<double> echo = Echo(step.number);
    step.echoAnswered = echo.has_value();
    if (echo) {
      step.echoRoundTripMs = *echo;
      echoes_.Answered(*echo);
    } else {
      echoes_.Lost();
    }
  }
  if ((step.number - 1) % kQualityEvery == 0) {
    step.localQuality = Quality(false);
    step.remoteQuality = Quality(true);
    if (step.localQuality) localQuality_ = step.localQuality;
    if (step.remoteQuality) remoteQuality_ = step.remoteQuality;
  }
  return step;
}

RangeFigures RangeTest::Figures() const {
  RangeFigures f;
  f.pings = pings_.Figures();
  if (echo_) f.echoes = echoes_.Figures();
  f.localQuality = localQuality_;
  f.remoteQuality = remoteQuality_;
  return f;
}

}  // namespace rukmox
