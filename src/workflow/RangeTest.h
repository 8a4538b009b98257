// A range test: remote pings one at a time, each a single request without retry so that a lost
// answer counts as lost, optionally each followed by a data echo through the transparent channel
// (for a remote whose host sends back what it gets), with the link quality at both ends read now
// and then. A face calls Step from its timer or loop at the pace it wants and shows each step and
// the running figures.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "Percentiles.h"
#include "Rukmox.h"

namespace rukmox {

// Requests counted as answered or lost, with the round trips of the answered ones.
struct TripFigures {
  int sent = 0;
  int answered = 0;
  int lost = 0;
  double lossRate = 0;             // lost / sent, 0..1; 0 before the first request
  std::optional<double> medianMs;  // of the answered requests' round trips
  std::optional<double> p95Ms;     // nearest rank
};

class TripCounter {
 public:
  void Answered(double roundTripMs);
  void Lost();
  const TripFigures& Figures() const { return figures_; }

 private:
  TripFigures figures_;
  std::vector<double> roundTrips_;
  void Count();
};

struct RangeStep {
  int number = 0;  // from 1
  bool answered = false;
  double roundTripMs = 0;  // of an answered ping
  // The echo, when the test sends them.
  bool echoSent = false;
  bool echoAnswered = false;
  double echoRoundTripMs = 0;
  // Quality readings as the link page shows them (dBm + 94), on the steps that read them and only
  // when the reading succeeded.
  std::optional<std::int32_t> localQuality;
  std::optional<std::int32_t> remoteQuality;
};

struct RangeFigures {
  TripFigures pings;
  std::optional<TripFigures> echoes;         // only when the test sends them
  std::optional<std::int32_t> localQuality;  // the last successful readings
  std::optional<std::int32_t> remoteQuality;
};

class RangeTest {
 public:
  // Quality is read on the first step and every this many steps after it, so that most of the
  // air time goes to the requests being counted.
  static constexpr int kQualityEvery = 5;
  static constexpr std::uint32_t kEchoSize = 8;
  // How long the host's echo may take to start arriving.
  static constexpr std::uint32_t kEchoWaitMs = 500;

  RangeTest(TRukMox& device, int count, bool echo = false);

  bool Done() const { return pings_.Figures().sent >= count_; }
  int Count() const { return count_; }
  // One ping, its echo when asked for, and the quality readings when due. Call only while not
  // Done.
  RangeStep Step();
  RangeFigures Figures() const;

 private:
  TRukMox& device_;
  int count_;
  bool echo_;
  TripCounter pings_;
  TripCounter echoes_;
  std::optional<std::int32_t> localQuality_;
  std::optional<std::int32_t> remoteQuality_;

  std::optional<std::int32_t> Quality(bool remote);
  std::optional<double> Echo(int number);
};

}  // namespace rukmox
