// TRukMox against the simulated dongle and remotes over a real pseudo-terminal, found through our
// D2XX layer by its description, as a user's program would find the real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "Rukmox.h"
#include "Simulator.h"
#include "StableName.h"
#include "TimingSlack.h"
#include "platform/D2xxLibrary.h"

namespace {

using rukmox::sim::Bytes;
using rukmox::sim::CommandFrame;
using rukmox::sim::Scenario;
using rukmox::sim::Simulator;
using rukmox::sim::World;

// No wire timing, quiet pinned channels, strong signals and every scan request answered: results
// that do not depend on chance or on the machine's speed.
Scenario Quiet() {
  Scenario s = rukmox::sim::DefaultScenario();
  s.timing = rukmox::sim::TimingSetup{};
  for (auto& c : s.channels) {
    c.baseDbm = -90;
    c.pinned = true;
    c.burstChance = 0;
  }
  for (auto& r : s.remotes) {
    r.scanAnswerRate = 1;
    r.pathLossDb = 40;  // -40 dBm: still clean under the -60 dBm noise that makes the pair move
  }
  return s;
}

class SimulatorTest : public ::testing::Test {
 protected:
  void Start(const Scenario& scenario) {
    sim = std::make_unique<Simulator>(scenario);
    std::string why;
    ASSERT_TRUE(sim->Start(&why)) << why;
    mox = MakeMox(sim->DonglePath());
  }
  void TearDown() override {
    mox.reset();
    if (sim) sim->Stop();
  }
  // The module object with the simulator's dongle (if any) as the only FTDI device it can find.
  std::unique_ptr<TRukMox> MakeMox(const std::string& donglePath) {
    rukmox::platform::TransportSettings settings;
    settings.DonglePath = donglePath;
    settings.SysfsRoot = "/nonexistent/sys";
    return std::make_unique<TRukMox>(nullptr, 3000, 5, &error, true, 0, 0,
                                     rukmox::platform::LoadD2xxLibrary(settings));
  }
  // Frames the dongle decoded since the last call.
  std::vector<CommandFrame> Frames() {
    return sim->With([](World& w) {
      auto out = std::move(w.dongle.received);
      w.dongle.received.clear();
      return out;
    });
  }
  static std::size_t Count(const std::vector<CommandFrame>& frames, int code, int target) {
    return std::count_if(frames.begin(), frames.end(), [&](const CommandFrame& f) {
      return f.code == code && f.target == target;
    });
  }
  static std::vector<int> Codes(const std::vector<CommandFrame>& frames) {
    std::vector<int> out;
    for (const auto& f : frames) out.push_back(f.code);
    return out;
  }

