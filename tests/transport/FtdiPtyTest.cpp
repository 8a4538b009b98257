// TRukFtdi end to end through our D2XX layer: the settings' dongle is a pseudo-terminal,
// opened by a subclass that looks for "Wireless Port" as the radio-module class does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "FtdiSupport.h"
#include "NamedRows.h"
#include "PtyPair.h"
#include "Rukftdi.h"
#include "StableName.h"
#include "TimingSlack.h"
#include "platform/D2xxLibrary.h"

namespace {

using namespace std::chrono_literals;
using rukmox::test::FakeSysfs;
using rukmox::test::kLate;
using rukmox::test::LayerSettings;
using rukmox::test::PrintTo;
using rukmox::test::PtyPair;
using rukmox::test::StableName;
using Clock = std::chrono::steady_clock;

class WirelessPortFtdi : public TRukFtdi {
 public:
  WirelessPortFtdi(std::int32_t* error, const rukmox::platform::TransportSettings& settings)
      : TRukFtdi(nullptr, 0, 9, error, true, 0, 0, rukmox::platform::LoadD2xxLibrary(settings)) {}
  bool Open() override { return OpenByDescription("Wireless Port"); }
};

class FtdiOnPty : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty_.ok()); }

  // The master's bytes reach the slave's input queue through a work queue, not at once.
  bool WaitForInQueue(TRukFtdi& ftdi, std::int32_t count) {
    const auto end = Clock::now() + 2s;
    while (Clock::now() < end) {
      if (ftdi.GetInQueue() >= count) return true;
      std::this_thread::sleep_for(2ms);
    }
    return false;
  }

  PtyPair pty_;
  FakeSysfs sysfs_;  // empty: no real FTDI device of this machine may answer
  rukmox::platform::TransportSettings settings_ = LayerSettings(sysfs_, pty_.path());
  std::int32_t error_ = -1;
};

TEST_F(FtdiOnPty, OpensTheDongleAndExchangesBytes) {
  WirelessPortFtdi ftdi(&error_, settings_);
  ASSERT_TRUE(ftdi.Open()) << "error word " << error_;
  EXPECT_EQ(error_, 0);

  const std::uint8_t frame[] = {0xF0, 0x0D, 0x0F, 0x00};
  ASSERT_TRUE(ftdi.Write(frame, 4, 0));
  EXPECT_EQ(pty_.Receive(), std::vector<std::uint8_t>(frame, frame + 4));

  ASSERT_TRUE(pty_.Send({0x40, 0x01, 0x00}));
  std::uint8_t reply[3] = {};
  ASSERT_TRUE(ftdi.Read(reply, 3, 1000));
  EXPECT_EQ(reply[0], 0x40);
  EXPECT_EQ(reply[2], 0x00);

  ftdi.Close();
  EXPECT_FALSE(ftdi.IsOpen());
  // Closed means released: another program can take the tty now.
  const int other = open(pty_.path().c_str(), O_RDWR | O_NOCTTY);
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
}

TEST_F(FtdiOnPty, PlainTransportLooksForUsbSerialPortAndIgnoresTheDongle) {
  TRukFtdi ftdi(nullptr, 0, 9, &error_, true, 0, 0, rukmox::platform::LoadD2xxLibrary(settings_));
  EXPECT_FALSE(ftdi.Open());
  EXPECT_EQ(error_, ErrOpen);
}

TEST_F(FtdiOnPty, HeldDongleIsNotOpened) {
  const int holder = open(pty_.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  WirelessPortFtdi ftdi(&error_, settings_);
  EXPECT_FALSE(ftdi.Open());
  EXPECT_EQ(error_, ErrOpen);
  close(holder);
  EXPECT_TRUE(ftdi.Open());
}

TEST_F(FtdiOnPty, WriteDiscardsWaitingInputOnlyWhenPurgeBeforeWriteIsSet) {
  WirelessPortFtdi ftdi(&error_, settings_);
  ASSERT_TRUE(ftdi.Open());
  const std::uint8_t frame[] = {0xF0, 0x01};

  ftdi.SetPurgeBeforeWrite(false);
  ASSERT_TRUE(pty_.Send({0x11, 0x22}));
  ASSERT_TRUE(WaitForInQueue(ftdi, 2));
  ASSERT_TRUE(ftdi.Write(frame, 2, 0));
  EXPECT_EQ(ftdi.GetInQueue(), 2) << "kept for a later read";
  std::uint8_t kept[2] = {};
  ASSERT_TRUE(ftdi.Read(kept, 2, 0));
  EXPECT_EQ(kept[1], 0x22);

  ftdi.SetPurgeBeforeWrite(true);
  ASSERT_TRUE(pty_.Send({0x33, 0x44}));
  ASSERT_TRUE(WaitForInQueue(ftdi, 2));
  ASSERT_TRUE(ftdi.Write(frame, 2, 0));
  EXPECT_EQ(ftdi.GetInQueue(), 0);
  std::uint8_t stale = 0xFF;
  EXPECT_FALSE(ftdi.Read(&stale, 1, 0));
  EXPECT_EQ(error_, ErrShortTransfer);
  EXPECT_EQ(pty_.Receive(), (std::vector<std::uint8_t>{0xF0, 0x01, 0xF0, 0x01}));
}

TEST_F(FtdiOnPty, SilentLineCostsTheFirstByteTimeout) {
  WirelessPortFtdi ftdi(&error_, settings_);
  ASSERT_TRUE(ftdi.Open());
  std::uint8_t byte = 0;
  // Interval 5, multiplier 5 per byte, constant 300: 305 ms for the one byte.
  const auto start = Clock::now();
  EXPECT_FALSE(ftdi.Read(&byte, 1, 300));
  const auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, 300ms);
  EXPECT_LT(elapsed, 305ms + kLate);
  EXPECT_EQ(error_, ErrShortTransfer);

  // The time-outs went back to the open-time values: Timeout 100 now.
  error_ = 0;
  const auto again = Clock::now();
  EXPECT_FALSE(ftdi.Read(&byte, 1, 0));
  const auto second = Clock::now() - again;
  EXPECT_GE(second, 100ms);
  EXPECT_LT(second, 105ms + kLate);
}

