// TRukFtdi against a fake D2XX entry table: which device Open picks, what it writes into the
// device, how every operation degrades when an entry point is missing, the purge before a write.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "NamedRows.h"
#include "Rukftdi.h"
#include "TimingSlack.h"
#include "platform/D2xxLibrary.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using namespace std::chrono_literals;
using rukmox::platform::D2xxLibrary;
using rukmox::test::kLate;

struct FakeDevice {
  std::string Description;
  DWORD Flags = 0;
  DWORD LocId = 0;
  FT_STATUS Status = FT_OK;
  bool Unterminated = false;  // fills all 64 bytes without a terminating zero
};

const FT_HANDLE kHandle = reinterpret_cast<FT_HANDLE>(std::uintptr_t{0x5150});

// What the fake library was asked and what it answers. Entry points are plain functions, so the
// state is one global that each test resets.
struct FakeState {
  std::vector<FakeDevice> Devices;
  FT_HANDLE CreateResult = kHandle;
  BOOL SetStateResult = 1;
  BOOL GetStateResult = 1;
  BOOL SetTimeoutsResult = 1;
  BOOL ClearCommErrorResult = 1;
  BOOL WriteResult = 1;
  DWORD WriteLimit = std::numeric_limits<DWORD>::max();
  DWORD InQueue = 0;
  DWORD ModemStatus = 0;
  FTTIMEOUTS DeviceTimeouts{11, 12, 13, 14, 15};
  FTDCB DeviceState{};
  std::deque<std::uint8_t> Input;

  // Observations.
  std::vector<std::string> Calls;
  LPCTSTR CreateName = nullptr;
  DWORD CreateAccess = 0, CreateShare = 99, CreateDisposition = 0, CreateAttributes = 0;
  std::vector<FTDCB> StatesWritten;
  std::vector<FTTIMEOUTS> TimeoutsWritten;
  std::vector<DWORD> Escapes;
  std::vector<DWORD> Purges;
  std::vector<DWORD> SetupSizes;
  std::vector<std::uint8_t> Written;
  std::chrono::steady_clock::time_point BreakOn, BreakOff;
  int Closes = 0;
  int LibrariesAlive = 0;
};

FakeState g;

FT_STATUS FakeList(LPDWORD count) {
  g.Calls.push_back("list");
  *count = static_cast<DWORD>(g.Devices.size());
  return FT_OK;
}

FT_STATUS FakeDetail(DWORD index, LPDWORD flags, LPDWORD type, LPDWORD id, LPDWORD locId,
                     LPVOID serial, LPVOID description, FT_HANDLE* handle) {
  const FakeDevice& d = g.Devices.at(index);
  if (d.Status != FT_OK) return d.Status;
  *flags = d.Flags;
  *type = FT_DEVICE_232R;
  *id = 0x04036001;
  *locId = d.LocId;
  std::strcpy(static_cast<char*>(serial), "FAKE");
  if (d.Unterminated)
    std::memcpy(description, d.Description.data(), 64);
  else
    std::strcpy(static_cast<char*>(description), d.Description.c_str());
  *handle = nullptr;
  return FT_OK;
}

FT_HANDLE FakeCreate(LPCTSTR name, DWORD access, DWORD share, LPVOID, DWORD disposition,
                     DWORD attributes, void*) {
  g.Calls.push_back("create");
  g.CreateName = name;
  g.CreateAccess = access;
  g.CreateShare = share;
  g.CreateDisposition = disposition;
  g.CreateAttributes = attributes;
  return g.CreateResult;
}

BOOL FakeClose(FT_HANDLE) {
  g.Calls.push_back("close");
  ++g.Closes;
  return 1;
}

BOOL FakeGetState(FT_HANDLE, FTDCB* dcb) {
  g.Calls.push_back("getstate");
  *dcb = g.DeviceState;
  return g.GetStateResult;
}

