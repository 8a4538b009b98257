// Reading reply data into the records, the levels and the channel choice: no I/O involved.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ModuleFixture.h"
#include "ModuleFrame.h"
#include "NamedRows.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using rukmox::module::ReplyView;
using rukmox::test::Bytes;

ReplyView View(const Bytes& b) {
  return ReplyView(b.data(), static_cast<std::int32_t>(b.size()));
}

TEST(LocalInfoReply, FillsEveryField) {
  const Bytes reply = rukmox::test::LocalInfo("DONGLE", 1);
  TLocalDeviceRecord r;
  rukmox::module::FillLocalInfo(r, View(reply));
  EXPECT_EQ(r.VersionH, 2);
  EXPECT_EQ(r.VersionF, 7);
  EXPECT_EQ(r.VersionP, 3);
  EXPECT_EQ(r.VersionM, 0x0102u);
  EXPECT_EQ(Bytes(r.InfoBytes, r.InfoBytes + 5), (Bytes{1, 2, 3, 4, 5}));
  EXPECT_EQ(r.Address, rukmox::test::kLocalAddress);
  EXPECT_STREQ(r.Name, "DONGLE");
  EXPECT_TRUE(r.PinProtected);
  EXPECT_EQ(Bytes(r.InfoTail, r.InfoTail + 4), (Bytes{0xA1, 0xA2, 0xA3, 0xA4}));
}

TEST(RemoteInfoReply, TakesPeerBeforeOwnAddress) {
  const Bytes reply = rukmox::test::RemoteInfo("MCU");
  TRemoteDeviceRecord r;
  rukmox::module::FillRemoteInfo(r, View(reply));
  EXPECT_EQ(r.PeerAddress, rukmox::test::kLocalAddress);
  EXPECT_EQ(r.Address, rukmox::test::kRemoteAddress);
  EXPECT_STREQ(r.Name, "MCU");
  EXPECT_EQ(Bytes(r.InfoTail, r.InfoTail + 4), (Bytes{0xB1, 0xB2, 0xB3, 0xB4}));
}

struct NameCase {
  const char* name;
  Bytes nameBytes;  // as they follow the address, terminator and PIN flag included
  const char* expected;
  bool pin;
};

class ReplyNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ReplyNameTest, IsCopiedWithinTheField) {
  const NameCase& c = GetParam();
  Bytes reply{0x10, 0x00, 0, 0, 0};
  reply.insert(reply.end(), c.nameBytes.begin(), c.nameBytes.end());
  TRemoteDeviceRecord r;
  std::memset(r.Name, 'x', sizeof r.Name);  // the field is cleared, not appended to
  rukmox::module::FillScanAnswer(r, View(reply), 3);
  EXPECT_EQ(std::string(r.Name, strnlen(r.Name, sizeof r.Name)), c.expected);
  EXPECT_EQ(r.Name[ModuleNameSize - 1], '\0');
  EXPECT_EQ(r.PinProtected, c.pin);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ReplyNameTest,
    ::testing::Values(
        NameCase{"Plain", {'A', 'B', 0, 1}, "AB", true},
        // Past 9 characters only the first 9 are kept; the PIN flag still follows the real zero.
        NameCase{"TwelveCharacters",
                 {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 0, 1},
                 "ABCDEFGHI",
                 true},
        // A byte outside 20..7E leaves a zero there, so the name ends at it.
        NameCase{"ControlByte", {'A', 0x07, 'C', 0, 0}, "A", false},
        NameCase{"HighByte", {0xE9, 'B', 0, 1}, "", true},
        NameCase{"Unterminated", {'A', 'B', 'C'}, "ABC", false},
        NameCase{"Empty", {0, 1}, "", true}),
    RowName());

TEST(ScanAnswerReply, UnlinkedDeviceHasNoPeer) {
  const Bytes reply = rukmox::test::ScanAnswer(0x1234, "NODE", false, 0x5555);
  TRemoteDeviceRecord r;
  rukmox::module::FillScanAnswer(r, View(reply), 9);
  EXPECT_EQ(r.Address, 0x1234u);
  EXPECT_FALSE(r.Linked);
  EXPECT_EQ(r.PeerAddress, 0xFFFFu);
  EXPECT_EQ(r.Channel, 9);
}

