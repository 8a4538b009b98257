// The programming file on its own: sized buffer, header line, record walk, line to frame, and the
// look at the whole file before a job.
#include "ProgrammingFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "NamedRows.h"
#include "Rukmoxprog.h"

namespace rukmox::programming {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Written out here rather than taken from the code, so that a typo there shows.
constexpr std::string_view Header = "S0454E435259505445445F4543555F46494C455F565F30312E";

Bytes B(std::string_view text) {
  return Bytes(text.begin(), text.end());
}
std::string S(std::span<const std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// ---- Header line

struct HeaderCase {
  const char* name;
  std::string file;
  bool accepted;
};

class HeaderCheck : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderCheck, AcceptsOnlyTheFiftyHeaderCharacters) {
  EXPECT_EQ(HeaderMatches(B(GetParam().file)), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderCheck,
    ::testing::Values(
        HeaderCase{"UpperCase", std::string(Header) + "\r\nS1030000FC\r\n", true},
        HeaderCase{"LowerCase", Lower(Header) + "\r\nS1030000FC\r\n", true},
        HeaderCase{"FiftyThenMore", std::string(Header) + "0D0A extra text\r\n", true},
        HeaderCase{"HeaderAloneNoLineEnd", std::string(Header), true},
        HeaderCase{"LineFeedOnly", std::string(Header) + "\nS1030000FC\n", true},
        HeaderCase{"FortyNine", std::string(Header.substr(0, 49)) + "\r\nS1030000FC\r\n", false},
        HeaderCase{"FortyNineNoLineEnd", std::string(Header.substr(0, 49)), false},
        // The fiftieth character sits on the next line: the header line itself is too short.
        HeaderCase{"FortyNineThenLineEnd",
                   std::string(Header.substr(0, 49)) + "\r\n" + std::string(Header.substr(49)),
                   false},
        HeaderCase{"OtherVersion", std::string(Header.substr(0, 47)) + "32E\r\n", false},
        HeaderCase{"PlainSRecordHeader", "S00F000068656C6C6F202020202000003C\r\n", false},
        HeaderCase{"Empty", "", false}),
    RowName());

// ---- Line to frame

TEST(LineToFrame, FortyTwoCharacterS1LineGivesTwentyTwoBytes) {
  const Bytes line = B("S1130000000102030405060708090A0B0C0D0EFF65");
  ASSERT_EQ(line.size(), 42u);
  std::uint8_t frame[FrameCapacity];
  const std::size_t length = LineToFrame(line, frame);
  EXPECT_THAT(std::vector<std::uint8_t>(frame, frame + length),
              ElementsAre(0x53, 0x31, 0x13, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                          0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xFF, 0x65));
}

struct FrameCase {
  const char* name;
  std::string line;
  std::vector<std::uint8_t> frame;  // empty: the line cannot be framed
};

class LineFraming : public ::testing::TestWithParam<FrameCase> {};

TEST_P(LineFraming, GivesTheExpectedBytes) {
  std::uint8_t frame[FrameCapacity + 8];
  const std::size_t length = LineToFrame(B(GetParam().line), frame);
  EXPECT_THAT(std::vector<std::uint8_t>(frame, frame + length), ElementsAreArray(GetParam().frame));
}

std::vector<std::uint8_t> RepeatedFrame(std::size_t dataBytes) {
  std::vector<std::uint8_t> frame{'S', '3'};
  frame.insert(frame.end(), dataBytes, 0xAA);
  return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineFraming,
    ::testing::Values(
        // Type and address width are not interpreted: an S3 line goes out the same way.
        FrameCase{"S3", "S30500001000EA", {0x53, 0x33, 0x05, 0x00, 0x00, 0x10, 0x00, 0xEA}},
        FrameCase{
            "OddLengthDropsLastCharacter", "S1030000FCF", {0x53, 0x31, 0x03, 0x00, 0x00, 0xFC}},
        FrameCase{"LowerCaseDigits", "S1030000fc", {0x53, 0x31, 0x03, 0x00, 0x00, 0xFC}},
        // Characters are not validated; they convert as the boot loader's own routine does.
        FrameCase{"NonHexCharacters", "S1GZ/0", {0x53, 0x31, 0x23, 0xF0}},
        FrameCase{"TwoCharacters", "S9", {0x53, 0x39}}, FrameCase{"OneCharacter", "S", {}},
        FrameCase{"LongestThatFits", "S3" + std::string(396, 'A') + "B", RepeatedFrame(198)},
        FrameCase{"OneCharacterTooLong", "S3" + std::string(398, 'A'), {}},
        FrameCase{"FarTooLong", "S3" + std::string(5000, 'A'), {}}),
    RowName());

TEST(LineToFrame, RefusesAFrameBufferTooSmall) {
  std::uint8_t frame[4];
  EXPECT_EQ(LineToFrame(B("S1030000FC"), frame), 0u);
}

// ---- Walking the record lines

struct WalkCase {
  const char* name;
  std::string afterHeader;            // the file after the header line and its line end
  std::vector<std::string> records;   // expected record texts, numbered 1, 2, ...
  std::vector<std::size_t> consumed;  // expected consumed counts, relative to the records' start
};

class RecordWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(RecordWalk, YieldsEveryRecordInOrder) {
  const std::string head = std::string(Header) + "\r\n";
  const Bytes file = B(head + GetParam().afterHeader);
  RecordWalker walker(file);
  std::vector<std::string> texts;
  std::vector<std::size_t> consumed;
  std::int32_t expectedNumber = 0;
  while (const auto record = walker.Next()) {
    EXPECT_EQ(record->number, ++expectedNumber);
    texts.push_back(S(record->text));
    consumed.push_back(record->consumed - head.size());
  }
  EXPECT_THAT(texts, ElementsAreArray(GetParam().records));
  EXPECT_THAT(consumed, ElementsAreArray(GetParam().consumed));
  EXPECT_EQ(CheckRecordLines(file).records, static_cast<std::int32_t>(texts.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecordWalk,
    ::testing::Values(
        WalkCase{"CrLfWithFinalLineEnd",
                 "S1030000FC\r\nS9030000FC\r\n",
                 {"S1030000FC", "S9030000FC"},
                 {12, 24}},
        WalkCase{"CrLfWithoutFinalLineEnd",
                 "S1030000FC\r\nS9030000FC",
                 {"S1030000FC", "S9030000FC"},
                 {12, 22}},
        WalkCase{
            "LineFeedOnly", "S1030000FC\nS9030000FC\n", {"S1030000FC", "S9030000FC"}, {11, 22}},
        WalkCase{"CarriageReturnOnly",
                 "S1030000FC\rS9030000FC\r",
                 {"S1030000FC", "S9030000FC"},
                 {11, 22}},
        // Blank lines carry no record and take no number; they count as consumed with the record
        // before them, so the last record reaches the end of the file.
        WalkCase{"BlankLinesBetweenAndAfter",
                 "\r\nS1030000FC\r\n\r\n \t\r\nS9030000FC\r\n\r\n",
                 {"S1030000FC", "S9030000FC"},
                 {20, 34}},
        WalkCase{"MixedLineEnds",
                 "S1030000FC\nS1030001FB\r\nS9030000FC\r",
                 {"S1030000FC", "S1030001FB", "S9030000FC"},
                 {11, 23, 34}},
        WalkCase{"HeaderOnly", "", {}, {}}, WalkCase{"OnlyBlankLines", "\r\n\r\n  \n", {}, {}}),
    RowName());

TEST(RecordWalk, HeaderWithoutLineEndHasNoRecords) {
  const Bytes file = B(std::string(Header) + "S1030000FC");
  EXPECT_FALSE(RecordWalker(file).Next().has_value());
}

TEST(RecordCheck, FindsTheFirstRecordThatCannotBeFramed) {
  const std::string tooLong = "S3" + std::string(400, '0');
  const Bytes file = B(std::string(Header) + "\r\nS1030000FC\r\n\r\nS1030000FC\r\n" + tooLong +
                       "\r\nS\r\n" + tooLong + "\r\n");
  const RecordCheck check = CheckRecordLines(file);
  EXPECT_EQ(check.records, 5);
  EXPECT_EQ(check.firstUnframeable, 3);  // the blank line takes no number
}

// ---- The sized buffer

TEST(SizedBuffer, StartsWithTheSizeLittleEndian) {
  const Bytes file(0x01A3, 'x');
  const auto block = MakeSizedBuffer(file);
  ASSERT_TRUE(block.has_value());
  ASSERT_EQ(block->size(), file.size() + 4);
  EXPECT_THAT(Bytes(block->begin(), block->begin() + 4), ElementsAre(0xA3, 0x01, 0x00, 0x00));
  const auto data = SizedBufferData(*block);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(data->size(), file.size());
  EXPECT_EQ(data->data(), block->data() + 4);
}

struct BlockCase {
  const char* name;
  Bytes block;
  std::optional<std::size_t> dataSize;
};

class SizedBufferBounds : public ::testing::TestWithParam<BlockCase> {};

TEST_P(SizedBufferBounds, NeverReachesBeyondTheBlock) {
  const auto data = SizedBufferData(GetParam().block);
  ASSERT_EQ(data.has_value(), GetParam().dataSize.has_value());
  if (data) {
    EXPECT_EQ(data->size(), *GetParam().dataSize);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SizedBufferBounds,
    ::testing::Values(BlockCase{"SizeZero", {0, 0, 0, 0}, 0},
                      BlockCase{"ExactSize", {2, 0, 0, 0, 'S', '1'}, 2},
                      // Extra bytes after the data are not part of the file.
                      BlockCase{"LongerBlock", {1, 0, 0, 0, 'S', '1'}, 1},
                      BlockCase{"SizeBeyondBlock", {3, 0, 0, 0, 'S', '1'}, std::nullopt},
                      BlockCase{"NegativeSize", {0xFF, 0xFF, 0xFF, 0xFF, 'S'}, std::nullopt},
                      BlockCase{"NoSizeField", {1, 0}, std::nullopt},
                      BlockCase{"Empty", {}, std::nullopt}),
    RowName());

TEST(SizedBuffer, ReadsAFileFromDisk) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("rukmox-programming-" + std::to_string(::getpid()) + ".s19");
  const std::string text = std::string(Header) + "\r\nS1030000FC\r\n";
  { std::ofstream(path, std::ios::binary) << text; }
  const auto block = ReadSizedBuffer(path);
  std::filesystem::remove(path);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(*block, *MakeSizedBuffer(B(text)));
}

TEST(SizedBuffer, MissingFileOrDirectoryGivesNothing) {
  EXPECT_FALSE(ReadSizedBuffer("/nonexistent/rukmox/firmware.s19").has_value());
  EXPECT_FALSE(ReadSizedBuffer(std::filesystem::temp_directory_path()).has_value());
}

// ---- The file's form, looked at before any device is touched

struct FormCase {
  const char* name;
  std::string file;
  std::int32_t result;
  FileFault fault;
};

class FileForm : public ::testing::TestWithParam<FormCase> {};

TEST_P(FileForm, RefusesWhatNoBootLoaderCouldTakeWhole) {
  const FileCheck check = CheckFile(B(GetParam().file));
  EXPECT_EQ(check.result, GetParam().result);
  EXPECT_EQ(check.fault, GetParam().fault);
}

const std::string kFirst = std::string(Header) + "\r\nS1050000AABB95\r\n";
const std::string kEnd = "S9030000FC\r\n";

constexpr std::int32_t Ok = ProgramOk;
constexpr std::int32_t Record(std::int32_t n) {
  return ProgramRecordBase + n;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileForm,
    ::testing::Values(
        FormCase{"Good", kFirst + kEnd, Ok, FileFault::None},
        FormCase{"LowerCaseLetterAndDigits", kFirst + "s1050010aabb85\r\ns9030000fc", Ok,
                 FileFault::None},
        FormCase{"BlankLinesBetweenAndAfter", kFirst + "\r\n  \r\nS9030000FC\r\n\r\n", Ok,
                 FileFault::None},
        // The data is enciphered: a checksum that does not add up is the boot loader's to judge.
        FormCase{"ChecksumIsTheBootLoadersBusiness", kFirst + "S9030000FF\r\n", Ok,
                 FileFault::None},
        // Every record type an S-record file holds, with the address width of its type.
        FormCase{"EveryTypeOfAnSRecordFile",
                 kFirst + "S00600004844521B\r\nS2050000100000\r\nS30500001000EA\r\n"
                          "S5030003F9\r\nS604000003F8\r\nS70500000000FA\r\n",
                 Ok, FileFault::None},
        FormCase{"EndRecordS8", kFirst + "S804000000FB", Ok, FileFault::None},
        FormCase{"EndRecordOnly", std::string(Header) + "\r\n" + kEnd, Ok, FileFault::None},
        FormCase{"Empty", "", ProgramEmpty, FileFault::NoData},
        FormCase{"HeaderOnly", std::string(Header) + "\r\n", ProgramEmpty, FileFault::NoRecords},
        FormCase{"WrongHeader", "S00000\r\n" + kEnd, ProgramWrongHeader, FileFault::WrongHeader},
        FormCase{"Garbage", "garbage\x01\x02\r\n", ProgramWrongHeader, FileFault::WrongHeader},
        FormCase{"NotAnS", kFirst + "X9030000FC\r\n", Record(2), FileFault::NotARecord},
        FormCase{"TypeNotADigit", kFirst + "SX030000FC\r\n", Record(2), FileFault::NotARecord},
        FormCase{"NotHexadecimal", kFirst + "S90300G0FC\r\n", Record(2), FileFault::NotARecord},
        FormCase{"OddDigit", kFirst + "S9030000FC0\r\n", Record(2), FileFault::NotARecord},
        FormCase{"TrailingBlank", kFirst + "S9030000FC \r\n", Record(2), FileFault::NotARecord},
        FormCase{"CountTooLarge", kFirst + "S9040000FC\r\n", Record(2), FileFault::NotARecord},
        FormCase{"CountTooSmall", kFirst + "S9020000FC\r\n", Record(2), FileFault::NotARecord},
        FormCase{"NoCount", kFirst + "S9\r\n", Record(2), FileFault::NotARecord},
        FormCase{"FirstBadOneCounts", kFirst + "S1\r\nS9\r\n", Record(2), FileFault::NotARecord},
        FormCase{"TooLongForAFrame", kFirst + "S1C6" + std::string(2 * 198, '0') + "\r\n",
                 Record(2), FileFault::NotARecord},
        FormCase{"TypeS4", kFirst + "S4050000AABB95\r\n" + kEnd, Record(2), FileFault::UnknownType},
        // A count of 2 leaves an S1 record one address byte and no checksum.
        FormCase{"TooShortForItsAddress", kFirst + "S102AABB\r\n" + kEnd, Record(2),
                 FileFault::TooShort},
        FormCase{"NoEndRecord", kFirst + "S1050010AABB85\r\n", Record(2), FileFault::NoEndRecord},
        FormCase{"EndRecordNotLast", kFirst + kEnd + "S1050010AABB85\r\n", Record(3),
                 FileFault::AfterEnd},
        FormCase{"TwoEndRecords", kFirst + kEnd + kEnd, Record(3), FileFault::AfterEnd}),
    RowName());

TEST(FileForm, TheRecordsLetterIsWrittenInUpperCase) {
  Bytes file = B(Lower(Header) + "\r\ns1050000aabb95\r\n\r\ns9030000fc");
  UpperCaseRecordLetters(file);
  // The header and the digits stay as they are; the boot loaders read digits in either case.
  EXPECT_EQ(S(file), Lower(Header) + "\r\nS1050000aabb95\r\n\r\nS9030000fc");
}

}  // namespace
}  // namespace rukmox::programming