BOOL FakeSetState(FT_HANDLE, FTDCB* dcb) {
  g.Calls.push_back("setstate");
  g.StatesWritten.push_back(*dcb);
  if (g.SetStateResult) g.DeviceState = *dcb;
  return g.SetStateResult;
}

BOOL FakeGetTimeouts(FT_HANDLE, FTTIMEOUTS* t) {
  g.Calls.push_back("gettimeouts");
  *t = g.DeviceTimeouts;
  return 1;
}

BOOL FakeSetTimeouts(FT_HANDLE, FTTIMEOUTS* t) {
  g.Calls.push_back("settimeouts");
  g.TimeoutsWritten.push_back(*t);
  if (g.SetTimeoutsResult) g.DeviceTimeouts = *t;
  return g.SetTimeoutsResult;
}

BOOL FakeSetup(FT_HANDLE, DWORD in, DWORD out) {
  g.SetupSizes = {in, out};
  return 1;
}

BOOL FakePurge(FT_HANDLE, DWORD mask) {
  g.Calls.push_back("purge");
  g.Purges.push_back(mask);
  return 1;
}

BOOL FakeRead(FT_HANDLE, LPVOID buffer, DWORD size, LPDWORD returned, void*) {
  g.Calls.push_back("read" + std::to_string(size));
  DWORD n = 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (n < size && !g.Input.empty()) {
    out[n++] = g.Input.front();
    g.Input.pop_front();
  }
  *returned = n;
  return 1;
}

BOOL FakeWrite(FT_HANDLE, LPVOID buffer, DWORD size, LPDWORD written, void*) {
  g.Calls.push_back("write");
  const DWORD n = std::min(size, g.WriteLimit);
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  g.Written.insert(g.Written.end(), in, in + n);
  *written = n;
  return g.WriteResult;
}

BOOL FakeBreakOn(FT_HANDLE) {
  g.BreakOn = std::chrono::steady_clock::now();
  return 1;
}

BOOL FakeBreakOff(FT_HANDLE) {
  g.BreakOff = std::chrono::steady_clock::now();
  return 1;
}

BOOL FakeEscape(FT_HANDLE, DWORD function) {
  g.Escapes.push_back(function);
  return 1;
}

BOOL FakeModem(FT_HANDLE, LPDWORD status) {
  *status = g.ModemStatus;
  return 1;
}

BOOL FakeClearError(FT_HANDLE, LPDWORD errors, FTCOMSTAT* status) {
  g.Calls.push_back("clearerror");
  *errors = 0;
  status->cbInQue = g.InQueue;
  return g.ClearCommErrorResult;
}

// The full table, less the entry points a test removes.
class FakeLibrary : public D2xxLibrary {
 public:
  explicit FakeLibrary(std::function<void(D2xxEntryPoints&)> remove = {}) {
    entries_.FT_CreateDeviceInfoList = FakeList;
    entries_.FT_GetDeviceInfoDetail = FakeDetail;
    entries_.FT_W32_CreateFile = FakeCreate;
    entries_.FT_W32_CloseHandle = FakeClose;
    entries_.FT_W32_GetCommState = FakeGetState;
    entries_.FT_W32_SetCommState = FakeSetState;
    entries_.FT_W32_GetCommTimeouts = FakeGetTimeouts;
    entries_.FT_W32_SetCommTimeouts = FakeSetTimeouts;
    entries_.FT_W32_SetupComm = FakeSetup;
    entries_.FT_W32_PurgeComm = FakePurge;
    entries_.FT_W32_ReadFile = FakeRead;
    entries_.FT_W32_WriteFile = FakeWrite;
    entries_.FT_W32_SetCommBreak = FakeBreakOn;
    entries_.FT_W32_ClearCommBreak = FakeBreakOff;
    entries_.FT_W32_EscapeCommFunction = FakeEscape;
    entries_.FT_W32_GetCommModemStatus = FakeModem;
    entries_.FT_W32_ClearCommError = FakeClearError;
    if (remove) remove(entries_);
    ++g.LibrariesAlive;
  }
  ~FakeLibrary() override { --g.LibrariesAlive; }
};

