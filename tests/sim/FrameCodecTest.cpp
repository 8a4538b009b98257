#include "FrameCodec.h"

#include <gtest/gtest.h>

#include "NamedRows.h"

namespace rukmox::sim {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

struct DecodeCase {
  const char* name;
  Bytes wire;
  int frames;  // how many complete frames the bytes hold
  std::uint8_t code;
  int target;
  Bytes payload;  // of the last frame
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, YieldsTheLogicalFrame) {
  const DecodeCase& c = GetParam();
  CommandDecoder decoder;
  std::vector<CommandFrame> frames;
  for (std::uint8_t b : c.wire) {
    if (auto f = decoder.Feed(b)) frames.push_back(*f);
  }
  ASSERT_EQ(static_cast<int>(frames.size()), c.frames);
  if (c.frames == 0) return;
  EXPECT_EQ(frames.back().code, c.code);
  EXPECT_EQ(frames.back().target, c.target);
  EXPECT_EQ(frames.back().payload, c.payload);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DecodeTest,
    testing::Values(
        DecodeCase{"LocalPing", {0xF0, 0x03, 0x1F, 0x00}, 1, 0x1F, 0, {}},
        DecodeCase{"ConnectTo1234", {0xF0, 0x05, 0x08, 0x01, 0x34, 0x12}, 1, 0x08, 1, {0x34, 0x12}},
        DecodeCase{"ChannelChangeTo15", {0xF0, 0x04, 0x03, 0x00, 0x0F}, 1, 0x03, 0, {0x0F}},
        // A payload F0 travels as EF 01 and counts once in LEN.
        DecodeCase{"EscapedStartByte",
                   {0xF0, 0x05, 0x0F, 0x00, 0x41, 0xEF, 0x01},
                   1,
                   0x0F,
                   0,
                   {0x41, 0xF0}},
        DecodeCase{"EscapedEscapeByte", {0xF0, 0x04, 0x0F, 0x00, 0xEF, 0x00}, 1, 0x0F, 0, {0xEF}},
        DecodeCase{"DataFrameHasNoTarget",
                   {0xF0, 0x05, 0x00, 0x07, 0x41, 0x42},
                   1,
                   0x00,
                   -1,
                   {0x07, 0x41, 0x42}},
        DecodeCase{"JunkBeforeTheFrameIsSkipped",
                   {0x0C, 0x64, 0x00, 0xF0, 0x03, 0x1F, 0x00},
                   1,
                   0x1F,
                   0,
                   {}},
        // The stray checksum byte of the serial face's status query does not disturb the next one.
        DecodeCase{"TwoFramesWithAStrayByteBetween",
                   {0xF0, 0x03, 0x01, 0x00, 0x0C, 0xF0, 0x03, 0x09, 0x00},
                   2,
                   0x09,
                   0,
                   {}},
        DecodeCase{"StartByteRestartsABrokenFrame",
                   {0xF0, 0x05, 0x0F, 0xF0, 0x03, 0x1F, 0x00},
                   1,
                   0x1F,
                   0,
                   {}},
        DecodeCase{"BadEscapeDropsTheFrame", {0xF0, 0x04, 0x0F, 0x00, 0xEF, 0x05}, 0, 0, 0, {}},
        DecodeCase{"LengthOneIsNoFrame", {0xF0, 0x01, 0x1F, 0x00}, 0, 0, 0, {}},
        DecodeCase{"CommandWithoutTargetIsNoFrame", {0xF0, 0x02, 0x1F, 0x00}, 0, 0, 0, {}},
        DecodeCase{"LengthAbove109IsNoFrame", {0xF0, 0x6E, 0x1F, 0x00}, 0, 0, 0, {}}),
    RowName());

TEST(DecodeTest, KeepsTheRawBytesAsTheyCame) {
  CommandDecoder decoder;
  const Bytes wire{0xF0, 0x05, 0x0F, 0x00, 0x41, 0xEF, 0x01};
  std::optional<CommandFrame> frame;
  for (std::uint8_t b : wire) frame = decoder.Feed(b);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->raw, wire);
}

TEST(ReplyFrameTest, CountsMarkerAndLength) {
  EXPECT_EQ(ReplyFrame({0x07}), (Bytes{0x64, 0x03, 0x07}));
  EXPECT_EQ(ReplyFrame({}), (Bytes{0x64, 0x02}));
}

TEST(ReplyFrameTest, CutsDataThatWouldNotFit) {
  const Bytes reply = ReplyFrame(Bytes(200, 0x55));
  EXPECT_EQ(reply.size(), 110u);
  EXPECT_EQ(reply[1], 110);
}

}  // namespace
}  // namespace rukmox::sim
