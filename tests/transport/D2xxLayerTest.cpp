// Our D2XX layer's FT_W32_ calls on a real pseudo-terminal, reached as the settings' dongle or as
// an ftdi_sio tty of a test sysfs tree.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FtdiSupport.h"
#include "PtyPair.h"
#include "platform/D2xxLibrary.h"
#include "platform/FtdiSioDiscovery.h"

namespace {

using namespace std::chrono_literals;
using rukmox::platform::DongleLocationId;
using rukmox::platform::MakeFtdiSioLibrary;
using rukmox::test::FakeSysfs;
using rukmox::test::LayerSettings;
using rukmox::test::PtyPair;

LPCTSTR ByLocation(DWORD locId) {
  return reinterpret_cast<LPCTSTR>(static_cast<std::uintptr_t>(locId));
}

class FtdiSioLayer : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty_.ok()); }
  void TearDown() override {
    if (handle_ != nullptr && handle_ != FT_INVALID_HANDLE_VALUE) e_.FT_W32_CloseHandle(handle_);
  }

  FT_HANDLE OpenLocation(DWORD locId) {
    return e_.FT_W32_CreateFile(ByLocation(locId), FT_GENERIC_READ | FT_GENERIC_WRITE, 0, nullptr,
                                FT_OPEN_EXISTING, FT_FILE_ATTRIBUTE_NORMAL | FT_OPEN_BY_LOCATION,
                                nullptr);
  }

  // Bytes the master sent reach the slave's input queue through a work queue, not at once.
  DWORD WaitForInQueue(DWORD count) {
    FTCOMSTAT status{};
    DWORD errors = 0;
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < end) {
      if (e_.FT_W32_ClearCommError(handle_, &errors, &status) && status.cbInQue >= count) break;
      std::this_thread::sleep_for(2ms);
    }
    return status.cbInQue;
  }

  PtyPair pty_;
  FakeSysfs sysfs_;
  std::unique_ptr<rukmox::platform::D2xxLibrary> library_ =
      MakeFtdiSioLibrary(LayerSettings(sysfs_, pty_.path()));
  D2xxEntryPoints e_ = library_->Entries();
  FT_HANDLE handle_ = nullptr;
};

TEST_F(FtdiSioLayer, DongleOpensByItsLocationAndMovesBytesBothWays) {
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  ASSERT_NE(handle_, nullptr);

  std::uint8_t frame[] = {0xF0, 0x01, 0x01, 0x00};
  DWORD written = 0;
  ASSERT_TRUE(e_.FT_W32_WriteFile(handle_, frame, 4, &written, nullptr));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(pty_.Receive(), std::vector<std::uint8_t>(frame, frame + 4));

  ASSERT_TRUE(pty_.Send({0x40, 0x02, 0x33}));
  EXPECT_EQ(WaitForInQueue(3), 3u) << "ClearCommError reports the input queue";
  FTTIMEOUTS t{5, 5, 100, 5, 5};
  ASSERT_TRUE(e_.FT_W32_SetCommTimeouts(handle_, &t));
  std::uint8_t reply[3] = {};
  DWORD got = 0;
  ASSERT_TRUE(e_.FT_W32_ReadFile(handle_, reply, 3, &got, nullptr));
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(reply[2], 0x33);
}

TEST_F(FtdiSioLayer, PurgeDiscardsWaitingInput) {
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  ASSERT_TRUE(pty_.Send({1, 2, 3, 4}));
  ASSERT_EQ(WaitForInQueue(4), 4u);
  ASSERT_TRUE(e_.FT_W32_PurgeComm(handle_, FT_PURGE_RXCLEAR | FT_PURGE_TXCLEAR));
  EXPECT_EQ(WaitForInQueue(1), 0u);
}

TEST_F(FtdiSioLayer, StateAndTimeoutsRoundTrip) {
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  FTDCB dcb{};
  ASSERT_TRUE(e_.FT_W32_GetCommState(handle_, &dcb));
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.ByteSize, 8);
  dcb.BaudRate = 115200;
  ASSERT_TRUE(e_.FT_W32_SetCommState(handle_, &dcb));
  FTDCB back{};
  ASSERT_TRUE(e_.FT_W32_GetCommState(handle_, &back));
  EXPECT_EQ(back.BaudRate, 115200u);

  FTDCB sevenBits = back;
  sevenBits.ByteSize = 7;
  EXPECT_FALSE(e_.FT_W32_SetCommState(handle_, &sevenBits)) << "only 8N1 can be honoured";

  FTTIMEOUTS t{5, 5, 321, 5, 7};
  ASSERT_TRUE(e_.FT_W32_SetCommTimeouts(handle_, &t));
  FTTIMEOUTS read{};
  ASSERT_TRUE(e_.FT_W32_GetCommTimeouts(handle_, &read));
  EXPECT_EQ(read.ReadTotalTimeoutConstant, 321u);
  EXPECT_EQ(read.WriteTotalTimeoutConstant, 7u);
  EXPECT_TRUE(e_.FT_W32_SetupComm(handle_, 4096, 4096));
}

