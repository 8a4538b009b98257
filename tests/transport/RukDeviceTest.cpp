// The device base class: the baud table, the error word and the plain field operations that
// every transport shares.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "NamedRows.h"
#include "Rukdevice.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

// The smallest transport: the device operations do nothing, so only the base class is tested.
class FieldsOnly : public TRukDevice {
 public:
  FieldsOnly(std::int32_t* errorWord, const char* name = "FIELDS")
      : TRukDevice(errorWord, true, 0, 0) {
    SetName(name);
  }
  std::int32_t SetPort(std::int32_t) override { return Port; }
  std::int32_t SetBaudIndex(std::int32_t) override { return -1; }
  bool Open() override { return Opened = true; }
  void Close() override { Opened = false; }
  bool Write(const void*, std::uint32_t, std::int32_t) override { return false; }
  std::int32_t GetInQueue() override { return -1; }
  bool GetCts() override { return false; }

  int Breaks = 0;

 protected:
  bool HoldsHandle() const override { return Opened; }
  bool DriveDtr(bool) override { return false; }
  bool DriveRts(bool) override { return false; }
  void WriteOpenTimeouts() override {}
  bool BeginFirstByteTimeout(std::uint32_t) override { return false; }
  void RestoreTimeouts() override {}
  bool ReadSome(std::uint8_t*, std::uint32_t, std::uint32_t* received) override {
    *received = 0;
    return false;
  }
  void BreakOn() override { ++Breaks; }
  void BreakOff() override {}
  void ReleaseHandle() override { Opened = false; }

 public:
  void Fail(std::int32_t bits) { SetError(bits); }
  void Assign(std::int32_t value) { AssignError(value); }
  bool Blocked() const { return TransferBlocked(); }
  std::int32_t DtrMode() const { return DtrControl; }
  std::int32_t RtsMode() const { return RtsControl; }
};

struct RateCase {
  std::int32_t index;
  std::uint32_t rate;
};

class BaudTableRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(BaudTableRate, IsTheNumberOfItsText) {
  EXPECT_EQ(BaudRateOf(GetParam().index), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, BaudTableRate,
    ::testing::Values(RateCase{0, 110}, RateCase{1, 300}, RateCase{2, 1200}, RateCase{3, 2400},
                      RateCase{4, 4800}, RateCase{5, 9600}, RateCase{6, 19200}, RateCase{7, 38400},
                      RateCase{8, 57600}, RateCase{9, 115200},
                      // Empty entries and indexes outside the table are no number: 9600.
                      RateCase{10, 9600}, RateCase{11, 9600}, RateCase{12, 9600},
                      RateCase{-1, 9600}),
    [](const auto& info) {
      return (info.param.index < 0 ? "Minus" + std::to_string(-info.param.index)
                                   : "Index" + std::to_string(info.param.index));
    });

TEST(BaudTable, OnlyTwoToNineAreSelectable) {
  for (std::int32_t index = -1; index <= 12; ++index) {
    EXPECT_EQ(IsSelectableBaudIndex(index), index >= 2 && index <= 9) << index;
  }
}

TEST(ErrorWord, ConstructionZeroesTheCallersWord) {
  std::int32_t word = 0x7FFF;
  FieldsOnly device(&word);
  EXPECT_EQ(word, 0);
  EXPECT_EQ(device.GetErrorWord(), &word);
}

TEST(ErrorWord, BitsAccumulateUntilAssigned) {
  std::int32_t word = 0;
  FieldsOnly device(&word);
  device.Fail(ErrOpen);
  device.Fail(ErrShortTransfer);
  EXPECT_EQ(word, ErrOpen | ErrShortTransfer);
  EXPECT_TRUE(device.Blocked());
  device.Assign(ErrNoAnswer);
  EXPECT_EQ(word, ErrNoAnswer);
  EXPECT_FALSE(device.Blocked());
  device.Fail(ErrLength);
  EXPECT_TRUE(device.Blocked());
}

TEST(ErrorWord, ADeviceWithoutAWordStillWorks) {
  FieldsOnly device(nullptr);
  device.Fail(ErrOpen);
  ASSERT_NE(device.GetErrorWord(), nullptr);
  EXPECT_EQ(*device.GetErrorWord(), ErrOpen);
}

TEST(DeviceFields, ConstructionDefaults) {
  std::int32_t word = 0;
  FieldsOnly device(&word);
  EXPECT_EQ(device.GetTimeout(), 100);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_TRUE(device.GetOptionFlag());
  EXPECT_EQ(device.GetBreakTime(), 0);
}

TEST(DeviceFields, NameIsBoundedToFiftyCharacters) {
  std::int32_t word = 0;
  const std::string longName(80, 'N');
  FieldsOnly device(&word, longName.c_str());
  EXPECT_EQ(std::strlen(device.GetName()), 50u);
  EXPECT_EQ(std::string(device.GetName()), std::string(50, 'N'));
}

struct ModeCase {
  const char* name;
  std::int32_t given;
  std::int32_t dtrStored;
  std::int32_t rtsStored;
};

class ControlMode : public ::testing::TestWithParam<ModeCase> {};

// DTR knows disable, enable and handshake; RTS also toggle. Anything else is disable.
TEST_P(ControlMode, IsStoredOrReplacedByDisable) {
  std::int32_t word = 0;
  FieldsOnly device(&word);
  device.SetDtrControl(GetParam().given);
  device.SetRtsControl(GetParam().given);
  EXPECT_EQ(device.DtrMode(), GetParam().dtrStored);
  EXPECT_EQ(device.RtsMode(), GetParam().rtsStored);
}

INSTANTIATE_TEST_SUITE_P(Modes, ControlMode,
                         ::testing::Values(ModeCase{"Disable", 0, 0, 0},
                                           ModeCase{"Enable", 1, 1, 1},
                                           ModeCase{"Handshake", 2, 2, 2},
                                           ModeCase{"Toggle", 3, 0, 3}, ModeCase{"Four", 4, 0, 0},
                                           ModeCase{"Negative", -1, 0, 0}),
                         RowName());

TEST(DeviceFields, BreakTimeIgnoresNegativeValuesAndServesSendBreak) {
  std::int32_t word = 0;
  FieldsOnly device(&word);
  device.Open();
  EXPECT_FALSE(device.SendBreak(0)) << "no duration at all";
  device.SetBreakTime(25);
  device.SetBreakTime(-1);
  EXPECT_EQ(device.GetBreakTime(), 25);
  EXPECT_TRUE(device.SendBreak(0));
  EXPECT_FALSE(device.SendBreak(-3));
  device.Close();
  EXPECT_FALSE(device.SendBreak(10)) << "closed";
  EXPECT_EQ(device.Breaks, 1);
}

TEST(DeviceFields, OptionFlagFollowsClearAndSet) {
  std::int32_t word = 0;
  FieldsOnly device(&word);
  device.ClearOptionFlag();
  EXPECT_FALSE(device.GetOptionFlag());
  device.SetOptionFlag();
  EXPECT_TRUE(device.GetOptionFlag());
}

}  // namespace