  std::unique_ptr<Simulator> sim;
  std::int32_t error = -1;
  std::unique_ptr<TRukMox> mox;
};

TEST_F(SimulatorTest, NoDongleIsErrOpen) {
  Start(Quiet());
  mox = MakeMox("");
  EXPECT_FALSE(mox->Open());
  EXPECT_EQ(error, ErrOpen);
  EXPECT_FALSE(mox->IsOpen());
}

// Unplugged under a running program: the module object closes itself, every later command fails
// at once with the reason kept in the word, and Open works again once the dongle is back.
TEST_F(SimulatorTest, VanishedDongleClosesTheModuleUntilItIsBack) {
  Start(Quiet());
  rukmox::test::StableName name(sim->DonglePath());
  ASSERT_TRUE(name.ok());
  mox = MakeMox(name.path());
  mox->SetTimeout(1000);  // a command waiting out its time-out would take a second
  ASSERT_TRUE(mox->Open());
  sim->HangUp();

  const auto start = std::chrono::steady_clock::now();
  std::int32_t quality = 0;
  EXPECT_FALSE(mox->ReadLinkQuality(quality, true));
  EXPECT_FALSE(mox->IsOpen());
  EXPECT_TRUE(mox->DeviceGone());
  EXPECT_EQ(error & ErrDeviceGone, ErrDeviceGone);
  // A whole scan over sixteen channels asks nothing and ends at once.
  mox->ScanNetwork(0, 15);
  EXPECT_TRUE(mox->Devices.empty());
  // The operations that assign the word whole keep the reason in it.
  EXPECT_FALSE(mox->SetLocalChannel(16));
  EXPECT_EQ(error, ErrChannel | ErrDeviceGone);
  std::uint8_t values[16] = {};
  EXPECT_FALSE(mox->ReadEnergyScan(values, 16));
  EXPECT_EQ(error & ErrDeviceGone, ErrDeviceGone);
  EXPECT_LT(std::chrono::steady_clock::now() - start, rukmox::test::kLate);

  std::string why;
  ASSERT_TRUE(sim->Replug(&why)) << why;
  ASSERT_TRUE(name.PointAt(sim->DonglePath()));
  ASSERT_TRUE(mox->Open()) << "error word " << error;
  EXPECT_EQ(error, 0);
  EXPECT_FALSE(mox->DeviceGone());
  ASSERT_NE(mox->Current, nullptr);
  EXPECT_TRUE(mox->Current->Linked) << "the stored link comes back with the power";
  EXPECT_EQ(mox->Devices.size(), 1u);
}

TEST_F(SimulatorTest, SilentModuleIsExactly0x2000) {
  Scenario s = Quiet();
  s.dongleSilent = true;
  Start(s);
  mox->SetTimeout(30);
  EXPECT_FALSE(mox->Open());
  EXPECT_EQ(error, 0x2000);
  EXPECT_FALSE(mox->IsOpen());
  EXPECT_TRUE(mox->Devices.empty());
}

TEST_F(SimulatorTest, RemoteOutOfReachIsExactly0x4000AndOpen) {
  Scenario s = Quiet();
  s.remotes[0].inReach = false;
  Start(s);
  EXPECT_TRUE(mox->Open());
  EXPECT_EQ(error, 0x4000);
  ASSERT_NE(mox->Current, nullptr);
  EXPECT_FALSE(mox->Current->Linked);
  EXPECT_EQ(mox->Current->Address, 0x1234u);
  // The connect command itself goes unanswered, which ends the attempts.
  EXPECT_EQ(Count(Frames(), TRukMox::CmdConnect, 1), 1u);
}

TEST_F(SimulatorTest, ModuleAt38400) {
  Scenario s = Quiet();
  s.dongle.settings.baud = 38400;
  Start(s);
  mox->SetTimeout(50);
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(error, 0);
  EXPECT_EQ(mox->TRukDevice::GetBaudIndex(), 7);
  EXPECT_EQ(mox->Local.BaudRate, 38400);
  EXPECT_TRUE(mox->Current->Linked);
  // The next open starts where the module was found: one ping, heard at once.
  Frames();
  ASSERT_TRUE(mox->Open());
  const auto frames = Frames();
  EXPECT_EQ(Count(frames, TRukMox::CmdPing, 0), 1u);
  EXPECT_EQ(frames.front().code, TRukMox::CmdPing);
  EXPECT_EQ(mox->TRukDevice::GetBaudIndex(), 7);
  EXPECT_EQ(mox->Devices.size(), 1u);
}

TEST_F(SimulatorTest, SetLocalChannel16IsExactly0x1000) {
  Start(Quiet());
  ASSERT_TRUE(mox->Open());
  Frames();
  EXPECT_FALSE(mox->SetLocalChannel(16));
  EXPECT_EQ(error, 0x1000);
  EXPECT_TRUE(Frames().empty());
}

TEST_F(SimulatorTest, ParameterCommandsReachTheModules) {
  Start(Quiet());
  ASSERT_TRUE(mox->Open());
  Frames();
  EXPECT_TRUE(mox->SetName("Caf\xC3\xA9-12345", false));
  EXPECT_TRUE(mox->StoreLocalSettings());
  EXPECT_TRUE(mox->SetPower(PowerLevelMax, true));
  EXPECT_TRUE(mox->StoreRemoteSettings());
  std::string pin;
  EXPECT_TRUE(mox->ReadPin(pin, true));
  EXPECT_EQ(pin, "    ");
  EXPECT_TRUE(mox->SetLocalAddress(0x1001));
  EXPECT_EQ(error, 0);
  const auto frames = Frames();
  ASSERT_GE(frames.size(), 4u);
  EXPECT_EQ(frames[0].raw,
            (Bytes{0xF0, 0x0D, 0x0F, 0x00, 'C', 'a', 'f', 0xE9, '-', '1', '2', '3', '4', 0x00}));
  EXPECT_EQ(frames[2].payload, (Bytes{0xFF}));
  EXPECT_EQ(frames[2].target, 1);
  sim->With([](World& w) {
    EXPECT_EQ(w.dongle.stored.name, "Caf\xE9-1234");
    EXPECT_EQ(w.remotes[0].stored.power, 0xFF);
    EXPECT_EQ(w.dongle.stored.address, 0x1001);
  });
  EXPECT_STREQ(mox->Local.Name, "Caf");  // a byte outside 20..7E ends the name as read back
  EXPECT_EQ(mox->Local.Address, 0x1001u);
}

// Open finds the dongle and its remote; a scan finds everybody once; the pair is moved around,
// renamed, locked and unlocked, and the noise moves it once more.
TEST_F(SimulatorTest, EndToEnd) {
  Start(Quiet());
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(error, 0);
  ASSERT_NE(mox->Current, nullptr);
  EXPECT_TRUE(mox->Current->Linked);
  EXPECT_STREQ(mox->Current->Name, "SENSOR-A");
  EXPECT_EQ(mox->Current->Address, 0x1234u);
  EXPECT_EQ(mox->Local.Channel, 3);

  // Scan, with short time-outs as the silent channels cost one each per request.
  mox->ScanRepeat = 2;
  mox->SetTimeout(30);
  int channelSteps = 0;
  mox->OnChannelStep = [&](std::int32_t, std::int32_t, std::int32_t) {
    return ++channelSteps, false;
  };
  mox->ScanNetwork(0, 15);
  EXPECT_EQ(channelSteps, 16);
  EXPECT_EQ(mox->Current, nullptr);
  std::vector<std::pair<std::string, std::uint32_t>> found;
  for (const auto& r : mox->Devices) found.emplace_back(r->Name, r->Address);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found,
            (std::vector<std::pair<std::string, std::uint32_t>>{
                {"", 0x0402}, {"LOCKED", 0x0301}, {"PUMP-7", 0x0200}, {"SENSOR-A", 0x1234}}));
  auto frames = Frames();
  EXPECT_EQ(Count(frames, TRukMox::CmdScan, 1), 32u);
  EXPECT_EQ(frames.back().code, TRukMox::CmdGetChannel);  // back on channel 3, confirmed
  EXPECT_EQ(sim->With([](World& w) { return w.dongle.current.channel; }), 3);
  mox->SetTimeout(100);

