// The data bridge against the simulated dongle and its echoing remote host, and the size of its
// frames against the module's own frame builder.
#include "DataBridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FastScenario.h"
#include "ModuleFrame.h"
#include "NamedRows.h"
#include "PseudoTerminal.h"
#include "PtyBridge.h"
#include "Simulator.h"
#include "TerminalRoundTrip.h"
#include "TimingSlack.h"
#include "platform/D2xxLibrary.h"

namespace rukmox {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// --- frame sizes -------------------------------------------------------------------------------

struct ShareCase {
  const char* name;
  Bytes data;
  std::size_t share;
};

Bytes Repeated(std::size_t count, std::uint8_t value) {
  return Bytes(count, value);
}
Bytes Joined(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class FrameShareTest : public ::testing::TestWithParam<ShareCase> {};

// The share must build into a frame even behind an escaped sequence number, and one byte more
// must not (unless the 100-byte limit or the data's end came first).
TEST_P(FrameShareTest, TakesWhatFitsInOneDataFrame) {
  const ShareCase& c = GetParam();
  const std::size_t share = DataFrameShare(c.data);
  EXPECT_EQ(share, c.share);

  auto builds = [&](std::size_t count) {
    Bytes payload = {0xF0};
    payload.insert(payload.end(), c.data.begin(), c.data.begin() + count);
    std::uint8_t buffer[TRukMox::BufferSize] = {};
    std::int32_t length = 0;
    return module::BuildCommandFrame(buffer, length, TRukMox::CmdData, true, true,
                                     static_cast<std::int32_t>(payload.size()), payload.data());
  };
  EXPECT_TRUE(builds(share));
  if (share < c.data.size() && share < TRukMox::MaxChunk) {
    EXPECT_FALSE(builds(share + 1));
  }
}

INSTANTIATE_TEST_SUITE_P(
    DataBridge, FrameShareTest,
    ::testing::Values(
        ShareCase{"Nothing", {}, 0}, ShareCase{"Short", {1, 2, 3}, 3},
        ShareCase{"PlainBeyondAFrame", Repeated(250, 0x41), 100},
        ShareCase{"AllStartBytes", Repeated(250, 0xF0), 52},
        ShareCase{"AllEscapeBytes", Repeated(250, 0xEF), 52},
        ShareCase{"FiveEscapedStillFull", Joined(Repeated(5, 0xEF), Repeated(200, 0x41)), 100},
        ShareCase{"SixEscapedOneShort", Joined(Repeated(6, 0xF0), Repeated(200, 0x41)), 99}),
    test::RowName());

// --- against the simulator ---------------------------------------------------------------------

class DataBridgeSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = std::make_unique<sim::Simulator>(sim::test::FastScenario());
    std::string why;
    ASSERT_TRUE(sim->Start(&why)) << why;
    platform::TransportSettings settings;
    settings.DonglePath = sim->DonglePath();
    settings.SysfsRoot = "/nonexistent/sys";
    mox = std::make_unique<TRukMox>(nullptr, 3000, 5, &error, true, 0, 0,
                                    platform::LoadD2xxLibrary(settings));
    ASSERT_TRUE(mox->Open());
    ASSERT_TRUE(mox->Current != nullptr && mox->Current->Linked);
  }
  void TearDown() override {
    mox.reset();
    if (sim) sim->Stop();
  }

  // Pumps until `done` or the deadline; everything received is appended to `received`.
  template <class Done>
  BridgeState PumpUntil(DataBridge& bridge, Bytes& received, Done done,
                        std::size_t limit = DataBridge::kQueueLimit) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    BridgeState state = BridgeState::Running;
    while (state == BridgeState::Running && !done() && Clock::now() < end) {
      state = bridge.Pump(received, limit);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return state;
  }

  std::vector<sim::DataFrame> HostFrames() {
    return sim->With([](sim::World& w) { return w.remotes[0].hostReceived; });
  }
  static Bytes Data(const std::vector<sim::DataFrame>& frames) {
    Bytes all;
    for (const auto& f : frames) all.insert(all.end(), f.data.begin(), f.data.end());
    return all;
  }

