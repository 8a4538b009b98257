// The serial layer's Win32 time-out model, measured with a tolerance on a real line: a
// pseudo-terminal pair on Linux, a pair of COM ports under Windows. Also purge, the input queue
// and opening by name.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "NamedRows.h"
#include "SerialPortFixture.h"
#include "TimingSlack.h"
#include "platform/SerialPort.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using namespace std::chrono_literals;
using rukmox::platform::CommTimeouts;
using rukmox::platform::MaxDword;
using rukmox::platform::OpenError;
using rukmox::platform::SerialPort;
using rukmox::test::Clock;
using rukmox::test::kEarly;
using rukmox::test::kLate;
using rukmox::test::SerialPortTest;
using rukmox::test::Since;
using rukmox::test::WaitForInput;

// --- The read time-out model ------------------------------------------------------------------

struct SilentReadCase {
  const char* name;
  CommTimeouts timeouts;
  std::uint32_t count;
  std::chrono::milliseconds expected;
};

class SilentRead : public SerialPortTest, public ::testing::WithParamInterface<SilentReadCase> {};

// On a silent line the read ends exactly when the total time-out runs out; the interval only
// counts once a byte has arrived.
TEST_P(SilentRead, EndsWhenTheTotalRunsOut) {
  const SilentReadCase& c = GetParam();
  ASSERT_TRUE(port->SetTimeouts(c.timeouts));
  const Outcome r = TimedRead(c.count);
  EXPECT_TRUE(r.ok) << "a time-out is not an error";
  EXPECT_EQ(r.received, 0u);
  EXPECT_GE(r.took, c.expected - kEarly);
  EXPECT_LE(r.took, c.expected + kLate);
}

INSTANTIATE_TEST_SUITE_P(
    Model, SilentRead,
    ::testing::Values(
        SilentReadCase{"ConstantOnly", {0, 0, 120, 0, 0}, 4, 120ms},
        SilentReadCase{"MultiplierTimesCountPlusConstant", {0, 30, 60, 0, 0}, 4, 180ms},
        SilentReadCase{"IntervalDoesNotStartBeforeTheFirstByte", {20, 0, 150, 0, 0}, 4, 150ms},
        SilentReadCase{"ReturnAtOnce", {MaxDword, 0, 0, 0, 0}, 4, 0ms},
        SilentReadCase{
            "WaitForFirstByteUpToTheConstant", {MaxDword, MaxDword, 100, 0, 0}, 4, 100ms}),
    RowName());

TEST_F(SerialPortTest, ReadReturnsAtOnceWhenAllBytesAreThere) {
  ASSERT_TRUE(port->SetTimeouts({0, 0, 2000, 0, 0}));
  ASSERT_TRUE(line.Send({1, 2, 3}));
  const Outcome r = TimedRead(3);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.received, 3u);
  EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_LT(r.took, 100ms);
}

TEST_F(SerialPortTest, IntervalEndsTheReadAfterTheLastByte) {
  ASSERT_TRUE(port->SetTimeouts({60, 0, 3000, 0, 0}));
  Clock::time_point sent;
  std::thread sender([&] {
    std::this_thread::sleep_for(100ms);
    sent = Clock::now();
    line.Send({7, 8});
  });
  const Outcome r = TimedRead(10);
  const auto end = Clock::now();
  sender.join();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.received, 2u);
  // One interval of silence after the bytes, not the 3 s total.
  EXPECT_GE(end - sent, 60ms - kEarly);
  EXPECT_LE(end - sent, 60ms + kLate);
}

TEST_F(SerialPortTest, IntervalIsCountedFromTheLatestByte) {
  ASSERT_TRUE(port->SetTimeouts({120, 0, 3000, 0, 0}));
  Clock::time_point lastSent;
  std::thread sender([&] {
    for (std::uint8_t b = 0; b < 4; ++b) {
      if (b != 0) std::this_thread::sleep_for(30ms);  // each gap is well inside the interval
      lastSent = Clock::now();
      line.Send({b});
    }
  });
  const Outcome r = TimedRead(10);
  const auto end = Clock::now();
  sender.join();
  EXPECT_EQ(r.received, 4u);
  EXPECT_GE(end - lastSent, 120ms - kEarly);
  EXPECT_LE(end - lastSent, 120ms + kLate);
}

TEST_F(SerialPortTest, AllZeroTimeoutsWaitForTheFullCount) {
  ASSERT_TRUE(port->SetTimeouts({0, 0, 0, 0, 0}));
  std::thread sender([&] {
    line.Send({1});
    std::this_thread::sleep_for(150ms);
    line.Send({2, 3});
  });
  const Outcome r = TimedRead(3);
  sender.join();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.received, 3u);
  EXPECT_GE(r.took, 150ms - kEarly);
}

TEST_F(SerialPortTest, ReturnAtOnceDeliversWhatIsWaiting) {
  ASSERT_TRUE(port->SetTimeouts({MaxDword, 0, 0, 0, 0}));
  ASSERT_TRUE(line.Send({5, 6}));
  ASSERT_TRUE(WaitForInput(*port, 2));
  const Outcome r = TimedRead(8);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.received, 2u);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[1], 6);
}

// --- Writes -----------------------------------------------------------------------------------

TEST_F(SerialPortTest, WriteDeliversEveryByte) {
  ASSERT_TRUE(port->SetTimeouts({0, 0, 0, 10, 100}));
  std::uint32_t written = 0;
  const std::vector<std::uint8_t> bytes{0xF0, 0x0D, 0x0F, 0x00};
  EXPECT_TRUE(port->Write(bytes.data(), 4, &written));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(line.Receive(), bytes);
}

// --- Purge, queue count, line settings --------------------------------------------------------

TEST_F(SerialPortTest, PurgeDiscardsReceivedBytesAndInQueueCountsThem) {
  ASSERT_TRUE(line.Send({1, 2, 3, 4, 5}));
  ASSERT_TRUE(WaitForInput(*port, 5));
  EXPECT_EQ(port->InQueue(), 5);
  EXPECT_TRUE(port->Purge(rukmox::platform::PurgeRxClear | rukmox::platform::PurgeTxClear));
  EXPECT_EQ(port->InQueue(), 0);
}

// --- Opening ----------------------------------------------------------------------------------

TEST(SerialPortOpen, MissingPathIsNotFound) {
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open(rukmox::test::MissingPortName(), &error), nullptr);
  EXPECT_EQ(error, OpenError::NotFound);
}

TEST(SerialPortOpen, OnePortOneOwner) {
  if (rukmox::test::PortsAreShared()) GTEST_SKIP() << "this system lets two handles share a port";
  rukmox::test::LinePair line;
  ASSERT_TRUE(line.ok());
  auto first = SerialPort::Open(line.path());
  ASSERT_NE(first, nullptr);
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open(line.path(), &error), nullptr);
  EXPECT_EQ(error, OpenError::Busy);
  first.reset();
  EXPECT_NE(SerialPort::Open(line.path()), nullptr) << "closing releases the port";
}

}  // namespace
