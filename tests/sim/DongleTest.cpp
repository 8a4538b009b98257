// The dongle's firmware and the radio world, driven through the dongle's pseudo-terminal with
// hand-built frames.
#include <gtest/gtest.h>

#include "FastScenario.h"
#include "NamedRows.h"
#include "SimLine.h"
#include "Simulator.h"
#include "TimingSlack.h"

namespace rukmox::sim {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using rukmox::test::kLate;
using test::SimLine;

const Bytes kAck{0x64, 0x02};
constexpr std::uint16_t kLinkedRemote = 0x1234;  // SENSOR-A, channel 3
constexpr std::uint16_t kDongleAddress = 0x1000;

class DongleTest : public testing::Test {
 protected:
  explicit DongleTest(Scenario scenario = test::FastScenario()) : sim(scenario) {}
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    line = std::make_unique<SimLine>(sim.DonglePath(), B115200);
    ASSERT_TRUE(line->ok());
  }
  Bytes Ask(const Bytes& frame) { return line->Exchange(frame); }
  Bytes LinkStatus() { return Ask({0xF0, 0x03, 0x09, 0x00}); }

  Simulator sim;
  std::unique_ptr<SimLine> line;
};

TEST_F(DongleTest, AnswersTheLocalPing) {
  EXPECT_EQ(Ask({0xF0, 0x03, 0x1F, 0x00}), kAck);
}

TEST_F(DongleTest, InformationReplyCarriesVersionAddressNameAndPinFlag) {
  const Bytes r = Ask({0xF0, 0x03, 0x01, 0x00});
  Bytes expected{0x64, 29, 2, 7, 3, 1, 0};           // marker, length, version H F P M
  expected.insert(expected.end(), {0, 0, 0, 0, 0});  // info bytes
  expected.insert(expected.end(), {0x00, 0x10});     // address
  for (char c : std::string("RUKDONGLE")) expected.push_back(static_cast<std::uint8_t>(c));
  expected.insert(expected.end(), {0, 0, 0, 0, 0, 0});  // end of name, no PIN, tail
  EXPECT_EQ(r, expected);
}

TEST_F(DongleTest, RemoteInformationReplyPutsThePeerBeforeTheAddress) {
  const Bytes r = Ask({0xF0, 0x03, 0x01, 0x01});
  ASSERT_GE(r.size(), 16u);
  EXPECT_EQ(r[12] | (r[13] << 8), kDongleAddress);
  EXPECT_EQ(r[14] | (r[15] << 8), kLinkedRemote);
  EXPECT_EQ(std::string(r.begin() + 16, r.begin() + 24), "SENSOR-A");
}

TEST_F(DongleTest, ConfigurationReplyCarriesHalfTheBaudRateAndThePowerByte) {
  const Bytes r = Ask({0xF0, 0x03, 0x05, 0x00});
  ASSERT_EQ(r.size(), 11u);
  EXPECT_EQ(2 * (r[7] | (r[8] << 8)), 115200);
  EXPECT_EQ(r[9], 0xBC);
}

TEST_F(DongleTest, ReportsItsLinkAndChannel) {
  EXPECT_EQ(LinkStatus(), (Bytes{0x64, 0x05, 0x34, 0x12, 0x01}));
  EXPECT_EQ(Ask({0xF0, 0x03, 0x0C, 0x00}), (Bytes{0x64, 0x03, 0x03}));
}

TEST_F(DongleTest, ChangesChannelAndLosesTheRemoteThatStayedBehind) {
  EXPECT_EQ(Ask({0xF0, 0x04, 0x03, 0x00, 0x0F}), kAck);
  EXPECT_EQ(Ask({0xF0, 0x03, 0x0C, 0x00}), (Bytes{0x64, 0x03, 0x0F}));
  EXPECT_EQ(LinkStatus(), (Bytes{0x64, 0x05, 0x34, 0x12, 0x00}));
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x1F, 0x01}).empty()) << "a remote ping with the link down";
  // Back on the remote's channel the link is there again.
  EXPECT_EQ(Ask({0xF0, 0x04, 0x03, 0x00, 0x03}), kAck);
  EXPECT_EQ(Ask({0xF0, 0x03, 0x1F, 0x01}), kAck);
}