class FtdiTransport : public testing::Test {
 protected:
  void SetUp() override {
    g = FakeState{};
    g.Devices = {{"FT232R USB Serial Port", 0, 0x01000021}};
  }

  std::unique_ptr<TRukFtdi> Make(std::function<void(D2xxEntryPoints&)> remove = {},
                                 std::int32_t baudIndex = 9) {
    return std::make_unique<TRukFtdi>(nullptr, 7, baudIndex, &error_, true, 0, 0,
                                      std::make_unique<FakeLibrary>(std::move(remove)));
  }

  std::int32_t error_ = -1;
};

TEST_F(FtdiTransport, ConstructionFixesPortNameAndDefaults) {
  auto ftdi = Make();
  EXPECT_EQ(error_, 0);
  EXPECT_EQ(ftdi->GetPort(), 2000);
  EXPECT_STREQ(ftdi->GetName(), "RUK FTDI");
  EXPECT_TRUE(ftdi->GetPurgeBeforeWrite());
  EXPECT_FALSE(ftdi->IsOpen());
  EXPECT_EQ(ftdi->SetPort(5), 2000);
  EXPECT_EQ(ftdi->GetPort(), 2000);
  EXPECT_TRUE(g.Calls.empty()) << "construction must not touch the device";
}

class FtdiBaudClamp : public FtdiTransport,
                      public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(FtdiBaudClamp, KeepsSelectableIndexesOnly) {
  auto ftdi = Make({}, GetParam().first);
  EXPECT_EQ(ftdi->GetBaudIndex(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Indexes, FtdiBaudClamp,
                         testing::Values(std::pair{-1, 5}, std::pair{0, 5}, std::pair{1, 5},
                                         std::pair{2, 2}, std::pair{9, 9}, std::pair{10, 5}),
                         [](const auto& info) {
                           const int index = info.param.first;
                           return (index < 0 ? "Minus" + std::to_string(-index)
                                             : std::to_string(index)) +
                                  "Gives" + std::to_string(info.param.second);
                         });

struct SelectionCase {
  const char* name;
  std::vector<FakeDevice> devices;
  DWORD expectedLocId;  // 0: no device may be opened
};

class FtdiDeviceSelection : public FtdiTransport,
                            public testing::WithParamInterface<SelectionCase> {};

TEST_P(FtdiDeviceSelection, OpensTheFirstFreeMatchingDeviceByLocation) {
  g.Devices = GetParam().devices;
  auto ftdi = Make();
  const DWORD expected = GetParam().expectedLocId;
  EXPECT_EQ(ftdi->Open(), expected != 0);
  if (expected == 0) {
    EXPECT_EQ(error_, ErrOpen);
    EXPECT_EQ(std::count(g.Calls.begin(), g.Calls.end(), "create"), 0);
    return;
  }
  EXPECT_EQ(error_, 0);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(g.CreateName), expected);
  EXPECT_EQ(g.CreateAccess, FT_GENERIC_READ | FT_GENERIC_WRITE);
  EXPECT_EQ(g.CreateShare, 0u);
  EXPECT_EQ(g.CreateDisposition, 3u);
  EXPECT_EQ(g.CreateAttributes, 0x84u);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, FtdiDeviceSelection,
    testing::Values(
        SelectionCase{"Exact", {{"USB Serial Port", 0, 0x11}}, 0x11},
        SelectionCase{"InsideLongerText", {{"FT232R USB Serial Port A", 0, 0x12}}, 0x12},
        SelectionCase{"LowerCaseDoesNotMatch", {{"usb serial port", 0, 0x13}}, 0},
        SelectionCase{"PartOfTheWordsDoesNotMatch", {{"USB Serial", 0, 0x13}}, 0},
        SelectionCase{"TwoMatchingLowerIndexWins",
                      {{"USB Serial Port", 0, 0x21}, {"USB Serial Port", 0, 0x22}},
                      0x21},
        SelectionCase{"HeldDeviceIsSkipped",
                      {{"USB Serial Port", FT_FLAGS_OPENED, 0x31}, {"USB Serial Port", 0, 0x32}},
                      0x32},
        SelectionCase{"OnlyHeldDevices", {{"USB Serial Port", FT_FLAGS_OPENED, 0x33}}, 0},
        SelectionCase{"OtherFlagsDoNotHide", {{"USB Serial Port", FT_FLAGS_HISPEED, 0x34}}, 0x34},
        SelectionCase{"FailedDetailIsSkipped",
                      {{"USB Serial Port", 0, 0x41, FT_IO_ERROR}, {"USB Serial Port", 0, 0x42}},
                      0x42},
        SelectionCase{"NoDevices", {}, 0},
        SelectionCase{"DescriptionFillingTheWholeBuffer",
                      {{std::string(64 - 15, 'x') + "USB Serial Port", 0, 0x51, FT_OK, true}},
                      0x51}),
    RowName());

TEST_F(FtdiTransport, OpenPutsTheSettingsIntoForceAndCloseRestoresTheTimeouts) {
  auto ftdi = std::make_unique<TRukFtdi>(nullptr, 0, 8, &error_, true, 2, 7,
                                         std::make_unique<FakeLibrary>());
  ftdi->SetTimeout(250);
  EXPECT_FALSE(ftdi->SetDtr(true)) << "closed: remembered, not applied";
  ASSERT_TRUE(ftdi->Open());
  EXPECT_TRUE(ftdi->IsOpen());

  ASSERT_EQ(g.StatesWritten.size(), 1u);
  const FTDCB& dcb = g.StatesWritten[0];
  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.BaudRate, 57600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, FT_NOPARITY);
  EXPECT_EQ(dcb.StopBits, FT_ONESTOPBIT);
  EXPECT_EQ(dcb.fDtrControl, 2u);
  EXPECT_EQ(dcb.fRtsControl, 3u) << "the two low bits of 7";
  EXPECT_EQ(g.Escapes, (std::vector<DWORD>{FT_SETDTR, FT_CLRRTS}));
  ASSERT_EQ(g.TimeoutsWritten.size(), 1u);
  const FTTIMEOUTS& t = g.TimeoutsWritten[0];
  EXPECT_EQ((std::vector<DWORD>{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                                t.WriteTotalTimeoutConstant}),
            (std::vector<DWORD>{5, 5, 250, 5, 5}));
  EXPECT_EQ(g.SetupSizes, (std::vector<DWORD>{4096, 4096}));

  ftdi->Close();
  EXPECT_FALSE(ftdi->IsOpen());
  ASSERT_EQ(g.TimeoutsWritten.size(), 2u);
  EXPECT_EQ(g.TimeoutsWritten[1].ReadTotalTimeoutConstant, 13u) << "the values found at open";
  EXPECT_EQ(g.TimeoutsWritten[1].ReadIntervalTimeout, 11u);
  EXPECT_EQ(g.Closes, 1);
  ftdi->Close();
  EXPECT_EQ(g.Closes, 1) << "a closed object holds no handle";
}

