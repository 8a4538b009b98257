#include "LinkHistory.h"

#include <ostream>

namespace rukmox {

void LinkHistory::Add(LinkSample sample) {
  sample.channelMoved = sample.channelMoved || (hasLast_ && sample.channel != lastChannel_);
  hasLast_ = true;
  lastChannel_ = sample.channel;
  if (paused_) return;
  samples_.push_back(sample);
  while (samples_.size() > kCapacity) samples_.pop_front();
  while (!samples_.empty() && sample.time - samples_.front().time > kSpan) samples_.pop_front();
}

void LinkHistory::Clear() {
  samples_.clear();
  hasLast_ = false;
}

std::string LinkHistory::CsvHeader() {
  return "time_ms,quality,energy,channel,linked,channel_moved";
}

std::string LinkHistory::CsvRow(const LinkSample& s) {
  return std::to_string(s.time.count()) + "," + std::to_string(s.quality) + "," +
         std::to_string(s.energy) + "," + std::to_string(s.channel) + "," + (s.linked ? "1" : "0") +
         "," + (s.channelMoved ? "1" : "0");
}

void LinkHistory::WriteCsv(std::ostream& out) const {
  out << CsvHeader() << '\n';
  for (const LinkSample& s : samples_) out << CsvRow(s) << '\n';
}

}  // namespace rukmox