TEST_F(DongleTest, RemoteFollowsAChannelCommandAndTheDongleFollowsIt) {
  EXPECT_EQ(Ask({0xF0, 0x04, 0x03, 0x01, 0x07}), kAck);
  EXPECT_EQ(sim.With([](World& w) { return w.remotes[0].current.channel; }), 7);
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x1F, 0x01}).empty()) << "the dongle is still on channel 3";
  EXPECT_EQ(Ask({0xF0, 0x04, 0x03, 0x00, 0x07}), kAck);
  EXPECT_EQ(Ask({0xF0, 0x03, 0x1F, 0x01}), kAck);
}

TEST_F(DongleTest, ChannelOutOfRangeIsIgnored) {
  EXPECT_TRUE(Ask({0xF0, 0x04, 0x03, 0x00, 0x10}).empty());
  EXPECT_EQ(Ask({0xF0, 0x03, 0x0C, 0x00}), (Bytes{0x64, 0x03, 0x03}));
}

TEST_F(DongleTest, ConnectsToARemoteOnItsChannel) {
  // Move to PUMP-7's channel (6) and connect to it (address 0x0200).
  Ask({0xF0, 0x04, 0x03, 0x00, 0x06});
  EXPECT_EQ(Ask({0xF0, 0x05, 0x08, 0x01, 0x00, 0x02}), kAck);
  EXPECT_EQ(LinkStatus(), (Bytes{0x64, 0x05, 0x00, 0x02, 0x01}));
  sim.With([](World& w) {
    EXPECT_EQ(w.remotes[1].current.peer, kDongleAddress);
    EXPECT_FALSE(w.remotes[0].paired);
  });
}

TEST_F(DongleTest, ConnectLogsTheDecodedFrame) {
  EXPECT_EQ(Ask({0xF0, 0x05, 0x08, 0x01, 0x34, 0x12}), kAck);
  sim.With([](World& w) {
    ASSERT_FALSE(w.dongle.received.empty());
    const CommandFrame& f = w.dongle.received.back();
    EXPECT_EQ(f.code, 0x08);
    EXPECT_EQ(f.target, 1);
    EXPECT_EQ(f.payload, (Bytes{0x34, 0x12}));
    EXPECT_EQ(f.raw, (Bytes{0xF0, 0x05, 0x08, 0x01, 0x34, 0x12}));
  });
}

TEST_F(DongleTest, PinMismatchRefusesTheConnection) {
  Ask({0xF0, 0x04, 0x03, 0x00, 0x09});  // LOCKED, PIN 4321
  EXPECT_TRUE(Ask({0xF0, 0x05, 0x08, 0x01, 0x01, 0x03}).empty());
  EXPECT_EQ(LinkStatus()[4], 0);
  // With the dongle on the same PIN it connects.
  EXPECT_EQ(Ask({0xF0, 0x0B, 0x23, 0x00, ' ', ' ', ' ', ' ', '4', '3', '2', '1'}), kAck);
  EXPECT_EQ(Ask({0xF0, 0x05, 0x08, 0x01, 0x01, 0x03}), kAck);
  EXPECT_EQ(LinkStatus(), (Bytes{0x64, 0x05, 0x01, 0x03, 0x01}));
}

TEST_F(DongleTest, PinChangesOnlyWithTheOldPin) {
  EXPECT_TRUE(Ask({0xF0, 0x0B, 0x23, 0x00, '1', '1', '1', '1', '2', '2', '2', '2'}).empty());
  EXPECT_EQ(Ask({0xF0, 0x0B, 0x23, 0x00, ' ', ' ', ' ', ' ', '2', '2', '2', '2'}), kAck);
  EXPECT_EQ(Ask({0xF0, 0x03, 0x24, 0x00}), (Bytes{0x64, 0x06, '2', '2', '2', '2'}));
  // The link formed before keeps running, so the other end can follow over it.
  EXPECT_EQ(Ask({0xF0, 0x0B, 0x23, 0x01, ' ', ' ', ' ', ' ', '2', '2', '2', '2'}), kAck);
  EXPECT_EQ(Ask({0xF0, 0x03, 0x24, 0x01}), (Bytes{0x64, 0x06, '2', '2', '2', '2'}));
}

TEST_F(DongleTest, DisconnectDropsTheLinkAndRemoteCommandsFail) {
  EXPECT_EQ(Ask({0xF0, 0x03, 0x0D, 0x01}), kAck);
  EXPECT_EQ(LinkStatus()[4], 0);
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x01, 0x01}).empty());
}

