// Readings and the automatic move to a quieter channel, on the fake dongle.
#include <gtest/gtest.h>

#include "ModuleFixture.h"

namespace rukmox::test {
namespace {

Bytes Level(int dbm) {
  const int raw = dbm + 65535;
  return {static_cast<std::uint8_t>(raw & 0xFF), static_cast<std::uint8_t>(raw >> 8)};
}

class AdaptTest : public ModuleTest {
 protected:
  void SetUp() override {
    OpenLinked();
    // Energy follows the channel the local module is on.
    energy.fill(-93);
    state->onFrame = [inner = state->onFrame, this](const Frame& f) {
      inner(f);
      state->Answer(TRukMox::CmdEnergy, 0, Level(energy[localChannel]));
      Bytes scan;
      for (int e : energy) scan.push_back(static_cast<std::uint8_t>(-e));  // 95 - byte = 95 + e
      if (scanWorks) state->Answer(TRukMox::CmdEnergyScan, 0, scan);
    };
    state->onFrame(Frame{});
  }
  std::array<int, RadioChannelCount> energy{};
  bool scanWorks = true;
};

TEST_F(AdaptTest, QuietChannelStays) {
  energy[kChannel] = -80;
  EXPECT_TRUE(mox->AdaptChannel());
  EXPECT_EQ(mox->LinkLevel, 14);
  EXPECT_EQ(state->FramesOf(TRukMox::CmdEnergyScan).size(), 0u);
  EXPECT_EQ(mox->ChannelChanges, 0);
}

TEST_F(AdaptTest, NoisyChannelMovesThePairToTheQuietest) {
  energy[kChannel] = -72;  // level 22: the threshold
  energy.fill(-60);
  energy[kChannel] = -72;
  energy[12] = -90;
  EXPECT_TRUE(mox->AdaptChannel());
  EXPECT_EQ(localChannel, 12);
  EXPECT_EQ(remoteChannel, 12);
  EXPECT_EQ(mox->Current->Channel, 12);
  EXPECT_EQ(mox->ChannelChanges, 1);
  EXPECT_EQ(mox->LinkLevel, 4);
  for (int v : mox->SampleTable[12]) EXPECT_EQ(v, -90);
}

TEST_F(AdaptTest, AverageOfTheThreeReadingsAfterAMove) {
  energy.fill(-50);
  energy[10] = -90;
  std::deque<int> after{-70, -71, -73};
  auto inner = state->onFrame;
  state->onFrame = [&, inner](const Frame& f) {
    inner(f);
    if (f.code == TRukMox::CmdEnergy && localChannel == 10 && !after.empty()) {
      state->Answer(TRukMox::CmdEnergy, 0, Level(after.front()));
      after.pop_front();
    }
  };
  mox->HopThreshold = 30;  // so that 23 ends the search
  EXPECT_TRUE(mox->AdaptChannel());
  EXPECT_EQ(mox->LinkLevel, 23);  // -214 / 3 = -71, + 94
}

TEST_F(AdaptTest, FailedEnergyScanChoosesThreeAbove) {
  energy.fill(-50);
  scanWorks = false;
  state->Silence(TRukMox::CmdEnergyScan, 0);
  mox->AdaptChannel();
  EXPECT_EQ(state->FramesOf(TRukMox::CmdSetChannel)[0].payload, (Bytes{kChannel + 3}));
}

TEST_F(AdaptTest, DisabledThresholdSendsNothing) {
  mox->HopThreshold = 0;
  EXPECT_TRUE(mox->AdaptChannel());
  EXPECT_TRUE(state->frames.empty());
}

TEST_F(AdaptTest, LostRemoteIsMarkedUnlinked) {
  energy.fill(-50);
  energy[1] = -90;
  linked = false;
  EXPECT_FALSE(mox->AdaptChannel());
  EXPECT_FALSE(mox->Current->Linked);
  EXPECT_EQ(mox->ChannelChanges, 0);
  EXPECT_EQ(localChannel, kChannel);  // back where it started
}

// A remote that answers pings but never takes the channel command would keep the search going for
// as long as the channel stays noisy; each call gives up after a few rounds.
TEST_F(AdaptTest, SearchIsBoundedPerCall) {
  energy.fill(-50);
  energy[1] = -90;
  state->remoteHears = [this] {
    const bool channelCommand = state->frames.back().code == TRukMox::CmdSetChannel;
    return !channelCommand && localChannel == remoteChannel;
  };
  EXPECT_TRUE(mox->AdaptChannel());
  EXPECT_EQ(state->FramesOf(TRukMox::CmdEnergyScan).size(),
            static_cast<std::size_t>(TRukMox::MaxAdaptRounds));
  EXPECT_EQ(localChannel, kChannel);
  EXPECT_EQ(mox->ChannelChanges, 0);
}

TEST_F(ModuleTest, ReadingsConvertOrLeaveTheValue) {
  OpenLinked();
  std::int32_t value = -94;
  EXPECT_TRUE(mox->ReadLinkQuality(value, true));
  EXPECT_EQ(value, -93);
  state->Answer(TRukMox::CmdEnergy, 1, {0x05});  // too short to be a reading
  value = -94;
  EXPECT_FALSE(mox->ReadEnergy(value, true));
  EXPECT_EQ(value, -94);
  Bytes scan(16, 0);
  scan[0] = 95;
  scan[1] = 100;  // wraps around in 8 bits
  state->Answer(TRukMox::CmdEnergyScan, 0, scan);
  std::uint8_t values[4] = {};
  ASSERT_TRUE(mox->ReadEnergyScan(values, 4));
  EXPECT_EQ(values[0], 0);
  EXPECT_EQ(values[1], 251);
  EXPECT_EQ(values[2], 95);
  state->Answer(TRukMox::CmdEnergyScan, 0, {1, 2});
  std::uint8_t untouched[16] = {7};
  EXPECT_FALSE(mox->ReadEnergyScan(untouched, 16));
  EXPECT_EQ(untouched[0], 7);
}

}  // namespace
}  // namespace rukmox::test