TEST_F(FtdiTransport, OpenOnAnOpenDeviceClosesFirstAndClearsTheErrorWord) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  error_ = ErrShortTransfer;
  ASSERT_TRUE(ftdi->Open());
  EXPECT_EQ(error_, 0);
  EXPECT_EQ(g.Closes, 1);
}

TEST_F(FtdiTransport, DestructionClosesTheDeviceAndUnloadsTheLibrary) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  EXPECT_EQ(g.LibrariesAlive, 1);
  ftdi.reset();
  EXPECT_EQ(g.Closes, 1);
  EXPECT_EQ(g.LibrariesAlive, 0);
}

struct OpenFailure {
  const char* name;
  std::function<void()> arrange;
  int closes;  // CloseHandle calls expected: the handle, once acquired, goes back
};

class FtdiOpenFailure : public FtdiTransport, public testing::WithParamInterface<OpenFailure> {};

TEST_P(FtdiOpenFailure, LeavesTheObjectClosedWithErrOpenAndNothingHeld) {
  GetParam().arrange();
  auto ftdi = Make();
  EXPECT_FALSE(ftdi->Open());
  EXPECT_EQ(error_, ErrOpen);
  EXPECT_FALSE(ftdi->IsOpen());
  EXPECT_EQ(g.Closes, GetParam().closes);
  ftdi->Close();
  ftdi.reset();
  EXPECT_EQ(g.Closes, GetParam().closes) << "nothing may be released twice";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FtdiOpenFailure,
    testing::Values(OpenFailure{"InvalidHandle", [] { g.CreateResult = FT_INVALID_HANDLE_VALUE; },
                                0},
                    OpenFailure{"NullHandle", [] { g.CreateResult = nullptr; }, 0},
                    OpenFailure{"StateWriteFails", [] { g.SetStateResult = 0; }, 1},
                    OpenFailure{"TimeoutWriteFails", [] { g.SetTimeoutsResult = 0; }, 1}),
    RowName());

