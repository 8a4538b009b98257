// Parameter commands: what goes on the wire, what comes back into the records, and which
// arguments are refused before anything is sent.
#include <gtest/gtest.h>

#include "ModuleFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

struct NameCase {
  const char* name;
  std::string text;
  Bytes payload;
};

class SetNameTest : public ModuleTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SetNameTest, SendsTenBytes) {
  OpenLinked();
  ASSERT_TRUE(mox->SetName(GetParam().text, false));
  const auto frames = state->FramesOf(TRukMox::CmdSetName);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].target, 0);
  EXPECT_EQ(frames[0].payload, GetParam().payload);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SetNameTest,
    ::testing::Values(NameCase{"Short", "Pump", {'P', 'u', 'm', 'p', 0, 0, 0, 0, 0, 0}},
                      NameCase{"TwelveKeepsNine",
                               "ABCDEFGHIJKL",
                               {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 0}},
                      NameCase{"Empty", "", Bytes(10, 0)},
                      NameCase{"Accented", "Caf\xC3\xA9", {'C', 'a', 'f', 0xE9, 0, 0, 0, 0, 0, 0}},
                      NameCase{"NoSingleByteForm",
                               "\xE6\xBC\xA2\xE5\xAD\x97",
                               {'?', '?', 0, 0, 0, 0, 0, 0, 0, 0}}),
    RowName());

TEST_F(ModuleTest, ReadLocalInfoFillsTheLocalRecord) {
  OpenLinked();
  EXPECT_STREQ(mox->Local.Name, "DONGLE");
  EXPECT_EQ(mox->Local.Address, kLocalAddress);
  EXPECT_EQ(mox->Local.PeerAddress, kRemoteAddress);
  EXPECT_TRUE(mox->Local.Linked);
  EXPECT_EQ(mox->Local.Channel, kChannel);
  EXPECT_EQ(mox->Local.BaudRate, 115200);
  EXPECT_EQ(mox->Local.PowerLevel, 14);
  state->Answer(TRukMox::CmdInfo, 0, LocalInfo("NEW", 1));
  ASSERT_TRUE(mox->ReadLocalInfo());
  EXPECT_STREQ(mox->Local.Name, "NEW");
  EXPECT_TRUE(mox->Local.PinProtected);
  // Commands 1, 9, 12 and 5, in that order.
  std::vector<int> codes;
  for (const Frame& f : state->frames) codes.push_back(f.code);
  EXPECT_EQ(codes, (std::vector<int>{1, 9, 12, 5}));
}

// A reply too short for its value is no reading: the record keeps what it had.
TEST_F(ModuleTest, ShortStatusAndPinRepliesFail) {
  OpenLinked();
  state->Answer(TRukMox::CmdLinkStatus, 0, {0x05});
  state->onFrame = nullptr;
  EXPECT_FALSE(mox->ReadLinkStatus());
  EXPECT_EQ(mox->Local.PeerAddress, kRemoteAddress);
  state->Answer(TRukMox::CmdReadPin, 0, {'1', '2'});
  std::string pin = "keep";
  EXPECT_FALSE(mox->ReadPin(pin, false));
  EXPECT_EQ(pin, "keep");
  state->Answer(TRukMox::CmdReadPin, 0, {'1', '2', 0xE9, '4'});
  EXPECT_TRUE(mox->ReadPin(pin, false));
  EXPECT_EQ(pin,
            "12\xC3\xA9"
            "4");
}

struct RefusedCase {
  const char* name;
  std::function<bool(TRukMox&)> call;
  std::int32_t errorWord;
};

class RefusedArgumentTest : public ModuleTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedArgumentTest, SendsNothing) {
  OpenLinked();
  error = 0;
  EXPECT_FALSE(GetParam().call(*mox));
  EXPECT_TRUE(state->frames.empty());
  EXPECT_EQ(error, GetParam().errorWord);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RefusedArgumentTest,
    ::testing::Values(
        RefusedCase{"PinOfThree", [](TRukMox& m) { return m.SetPin("1234", "123", false); }, 0},
        RefusedCase{"PinOfFive", [](TRukMox& m) { return m.SetPin("12345", "1234", true); }, 0},
        RefusedCase{"PowerLevel22", [](TRukMox& m) { return m.SetPower(22, false); }, 0},
        RefusedCase{"PowerLevelMinus1", [](TRukMox& m) { return m.SetPower(-1, true); }, 0},
        RefusedCase{"Channel16", [](TRukMox& m) { return m.SetLocalChannel(16); }, ErrChannel},
        RefusedCase{"ChannelMinus1", [](TRukMox& m) { return m.SetLocalChannel(-1); }, ErrChannel},
        RefusedCase{"Address0", [](TRukMox& m) { return m.SetLocalAddress(0); }, 0},
        RefusedCase{"Address65535", [](TRukMox& m) { return m.SetLocalAddress(65535); }, 0},
        RefusedCase{"RateAbove115200", [](TRukMox& m) { return m.SetSerialBaud(115201, false); },
                    0},
        RefusedCase{"NegativeRate", [](TRukMox& m) { return m.SetSerialBaud(-1, true); }, 0},
        RefusedCase{"BaudIndex10", [](TRukMox& m) { return m.SetBaudIndex(10) != -1; }, 0},
        RefusedCase{"BaudIndexMinus1", [](TRukMox& m) { return m.SetBaudIndex(-1) != -1; }, 0}),
    RowName());

struct PayloadCase {
  const char* name;
  std::function<bool(TRukMox&)> call;
  int code;
  int target;
  Bytes payload;
};