  // Connect to another remote.
  mox->SelectDeviceByName("PUMP-7", 0x0200);
  ASSERT_NE(mox->Current, nullptr);
  ASSERT_TRUE(mox->ConnectRemote(true));
  EXPECT_TRUE(mox->ReadRemoteInfo());
  EXPECT_EQ(mox->Current->Channel, 6);
  EXPECT_EQ(mox->Current->PeerAddress, mox->Local.Address);
  EXPECT_EQ(sim->With([](World& w) { return w.LinkedRemote(); }), 1);

  // Channel change.
  ASSERT_TRUE(mox->ChangeChannel(10));
  sim->With([](World& w) {
    EXPECT_EQ(w.dongle.stored.channel, 10);
    EXPECT_EQ(w.remotes[1].stored.channel, 10);
  });
  EXPECT_EQ(mox->Current->Channel, 10);

  // The remote's address.
  ASSERT_TRUE(mox->SetRemoteAddress(0x0777));
  EXPECT_EQ(mox->Current->Address, 0x0777u);
  EXPECT_EQ(sim->With([](World& w) { return w.remotes[1].stored.address; }), 0x0777);
  EXPECT_TRUE(mox->ReadRemoteInfo());
  EXPECT_EQ(mox->Current->Address, 0x0777u);

  // PIN on both ends, then off again.
  Frames();
  EXPECT_EQ(mox->ChangePin("", "1357"), 0);
  frames = Frames();
  EXPECT_EQ(Codes(frames), (std::vector<int>{35, 14, 35, 14, 9}));
  EXPECT_EQ(frames[0].target, 1);
  sim->With([](World& w) {
    EXPECT_EQ(w.dongle.stored.pin, "1357");
    EXPECT_EQ(w.remotes[1].stored.pin, "1357");
  });
  std::string pin;
  ASSERT_TRUE(mox->ReadPin(pin, false));
  EXPECT_EQ(pin, "1357");
  EXPECT_EQ(mox->RemovePin(pin), 0);
  sim->With([](World& w) {
    EXPECT_EQ(w.dongle.current.pin, "    ");
    EXPECT_EQ(w.remotes[1].current.pin, "    ");
  });

  // Noise on the channel in use: the pair moves and both records agree.
  sim->With([](World& w) { w.PinNoise(10, -60); });
  EXPECT_TRUE(mox->AdaptChannel());
  EXPECT_EQ(mox->ChannelChanges, 1);
  EXPECT_NE(mox->Local.Channel, 10);
  EXPECT_EQ(mox->Current->Channel, mox->Local.Channel);
  EXPECT_TRUE(mox->Current->Linked);
  EXPECT_LT(mox->LinkLevel, mox->HopThreshold);
  sim->With([&](World& w) {
    EXPECT_EQ(w.dongle.current.channel, mox->Local.Channel);
    EXPECT_EQ(w.remotes[1].current.channel, mox->Local.Channel);
  });

  // Drop the link.
  EXPECT_TRUE(mox->DisconnectRemote());
  EXPECT_FALSE(mox->Current->Linked);
  EXPECT_EQ(sim->With([](World& w) { return w.LinkedRemote(); }), -1);
}

TEST_F(SimulatorTest, SplitWriteAndTheHostsAnswer) {
  Start(Quiet());
  ASSERT_TRUE(mox->Open());
  mox->SequenceNumber = 20;
  Bytes data(250);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(mox->Write(data.data(), 250, 0));
  std::uint8_t answer[250] = {};
  ASSERT_TRUE(mox->Read(answer, 250, 500));
  EXPECT_EQ(Bytes(answer, answer + 250), data);
  sim->With([&](World& w) {
    const auto& got = w.remotes[0].hostReceived;
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].sequence, 22);
    EXPECT_EQ(got[1].sequence, 23);
    EXPECT_EQ(got[2].sequence, 24);
    EXPECT_EQ(got[0].data.size(), 100u);
    EXPECT_EQ(got[2].data.size(), 50u);
    Bytes joined;
    for (const auto& f : got) joined.insert(joined.end(), f.data.begin(), f.data.end());
    EXPECT_EQ(joined, data);
  });
}

}  // namespace
