// The scan, the device list and the link to the current remote, on the fake dongle.
#include <gtest/gtest.h>

#include <cstring>

#include "ModuleFixture.h"
#include "NamedRows.h"
#include "ScanRun.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

class ScanTest : public ModuleTest {
 protected:
  void SetUp() override {
    OpenLinked();
    mox->ScanRepeat = 3;
  }
  std::vector<int> ChannelCommands() const {
    std::vector<int> out;
    for (const Frame& f : state->FramesOf(TRukMox::CmdSetChannel)) out.push_back(f.payload[0]);
    return out;
  }
};

struct RangeCase {
  const char* name;
  int first, last;
  std::vector<int> channels;  // channel commands sent, the restore included
  std::size_t requests;
};

class ScanRangeTest : public ScanTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(ScanRangeTest, VisitsTheChannelsAndComesBack) {
  const RangeCase& c = GetParam();
  mox->ScanNetwork(c.first, c.last);
  EXPECT_EQ(ChannelCommands(), c.channels);
  EXPECT_EQ(state->Count(TRukMox::CmdScan, 1), c.requests);
  EXPECT_EQ(mox->Current, nullptr);
  EXPECT_EQ(localChannel, kChannel);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ScanRangeTest,
    ::testing::Values(RangeCase{"Reversed", 5, 3, {}, 3}, RangeCase{"NegativeFirst", -1, 15, {}, 3},
                      RangeCase{"OneChannel", 3, 3, {3, kChannel}, 3},
                      RangeCase{"ThreeChannels", 0, 2, {0, 1, 2, kChannel}, 9},
                      // Channels past 15 are refused; their requests go out where we are.
                      RangeCase{"PastChannel15", 15, 17, {15, kChannel}, 9}),
    RowName());

TEST_F(ScanTest, SameDeviceTwiceGivesOneRecord) {
  state->AnswerOnce(TRukMox::CmdScan, 1, ScanAnswer(0x10, "A"));
  state->AnswerOnce(TRukMox::CmdScan, 1, ScanAnswer(0x10, "A"));
  state->AnswerOnce(TRukMox::CmdScan, 1, ScanAnswer(0x11, "A"));
  mox->ScanNetwork(-1, -1);
  state->AnswerOnce(TRukMox::CmdScan, 1, ScanAnswer(0x10, "B"));
  EXPECT_EQ(mox->ScanCurrentChannel(TRukMox::CmdScan, 1), 1);
  ASSERT_EQ(mox->Devices.size(), 3u);
  EXPECT_EQ(mox->Devices[0]->Address, 0x10u);
  EXPECT_EQ(mox->Devices[0]->Channel, kChannel);
  EXPECT_EQ(mox->Devices[1]->Address, 0x11u);
  EXPECT_STREQ(mox->Devices[2]->Name, "B");
}

TEST_F(ScanTest, RecordsCarryTheChannelTheyWereHeardOn) {
  state->onFrame = [inner = state->onFrame, this](const Frame& f) {
    inner(f);
    if (f.code == TRukMox::CmdScan && localChannel == 2)
      state->Queue(Reply(ScanAnswer(0x22, "TWO")));
  };
  mox->ScanNetwork(0, 3);
  ASSERT_EQ(mox->Devices.size(), 1u);
  EXPECT_EQ(mox->Devices[0]->Channel, 2);
}

TEST_F(ScanTest, ScanStepStopsOnlyTheChannel) {
  std::vector<std::pair<int, int>> steps;
  mox->OnScanStep = [&](std::int32_t repeat, std::int32_t request) {
    steps.emplace_back(repeat, request);
    return true;
  };
  int channelsDone = 0;
  mox->OnChannelStep = [&](std::int32_t, std::int32_t index, std::int32_t) {
    EXPECT_EQ(index, channelsDone++);
    return false;
  };
  mox->ScanNetwork(0, 2);
  EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{3, 0}, {3, 0}, {3, 0}}));
  EXPECT_EQ(channelsDone, 3);
  EXPECT_EQ(localChannel, kChannel);
}

TEST_F(ScanTest, ChannelStepStopsTheScanAndRestores) {
  mox->OnChannelStep = [](std::int32_t, std::int32_t, std::int32_t) { return true; };
  mox->ScanNetwork(0, 9);
  EXPECT_EQ(ChannelCommands(), (std::vector<int>{0, kChannel}));
}

