// TRukCom on real pseudo-terminals, reached through the port list of its settings.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "NamedRows.h"
#include "PtyPair.h"
#include "RukComFixture.h"
#include "Rukcom.h"
#include "TimingSlack.h"
#include "platform/PortList.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using namespace std::chrono_literals;
using rukmox::platform::CommTimeouts;
using rukmox::test::kEarly;
using rukmox::test::kLate;
using rukmox::test::PtyPair;
using Bytes = std::vector<std::uint8_t>;
using rukmox::test::Clock;
using rukmox::test::Listing;
using rukmox::test::RukComTest;
using rukmox::test::Since;

// --- Construction and the settings that clamp --------------------------------------------------

TEST_F(RukComTest, ConstructionSetsTheDefaults) {
  error = 1234;
  auto com = MakeCom(3, 9);
  EXPECT_EQ(error, 0);
  EXPECT_STREQ(com->GetName(), "RUK COM");
  EXPECT_EQ(com->GetPort(), 3);
  EXPECT_EQ(com->GetBaudIndex(), 9);
  EXPECT_EQ(com->GetTimeout(), 100);
  EXPECT_FALSE(com->IsOpen());
  EXPECT_EQ(com->CurrentTimeouts(), CommTimeouts{});
}

struct ClampCase {
  const char* name;
  std::int32_t given;
  std::int32_t kept;
};

class ConstructorPort : public RukComTest, public ::testing::WithParamInterface<ClampCase> {};
TEST_P(ConstructorPort, IsKeptOrReplacedByZero) {
  EXPECT_EQ(MakeCom(GetParam().given)->GetPort(), GetParam().kept);
}
INSTANTIATE_TEST_SUITE_P(Ports, ConstructorPort,
                         ::testing::Values(ClampCase{"Zero", 0, 0}, ClampCase{"Nine", 9, 9},
                                           ClampCase{"Highest", 255, 255},
                                           ClampCase{"JustAbove", 256, 0},
                                           ClampCase{"ThreeHundred", 300, 0},
                                           ClampCase{"Negative", -1, 0}),
                         RowName());

class ConstructorBaud : public RukComTest, public ::testing::WithParamInterface<ClampCase> {};
TEST_P(ConstructorBaud, IsKeptOrReplacedByNineThousandSixHundred) {
  EXPECT_EQ(MakeCom(0, GetParam().given)->GetBaudIndex(), GetParam().kept);
}
INSTANTIATE_TEST_SUITE_P(Indexes, ConstructorBaud,
                         ::testing::Values(ClampCase{"Lowest", 2, 2}, ClampCase{"Highest", 9, 9},
                                           ClampCase{"Rate110", 0, 5}, ClampCase{"Rate300", 1, 5},
                                           ClampCase{"EmptyEntry", 10, 5},
                                           ClampCase{"Negative", -1, 5}),
                         RowName());

struct SetPortCase {
  const char* name;
  std::int32_t before;
  std::int32_t given;
  std::int32_t result;
  std::int32_t after;
};

class SetPortClosed : public RukComTest, public ::testing::WithParamInterface<SetPortCase> {};
TEST_P(SetPortClosed, StoresOnlyAValidPort) {
  auto com = MakeCom(GetParam().before);
  EXPECT_EQ(com->SetPort(GetParam().given), GetParam().result);
  EXPECT_EQ(com->GetPort(), GetParam().after);
}
INSTANTIATE_TEST_SUITE_P(Values, SetPortClosed,
                         ::testing::Values(SetPortCase{"Valid", 4, 7, 7, 7},
                                           SetPortCase{"Highest", 4, 255, 255, 255},
                                           SetPortCase{"TooHigh", 4, 256, 4, 4},
                                           SetPortCase{"Negative", 4, -1, 4, 4}),
                         RowName());

TEST_F(RukComTest, SetPortWhileOpenChangesNothing) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  EXPECT_EQ(com->SetPort(5), 0);
  EXPECT_EQ(com->GetPort(), 0);
}

TEST_F(RukComTest, SetBaudIndexOutsideTheSelectableRangeChangesNothing) {
  auto com = MakeCom(0, 7);
  for (std::int32_t index : {1, 10, -1, 0, 11}) {
    EXPECT_EQ(com->SetBaudIndex(index), -1) << index;
    EXPECT_EQ(com->GetBaudIndex(), 7) << index;
  }
  EXPECT_EQ(com->SetBaudIndex(2), 2);
  EXPECT_EQ(com->GetBaudIndex(), 2);
}