  std::unique_ptr<sim::Simulator> sim;
  std::int32_t error = 0;
  std::unique_ptr<TRukMox> mox;
};

TEST_F(DataBridgeSimTest, SendsInFullFramesAtTheModulesPaceAndGetsTheEcho) {
  const Bytes sent = test::RandomBytes(350, 3);
  Bytes received;
  const auto start = Clock::now();
  {
    DataBridge bridge(*mox);
    ASSERT_EQ(bridge.Queue(sent), sent.size());
    EXPECT_EQ(PumpUntil(bridge, received, [&] { return received.size() >= sent.size(); }),
              BridgeState::Running);
    EXPECT_EQ(bridge.Counts().toRemote, sent.size());
    EXPECT_EQ(bridge.Counts().fromRemote, sent.size());
  }
  // Three pauses lie between the four frames.
  EXPECT_GE(Clock::now() - start, 3 * DataBridge::kFramePause - test::kEarly);
  EXPECT_EQ(received, sent);
  const auto frames = HostFrames();
  std::vector<std::size_t> sizes;
  for (const auto& f : frames) sizes.push_back(f.data.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 100, 50}));
  // The module's own writes purge the USB input again once the bridge is gone.
  EXPECT_TRUE(mox->GetPurgeBeforeWrite());
}

// What the host sent waits in the USB queue while frames go out (a receiver without room); none
// of it may be discarded, and it is handed on no faster than the receiver takes it.
TEST_F(DataBridgeSimTest, KeepsWhatWaitsWhileSendingAndHandsItOnAsRoomAllows) {
  const Bytes hostSays = test::RandomBytes(300, 4);
  sim->HostSend(0, hostSays);
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (mox->GetInQueue() < static_cast<std::int32_t>(hostSays.size()) && Clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));

  DataBridge bridge(*mox);
  const Bytes sent = test::RandomBytes(250, 6);
  bridge.Queue(sent);
  Bytes received;
  EXPECT_EQ(PumpUntil(
                bridge, received, [&] { return bridge.Unsent() == 0; }, 0),
            BridgeState::Running);
  ASSERT_TRUE(received.empty());

  while (received.size() < hostSays.size() + sent.size() && Clock::now() < end) {
    Bytes step;
    ASSERT_EQ(bridge.Pump(step, 64), BridgeState::Running);
    EXPECT_LE(step.size(), 64u);
    received.insert(received.end(), step.begin(), step.end());
  }
  Bytes expected = hostSays;
  expected.insert(expected.end(), sent.begin(), sent.end());
  EXPECT_EQ(received, expected);
}

TEST_F(DataBridgeSimTest, KeepsTheBytesOfAFrameThatCannotGo) {
  mox->Current->Linked = false;  // data frames need a linked remote
  DataBridge bridge(*mox);
  bridge.Queue(Bytes{1, 2, 3});
  Bytes received;
  EXPECT_EQ(bridge.Pump(received), BridgeState::SendFailed);
  EXPECT_EQ(bridge.Unsent(), 3u);
  EXPECT_EQ(bridge.Counts().toRemote, 0u);
}

// Ctrl-C right after the first frame: what the program already wrote still reaches the host.
TEST_F(DataBridgeSimTest, PassesOnWhatWasTakenBeforeTheStop) {
  PseudoTerminal terminal;
  std::string why;
  ASSERT_TRUE(terminal.Open(&why)) << why;
  const Bytes sent = test::RandomBytes(500, 5);
  test::RoundTrip(terminal.SlavePath(), sent, 0, std::chrono::milliseconds(1000));

  DataBridge bridge(*mox);
  PtyBridge pty(bridge, terminal.Master());
  EXPECT_EQ(pty.Run([&] { return bridge.Counts().toRemote > 0; }), BridgeState::Running);
  EXPECT_EQ(pty.Undelivered(), 0u);
  // The last frame is on its way to the simulator when the bridge ends.
  Bytes atHost;
  const auto end = Clock::now() + std::chrono::seconds(5);
  while ((atHost = Data(HostFrames())).size() < sent.size() && Clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(atHost, sent);
}

}  // namespace
}  // namespace rukmox