TEST_F(DongleTest, NameWithAnEscapedByteIsStoredUnescaped) {
  // Name "A", F0, "B": the F0 travels as EF 01 and LEN counts it once.
  EXPECT_EQ(Ask({0xF0, 0x0D, 0x0F, 0x00, 'A', 0xEF, 0x01, 'B', 0, 0, 0, 0, 0, 0, 0}), kAck);
  EXPECT_EQ(sim.With([](World& w) { return w.dongle.current.name; }),
            "A\xF0"
            "B");
}

TEST_F(DongleTest, SettingsSurviveAPowerCycleOnlyWhenStored) {
  Ask({0xF0, 0x0D, 0x0F, 0x00, 'N', 'E', 'W', 0, 0, 0, 0, 0, 0, 0});
  Ask({0xF0, 0x04, 0x13, 0x00, 0xFF});
  sim.With([](World& w) { w.PowerCycleDongle(); });
  EXPECT_EQ(sim.With([](World& w) { return w.dongle.current.name; }), "RUKDONGLE");
  Ask({0xF0, 0x0D, 0x0F, 0x00, 'N', 'E', 'W', 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Ask({0xF0, 0x03, 0x0E, 0x00}), kAck);
  sim.With([](World& w) { w.PowerCycleDongle(); });
  EXPECT_EQ(sim.With([](World& w) { return w.dongle.current.name; }), "NEW");
}

struct AddressCase {
  const char* name;
  Bytes payload;
  bool accepted;
};

class AddressTest : public DongleTest, public testing::WithParamInterface<AddressCase> {};

TEST_P(AddressTest, NeedsThePrefixAndAValidAddress) {
  Bytes frame{0xF0, static_cast<std::uint8_t>(3 + GetParam().payload.size()), 0x16, 0x00};
  frame.insert(frame.end(), GetParam().payload.begin(), GetParam().payload.end());
  EXPECT_EQ(!Ask(frame).empty(), GetParam().accepted);
  const auto address = sim.With([](World& w) { return w.dongle.current.address; });
  EXPECT_EQ(address, GetParam().accepted ? 0x0777 : kDongleAddress);
}

INSTANTIATE_TEST_SUITE_P(Address, AddressTest,
                         testing::Values(AddressCase{"WithPrefix", {0xEC, 0x77, 0x07}, true},
                                         AddressCase{"WithoutPrefix", {0x77, 0x07}, false},
                                         AddressCase{"Zero", {0xEC, 0x00, 0x00}, false},
                                         AddressCase{"AllOnes", {0xEC, 0xFF, 0xFF}, false}),
                         RowName());

TEST_F(DongleTest, AnswersOnlyAtItsOwnRate) {
  line->SetSpeed(B9600);
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x1F, 0x00}).empty());
  line->SetSpeed(B115200);
  // The baud command is answered at the old rate; afterwards only the new rate works.
  EXPECT_EQ(Ask({0xF0, 0x05, 0x02, 0x00, 0x00, 0x4B}), kAck);  // 38400 / 2 = 0x4B00
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x1F, 0x00}).empty());
  line->SetSpeed(B38400);
  EXPECT_EQ(Ask({0xF0, 0x03, 0x1F, 0x00}), kAck);
}

TEST_F(DongleTest, EnergyAndLinkQualityFollowTheNoise) {
  auto reading = [](const Bytes& r) { return r.size() == 4 ? (r[2] | (r[3] << 8)) - 65535 : 0; };
  EXPECT_EQ(reading(Ask({0xF0, 0x03, 0x11, 0x00})), -90);
  const int clean = reading(Ask({0xF0, 0x03, 0x10, 0x00}));
  EXPECT_EQ(clean, -60) << "0 dBm both ways, 60 dB path loss";
  sim.With([](World& w) { w.PinNoise(3, -70); });
  EXPECT_EQ(reading(Ask({0xF0, 0x03, 0x11, 0x00})), -70);
  EXPECT_LT(reading(Ask({0xF0, 0x03, 0x10, 0x00})), clean);
}