// --- Time-outs ----------------------------------------------------------------------------------

TEST_F(RukComTest, OpenUsesTimeoutsDerivedFromTheBase) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  EXPECT_EQ(com->CurrentTimeouts(), (CommTimeouts{100, 50, 200, 50, 50}));
  com->SetTimeout(41);  // the half rounds towards zero
  EXPECT_EQ(com->GetTimeout(), 41);
  EXPECT_EQ(com->CurrentTimeouts(), (CommTimeouts{41, 20, 82, 20, 20}));
}

struct TimeoutCase {
  const char* name;
  std::int32_t given;
  std::int32_t kept;
};
class SetTimeoutValue : public RukComTest, public ::testing::WithParamInterface<TimeoutCase> {};
// Out-of-range values are ignored, but an open port still gets its time-outs written again.
TEST_P(SetTimeoutValue, IsStoredOnlyInRange) {
  auto com = MakeCom();
  com->SetTimeout(60);
  ASSERT_TRUE(com->Open());
  com->SetTimeout(GetParam().given);
  EXPECT_EQ(com->GetTimeout(), GetParam().kept);
  const auto t = static_cast<std::uint32_t>(GetParam().kept);
  if (t != 0) {
    EXPECT_EQ(com->CurrentTimeouts(), (CommTimeouts{t, t / 2, 2 * t, t / 2, t / 2}));
  }
}
INSTANTIATE_TEST_SUITE_P(Values, SetTimeoutValue,
                         ::testing::Values(TimeoutCase{"Zero", 0, 0},
                                           TimeoutCase{"Highest", 9999, 9999},
                                           TimeoutCase{"TooHigh", 10000, 60},
                                           TimeoutCase{"Negative", -1, 60}),
                         RowName());

TEST_F(RukComTest, ZeroByteTransfersTouchNothing) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  std::uint8_t byte = 0xAA;
  const auto start = Clock::now();
  EXPECT_TRUE(com->Read(&byte, 0, 0));
  EXPECT_TRUE(com->Write(&byte, 0, 0));
  EXPECT_LT(Since(start), 50ms);
  EXPECT_EQ(byte, 0xAA);
  EXPECT_EQ(error, 0);
}

class BlockingBit : public RukComTest, public ::testing::WithParamInterface<ClampCase> {};
// After a failed transfer (or a bad length), Read and Write refuse until the word is cleared:
// the device is not touched and the buffer keeps its contents.
TEST_P(BlockingBit, RefusesReadAndWrite) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  ASSERT_TRUE(line.Send({0x55}));
  ASSERT_TRUE(WaitForInput(*com, 1));
  error = GetParam().given;

  std::uint8_t buffer[2] = {0xAA, 0xAA};
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(buffer, 2, 500));
  EXPECT_FALSE(com->Write(buffer, 2, 0));
  EXPECT_LT(Since(start), 20ms);
  EXPECT_EQ(buffer[0], 0xAA);
  EXPECT_EQ(buffer[1], 0xAA);
  EXPECT_EQ(error, GetParam().given) << "no further bits";
  EXPECT_EQ(com->GetInQueue(), 1) << "no purge";
  EXPECT_TRUE(line.Receive(20ms).empty()) << "nothing written";

  error = 0;
  EXPECT_TRUE(com->Read(buffer, 1, 0));
  EXPECT_EQ(buffer[0], 0x55);
}
INSTANTIATE_TEST_SUITE_P(Bits, BlockingBit,
                         ::testing::Values(ClampCase{"ShortTransfer", ErrShortTransfer, 0},
                                           ClampCase{"Length", ErrLength, 0},
                                           ClampCase{"BothAndMore", 0x0421, 0}),
                         RowName());

TEST_F(RukComTest, OtherBitsDoNotBlock) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  error = ErrRefused | ErrChecksum | ErrEcho | ErrOpen;
  const std::uint8_t byte = 0x42;
  EXPECT_TRUE(com->Write(&byte, 1, 0));
  EXPECT_EQ(line.Receive(), Bytes{0x42});
}

// --- Opening and closing ------------------------------------------------------------------------

TEST_F(RukComTest, OpenClearsTheErrorWordAndReopens) {
  auto com = MakeCom();
  error = ErrShortTransfer | ErrLength;
  ASSERT_TRUE(com->Open());
  EXPECT_EQ(error, 0);
  // A second open closes first; otherwise the port would still be held by ourselves.
  ASSERT_TRUE(com->Open());
  EXPECT_TRUE(com->IsOpen());
  com->Close();
  EXPECT_FALSE(com->IsOpen());
  EXPECT_EQ(com->GetInQueue(), -1);
  com->Close();  // harmless
}