TEST_F(FtdiSioLayer, OpenIsRefusedForUnknownLocationsAndHeldTtys) {
  EXPECT_EQ(OpenLocation(0x7F000011), FT_INVALID_HANDLE_VALUE);

  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenLocation(DongleLocationId), FT_INVALID_HANDLE_VALUE) << "already ours";
  DWORD count = 0, flags = 0;
  FT_HANDLE listed = nullptr;
  ASSERT_EQ(e_.FT_CreateDeviceInfoList(&count), FT_OK);
  ASSERT_EQ(
      e_.FT_GetDeviceInfoDetail(0, &flags, nullptr, nullptr, nullptr, nullptr, nullptr, &listed),
      FT_OK);
  EXPECT_EQ(flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
  EXPECT_EQ(listed, handle_);

  ASSERT_TRUE(e_.FT_W32_CloseHandle(handle_));
  handle_ = nullptr;
  const int holder = open(pty_.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(OpenLocation(DongleLocationId), FT_INVALID_HANDLE_VALUE) << "another program has it";
  close(holder);
}

TEST_F(FtdiSioLayer, EveryCallRefusesAHandleItDidNotHandOut) {
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  FT_HANDLE closed = handle_;
  ASSERT_TRUE(e_.FT_W32_CloseHandle(closed));
  handle_ = nullptr;

  for (FT_HANDLE bad : {FT_HANDLE{nullptr}, FT_INVALID_HANDLE_VALUE, closed}) {
    FTDCB dcb{};
    FTTIMEOUTS t{};
    FTCOMSTAT status{};
    DWORD word = 0;
    std::uint8_t byte = 0;
    EXPECT_FALSE(e_.FT_W32_CloseHandle(bad));
    EXPECT_FALSE(e_.FT_W32_GetCommState(bad, &dcb));
    EXPECT_FALSE(e_.FT_W32_SetCommState(bad, &dcb));
    EXPECT_FALSE(e_.FT_W32_GetCommTimeouts(bad, &t));
    EXPECT_FALSE(e_.FT_W32_SetCommTimeouts(bad, &t));
    EXPECT_FALSE(e_.FT_W32_SetupComm(bad, 4096, 4096));
    EXPECT_FALSE(e_.FT_W32_PurgeComm(bad, 12));
    EXPECT_FALSE(e_.FT_W32_ReadFile(bad, &byte, 1, &word, nullptr));
    EXPECT_FALSE(e_.FT_W32_WriteFile(bad, &byte, 1, &word, nullptr));
    EXPECT_FALSE(e_.FT_W32_SetCommBreak(bad));
    EXPECT_FALSE(e_.FT_W32_ClearCommBreak(bad));
    EXPECT_FALSE(e_.FT_W32_EscapeCommFunction(bad, FT_SETDTR));
    EXPECT_FALSE(e_.FT_W32_GetCommModemStatus(bad, &word));
    EXPECT_FALSE(e_.FT_W32_ClearCommError(bad, &word, &status));
  }
}

// Each loaded layer keeps its own handle table: another one neither uses nor ends this one's.
TEST_F(FtdiSioLayer, HandlesBelongToTheLayerThatOpenedThem) {
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  auto other = MakeFtdiSioLibrary(LayerSettings(sysfs_, pty_.path()));
  std::uint8_t byte = 0x11;
  DWORD n = 0;
  EXPECT_FALSE(other->Entries().FT_W32_WriteFile(handle_, &byte, 1, &n, nullptr));
  EXPECT_FALSE(other->Entries().FT_W32_CloseHandle(handle_));
  other.reset();
  EXPECT_TRUE(e_.FT_W32_WriteFile(handle_, &byte, 1, &n, nullptr));
  EXPECT_EQ(pty_.Receive(), std::vector<std::uint8_t>{0x11});
}

TEST_F(FtdiSioLayer, OverlappedIoIsNotPretended) {
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  std::uint8_t byte = 0;
  DWORD n = 0;
  char overlapped[32] = {};
  EXPECT_FALSE(e_.FT_W32_ReadFile(handle_, &byte, 1, &n, overlapped));
  EXPECT_FALSE(e_.FT_W32_WriteFile(handle_, &byte, 1, &n, overlapped));
}

TEST_F(FtdiSioLayer, FtdiSioTtyOpensByLocationAndAsksForLowLatency) {
  library_ = MakeFtdiSioLibrary(LayerSettings(sysfs_));  // no dongle
  e_ = library_->Entries();
  const auto port = sysfs_.Add({.Name = "ttyUSB0",
                                .Bus = 2,
                                .Devpath = "1.3",
                                .Product = "USB Serial Port",
                                .Node = pty_.path()});
  handle_ = OpenLocation(0x02000131);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  // A pty refuses TIOCSSERIAL, so the layer falls back to the latency timer attribute.
  std::ifstream timer(port / "latency_timer");
  std::string value;
  std::getline(timer, value);
  EXPECT_EQ(value, "1");

  std::uint8_t byte = 0x5A;
  DWORD written = 0;
  ASSERT_TRUE(e_.FT_W32_WriteFile(handle_, &byte, 1, &written, nullptr));
  EXPECT_EQ(pty_.Receive(), std::vector<std::uint8_t>{0x5A});
}

TEST_F(FtdiSioLayer, DongleKeepsTheDriverDefaultLatency) {
  const auto port = sysfs_.Add({.Name = "ttyUSB0", .Product = "USB Serial Port"});
  handle_ = OpenLocation(DongleLocationId);
  ASSERT_NE(handle_, FT_INVALID_HANDLE_VALUE);
  std::ifstream timer(port / "latency_timer");
  std::string value;
  std::getline(timer, value);
  EXPECT_EQ(value, "16") << "the dongle entry is not that ftdi_sio tty";
}

}  // namespace