class CommandPayloadTest : public ModuleTest, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(CommandPayloadTest, GoesOnTheWire) {
  const PayloadCase& c = GetParam();
  OpenLinked();
  EXPECT_TRUE(c.call(*mox));
  const auto frames = state->FramesOf(c.code);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames[0].target, c.target);
  EXPECT_EQ(frames[0].payload, c.payload);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandPayloadTest,
    ::testing::Values(
        PayloadCase{"PowerLevel21", [](TRukMox& m) { return m.SetPower(21, true); }, 19, 1, {0xFF}},
        PayloadCase{"PowerLevel0", [](TRukMox& m) { return m.SetPower(0, false); }, 19, 0, {0x00}},
        // Only the low 16 bits of the address are used.
        PayloadCase{"AddressLow16Bits",
                    [](TRukMox& m) { return m.SetLocalAddress(65536 + 5); },
                    22,
                    0,
                    {0xEC, 0x05, 0x00}},
        PayloadCase{"Pin",
                    [](TRukMox& m) {
                      return m.SetPin("1234",
                                      "ab\xE2\x82\xAC"
                                      "d",
                                      true);
                    },
                    35,
                    1,
                    {'1', '2', '3', '4', 'a', 'b', 0x80, 'd'}},
        PayloadCase{"RemoteBaudIndex7",
                    [](TRukMox& m) { return m.SetBaudIndex(7) == 7; },
                    2,
                    1,
                    {0x00, 0x4B}},
        PayloadCase{"Checkup",
                    [](TRukMox& m) { return m.WriteCheckupRegister(0x00, 0xFF, true); },
                    26,
                    1,
                    {0x00, 0xFF}}),
    RowName());

TEST_F(ModuleTest, SetSerialBaudFollowsWithTheUsbChannelEvenWithoutAnswer) {
  OpenLinked();
  state->Silence(TRukMox::CmdSerialBaud, 0);
  EXPECT_TRUE(mox->SetSerialBaud(57600, false));
  EXPECT_EQ(state->FramesOf(TRukMox::CmdSerialBaud)[0].payload, (Bytes{0x80, 0x70}));
  EXPECT_EQ(mox->TRukDevice::GetBaudIndex(), 8);
  EXPECT_EQ(state->baud, 57600u);
  // 300 goes to the module but the USB side cannot follow.
  EXPECT_FALSE(mox->SetSerialBaud(300, false));
  EXPECT_EQ(state->baud, 57600u);
}

TEST_F(ModuleTest, BaudIndexIsTheRemoteOne) {
  EXPECT_EQ(mox->GetBaudIndex(), 5);  // from the constructor, before any open
  OpenLinked();
  EXPECT_EQ(mox->GetBaudIndex(), 9);  // the linked remote reports 115200
  ASSERT_EQ(mox->SetBaudIndex(7), 7);
  EXPECT_EQ(mox->RemoteBaudIndex, 7);
}

TEST_F(ModuleTest, OptionFlagWithoutAnswerAddsErrOpen) {
  OpenLinked();
  state->Silence(TRukMox::CmdRemoteMode, 1);
  mox->ClearOptionFlag();
  EXPECT_EQ(error, ErrShortTransfer | ErrOpen);
  EXPECT_FALSE(mox->RemoteOptionFlag);
  EXPECT_TRUE(mox->GetOptionFlag());  // the transport's own flag is untouched
  state->Answer(TRukMox::CmdRemoteMode, 1, {});
  mox->SetOptionFlag();
  EXPECT_EQ(state->FramesOf(TRukMox::CmdRemoteMode).back().payload, (Bytes{0x00}));
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(mox->RemoteOptionFlag);
}

TEST_F(ModuleTest, ChangePinOnBothLinkedEnds) {
  OpenLinked();
  EXPECT_EQ(mox->ChangePin("", "4321"), 0);
  const auto pins = state->FramesOf(TRukMox::CmdSetPin);
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_EQ(pins[0].target, 1);  // the remote first
  EXPECT_EQ(pins[0].payload, (Bytes{' ', ' ', ' ', ' ', '4', '3', '2', '1'}));
  EXPECT_EQ(pins[1].target, 0);
  EXPECT_EQ(mox->RemovePin("4321"), 0);
  EXPECT_EQ(state->FramesOf(TRukMox::CmdSetPin).back().payload,
            (Bytes{'4', '3', '2', '1', ' ', ' ', ' ', ' '}));
}

TEST_F(ModuleTest, ChangePinWithoutLinkTouchesOnlyTheLocalModule) {
  OpenLinked();
  mox->Current->Linked = false;
  EXPECT_EQ(mox->ChangePin("1111", "2222"), 0);
  EXPECT_EQ(state->Count(TRukMox::CmdSetPin, 1), 0u);
  EXPECT_EQ(state->Count(TRukMox::CmdSetPin, 0), 1u);
}

TEST_F(ModuleTest, ChangePinRefusedByTheRemoteLeavesTheLocalPin) {
  OpenLinked();
  state->Silence(TRukMox::CmdSetPin, 1);
  EXPECT_EQ(mox->ChangePin("1111", "2222"), 1);
  EXPECT_EQ(state->Count(TRukMox::CmdSetPin, 0), 0u);
}

TEST_F(ModuleTest, StoreRemoteSettingsTriesThreeTimes) {
  OpenLinked();
  state->Silence(TRukMox::CmdStore, 1);
  EXPECT_FALSE(mox->StoreRemoteSettings());
  EXPECT_EQ(state->Count(TRukMox::CmdStore, 1), 3u);
  EXPECT_EQ(mox->ChangePin("1111", "2222"), 2);
}

}  // namespace
}  // namespace rukmox::test