TEST_F(RukComTest, PortNumberSelectsTheEntryOfTheList) {
  PtyPair second;
  ASSERT_TRUE(second.ok());
  ports = line.path() + ":" + second.path();
  auto com = MakeCom(1);
  ASSERT_TRUE(com->Open());
  const std::uint8_t byte = 0x31;
  ASSERT_TRUE(com->Write(&byte, 1, 0));
  EXPECT_EQ(second.Receive(), Bytes{0x31});
  EXPECT_TRUE(line.Receive(20ms).empty());
}

struct OpenFailureCase {
  const char* name;
  const char* ports;  // "%s" stands for the pty's path
  std::int32_t port;
};
class OpenFailure : public RukComTest, public ::testing::WithParamInterface<OpenFailureCase> {};
TEST_P(OpenFailure, LeavesTheObjectClosedWithErrOpen) {
  ports = GetParam().ports;
  if (const auto at = ports.find("%s"); at != std::string::npos) ports.replace(at, 2, line.path());
  auto com = MakeCom(GetParam().port);
  const auto start = Clock::now();
  EXPECT_FALSE(com->Open());
  EXPECT_LT(Since(start), 50ms) << "fails at once";
  EXPECT_EQ(error, ErrOpen);
  EXPECT_FALSE(com->IsOpen());
  EXPECT_EQ(com->GetInQueue(), -1) << "nothing held";
}
INSTANTIATE_TEST_SUITE_P(Ports, OpenFailure,
                         ::testing::Values(OpenFailureCase{"MissingDevice", "/dev/rukmox-missing",
                                                           0},
                                           OpenFailureCase{"NoEntryForThePort", "%s", 1},
                                           OpenFailureCase{"EmptyList", "", 0},
                                           OpenFailureCase{"NotATty", "/dev/null", 0}),
                         RowName());

TEST_F(RukComTest, HeldPortIsRefused) {
  const int holder = open(line.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  auto com = MakeCom();
  EXPECT_FALSE(com->Open());
  EXPECT_EQ(error, ErrOpen);
  close(holder);
  EXPECT_TRUE(com->Open());
  EXPECT_EQ(error, 0);

  // And while we hold it, the next program is refused.
  std::int32_t otherError = 0;
  TRukCom other(nullptr, 0, 5, &otherError, true, 0, 0, Listing(ports));
  EXPECT_FALSE(other.Open());
  EXPECT_EQ(otherError, ErrOpen);
}

TEST_F(RukComTest, ClosedPortFailsEveryTransfer) {
  auto com = MakeCom();
  std::uint8_t buffer[2] = {0xAA, 0xAA};
  EXPECT_FALSE(com->Read(buffer, 2, 0));
  EXPECT_EQ(error, ErrShortTransfer);
  error = 0;
  EXPECT_FALSE(com->Write(buffer, 2, 0));
  EXPECT_EQ(error, ErrWriteFailed);
  error = 0;
  EXPECT_FALSE(com->Read(buffer, 2, 100));
  EXPECT_EQ(error, ErrOpen) << "the first-byte time-out cannot be set";
  EXPECT_EQ(com->GetInQueue(), -1);
  EXPECT_FALSE(com->GetCts());
  EXPECT_FALSE(com->SendBreak(10));
}

// --- Rate change on an open port ----------------------------------------------------------------

speed_t RateOf(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios tio{};
  tcgetattr(fd, &tio);
  close(fd);
  return cfgetospeed(&tio);
}

TEST_F(RukComTest, SetBaudIndexOnAnOpenPortSwitchesTheRateAtOnce) {
  auto com = MakeCom(0, 5);
  ASSERT_TRUE(com->Open());
  EXPECT_EQ(RateOf(line.path()), static_cast<speed_t>(B9600));
  EXPECT_EQ(com->SetBaudIndex(9), 9);
  EXPECT_EQ(RateOf(line.path()), static_cast<speed_t>(B115200));
  EXPECT_EQ(com->SetBaudIndex(2), 2);
  EXPECT_EQ(RateOf(line.path()), static_cast<speed_t>(B1200));
  EXPECT_TRUE(com->IsOpen());
  // The port keeps working at the new rate.
  const std::uint8_t byte = 0x7E;
  EXPECT_TRUE(com->Write(&byte, 1, 0));
  EXPECT_EQ(line.Receive(), Bytes{0x7E});
}

TEST_F(RukComTest, ReopenPutsTheStoredRateIntoForce) {
  auto com = MakeCom(0, 5);
  EXPECT_EQ(com->SetBaudIndex(8), 8);
  ASSERT_TRUE(com->Open());
  EXPECT_EQ(RateOf(line.path()), static_cast<speed_t>(B57600));
}

// --- Hang-up ------------------------------------------------------------------------------------

TEST_F(RukComTest, HangUpEndsAReadAtOnce) {
  PtyPair device;
  ASSERT_TRUE(device.ok());
  ports = device.path();
  auto com = MakeCom();
  com->SetTimeout(1000);  // a silent read would take 2.5 s
  ASSERT_TRUE(com->Open());
  std::thread unplug([&] {
    std::this_thread::sleep_for(50ms);
    device.Unplug();
  });
  std::uint8_t buffer[4] = {};
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(buffer, 4, 0));
  unplug.join();
  EXPECT_LE(Since(start), 50ms + kLate);
  EXPECT_EQ(error, ErrShortTransfer | ErrDeviceGone);
  EXPECT_FALSE(com->IsOpen()) << "a vanished port is closed, not read again";
  EXPECT_EQ(com->GetInQueue(), -1) << "no handle kept";
}