// One row per entry point: what Open and the operation that needs it do without it.
struct MissingEntry {
  const char* name;
  std::function<void(D2xxEntryPoints&)> remove;
  bool opens;
  std::function<void(TRukFtdi&, std::int32_t& error)> check;
};

class FtdiMissingEntry : public FtdiTransport, public testing::WithParamInterface<MissingEntry> {};

TEST_P(FtdiMissingEntry, DegradesAsDocumented) {
  auto ftdi = Make(GetParam().remove);
  EXPECT_EQ(error_, 0) << "construction reports nothing";
  EXPECT_EQ(ftdi->Open(), GetParam().opens);
  EXPECT_EQ(error_, GetParam().opens ? 0 : ErrOpen);
  if (GetParam().check) GetParam().check(*ftdi, error_);
}

const std::uint8_t kFrame[4] = {0xF0, 0x0D, 0x0F, 0x00};

INSTANTIATE_TEST_SUITE_P(
    Entries, FtdiMissingEntry,
    testing::Values(
        MissingEntry{"CreateDeviceInfoList",
                     [](auto& e) { e.FT_CreateDeviceInfoList = nullptr; },
                     false,
                     {}},
        MissingEntry{
            "GetDeviceInfoDetail", [](auto& e) { e.FT_GetDeviceInfoDetail = nullptr; }, false, {}},
        MissingEntry{"CreateFile", [](auto& e) { e.FT_W32_CreateFile = nullptr; }, false, {}},
        MissingEntry{"CloseHandle", [](auto& e) { e.FT_W32_CloseHandle = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       f.Close();
                       EXPECT_FALSE(f.IsOpen());
                     }},
        MissingEntry{"GetCommState", [](auto& e) { e.FT_W32_GetCommState = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       EXPECT_EQ(f.SetBaudIndex(6), 6);
                       EXPECT_EQ(g.StatesWritten.back().BaudRate, 19200u);
                     }},
        MissingEntry{"SetCommState", [](auto& e) { e.FT_W32_SetCommState = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       EXPECT_EQ(f.SetBaudIndex(6), 6) << "counts as success";
                       EXPECT_TRUE(f.IsOpen());
                     }},
        MissingEntry{"GetCommTimeouts", [](auto& e) { e.FT_W32_GetCommTimeouts = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       f.Close();
                       EXPECT_EQ(g.TimeoutsWritten.back().ReadTotalTimeoutConstant, 100u)
                           << "nothing was saved: our own values go back, not garbage";
                     }},
        MissingEntry{"SetCommTimeouts", [](auto& e) { e.FT_W32_SetCommTimeouts = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t& error) {
                       std::uint8_t b = 0;
                       EXPECT_FALSE(f.Read(&b, 1, 500));
                       EXPECT_EQ(error, ErrOpen) << "the first-byte time-out cannot be set";
                     }},
        MissingEntry{"SetupComm", [](auto& e) { e.FT_W32_SetupComm = nullptr; }, true, {}},
        MissingEntry{"PurgeComm", [](auto& e) { e.FT_W32_PurgeComm = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       g.InQueue = 5;
                       EXPECT_TRUE(f.Write(kFrame, 4, 0));
                       EXPECT_EQ(std::count(g.Calls.begin(), g.Calls.end(), "clearerror"), 0)
                           << "no purge, so no need to ask";
                     }},
        MissingEntry{"ReadFile", [](auto& e) { e.FT_W32_ReadFile = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t& error) {
                       std::uint8_t b[3] = {1, 2, 3};
                       EXPECT_FALSE(f.Read(b, 3, 0));
                       EXPECT_EQ(error, ErrShortTransfer);
                     }},
        MissingEntry{"WriteFile", [](auto& e) { e.FT_W32_WriteFile = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t& error) {
                       EXPECT_FALSE(f.Write(kFrame, 4, 0));
                       EXPECT_EQ(error, ErrShortTransfer);
                     }},
        MissingEntry{"SetCommBreak", [](auto& e) { e.FT_W32_SetCommBreak = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       const auto start = std::chrono::steady_clock::now();
                       EXPECT_TRUE(f.SendBreak(20));
                       EXPECT_GE(std::chrono::steady_clock::now() - start, 19ms);
                     }},
        MissingEntry{"ClearCommBreak", [](auto& e) { e.FT_W32_ClearCommBreak = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) { EXPECT_TRUE(f.SendBreak(5)); }},
        MissingEntry{"EscapeCommFunction", [](auto& e) { e.FT_W32_EscapeCommFunction = nullptr; },
                     true,
                     [](TRukFtdi& f, std::int32_t&) {
                       EXPECT_FALSE(f.SetDtr(true));
                       EXPECT_FALSE(f.SetRts(true));
                     }},
        MissingEntry{"GetCommModemStatus", [](auto& e) { e.FT_W32_GetCommModemStatus = nullptr; },
                     true,
                     [](TRukFtdi& f, std::int32_t&) {
                       g.ModemStatus = FT_MS_CTS_ON;
                       EXPECT_FALSE(f.GetCts());
                     }},
        MissingEntry{"ClearCommError", [](auto& e) { e.FT_W32_ClearCommError = nullptr; }, true,
                     [](TRukFtdi& f, std::int32_t&) {
                       EXPECT_EQ(f.GetInQueue(), -1);
                       EXPECT_TRUE(f.Write(kFrame, 4, 0));
                       EXPECT_EQ(g.Purges, std::vector<DWORD>{12}) << "unknown counts as waiting";
                     }}),
    RowName());

