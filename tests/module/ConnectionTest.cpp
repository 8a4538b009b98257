// Open, Close and the error words they leave, on the fake dongle; the wake-up path needs modem
// lines, which only the fake has.
#include <gtest/gtest.h>

#include <chrono>

#include "ModuleFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using std::chrono::milliseconds;

TEST_F(ModuleTest, ConstructionValues) {
  EXPECT_EQ(mox->GetPort(), 3000);
  EXPECT_STREQ(mox->GetName(), "RUK MOX");
  EXPECT_EQ(mox->TRukDevice::GetBaudIndex(), 9);
  EXPECT_EQ(mox->RemoteBaudIndex, 5);
  EXPECT_EQ(mox->ScanRepeat, 10);
  EXPECT_EQ(mox->HopThreshold, 22);
  EXPECT_TRUE(mox->Devices.empty());
  EXPECT_EQ(error, 0);
}

struct MissingDongleCase {
  const char* name;
  std::function<void(FakeDongleState&)> setup;
};

class MissingDongleTest : public ModuleTest,
                          public ::testing::WithParamInterface<MissingDongleCase> {};

TEST_P(MissingDongleTest, FailsWithErrOpen) {
  ScriptLinkedPair();
  GetParam().setup(*state);
  EXPECT_FALSE(mox->Open());
  EXPECT_EQ(error, ErrOpen);
  EXPECT_FALSE(mox->IsOpen());
  EXPECT_TRUE(mox->Devices.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dongles, MissingDongleTest,
    ::testing::Values(
        MissingDongleCase{"NoDevice", [](FakeDongleState& s) { s.listed = false; }},
        MissingDongleCase{"OpenedElsewhere", [](FakeDongleState& s) { s.openedElsewhere = true; }},
        MissingDongleCase{"OtherDescription",
                          [](FakeDongleState& s) { s.description = "USB Serial Port"; }},
        MissingDongleCase{"LowerCase",
                          [](FakeDongleState& s) { s.description = "wireless port"; }}),
    RowName());

TEST_F(ModuleTest, SilentModuleIsErrNoAnswerAfterTheBaudSearch) {
  ScriptLinkedPair();
  std::vector<std::uint32_t> pingRates;
  state->onFrame = [&](const Frame& f) {
    if (f.code == TRukMox::CmdPing) pingRates.push_back(state->baud);
  };
  state->answers.clear();
  EXPECT_FALSE(mox->Open());
  EXPECT_EQ(error, ErrNoAnswer);
  EXPECT_FALSE(mox->IsOpen());
  EXPECT_FALSE(state->open);
  EXPECT_TRUE(mox->Devices.empty());
  EXPECT_EQ(mox->Current, nullptr);
  EXPECT_EQ(pingRates, (std::vector<std::uint32_t>{115200, 9600, 19200, 38400, 57600}));
  EXPECT_EQ(mox->TRukDevice::GetBaudIndex(), 9);  // put back after the search
}

TEST_F(ModuleTest, UnreadableLocalInfoIsErrNoAnswer) {
  ScriptLinkedPair();
  state->Silence(TRukMox::CmdConfig, 0);
  EXPECT_FALSE(mox->Open());
  EXPECT_EQ(error, ErrNoAnswer);
  EXPECT_FALSE(mox->IsOpen());
}

TEST_F(ModuleTest, ModuleAt38400IsFoundAndTriedFirstNextTime) {
  ScriptLinkedPair();
  state->answerBaud = 38400;
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(mox->TRukDevice::GetBaudIndex(), 7);
  EXPECT_EQ(mox->Local.BaudRate, 115200);  // replaced by what the configuration reply says
  std::vector<std::uint32_t> pingRates;
  auto inner = state->onFrame;
  state->onFrame = [&](const Frame& f) {
    inner(f);
    if (f.code == TRukMox::CmdPing && f.target == 0) pingRates.push_back(state->baud);
  };
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(pingRates, (std::vector<std::uint32_t>{38400}));
  EXPECT_EQ(mox->Devices.size(), 1u);
}

TEST_F(ModuleTest, RemoteOutOfReachIsErrSetupButOpen) {
  ScriptLinkedPair();
  linked = false;
  EXPECT_TRUE(mox->Open());
  EXPECT_EQ(error, ErrSetup);
  ASSERT_NE(mox->Current, nullptr);
  EXPECT_FALSE(mox->Current->Linked);
  EXPECT_EQ(mox->Current->Address, kRemoteAddress);
  EXPECT_EQ(mox->Current->Channel, kChannel);
}

TEST_F(ModuleTest, NoPeerLeavesAddressZero) {
  ScriptLinkedPair();
  state->onFrame = [inner = state->onFrame, this](const Frame& f) {
    inner(f);
    state->Answer(TRukMox::CmdLinkStatus, 0, {0xFF, 0xFF, 0});
  };
  EXPECT_TRUE(mox->Open());
  EXPECT_EQ(error, ErrSetup);
  EXPECT_EQ(mox->Current->Address, 0u);
  EXPECT_EQ(state->FramesOf(TRukMox::CmdConnect)[0].payload, (Bytes{0, 0}));
}

TEST_F(ModuleTest, OpenTellsTheLinkedRemoteItsSettings) {
  ScriptLinkedPair();
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(state->FramesOf(TRukMox::CmdSerialBaud)[0].payload, (Bytes{0xC0, 0x12}));  // 9600 / 2
  EXPECT_EQ(state->FramesOf(TRukMox::CmdRemoteMode)[0].payload, (Bytes{0x00}));
  EXPECT_STREQ(mox->Current->Name, "REMOTE");
  EXPECT_EQ(mox->Current->Channel, kChannel);
}

TEST_F(ModuleTest, OpenTwiceKeepsOneRecordAndCloseFreesIt) {
  OpenLinked();
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(mox->Devices.size(), 1u);
  mox->Close();
  EXPECT_TRUE(mox->Devices.empty());
  EXPECT_EQ(mox->Current, nullptr);
  EXPECT_FALSE(state->open);
  mox->Close();
  EXPECT_FALSE(mox->IsOpen());
}

TEST_F(ModuleTest, SleepingModuleIsWokenBySixBreaks) {
  ScriptLinkedPair();
  state->cts = true;
  state->ctsOffAfterBreaks = 6;
  ASSERT_TRUE(mox->Open());
  EXPECT_EQ(error, 0);
  ASSERT_EQ(state->breakOn.size(), 6u);
  ASSERT_EQ(state->breakOff.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    const auto held = state->breakOff[i] - state->breakOn[i];
    EXPECT_GE(held, milliseconds(9));
    EXPECT_LE(held, milliseconds(160));
  }
  // Nothing went to the module before it was awake.
  EXPECT_FALSE(state->frames.empty());
}

TEST_F(ModuleTest, ModuleThatStaysAsleepFailsTheOpenWithWordZero) {
  ScriptLinkedPair();
  state->cts = true;
  EXPECT_FALSE(mox->Open());
  EXPECT_EQ(error, 0);
  EXPECT_EQ(state->breakOn.size(), 6u);
  EXPECT_TRUE(state->frames.empty());
  EXPECT_FALSE(mox->IsOpen());
  EXPECT_FALSE(state->open);
}

}  // namespace
}  // namespace rukmox::test
