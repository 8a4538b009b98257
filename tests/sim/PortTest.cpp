// The serial ports: the dongle's serial face, the MCU's application firmware and both boot
// loaders, driven with the bytes the programming side sends.
#include <gtest/gtest.h>

#include <thread>

#include "BootRecord.h"
#include "FastScenario.h"
#include "SimLine.h"
#include "Simulator.h"
#include "TimingSlack.h"

namespace rukmox::sim {
namespace {

using rukmox::test::kLate;
using test::BootRecord;
using test::SimLine;
using namespace std::chrono_literals;

const Bytes kStatusQuery{0x00, 0x02, 0x02};
const Bytes kPrepare{0x00, 0x09, 0x09};
const Bytes kStart{0x93, 0x93};

// A boot-loader exchange: the frame's echo, then `answer` bytes.
Bytes BootExchange(SimLine& line, const Bytes& frame, std::size_t answer) {
  tcflush(line.fd(), TCIFLUSH);
  line.Send(frame);
  return line.Receive(frame.size() + answer);
}

Bytes Tail(const Bytes& bytes, std::size_t from) {
  return from < bytes.size() ? Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end())
                             : Bytes{};
}

class PortTest : public testing::Test {
 protected:
  void Start(const Scenario& s) {
    sim = std::make_unique<Simulator>(s);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
  }
  void SetUp() override { Start(test::FastScenario()); }
  std::unique_ptr<Simulator> sim;
};

TEST_F(PortTest, PortsListTheirPathsForTheEnvironment) {
  ASSERT_EQ(sim->PortPaths().size(), 2u);
  EXPECT_EQ(sim->PortsVariable(), sim->PortPaths()[0] + ":" + sim->PortPaths()[1]);
}

TEST_F(PortTest, DongleSerialFaceAnswersItsStatusQueryAndGoesToItsBootLoader) {
  SimLine face(sim->PortPaths()[0], B115200);
  // The serial face runs the module firmware: F0 03 01 00 is its information command, the closing
  // byte is skipped; byte 3 of the answer is the mode (1 = dongle application).
  const Bytes info = face.Exchange({0xF0, 0x03, 0x01, 0x00, 0x0C});
  ASSERT_GT(info.size(), 7u);
  EXPECT_EQ(info[2 + 3], 1);
  EXPECT_EQ(face.Exchange({0xF0, 0x03, 0x1C, 0x00, 0xF1}), (Bytes{0x64, 0x02}));
  EXPECT_EQ(sim->With([](World& w) { return w.dongle.firmware; }), Firmware::BootLoader);

  // The USB channel is silent now; the boot loader answers at 9600 on the serial face.
  SimLine usb(sim->DonglePath(), B115200);
  EXPECT_TRUE(usb.Exchange({0xF0, 0x03, 0x1F, 0x00}).empty());
  face.SetSpeed(B9600);
  const Bytes status = BootExchange(face, kStatusQuery, 9);
  ASSERT_EQ(status.size(), 12u);
  EXPECT_EQ(Tail(status, 0).size(), 12u);
  EXPECT_EQ(Bytes(status.begin(), status.begin() + 3), kStatusQuery) << "the echo";
  EXPECT_EQ(status[3 + 3], 3) << "boot loader";
  EXPECT_EQ(status[3 + 6], kKindDongle);
}

TEST_F(PortTest, BootRequestThroughTheUsbChannelMovesTheDongleToItsSerialFace) {
  SimLine usb(sim->DonglePath(), B115200);
  EXPECT_EQ(usb.Exchange({0xF0, 0x03, 0x1C, 0x00}), (Bytes{0x64, 0x02}));
  SimLine face(sim->PortPaths()[0], B9600);
  EXPECT_EQ(BootExchange(face, kStatusQuery, 9).size(), 12u);
}

TEST_F(PortTest, WholeProgrammingSessionRestartsTheDongleWithItsStoredSettings) {
  sim->With([](World& w) {
    w.dongle.current.name = "UNSTORED";
    w.dongle.firmware = Firmware::BootLoader;
  });
  SimLine face(sim->PortPaths()[0], B9600);
  EXPECT_EQ(Tail(BootExchange(face, kPrepare, 4), 3), (Bytes{0x53, 0x09, 0x00, 0x5C}));
  EXPECT_EQ(Tail(BootExchange(face, kStart, 2), 2), (Bytes{0xA7, 0xA7}));
  const Bytes data = BootRecord('1', {0x00, 0x00, 0x01, 0x02, 0x03});
  EXPECT_EQ(Tail(BootExchange(face, data, 2), data.size()), (Bytes{0xA7, 0xA7}));
  const Bytes end = BootRecord('9', {0x00, 0x00});
  EXPECT_EQ(Tail(BootExchange(face, end, 2), end.size()), (Bytes{0xA7, 0xA7}));
  sim->With([&](World& w) {
    EXPECT_EQ(w.dongle.firmware, Firmware::Application);
    EXPECT_EQ(w.dongle.current.name, "RUKDONGLE");
    ASSERT_EQ(w.dongle.boot.records.size(), 2u);
    EXPECT_EQ(w.dongle.boot.records[0], data);
  });
  SimLine usb(sim->DonglePath(), B115200);
  EXPECT_EQ(usb.Exchange({0xF0, 0x03, 0x1F, 0x00}), (Bytes{0x64, 0x02}));
}

TEST_F(PortTest, McuApplicationAnswersItsStatusAndBootRequests) {
  SimLine mcu(sim->PortPaths()[1], B9600);
  // The lone 00 before the break burst is skipped.
  mcu.Send({0x00});
  mcu.Send({0x03, 0x01, 0xFC});
  const Bytes status = mcu.Receive(9);
  ASSERT_EQ(status.size(), 9u);
  EXPECT_EQ(status[0], 8);
  EXPECT_EQ(status[1], 0x64);
  EXPECT_EQ(status[2 + 3], 2) << "MCU application";
  unsigned sum = 0;
  for (std::uint8_t b : status) sum += b;
  EXPECT_EQ(sum & 0xFF, 0u);

  mcu.Send({0x05, 0x0F, 0x00, 0xFF, 0xED});
  EXPECT_EQ(mcu.Receive(2), (Bytes{0x01, 0x64}));
  mcu.Send({0x03, 0x04, 0xF9});
  EXPECT_EQ(mcu.Receive(2), (Bytes{0x01, 0x64}));
  const Bytes boot = BootExchange(mcu, kStatusQuery, 9);
  ASSERT_EQ(boot.size(), 12u);
  EXPECT_EQ(boot[3 + 6], kKindMcu);
}

TEST_F(PortTest, McuRestartWithoutTheCheckupRequestStaysInItsApplication) {
  SimLine mcu(sim->PortPaths()[1], B9600);
  mcu.Send({0x03, 0x04, 0xF9});
  EXPECT_EQ(mcu.Receive(2), (Bytes{0x01, 0x64}));
  EXPECT_EQ(sim->With([](World& w) { return w.ports[1].firmware; }), Firmware::Application);
}

TEST_F(PortTest, McuFramesWithAWrongChecksumAreIgnored) {
  SimLine mcu(sim->PortPaths()[1], B9600);
  mcu.Send({0x03, 0x01, 0xFD});
  EXPECT_TRUE(mcu.Drain().empty());
}

TEST_F(PortTest, RemoteReprogrammingCommandsSendTheHostMcuToItsBootLoader) {
  SimLine usb(sim->DonglePath(), B115200);
  EXPECT_EQ(usb.Exchange({0xF0, 0x05, 0x1A, 0x01, 0x00, 0xFF}), (Bytes{0x64, 0x02}));
  EXPECT_EQ(usb.Exchange({0xF0, 0x03, 0x19, 0x01}), (Bytes{0x64, 0x02}));
  SimLine mcu(sim->PortPaths()[1], B9600);
  const Bytes boot = BootExchange(mcu, kStatusQuery, 9);
  ASSERT_EQ(boot.size(), 12u);
  EXPECT_EQ(boot[3 + 6], kKindMcu);
}

TEST(McuBaudTest, AnMcuAtOneRateIgnoresTheOther) {
  Scenario s = test::FastScenario();
  s.ports[1].appBaud = 115200;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  SimLine mcu(sim.PortPaths()[1], B9600);
  mcu.Send({0x03, 0x01, 0xFC});
  EXPECT_TRUE(mcu.Drain().empty());
  mcu.SetSpeed(B115200);
  mcu.Send({0x03, 0x01, 0xFC});
  EXPECT_EQ(mcu.Receive(9).size(), 9u);
}

TEST(BootPortTest, RefusesRecordNAndKeepsTheOthers) {
  Scenario s = test::FastScenario();
  s.ports[1].inBootLoader = true;
  s.ports[1].boot.refuseRecord = 2;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  SimLine mcu(sim.PortPaths()[1], B9600);
  BootExchange(mcu, kPrepare, 4);
  BootExchange(mcu, kStart, 2);
  const Bytes record = BootRecord('1', {0x00, 0x10, 0xAA});
  EXPECT_EQ(Tail(BootExchange(mcu, record, 2), record.size()), (Bytes{0xA7, 0xA7}));
  for (int attempt = 0; attempt < 4; ++attempt) {
    EXPECT_EQ(Tail(BootExchange(mcu, record, 2), record.size()), (Bytes{0xCA, 0xCA}));
  }
  EXPECT_EQ(sim.With([](World& w) { return w.ports[1].boot.records.size(); }), 1u);
}

TEST(BootPortTest, IgnoresTrafficAtAnotherRate) {
  Scenario s = test::FastScenario();
  s.ports[1].inBootLoader = true;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  SimLine mcu(sim.PortPaths()[1], B115200);
  mcu.Send(kStatusQuery);
  EXPECT_TRUE(mcu.Drain().empty());
}

TEST(BootPortTest, PrepareAnswerComesAfterTheEraseTime) {
  Scenario s = test::FastScenario();
  s.ports[1].inBootLoader = true;
  s.ports[1].boot.prepareMs = 300;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  SimLine mcu(sim.PortPaths()[1], B9600);
  // Timed from the send: the echo may reach a loaded machine's test late, which would shorten the
  // measured wait below the erase time although the simulator kept it.
  const auto start = Clock::now();
  mcu.Send(kPrepare);
  EXPECT_EQ(mcu.Receive(3), kPrepare);
  EXPECT_EQ(mcu.Receive(4, 1500ms).size(), 4u);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_GE(took.count(), 300 - 5);
  EXPECT_LE(took.count(), 300 + kLate.count());
}

TEST(EmptyPortTest, NothingAnswers) {
  Scenario s = test::FastScenario();
  s.ports = {PortSetup{}};
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  SimLine port(sim.PortPaths()[0], B9600);
  port.Send(kStatusQuery);
  EXPECT_TRUE(port.Drain().empty());
}

}  // namespace
}  // namespace rukmox::sim
