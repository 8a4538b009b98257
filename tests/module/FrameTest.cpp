// Command frames as they go on the wire: length byte, target byte, escaping and the size limit.
#include <gtest/gtest.h>

#include <vector>

#include "ModuleFrame.h"
#include "NamedRows.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using Bytes = std::vector<std::uint8_t>;
using rukmox::module::AppendFrameByte;
using rukmox::module::BuildCommandFrame;

struct FrameCase {
  const char* name;
  std::uint8_t command;
  bool remote;
  bool omitTarget;
  Bytes payload;
  Bytes expected;
};

Bytes Repeated(std::size_t count, std::uint8_t value) {
  return Bytes(count, value);
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class FrameBuildingTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameBuildingTest, BuildsTheWireBytes) {
  const FrameCase& c = GetParam();
  std::uint8_t buffer[TRukMox::BufferSize] = {};
  std::int32_t length = 0;
  ASSERT_TRUE(BuildCommandFrame(buffer, length, c.command, c.remote, c.omitTarget,
                                static_cast<std::int32_t>(c.payload.size()), c.payload.data()));
  EXPECT_EQ(Bytes(buffer, buffer + length), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FrameBuildingTest,
    ::testing::Values(
        FrameCase{"LocalPing", 31, false, false, {}, {0xF0, 0x03, 0x1F, 0x00}},
        FrameCase{
            "ConnectTo1234", 8, true, false, {0x34, 0x12}, {0xF0, 0x05, 0x08, 0x01, 0x34, 0x12}},
        FrameCase{"LocalChannel15", 3, false, false, {0x0F}, {0xF0, 0x04, 0x03, 0x00, 0x0F}},
        // A payload F0 goes as EF 01 and adds 1, not 2, to the length.
        FrameCase{"NameWithF0",
                  15,
                  false,
                  false,
                  {0xF0, 'A', 0, 0, 0, 0, 0, 0, 0, 0},
                  {0xF0, 0x0D, 0x0F, 0x00, 0xEF, 0x01, 'A', 0, 0, 0, 0, 0, 0, 0, 0}},
        FrameCase{
            "PayloadEF", 26, true, false, {0xEF, 0xFF}, {0xF0, 0x05, 0x1A, 0x01, 0xEF, 0x00, 0xFF}},
        // Code and target are never escaped, whatever their value.
        FrameCase{"CodeNotEscaped", 0xF0, false, false, {}, {0xF0, 0x03, 0xF0, 0x00}},
        FrameCase{"DataFrameHasNoTarget",
                  0,
                  true,
                  true,
                  {0x07, 'h', 'i'},
                  {0xF0, 0x05, 0x00, 0x07, 'h', 'i'}},
        // The largest frames: 3 + 107 bytes of data frame, 4 + 106 of a command.
        FrameCase{"DataFrame107", 0, true, true, Repeated(107, 0x55),
                  Concat({0xF0, 109, 0x00}, Repeated(107, 0x55))},
        FrameCase{"DataFrame101SixEscapes", 0, true, true,
                  Concat(Repeated(6, 0xEF), Repeated(95, 0x11)),
                  Concat(Concat({0xF0, 103, 0x00},
                                {0xEF, 0, 0xEF, 0, 0xEF, 0, 0xEF, 0, 0xEF, 0, 0xEF, 0}),
                         Repeated(95, 0x11))},
        FrameCase{"Command106", 15, true, false, Repeated(106, 0x20),
                  Concat({0xF0, 109, 0x0F, 0x01}, Repeated(106, 0x20))}),
    RowName());

struct OversizeCase {
  const char* name;
  bool omitTarget;
  Bytes payload;
};

class OversizeFrameTest : public ::testing::TestWithParam<OversizeCase> {};

TEST_P(OversizeFrameTest, IsReportedAsNotBuilt) {
  const OversizeCase& c = GetParam();
  std::uint8_t buffer[TRukMox::BufferSize] = {};
  std::int32_t length = 0;
  EXPECT_FALSE(BuildCommandFrame(buffer, length, 0, true, c.omitTarget,
                                 static_cast<std::int32_t>(c.payload.size()), c.payload.data()));
  EXPECT_EQ(length, TRukMox::BufferSize);  // filled up to the end, never past it
}

INSTANTIATE_TEST_SUITE_P(Limits, OversizeFrameTest,
                         ::testing::Values(OversizeCase{"DataFrame108", true, Repeated(108, 0x55)},
                                           OversizeCase{"Command107", false, Repeated(107, 0x55)},
                                           OversizeCase{
                                               "DataFrame101SevenEscapes", true,
                                               Concat(Repeated(7, 0xF0), Repeated(94, 0x11))}),
                         RowName());

TEST(AppendFrameByteTest, LengthByteStartsAtOneAndCountsOnlyCountedBytes) {
  std::uint8_t buffer[TRukMox::BufferSize] = {};
  std::int32_t length = 0;
  ASSERT_TRUE(AppendFrameByte(buffer, length, 0xF0, true));
  ASSERT_TRUE(AppendFrameByte(buffer, length, 0x77, true));  // the placeholder becomes 1
  EXPECT_EQ(buffer[1], 1);
  ASSERT_TRUE(AppendFrameByte(buffer, length, 0xEF, false));
  EXPECT_EQ(buffer[1], 1);
  ASSERT_TRUE(AppendFrameByte(buffer, length, 0x01, true));
  EXPECT_EQ(buffer[1], 2);
  EXPECT_EQ(length, 4);
}

}  // namespace
