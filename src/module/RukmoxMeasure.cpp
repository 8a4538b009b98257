// Link quality and energy readings, and the automatic move to a quieter channel.
#include <algorithm>

#include "ModuleFrame.h"
#include "Rukmox.h"

using namespace rukmox::module;

namespace {
constexpr std::uint8_t QuietestValue = 95;  // 95 - raw byte; the largest value a channel can show
}

bool TRukMox::ReadLinkQuality(std::int32_t& value, bool remote) {
  // A reply without its two bytes is no reading.
  if (!Exchanged(Exchange(CmdLinkQuality, TargetOf(remote))) || RxLength < 2) return false;
  value = LevelOf(ReplyView(RxBuffer, RxLength));
  return true;
}

bool TRukMox::ReadEnergy(std::int32_t& value, bool remote) {
  if (!Exchanged(Exchange(CmdEnergy, TargetOf(remote))) || RxLength < 2) return false;
  value = LevelOf(ReplyView(RxBuffer, RxLength));
  return true;
}

bool TRukMox::ReadEnergyScan(std::uint8_t* values, std::int32_t count) {
  const std::int32_t n = std::clamp<std::int32_t>(count, 0, RadioChannelCount);
  if (n > 0 && values == nullptr) return false;
  if (!Exchanged(Exchange(CmdEnergyScan, Target::Local)) || RxLength < n) return false;
  for (std::int32_t i = 0; i < n; ++i) values[i] = static_cast<std::uint8_t>(95 - RxBuffer[i]);
  return true;
}

std::int32_t TRukMox::MeasureLevel() {
  std::int32_t level = NoLevel;
  ReadEnergy(level, false);
  return level;
}

bool TRukMox::AdaptChannel() {
  if (HopThreshold <= 0) return true;
  LinkLevel = MeasureLevel() - NoLevel;
  if (Current == nullptr) return false;
  const std::int32_t start = Local.Channel;

  // Bounded: a remote that answers pings but never takes the channel command would keep us here.
  for (int round = 0; round < MaxAdaptRounds && LinkLevel >= HopThreshold && Current->Linked;
       ++round) {
    std::uint8_t values[RadioChannelCount];
    std::fill(std::begin(values), std::end(values), QuietestValue);
    ReadEnergyScan(values, RadioChannelCount);
    const std::int32_t best = QuietestChannel(values, start);
    if (best == start) break;

    if (TellRemoteChannel(best)) {
      SetLocalChannel(best);
    } else if (PingAny(true, 1)) {
      continue;  // the remote is still here and on our channel: search again
    } else {
      SetLocalChannel(best);
      if (!PingAny(true, 5)) {
        SetLocalChannel(start);
        if (PingAny(true, 5)) continue;
        Current->Linked = false;
        return false;
      }
    }

    ++ChannelChanges;
    std::int32_t sum = 0;
    for (int i = 0; i < SamplesPerChannel; ++i) {
      SampleTable[best][SampleIndex] = MeasureLevel();
      SampleIndex = (SampleIndex + 1) % SamplesPerChannel;
    }
    for (int i = 0; i < SamplesPerChannel; ++i) sum += SampleTable[best][i];
    LinkLevel = sum / SamplesPerChannel - NoLevel;
  }

  if (GetLocalChannel() == start) return true;
  return ReadRemoteInfo() && Current->Channel == Local.Channel;
}
