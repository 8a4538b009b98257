// The serial layer on real pseudo-terminals: the Win32 read and write time-out model measured
// with a tolerance, hang-up, exclusive open, purge, line settings and the calls a pty lacks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "NamedRows.h"
#include "PtyPair.h"
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
using rukmox::test::kEarly;
using rukmox::test::kLate;
using rukmox::test::PtyPair;
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Waits until the slave side has `count` bytes in its input queue (the pty hands them over
// through a work queue, not at once).
bool WaitForInput(SerialPort& port, int count) {
  const auto end = Clock::now() + 2s;
  while (Clock::now() < end) {
    if (port.InQueue() >= count) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    OpenError error = OpenError::Other;
    port = SerialPort::Open(pty.path(), &error);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(error, OpenError::None);
  }

  // Reads `count` bytes and returns the bytes received, the result and the time it took.
  struct Outcome {
    bool ok;
    std::uint32_t received;
    std::chrono::milliseconds took;
  };
  Outcome TimedRead(std::uint32_t count) {
    buffer.assign(count, 0);
    const auto start = Clock::now();
    std::uint32_t received = 0;
    const bool ok = port->Read(buffer.data(), count, &received);
    return {ok, received, Since(start)};
  }

  PtyPair pty;
  std::unique_ptr<SerialPort> port;
  std::vector<std::uint8_t> buffer;
};

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
  ASSERT_TRUE(pty.Send({1, 2, 3}));
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
    pty.Send({7, 8});
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
      pty.Send({b});
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
    pty.Send({1});
    std::this_thread::sleep_for(150ms);
    pty.Send({2, 3});
  });
  const Outcome r = TimedRead(3);
  sender.join();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.received, 3u);
  EXPECT_GE(r.took, 150ms - kEarly);
}

TEST_F(SerialPortTest, ReturnAtOnceDeliversWhatIsWaiting) {
  ASSERT_TRUE(port->SetTimeouts({MaxDword, 0, 0, 0, 0}));
  ASSERT_TRUE(pty.Send({5, 6}));
  ASSERT_TRUE(WaitForInput(*port, 2));
  const Outcome r = TimedRead(8);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.received, 2u);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[1], 6);
}

// --- Hang-up ----------------------------------------------------------------------------------

// The master end closed is what an unplugged adapter looks like: the read must fail at once, not
// spin or wait out its time-out.
TEST(SerialPortHangUp, ReadFailsAtOnceWhenTheOtherEndGoesAway) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  auto port = SerialPort::Open(pty.path());
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetTimeouts({0, 0, 5000, 0, 0}));
  pty.ReleaseSlave();

  std::thread unplug([&] {
    std::this_thread::sleep_for(50ms);
    pty.Unplug();
  });
  std::uint8_t byte = 0;
  std::uint32_t received = 99;
  const auto start = Clock::now();
  const bool ok = port->Read(&byte, 1, &received);
  unplug.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(received, 0u);
  EXPECT_LT(Since(start), 50ms + kLate);

  // And every later transfer fails at once as well.
  const auto again = Clock::now();
  EXPECT_FALSE(port->Read(&byte, 1, &received));
  std::uint32_t written = 0;
  EXPECT_FALSE(port->Write(&byte, 1, &written));
  EXPECT_LT(Since(again), 50ms);
}

// --- Writes -----------------------------------------------------------------------------------

TEST_F(SerialPortTest, WriteDeliversEveryByte) {
  ASSERT_TRUE(port->SetTimeouts({0, 0, 0, 10, 100}));
  std::uint32_t written = 0;
  const std::vector<std::uint8_t> bytes{0xF0, 0x0D, 0x0F, 0x00};
  EXPECT_TRUE(port->Write(bytes.data(), 4, &written));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(pty.Receive(), bytes);
}

// Nobody drains the master: once the pty's buffer is full the write time-out ends the write
// short, and that is reported as success with fewer bytes, not as a failure.
TEST_F(SerialPortTest, WriteTimeoutEndsAStalledWriteShort) {
  ASSERT_TRUE(port->SetTimeouts({0, 0, 0, 0, 100}));
  std::vector<std::uint8_t> big(1 << 20, 0x55);
  std::uint32_t written = 0;
  const auto start = Clock::now();
  EXPECT_TRUE(port->Write(big.data(), static_cast<std::uint32_t>(big.size()), &written));
  EXPECT_LT(written, big.size());
  EXPECT_GE(Since(start), 100ms - kEarly);
  EXPECT_LE(Since(start), 100ms + kLate);
}