TEST_F(FtdiTransport, ReadWithFirstByteTimeoutSetsItForOneByteOnly) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  g.Calls.clear();
  g.TimeoutsWritten.clear();
  g.Input = {0x40, 0x02, 0x07};
  std::uint8_t buffer[3] = {};
  ASSERT_TRUE(ftdi->Read(buffer, 3, 2000));
  EXPECT_EQ(buffer[0], 0x40);
  EXPECT_EQ(buffer[2], 0x07);
  EXPECT_EQ(g.Calls, (std::vector<std::string>{"gettimeouts", "settimeouts", "read1", "settimeouts",
                                               "read2"}));
  ASSERT_EQ(g.TimeoutsWritten.size(), 2u);
  EXPECT_EQ(g.TimeoutsWritten[0].ReadTotalTimeoutConstant, 2000u);
  EXPECT_EQ(g.TimeoutsWritten[0].ReadIntervalTimeout, 5u);
  EXPECT_EQ(g.TimeoutsWritten[1].ReadTotalTimeoutConstant, 100u) << "restored";
}

TEST_F(FtdiTransport, ShortReadZeroFillsAndBlocksFurtherTransfers) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  g.Input = {0x40};
  std::uint8_t buffer[4] = {9, 9, 9, 9};
  EXPECT_FALSE(ftdi->Read(buffer, 4, 0));
  EXPECT_EQ(error_, ErrShortTransfer);
  EXPECT_EQ(buffer[0], 0x40);
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(buffer[3], 0);

  g.Calls.clear();
  g.Input = {1, 2, 3, 4};
  EXPECT_FALSE(ftdi->Read(buffer, 4, 0));
  EXPECT_FALSE(ftdi->Write(kFrame, 4, 0));
  EXPECT_TRUE(g.Calls.empty()) << "refused without touching the device";
  EXPECT_EQ(buffer[3], 0) << "buffer untouched";

  error_ = ErrLength;
  EXPECT_FALSE(ftdi->Read(buffer, 1, 0));
  EXPECT_FALSE(ftdi->Write(kFrame, 4, 0));
  EXPECT_TRUE(g.Calls.empty());
}

