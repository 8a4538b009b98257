#include "LinkMonitor.h"

#include "PropertySteps.h"

namespace rukmox::workflow {

LinkReading LinkMonitor::Tick(TRukMox& device, const Moved& moved) {
  LinkReading reading;
  reading.energy = energy_;
  reading.channelBefore = device.Local.Channel;
  if (device.IsOpen()) {
    reading.open = true;
    device.AdaptChannel();  // its result is not looked at
    energy_ = reading.energy = device.LinkLevel;
    if (HasLinkedRemote(device)) {
      reading.linked = true;
      std::int32_t quality = NoLevel;  // stays when the reading fails
      device.ReadLinkQuality(quality, true);
      reading.quality = quality - NoLevel;
      if (device.ChannelChanges > channelMoves_) {
        channelMoves_ = device.ChannelChanges;
        reading.moved = true;
        reading.channel = device.Local.Channel;
        reading.channelChanges = device.ChannelChanges;
        if (moved) moved(reading);
      }
    }
  }
  reading.channel = device.Local.Channel;
  reading.channelChanges = device.ChannelChanges;
  return reading;
}

}  // namespace rukmox::workflow