TEST_F(DongleTest, EnergyScanGivesEveryChannelsReadingMagnitude) {
  sim.With([](World& w) { w.PinNoise(5, -40); });
  const Bytes r = Ask({0xF0, 0x03, 0x29, 0x00});
  ASSERT_EQ(r.size(), 18u);
  EXPECT_EQ(r[2 + 0], 90);
  EXPECT_EQ(r[2 + 5], 40) << "a busy channel gives a small byte";
}

TEST_F(DongleTest, ScanWalksTheRemotesOnTheChannelInTurn) {
  sim.With([](World& w) {
    w.remotes[1].current.channel = 3;  // PUMP-7 joins SENSOR-A on channel 3
  });
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    const Bytes r = Ask({0xF0, 0x03, 0x06, 0x01});
    ASSERT_GT(r.size(), 8u);
    names.emplace_back(reinterpret_cast<const char*>(&r[7]));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SENSOR-A", "PUMP-7", "SENSOR-A", "PUMP-7"}));
}

TEST_F(DongleTest, ScanAnswerLayout) {
  const Bytes r = Ask({0xF0, 0x03, 0x06, 0x01});
  const Bytes expected{0x64, 21,  0x34, 0x12, 0x01, 0x00, 0x10, 'S', 'E', 'N', 'S',
                       'O',  'R', '-',  'A',  0,    0,    0,    0,   0,   0};
  EXPECT_EQ(r, expected);
}

TEST_F(DongleTest, ScanOfAnEmptyChannelIsSilent) {
  Ask({0xF0, 0x04, 0x03, 0x00, 0x00});
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x06, 0x01}).empty());
}

TEST(DongleScanTest, MissesSomeAnswersReproducibly) {
  auto run = [] {
    Scenario s = test::FastScenario();
    s.remotes[0].scanAnswerRate = 0.5;
    Simulator sim(s);
    EXPECT_TRUE(sim.Start());
    SimLine line(sim.DonglePath(), B115200);
    std::string pattern;
    for (int i = 0; i < 12; ++i) {
      pattern += line.Exchange({0xF0, 0x03, 0x06, 0x01}, std::chrono::milliseconds(60)).empty()
                     ? '-'
                     : 'x';
    }
    return pattern;
  };
  const std::string first = run();
  EXPECT_NE(first.find('-'), std::string::npos);
  EXPECT_NE(first.find('x'), std::string::npos);
  EXPECT_EQ(run(), first);
}

TEST_F(DongleTest, DataFramesReachTheHostAndTheEchoComesBack) {
  line->Send({0xF0, 0x05, 0x00, 0x01, 'h', 'i'});
  EXPECT_EQ(line->Receive(2), (Bytes{'h', 'i'}));
  sim.With([](World& w) {
    ASSERT_EQ(w.remotes[0].hostReceived.size(), 1u);
    EXPECT_EQ(w.remotes[0].hostReceived[0].sequence, 1);
    EXPECT_EQ(w.remotes[0].hostReceived[0].data, (Bytes{'h', 'i'}));
    EXPECT_EQ(w.dongle.received.back().target, -1);
  });
  sim.HostSend(0, {'o', 'k'});
  EXPECT_EQ(line->Receive(2), (Bytes{'o', 'k'}));
}

TEST_F(DongleTest, DataFramesAreLostWithoutALink) {
  Ask({0xF0, 0x03, 0x0D, 0x01});
  line->Send({0xF0, 0x04, 0x00, 0x01, 'h'});
  EXPECT_TRUE(line->Drain().empty());
  EXPECT_TRUE(sim.With([](World& w) { return w.remotes[0].hostReceived.empty(); }));
}

TEST_F(DongleTest, NoisyChannelLosesRelayedFrames) {
  sim.With([](World& w) { w.PinNoise(3, -68); });  // 8 dB of margin left
  int answered = 0;
  for (int i = 0; i < 20; ++i) {
    answered += !line->Exchange({0xF0, 0x03, 0x1F, 0x01}, std::chrono::milliseconds(40)).empty();
  }
  EXPECT_GT(answered, 0);
  EXPECT_LT(answered, 20);
}

Scenario LosingPingAnswers() {
  Scenario s = test::FastScenario();
  s.remotes[0].answerLoss = {0.25, 0x1F};
  return s;
}

class AnswerLossTest : public DongleTest {
 protected:
  AnswerLossTest() : DongleTest(LosingPingAnswers()) {}
};