TEST_F(RukComTest, VanishedPortRefusesEveryTransferUntilReopened) {
  PtyPair device;
  ASSERT_TRUE(device.ok());
  ports = device.path();
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  device.Unplug();
  const std::uint8_t byte = 0x55;
  EXPECT_FALSE(com->Write(&byte, 1, 0));
  EXPECT_EQ(error, ErrWriteFailed | ErrDeviceGone);
  EXPECT_FALSE(com->IsOpen());
  // The caller clearing the word does not hide why the next transfer fails.
  error = 0;
  std::uint8_t in = 0;
  const auto start = Clock::now();
  EXPECT_FALSE(com->Read(&in, 1, 0));
  EXPECT_LE(Since(start), kLate);
  EXPECT_EQ(error & ErrDeviceGone, ErrDeviceGone);
  EXPECT_FALSE(com->Open()) << "still gone";
  EXPECT_EQ(error, ErrOpen);
}

TEST_F(RukComTest, FailedRateChangeClosesThePort) {
  PtyPair device;
  ASSERT_TRUE(device.ok());
  ports = device.path();
  auto com = MakeCom(0, 5);
  ASSERT_TRUE(com->Open());
  device.Unplug();
  EXPECT_EQ(com->SetBaudIndex(9), -1);
  EXPECT_FALSE(com->IsOpen());
  EXPECT_EQ(com->GetBaudIndex(), 5);
  EXPECT_EQ(com->GetInQueue(), -1) << "no handle kept";
}

// --- Modem lines and break ----------------------------------------------------------------------

// A pty has no modem lines: the calls report failure and nothing else happens.
TEST_F(RukComTest, ModemLinesOnAPtyFailWithoutHarm) {
  auto com = MakeCom();
  EXPECT_FALSE(com->SetDtr(true)) << "closed";
  EXPECT_FALSE(com->SetRts(true)) << "closed";
  ASSERT_TRUE(com->Open());  // the remembered levels do not stop the open
  EXPECT_FALSE(com->SetDtr(false));
  EXPECT_FALSE(com->SetRts(false));
  EXPECT_FALSE(com->GetCts());
  EXPECT_EQ(com->SetBaudIndex(9), 9) << "re-applying the levels does not fail the rate change";
  EXPECT_TRUE(com->IsOpen());
  EXPECT_EQ(error, 0);
}

TEST_F(RukComTest, SendBreakNeedsADuration) {
  auto com = MakeCom();
  ASSERT_TRUE(com->Open());
  EXPECT_FALSE(com->SendBreak(0)) << "BreakTime is 0";
  com->SetBreakTime(-5);
  EXPECT_EQ(com->GetBreakTime(), 0);
  com->SetBreakTime(30);
  const auto start = Clock::now();
  EXPECT_TRUE(com->SendBreak(0));
  EXPECT_GE(Since(start), 30ms - kEarly);
  EXPECT_LE(Since(start), 30ms + kLate);
  EXPECT_FALSE(com->SendBreak(-1));
}

}  // namespace