TEST_F(FtdiOnPty, BaudChangeAndBreakOnAnOpenDongle) {
  WirelessPortFtdi ftdi(&error_, settings_);
  ASSERT_TRUE(ftdi.Open());
  EXPECT_EQ(ftdi.SetBaudIndex(5), 5);
  EXPECT_TRUE(ftdi.IsOpen());
  const auto start = Clock::now();
  EXPECT_TRUE(ftdi.SendBreak(20));
  EXPECT_GE(Clock::now() - start, 20ms);
  EXPECT_FALSE(ftdi.GetCts()) << "a pty has no modem lines";
}

// The dongle on a name that survives it, so that it can be plugged in again.
class FtdiReplug : public FtdiOnPty {
 protected:
  void SetUp() override {
    FtdiOnPty::SetUp();
    ASSERT_TRUE(name_.ok());
    settings_ = LayerSettings(sysfs_, name_.path());
  }
  StableName name_{pty_.path()};
};

struct VanishCase {
  const char* name;
  bool byWrite;  // the first transfer after the unplug is a write, else a read
  std::int32_t expected;
};

class FtdiVanish : public FtdiReplug, public testing::WithParamInterface<VanishCase> {};

TEST_P(FtdiVanish, HangUpClosesTheTransportUntilTheDongleIsBack) {
  const VanishCase& c = GetParam();
  WirelessPortFtdi ftdi(&error_, settings_);
  ftdi.SetTimeout(1000);  // a read that waited out its time-out would take a second
  ASSERT_TRUE(ftdi.Open());
  pty_.Unplug();

  const auto start = Clock::now();
  std::uint8_t bytes[3] = {0xF0, 0x03, 0x1F};
  EXPECT_FALSE(c.byWrite ? ftdi.Write(bytes, 3, 0) : ftdi.Read(bytes, 3, 0));
  EXPECT_LT(Clock::now() - start, kLate);
  EXPECT_EQ(error_, c.expected);
  EXPECT_FALSE(ftdi.IsOpen());
  EXPECT_TRUE(ftdi.DeviceGone());

  // Every later transfer fails at once and says why, even after the word was cleared.
  error_ = 0;
  EXPECT_FALSE(ftdi.Write(bytes, 3, 0));
  EXPECT_EQ(error_, ErrDeviceGone);
  EXPECT_FALSE(ftdi.Read(bytes, 1, 0));
  EXPECT_EQ(error_ & ErrDeviceGone, ErrDeviceGone);
  EXPECT_LT(Clock::now() - start, kLate);

  PtyPair replacement;
  ASSERT_TRUE(replacement.ok());
  ASSERT_TRUE(name_.PointAt(replacement.path()));
  ASSERT_TRUE(ftdi.Open()) << "error word " << error_;
  EXPECT_EQ(error_, 0);
  EXPECT_FALSE(ftdi.DeviceGone());
  ASSERT_TRUE(ftdi.Write(bytes, 3, 0));
  EXPECT_EQ(replacement.Receive(), std::vector<std::uint8_t>(bytes, bytes + 3));
}

INSTANTIATE_TEST_SUITE_P(FirstTransfer, FtdiVanish,
                         testing::Values(VanishCase{"Read", false,
                                                    ErrShortTransfer | ErrDeviceGone},
                                         VanishCase{"Write", true, ErrWriteFailed | ErrDeviceGone}),
                         rukmox::test::RowName());

}  // namespace
