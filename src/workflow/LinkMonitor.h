// The link monitor's tick, ten times a second at most: the module's automatic channel change with
// its energy reading, then the link quality of a linked remote; when the module has moved the
// pair since the last tick, both devices are read again. The window shows a tick on its link
// page, `rukmoxctl monitor` prints it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "Rukmox.h"

namespace rukmox::workflow {

// The next tick comes this long after the end of the previous one, however long that one took.
inline constexpr std::chrono::milliseconds PollInterval{100};

struct LinkReading {
  bool open = false;         // false: the dongle is not open and nothing was read
  std::int32_t energy = 0;   // LinkLevel as the tick left it (the last one read while not open)
  bool linked = false;       // a remote is linked
  std::int32_t quality = 0;  // dBm + 94 of a linked remote; 0 without one or after a failed read
  bool moved = false;        // the module moved the pair: both devices were read again
  std::int32_t channelBefore = 0;   // the local module's channel as known before the tick
  std::int32_t channel = 0;         // the local module's channel, after that read
  std::int32_t channelChanges = 0;  // the module's count of its own moves
};

class LinkMonitor {
 public:
  // One tick. After a move of the module's own (however many moves happened since the last tick)
  // `moved` gets what the tick has read so far and reads both devices again (the faces' panels).
  using Moved = std::function<void(const LinkReading& soFar)>;
  LinkReading Tick(TRukMox& device, const Moved& moved);

  // The module's move count the last tick reacted to.
  std::int32_t ChannelMoves() const { return channelMoves_; }

 private:
  std::int32_t channelMoves_ = 0;
  std::int32_t energy_ = 0;
};

}  // namespace rukmox::workflow