TEST_F(AnswerLossTest, LosesEveryFourthRemotePingAnswerAndNothingElse) {
  std::string pattern;
  for (int i = 0; i < 8; ++i) {
    pattern += Ask({0xF0, 0x03, 0x1F, 0x01}).empty() ? '-' : 'x';
    // Other commands, and the dongle's own answers, do not count and are never lost.
    EXPECT_EQ(Ask({0xF0, 0x03, 0x1F, 0x00}), kAck);
    EXPECT_FALSE(Ask({0xF0, 0x03, 0x10, 0x01}).empty());
  }
  EXPECT_EQ(pattern, "xxx-xxx-");
}

TEST_F(DongleTest, FaultsSpoilTheReplyTheyAreMeantFor) {
  sim.With([](World& w) {
    const std::uint64_t next = w.dongle.repliesSent + 1;
    w.dongle.faults.push_back({ReplyFault::Kind::DropByte, next, 1, 0, {}});
    w.dongle.faults.push_back({ReplyFault::Kind::CorruptByte, next + 1, 0, 0x01, {}});
    w.dongle.faults.push_back({ReplyFault::Kind::Silence, next + 2, 0, 0, {}});
    w.dongle.faults.push_back({ReplyFault::Kind::Garbage, next + 3, 0, 0, {0x00, 0x99}});
  });
  const Bytes ping{0xF0, 0x03, 0x0C, 0x00};
  line->Send(ping);
  EXPECT_EQ(line->Drain(), (Bytes{0x64, 0x03}));
  line->Send(ping);
  EXPECT_EQ(line->Drain(), (Bytes{0x65, 0x03, 0x03}));
  line->Send(ping);
  EXPECT_TRUE(line->Drain().empty());
  line->Send(ping);
  EXPECT_EQ(line->Drain(), (Bytes{0x00, 0x99, 0x64, 0x03, 0x03}));
  line->Send(ping);
  EXPECT_EQ(line->Drain(), (Bytes{0x64, 0x03, 0x03}));
}

// A trigger acts after the dongle has answered its command, once, and only for its own code.
TEST_F(DongleTest, TriggerChangesTheWorldOnceItsCommandIsAnswered) {
  int runs = 0;
  sim.With([&runs](World& w) {
    w.dongle.triggers.push_back({0x1F, [&runs](World& world) {
                                   ++runs;
                                   world.dongle.silent = true;
                                 }});
  });
  EXPECT_EQ(Ask({0xF0, 0x03, 0x0C, 0x00}), (Bytes{0x64, 0x03, 0x03})) << "another command";
  EXPECT_EQ(Ask({0xF0, 0x03, 0x1F, 0x00}), kAck) << "answered before the change";
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x1F, 0x00}).empty());
  EXPECT_EQ(sim.With([&runs](World&) { return runs; }), 1);
}

TEST_F(DongleTest, SilentDongleStillLogsWhatItHears) {
  sim.With([](World& w) { w.dongle.silent = true; });
  EXPECT_TRUE(Ask({0xF0, 0x03, 0x1F, 0x00}).empty());
  EXPECT_EQ(sim.With([](World& w) { return w.dongle.received.size(); }), 1u);
}

TEST_F(DongleTest, HangUpLooksLikeAnUnpluggedDevice) {
  sim.HangUp();
  pollfd p{line->fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 1000), 1);
  EXPECT_TRUE(p.revents & (POLLHUP | POLLERR));
  std::uint8_t b;
  EXPECT_LE(::read(line->fd(), &b, 1), 0);
}

TEST(DongleTimingTest, RepliesTakeTheirWireTimeAndDelay) {
  Scenario s = test::FastScenario();
  s.timing.wireTiming = true;
  s.timing.replyDelayMs = 40;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  SimLine line(sim.DonglePath(), B9600);
  sim.With([](World& w) { w.dongle.current.baud = 9600; });
  const auto start = Clock::now();
  line.Send({0xF0, 0x03, 0x01, 0x00});
  const Bytes reply = line.Receive(29, std::chrono::milliseconds(2000));
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  ASSERT_EQ(reply.size(), 29u);
  // 4 bytes in, 29 out at 1.04 ms each, plus the 40 ms delay.
  EXPECT_GE(took.count(), 40 + 33 - 3);
  EXPECT_LE(took.count(), 40 + 33 + kLate.count());
}

}  // namespace
}  // namespace rukmox::sim
