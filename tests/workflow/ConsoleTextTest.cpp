#include "ConsoleText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
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

// --- what the view is given -------------------------------------------------------------------

struct TranscriptStep {
  bool sent;
  Bytes bytes;
  ConsoleMode mode;
};

TranscriptStep In(std::string_view text, ConsoleMode mode = ConsoleMode::Text) {
  return {false, Bytes(text.begin(), text.end()), mode};
}
TranscriptStep Out(std::string_view text, ConsoleMode mode = ConsoleMode::Text) {
  return {true, Bytes(text.begin(), text.end()), mode};
}

struct TranscriptCase {
  const char* name;
  std::vector<TranscriptStep> steps;
  std::string shown;  // everything appended, in order
};

class TranscriptTest : public ::testing::TestWithParam<TranscriptCase> {};

TEST_P(TranscriptTest, KeepsLinesShortAndSentLinesApart) {
  ConsoleTranscript transcript;
  std::string shown;
  for (const TranscriptStep& step : GetParam().steps)
    shown += step.sent ? transcript.Sent(step.bytes, step.mode)
                       : transcript.Received(step.bytes, step.mode);
  EXPECT_EQ(shown, GetParam().shown);
}

const std::string kFullTextLine(ConsoleTranscript::kTextColumns, 'a');

INSTANTIATE_TEST_SUITE_P(
    ConsoleText, TranscriptTest,
    ::testing::Values(
        TranscriptCase{"TextRunsOnAcrossReads", {In("hel"), In("lo\r\nok")}, "hello\nok"},
        TranscriptCase{"NoLineFeedStillBreaks",
                       {In(kFullTextLine), In(kFullTextLine), In("b")},
                       kFullTextLine + "\n" + kFullTextLine + "\nb"},
        TranscriptCase{"FullLineThenLineFeedGivesNoEmptyLine",
                       {In(kFullTextLine + "\nb")},
                       kFullTextLine + "\nb"},
        TranscriptCase{"EscapeIsNotSplit",
                       {In(kFullTextLine.substr(1)), In(std::string(1, '\0'))},
                       kFullTextLine.substr(1) + "\n\\x00"},
        TranscriptCase{"HexSixteenToALine",
                       {In("0123456789abcdef", ConsoleMode::Hex), In("gh", ConsoleMode::Hex)},
                       "30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66\n67 68"},
        TranscriptCase{"SentLineStandsApartAndMarked",
                       {In("ab"), Out("hi\r\n"), In("hi\r\n")},
                       "ab\n> hi\nhi\n"},
        TranscriptCase{"SentWithoutLineEnd", {Out("AT"), Out("AT")}, "> AT\n> AT\n"},
        TranscriptCase{"SentHex",
                       {In("A", ConsoleMode::Hex), Out("AT\r", ConsoleMode::Hex)},
                       "41\n> 41 54 0D\n"},
        TranscriptCase{"ModeChangeStartsALine",
                       {In("ok"), In("ok", ConsoleMode::Hex), In("!")},
                       "ok\n6F 6B\n!"}),
    test::RowName());

}  // namespace
}  // namespace rukmox