TEST_F(FtdiTransport, ZeroByteReadTouchesNeitherBufferNorDevice) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  g.Calls.clear();
  g.Input = {0x55};
  std::uint8_t guard = 0xAA;
  EXPECT_TRUE(ftdi->Read(&guard, 0, 0));
  EXPECT_EQ(guard, 0xAA);
  EXPECT_TRUE(g.Calls.empty());
}

struct PurgeCase {
  const char* name;
  bool purgeBeforeWrite;
  DWORD inQueue;
  BOOL queryWorks;
  bool purged;
};

class FtdiPurgeBeforeWrite : public FtdiTransport, public testing::WithParamInterface<PurgeCase> {};

TEST_P(FtdiPurgeBeforeWrite, PurgesOnlyWhenAskedAndSomethingMayBeWaiting) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  ftdi->SetPurgeBeforeWrite(GetParam().purgeBeforeWrite);
  g.InQueue = GetParam().inQueue;
  g.ClearCommErrorResult = GetParam().queryWorks;
  g.Calls.clear();
  ASSERT_TRUE(ftdi->Write(kFrame, 4, 0));
  EXPECT_EQ(g.Purges, GetParam().purged ? std::vector<DWORD>{12} : std::vector<DWORD>{});
  EXPECT_EQ(g.Calls.back(), "write") << "the purge comes before the write";
  EXPECT_EQ(g.Written, std::vector<std::uint8_t>(kFrame, kFrame + 4));
}

INSTANTIATE_TEST_SUITE_P(Queue, FtdiPurgeBeforeWrite,
                         testing::Values(PurgeCase{"OffWithDataWaiting", false, 3, 1, false},
                                         PurgeCase{"OnWithEmptyQueue", true, 0, 1, false},
                                         PurgeCase{"OnWithDataWaiting", true, 3, 1, true},
                                         PurgeCase{"OnWhenTheQueryFails", true, 0, 0, true}),
                         RowName());

TEST_F(FtdiTransport, WriteFailuresSetTheirOwnBits) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  g.WriteLimit = 2;
  EXPECT_FALSE(ftdi->Write(kFrame, 4, 0));
  EXPECT_EQ(error_, ErrShortTransfer);
  error_ = 0;
  // The write call itself failing means the device went away: the handle goes back at once.
  g.WriteResult = 0;
  EXPECT_FALSE(ftdi->Write(kFrame, 4, 0));
  EXPECT_EQ(error_, ErrWriteFailed | ErrDeviceGone);
  EXPECT_FALSE(ftdi->IsOpen());
  EXPECT_TRUE(ftdi->DeviceGone());
}

TEST_F(FtdiTransport, SetBaudIndexOnAnOpenDeviceRewritesTheRateAndTheLines) {
  auto ftdi = Make({}, 5);
  ASSERT_TRUE(ftdi->Open());
  ftdi->SetRts(true);
  g.Escapes.clear();
  EXPECT_EQ(ftdi->SetBaudIndex(1), -1);
  EXPECT_EQ(ftdi->SetBaudIndex(10), -1);
  EXPECT_EQ(ftdi->GetBaudIndex(), 5);
  EXPECT_EQ(ftdi->SetBaudIndex(9), 9);
  EXPECT_EQ(g.DeviceState.BaudRate, 115200u);
  EXPECT_EQ(g.DeviceState.ByteSize, 8) << "the rest of the record as the device had it";
  EXPECT_EQ(g.Escapes, (std::vector<DWORD>{FT_CLRDTR, FT_SETRTS}));
  EXPECT_EQ(ftdi->GetBaudIndex(), 9);
}

