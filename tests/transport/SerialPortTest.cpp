// The serial layer on Linux ttys: hang-up, a stalled write, the line settings in the tty, the
// calls a pty lacks, the lock and the open errors only a tty can give.
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "SerialPortFixture.h"
#include "TimingSlack.h"

namespace {

using namespace std::chrono_literals;
using rukmox::test::Clock;
using rukmox::test::kEarly;
using rukmox::test::kLate;
using rukmox::test::OpenError;
using rukmox::test::PtyPair;
using rukmox::test::SerialPort;
using rukmox::test::SerialPortTest;
using rukmox::test::Since;

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
  ASSERT_TRUE(line.Send({9}));
  EXPECT_EQ(TimedRead(1).received, 1u);
}

// --- Opening ----------------------------------------------------------------------------------

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
