#include "ConsoleText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "NamedRows.h"

namespace rukmox {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using Bytes = std::vector<std::uint8_t>;

struct HexCase {
  const char* name;
  std::string line;
  std::optional<Bytes> bytes;
};

class HexLineTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexLineTest, GivesTheBytesOrRefusesTheLine) {
  EXPECT_EQ(ParseHexPairs(GetParam().line), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    ConsoleText, HexLineTest,
    ::testing::Values(HexCase{"Spaced", "48 65 0d", Bytes{0x48, 0x65, 0x0D}},
                      HexCase{"Joined", "48650D", Bytes{0x48, 0x65, 0x0D}},
                      HexCase{"ExtraBlanksAndTabs", " 48  \t65 ", Bytes{0x48, 0x65}},
                      HexCase{"FrameBytes", "F0 EF 00 ff", Bytes{0xF0, 0xEF, 0x00, 0xFF}},
                      HexCase{"Empty", "", Bytes{}},
                      HexCase{"OddDigitAtTheEnd", "48 6", std::nullopt},
                      HexCase{"PairSplitByABlank", "4 865", std::nullopt},
                      HexCase{"NotHex", "4G", std::nullopt},
                      HexCase{"Prefixed", "0x48", std::nullopt}),
    test::RowName());

TEST(ConsoleTextTest, ShowsEveryReceivedByte) {
  const Bytes bytes = {'o', 'k', '\r', '\n', '\t', '\\', 0x00, 0x7F, 0xC3, 0xA8};
  EXPECT_EQ(ShownBytes(bytes, ConsoleMode::Text), "ok\n\t\\\\\\x00\\x7F\\xC3\\xA8");
  EXPECT_EQ(ShownBytes(bytes, ConsoleMode::Hex), "6F 6B 0D 0A 09 5C 00 7F C3 A8");
  EXPECT_EQ(ShownBytes({}, ConsoleMode::Hex), "");
}

TEST(ConsoleTextTest, TextLinesGetTheLineEndHexLinesDoNot) {
  EXPECT_EQ(LineToSend("AT", ConsoleMode::Text, "\r\n"), (Bytes{'A', 'T', '\r', '\n'}));
  EXPECT_EQ(LineToSend("41 54", ConsoleMode::Hex, "\r\n"), (Bytes{'A', 'T'}));
  EXPECT_EQ(LineToSend("41 5", ConsoleMode::Hex, "\r\n"), std::nullopt);
}

}  // namespace
}  // namespace rukmox