TEST_F(FtdiTransport, FailedBaudChangeClosesTheDevice) {
  auto ftdi = Make({}, 5);
  ASSERT_TRUE(ftdi->Open());
  g.SetStateResult = 0;
  EXPECT_EQ(ftdi->SetBaudIndex(9), -1);
  EXPECT_FALSE(ftdi->IsOpen());
  EXPECT_EQ(ftdi->GetBaudIndex(), 5);
  EXPECT_EQ(g.Closes, 1);
}

TEST_F(FtdiTransport, UnreadableStateIsNotWrittenBack) {
  auto ftdi = Make({}, 5);
  ASSERT_TRUE(ftdi->Open());
  const auto writes = g.StatesWritten.size();
  g.GetStateResult = 0;
  EXPECT_EQ(ftdi->SetBaudIndex(9), -1);
  EXPECT_EQ(g.StatesWritten.size(), writes);
  EXPECT_FALSE(ftdi->IsOpen());
}

TEST_F(FtdiTransport, SetTimeoutRewritesTheDeviceEvenWhenTheValueIsRefused) {
  auto ftdi = Make();
  ftdi->SetTimeout(300);
  EXPECT_TRUE(g.TimeoutsWritten.empty()) << "closed: stored only";
  ASSERT_TRUE(ftdi->Open());
  g.TimeoutsWritten.clear();
  ftdi->SetTimeout(10000);
  ftdi->SetTimeout(-1);
  EXPECT_EQ(ftdi->GetTimeout(), 300);
  ASSERT_EQ(g.TimeoutsWritten.size(), 2u);
  EXPECT_EQ(g.TimeoutsWritten[1].ReadTotalTimeoutConstant, 300u);
  ftdi->SetTimeout(0);
  EXPECT_EQ(g.TimeoutsWritten.back().ReadTotalTimeoutConstant, 0u);
}

TEST_F(FtdiTransport, SendBreakHoldsTheLineForTheDuration) {
  auto ftdi = Make();
  EXPECT_FALSE(ftdi->SendBreak(20)) << "closed";
  ASSERT_TRUE(ftdi->Open());
  EXPECT_FALSE(ftdi->SendBreak(0)) << "BreakTime is 0";
  EXPECT_EQ(g.BreakOn, std::chrono::steady_clock::time_point{});
  ASSERT_TRUE(ftdi->SendBreak(20));
  EXPECT_GE(g.BreakOff - g.BreakOn, 19ms);
  EXPECT_LT(g.BreakOff - g.BreakOn, 20ms + kLate);
  ftdi->SetBreakTime(5);
  EXPECT_TRUE(ftdi->SendBreak(0));
}

TEST_F(FtdiTransport, CtsFollowsModemStatusBit0x10) {
  auto ftdi = Make();
  g.ModemStatus = FT_MS_CTS_ON;
  EXPECT_FALSE(ftdi->GetCts()) << "closed";
  ASSERT_TRUE(ftdi->Open());
  EXPECT_TRUE(ftdi->GetCts());
  g.ModemStatus = FT_MS_DSR_ON | FT_MS_RLSD_ON;
  EXPECT_FALSE(ftdi->GetCts());
}

TEST_F(FtdiTransport, GetInQueueReportsTheReceiveCount) {
  auto ftdi = Make();
  ASSERT_TRUE(ftdi->Open());
  g.InQueue = 17;
  EXPECT_EQ(ftdi->GetInQueue(), 17);
  g.ClearCommErrorResult = 0;
  EXPECT_EQ(ftdi->GetInQueue(), -1);
}

}  // namespace
