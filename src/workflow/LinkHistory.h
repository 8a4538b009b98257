// The link page's recent past: what each poll tick read (quality, energy, channel, link), kept
// for five minutes, with the ticks where the pair's channel moved marked. It is fed with values
// the tick has already read and sends nothing to the modules itself.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <string>

namespace rukmox {

struct LinkSample {
  std::chrono::milliseconds time{0};  // since the face started watching
  std::int32_t quality = 0;           // as shown: dBm + 94, 0 with no linked remote
  std::int32_t energy = 0;            // as shown: LinkLevel
  std::int32_t channel = 0;
  bool linked = false;
  // The face sets it when the module reports a move of its own; Add sets it as well when the
  // channel differs from the tick before (a move the operator asked for).
  bool channelMoved = false;
};

class LinkHistory {
 public:
  static constexpr std::chrono::minutes kSpan{5};
  // Ten ticks a second at most, for the whole span.
  static constexpr std::size_t kCapacity = 10 * 60 * 5;

  // Keeps a tick's sample unless paused; drops what falls out of the span or the capacity.
  void Add(LinkSample sample);
  void SetPaused(bool paused) { paused_ = paused; }
  bool Paused() const { return paused_; }
  void Clear();

  const std::deque<LinkSample>& Samples() const { return samples_; }

  // The header line and every sample held, one line each.
  void WriteCsv(std::ostream& out) const;
  static std::string CsvHeader();
  static std::string CsvRow(const LinkSample& sample);

 private:
  std::deque<LinkSample> samples_;
  bool paused_ = false;
  // Kept across a pause and past dropped samples, so a move is marked where it happened.
  bool hasLast_ = false;
  std::int32_t lastChannel_ = 0;
};

}  // namespace rukmox