TEST(ScanAnswerReply, LinkedDeviceReportsItsPeer) {
  const Bytes reply = rukmox::test::ScanAnswer(0x1234, "NODE", true, 0x5555);
  TRemoteDeviceRecord r;
  rukmox::module::FillScanAnswer(r, View(reply), 9);
  EXPECT_TRUE(r.Linked);
  EXPECT_EQ(r.PeerAddress, 0x5555u);
}

// Bytes an earlier reply left behind the reply's length are never taken for this one.
TEST(ScanAnswerReply, ShortAnswerInventsNothing) {
  Bytes buffer = rukmox::test::ScanAnswer(0x1234, "OLD", true, 0x5555);
  TRemoteDeviceRecord r;
  rukmox::module::FillScanAnswer(r, ReplyView(buffer.data(), 0), 2);
  EXPECT_EQ(r.Address, 0u);
  EXPECT_FALSE(r.Linked);
  EXPECT_STREQ(r.Name, "");
  rukmox::module::FillScanAnswer(r, ReplyView(buffer.data(), 2), 2);
  EXPECT_EQ(r.Address, 0x1234u);
  EXPECT_STREQ(r.Name, "");
}

TEST(ConfigReply, LocalAndRemoteReadTheirOwnFlags) {
  const Bytes reply{1, 3, 50, 10, 0, 0x00, 0x4B, 0xBC, 7};  // 0x4B00 * 2 = 38400
  TLocalDeviceRecord local;
  rukmox::module::FillLocalConfig(local, View(reply));
  EXPECT_FALSE(local.ConfigFlag);  // byte 0 is 1
  EXPECT_EQ(local.ConfigByte, 3);
  EXPECT_FLOAT_EQ(local.ConfigScale, 1.0f);
  EXPECT_FLOAT_EQ(local.ConfigProduct, 50.0f);
  EXPECT_EQ(local.BaudRate, 38400);
  EXPECT_EQ(local.PowerLevel, 14);
  TRemoteDeviceRecord remote;
  rukmox::module::FillRemoteConfig(remote, View(reply));
  EXPECT_FALSE(remote.ConfigFlag);  // byte 4 is 0
  EXPECT_EQ(remote.ConfigExtra, 7);
  EXPECT_EQ(remote.BaudRate, 38400);
}

TEST(ConfigReply, PowerByteOutsideTheTableGives255) {
  const Bytes reply{0, 0, 0, 0, 0, 0, 0, 0x0A, 0};
  TLocalDeviceRecord local;
  rukmox::module::FillLocalConfig(local, View(reply));
  EXPECT_EQ(local.PowerLevel, 255);
  EXPECT_TRUE(local.ConfigFlag);
}

TEST(Levels, RawValueMinus65535) {
  EXPECT_EQ(rukmox::module::LevelOf(View({0xA2, 0xFF})), -93);
  EXPECT_EQ(rukmox::module::LevelOf(View({0xFF, 0xFF})), 0);
}

struct ChoiceCase {
  const char* name;
  std::int32_t start;
  std::vector<std::pair<int, std::uint8_t>> values;  // the rest stay at 95
  std::int32_t expected;
};

class QuietestChannelTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(QuietestChannelTest, Chooses) {
  const ChoiceCase& c = GetParam();
  std::uint8_t values[RadioChannelCount];
  std::fill(std::begin(values), std::end(values), 95);
  for (auto [ch, v] : c.values) values[ch] = v;
  EXPECT_EQ(rukmox::module::QuietestChannel(values, c.start), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, QuietestChannelTest,
    ::testing::Values(ChoiceCase{"NothingBelow95", 4, {}, 7}, ChoiceCase{"Wraps", 14, {}, 1},
                      // Search order 7, 8, ..., 15, 0, ..., 6: 9 is met before 5.
                      ChoiceCase{"TieGoesToFirstMet", 4, {{5, 10}, {9, 10}}, 9},
                      ChoiceCase{"Lowest", 4, {{5, 3}, {9, 10}}, 5},
                      ChoiceCase{"CurrentIsQuietest", 4, {{4, 1}, {9, 10}}, 4}),
    RowName());

TEST(RateTable, MapsRatesToIndexesAndOthersTo5) {
  EXPECT_EQ(rukmox::module::RateIndexOf(38400), 7);
  EXPECT_EQ(rukmox::module::RateIndexOf(110), 0);
  EXPECT_EQ(rukmox::module::RateIndexOf(12345), 5);
  EXPECT_EQ(TRukMox::PowerLevelOf(0xFF), 21);
  EXPECT_EQ(TRukMox::PowerLevelOf(0x0A), -1);
}

}  // namespace