// A scan stepped by its caller, stopped between two requests: what a stop button does.
struct StopCase {
  const char* name;
  int steps;                      // requests made before the stop
  std::vector<int> channels;      // channel commands sent, the restore included
  std::vector<int> channelSteps;  // channels reported to OnChannelStep
};

class ScanStopTest : public ScanTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ScanStopTest, EndsAtTheRequestBoundaryAndRestores) {
  const StopCase& c = GetParam();
  std::vector<int> channelSteps;
  mox->OnChannelStep = [&](std::int32_t, std::int32_t index, std::int32_t) {
    channelSteps.push_back(index);
    return false;
  };
  module::ScanRun run = module::ScanRun::Network(*mox, 0, 2);
  for (int step = 1; step <= c.steps; ++step) {
    run.Step();
    EXPECT_EQ(state->Count(TRukMox::CmdScan, 1), static_cast<std::size_t>(step));
  }
  run.Stop();
  EXPECT_TRUE(run.Done());
  run.Step();  // a stopped scan sends nothing more
  EXPECT_EQ(state->Count(TRukMox::CmdScan, 1), static_cast<std::size_t>(c.steps));
  EXPECT_EQ(ChannelCommands(), c.channels);
  EXPECT_EQ(channelSteps, c.channelSteps);
  EXPECT_EQ(localChannel, kChannel);
  EXPECT_TRUE(mox->Devices.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Stops, ScanStopTest,
    ::testing::Values(StopCase{"BeforeTheFirstRequest", 0, {}, {}},
                      StopCase{"PartWayThroughAChannel", 2, {0, kChannel}, {0}},
                      StopCase{"BetweenTwoChannels", 3, {0, kChannel}, {0}},
                      StopCase{"AfterTheLastRequest", 9, {0, 1, 2, kChannel}, {0, 1, 2}}),
    RowName());

TEST_F(ModuleTest, SelectingRecords) {
  OpenLinked();
  auto record = std::make_unique<TRemoteDeviceRecord>();
  record->Address = 0x99;
  std::strcpy(record->Name, "Caf\xE9");
  mox->AddDevice(std::move(record));
  mox->SelectDeviceByName("Caf\xC3\xA9", 0x99);
  EXPECT_EQ(mox->Current, mox->Devices[1].get());
  mox->SelectDeviceByName("Cafe", 0x99);
  EXPECT_EQ(mox->Current, nullptr);
  mox->SelectDevice(0);
  EXPECT_EQ(mox->Current, mox->Devices[0].get());
  mox->SelectDevice(2);
  EXPECT_EQ(mox->Current, nullptr);
  mox->SelectDevice(-1);
  EXPECT_EQ(mox->Current, nullptr);
}

TEST_F(ModuleTest, NothingToConnectOrDrop) {
  OpenLinked();
  mox->Current->Linked = false;
  EXPECT_TRUE(mox->DisconnectRemote());
  mox->SelectDevice(5);
  EXPECT_FALSE(mox->ConnectRemote(true));
  EXPECT_TRUE(state->frames.empty());
}

TEST_F(ModuleTest, DisconnectThenConnectAgain) {
  OpenLinked();
  state->onFrame = [inner = state->onFrame, this](const Frame& f) {
    if (f.code == TRukMox::CmdDisconnect) linked = false;
    if (f.code == TRukMox::CmdConnect) linked = true;
    inner(f);
  };
  state->Answer(TRukMox::CmdDisconnect, 1, {});
  state->remoteHears = nullptr;  // the module acknowledges the drop and the connect itself
  EXPECT_TRUE(mox->DisconnectRemote());
  EXPECT_FALSE(mox->Current->Linked);
  EXPECT_FALSE(mox->Local.Linked);
  ASSERT_TRUE(mox->ConnectRemote(true));
  EXPECT_TRUE(mox->Current->Linked);
  EXPECT_EQ(mox->Current->PeerAddress, kLocalAddress);
  EXPECT_EQ(state->FramesOf(TRukMox::CmdLinkTo)[0].payload, (Bytes{0x02, 0x02}));
  EXPECT_EQ(state->FramesOf(TRukMox::CmdConnect)[0].raw,
            (Bytes{0xF0, 0x05, 0x08, 0x01, 0x02, 0x02}));
}

TEST_F(ModuleTest, ConnectGivesUpAfterThreeAttempts) {
  OpenLinked();
  linked = false;  // the connect is acknowledged but the local module never takes it up
  state->remoteHears = nullptr;
  state->onFrame = [inner = state->onFrame, this](const Frame& f) {
    inner(f);
    state->Answer(TRukMox::CmdLinkStatus, 0, {0xFF, 0xFF, 0});
  };
  EXPECT_FALSE(mox->ConnectRemote(false));
  EXPECT_EQ(state->Count(TRukMox::CmdConnect, 1), 3u);
  EXPECT_FALSE(mox->Current->Linked);
}

TEST_F(ModuleTest, ChangeChannelAcknowledgedNeedsNoPing) {
  OpenLinked();
  ASSERT_TRUE(mox->ChangeChannel(9));
  EXPECT_EQ(localChannel, 9);
  EXPECT_EQ(remoteChannel, 9);
  EXPECT_EQ(mox->Current->Channel, 9);
  EXPECT_EQ(state->Count(TRukMox::CmdPing, 1), 0u);
  EXPECT_EQ(state->Count(TRukMox::CmdStore, 1), 1u);
  EXPECT_EQ(state->Count(TRukMox::CmdStore, 0), 1u);
}

// The remote moved but its answer was lost: the local module follows and finds it there.
TEST_F(ModuleTest, ChangeChannelFindsTheRemoteAfterALostAnswer) {
  OpenLinked();
  state->onFrame = [inner = state->onFrame, this](const Frame& f) {
    if (f.code == TRukMox::CmdSetChannel && f.target == 1) {
      remoteChannel = f.payload[0];
      inner(Frame{});
      return;
    }
    inner(f);
  };
  ASSERT_TRUE(mox->ChangeChannel(11));
  EXPECT_EQ(localChannel, 11);
  EXPECT_EQ(state->Count(TRukMox::CmdSetChannel, 1), 5u);
  EXPECT_EQ(state->Count(TRukMox::CmdPing, 1), 3u + 1u);
}

// Telling the remote to use a channel that does not exist would cost the link.
TEST_F(ModuleTest, ChangeChannel16SendsNothing) {
  OpenLinked();
  EXPECT_FALSE(mox->ChangeChannel(16));
  EXPECT_EQ(error, ErrChannel);
  EXPECT_TRUE(state->frames.empty());
}

// The dongle's link status follows the address it was last told to link to, kept in `peer`.
void ReportLinkToTheLastAddress(FakeDongleState& state, std::uint16_t& peer) {
  state.onFrame = [inner = state.onFrame, &state, &peer](const Frame& f) {
    inner(f);
    if (f.code == TRukMox::CmdLinkTo) peer = f.payload[0] | f.payload[1] << 8;
    state.Answer(TRukMox::CmdLinkStatus, 0,
                 {static_cast<std::uint8_t>(peer), static_cast<std::uint8_t>(peer >> 8), 1});
  };
}

TEST_F(ModuleTest, SetRemoteAddressRelinksAndStores) {
  OpenLinked();
  std::uint16_t peer = kRemoteAddress;
  ReportLinkToTheLastAddress(*state, peer);
  ASSERT_TRUE(mox->SetRemoteAddress(0x0305));
  EXPECT_EQ(state->FramesOf(TRukMox::CmdSetAddress)[0].payload, (Bytes{0xEC, 0x05, 0x03}));
  EXPECT_EQ(mox->Current->Address, 0x0305u);
  EXPECT_EQ(mox->Local.PeerAddress, 0x0305u);
}

TEST_F(ModuleTest, SetRemoteAddressPutsTheOldOneBackWhenTheRemoteCannotStore) {
  OpenLinked();
  state->Silence(TRukMox::CmdStore, 1);
  std::uint16_t peer = kRemoteAddress;
  ReportLinkToTheLastAddress(*state, peer);
  EXPECT_FALSE(mox->SetRemoteAddress(0x0305));
  EXPECT_EQ(state->Count(TRukMox::CmdStore, 1), 9u);  // 3 stores of 3 attempts
  EXPECT_EQ(mox->Current->Address, kRemoteAddress);
  EXPECT_EQ(peer, kRemoteAddress);
}

}  // namespace
}  // namespace rukmox::test