// --- Purge, queue count, line settings --------------------------------------------------------

TEST_F(SerialPortTest, PurgeDiscardsReceivedBytesAndInQueueCountsThem) {
  ASSERT_TRUE(pty.Send({1, 2, 3, 4, 5}));
  ASSERT_TRUE(WaitForInput(*port, 5));
  EXPECT_EQ(port->InQueue(), 5);
  EXPECT_TRUE(port->Purge(rukmox::platform::PurgeRxClear | rukmox::platform::PurgeTxClear));
  EXPECT_EQ(port->InQueue(), 0);
}

struct RateCase {
  std::uint32_t rate;
  speed_t speed;
};

class LineRate : public SerialPortTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(LineRate, IsPutIntoTheTty) {
  ASSERT_TRUE(port->SetLine(GetParam().rate, 0, 0));
  EXPECT_EQ(port->BaudRate(), GetParam().rate);
  termios tio{};
  ASSERT_EQ(tcgetattr(port->Descriptor(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), GetParam().speed);
  EXPECT_EQ(cfgetispeed(&tio), GetParam().speed);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(TableRates, LineRate,
                         ::testing::Values(RateCase{110, B110}, RateCase{300, B300},
                                           RateCase{1200, B1200}, RateCase{2400, B2400},
                                           RateCase{4800, B4800}, RateCase{9600, B9600},
                                           RateCase{19200, B19200}, RateCase{38400, B38400},
                                           RateCase{57600, B57600}, RateCase{115200, B115200}),
                         [](const auto& info) { return std::to_string(info.param.rate); });

TEST_F(SerialPortTest, UnknownRateIsRefusedAndLeavesTheLineAsItWas) {
  ASSERT_TRUE(port->SetLine(57600, 0, 0));
  EXPECT_FALSE(port->SetLine(12345, 0, 0));
  EXPECT_EQ(port->BaudRate(), 57600u);
  termios tio{};
  ASSERT_EQ(tcgetattr(port->Descriptor(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
}

// A pseudo-terminal has no modem lines: the calls fail cleanly, and break is harmless.
TEST_F(SerialPortTest, ModemLinesOnAPtyFailWithoutHarm) {
  EXPECT_FALSE(port->Escape(rukmox::platform::EscapeSetDtr));
  EXPECT_FALSE(port->Escape(rukmox::platform::EscapeClrRts));
  std::uint32_t status = 0xFFFF;
  EXPECT_FALSE(port->ModemStatus(&status));
  EXPECT_FALSE(port->Escape(42)) << "unknown escape function";
  port->SetBreak(true);
  port->SetBreak(false);
  EXPECT_TRUE(port->Drain());
  // The port still works afterwards.
  ASSERT_TRUE(port->SetTimeouts({0, 0, 500, 0, 0}));
  ASSERT_TRUE(pty.Send({9}));
  EXPECT_EQ(TimedRead(1).received, 1u);
}

// --- Opening ----------------------------------------------------------------------------------

TEST(SerialPortOpen, MissingPathIsNotFound) {
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open("/dev/rukmox-no-such-port", &error), nullptr);
  EXPECT_EQ(error, OpenError::NotFound);
}

TEST(SerialPortOpen, AFileThatIsNoTtyIsRefused) {
  char name[] = "/tmp/rukmox-serial-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open(name, &error), nullptr);
  EXPECT_EQ(error, OpenError::NotATty);
  close(fd);
  unlink(name);
}

TEST(SerialPortOpen, AHeldTtyIsBusyUntilReleased) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const int holder = open(pty.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open(pty.path(), &error), nullptr);
  EXPECT_EQ(error, OpenError::Busy);
  close(holder);
  EXPECT_NE(SerialPort::Open(pty.path(), &error), nullptr);
}

TEST(SerialPortOpen, OnePortOneOwner) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  auto first = SerialPort::Open(pty.path());
  ASSERT_NE(first, nullptr);
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open(pty.path(), &error), nullptr);
  EXPECT_EQ(error, OpenError::Busy);
  first.reset();
  EXPECT_NE(SerialPort::Open(pty.path()), nullptr) << "closing releases the port";
}

TEST(SerialPortOpen, NoPermissionIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens everything";
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(chmod(pty.path().c_str(), 0), 0);
  OpenError error = OpenError::None;
  EXPECT_EQ(SerialPort::Open(pty.path(), &error), nullptr);
  EXPECT_EQ(error, OpenError::Permission);
}

}  // namespace
