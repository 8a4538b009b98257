// The transparent data channel: data frames, sequence numbers and split writes.
#include <gtest/gtest.h>

#include <chrono>

#include "ModuleFixture.h"
#include "NamedRows.h"
#include "TimingSlack.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class DataTest : public ModuleTest {
 protected:
  void SetUp() override { OpenLinked(); }
  std::vector<int> Sequences() const {
    std::vector<int> out;
    for (const Frame& f : state->FramesOf(TRukMox::CmdData)) out.push_back(f.payload[0]);
    return out;
  }
  std::vector<std::size_t> Sizes() const {
    std::vector<std::size_t> out;
    for (const Frame& f : state->FramesOf(TRukMox::CmdData)) out.push_back(f.payload.size() - 1);
    return out;
  }
};

struct WriteCase {
  const char* name;
  std::uint32_t count;
  std::uint8_t before;
  std::int32_t flags;
  std::vector<int> sequences;
  std::vector<std::size_t> sizes;
  int pauses;  // 30 ms each
};

class WriteTest : public DataTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteTest, SendsFrames) {
  const WriteCase& c = GetParam();
  mox->SequenceNumber = c.before;
  Bytes data(c.count);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 200);
  const auto start = Clock::now();
  ASSERT_TRUE(mox->Write(data.data(), c.count, c.flags));
  const auto took = Clock::now() - start;
  EXPECT_EQ(Sequences(), c.sequences);
  EXPECT_EQ(Sizes(), c.sizes);
  Bytes sent;
  for (const Frame& f : state->FramesOf(TRukMox::CmdData))
    sent.insert(sent.end(), f.payload.begin() + 1, f.payload.end());
  EXPECT_EQ(sent, data);
  EXPECT_GE(took, milliseconds(30 * c.pauses - 2));
  EXPECT_LE(took, milliseconds(30 * c.pauses) + kLate);
  EXPECT_TRUE(mox->GetPurgeBeforeWrite());
}

INSTANTIATE_TEST_SUITE_P(
    Writes, WriteTest,
    ::testing::Values(WriteCase{"Empty", 0, 0, 0, {1}, {0}, 0},
                      WriteCase{"Hundred", 100, 7, 0, {8}, {100}, 0},
                      WriteCase{"HundredAndOne", 101, 7, 0, {9, 10}, {100, 1}, 2},
                      WriteCase{"TwoHundredFifty", 250, 7, 0, {9, 10, 11}, {100, 100, 50}, 3},
                      WriteCase{"SkipsZero", 250, 253, 0, {255, 1, 2}, {100, 100, 50}, 3},
                      WriteCase{"After255", 1, 255, 0, {1}, {1}, 0},
                      WriteCase{"HighFlagAlone", 1, 4, 0x8000, {5}, {1}, 0},
                      WriteCase{"AdaptKeepsNumber", 1, 4, 0x8001, {4}, {1}, 0},
                      WriteCase{"AdaptAdvances", 1, 4, 0x0001, {5}, {1}, 0}),
    RowName());

TEST_F(DataTest, SplitWriteKeepsWhatTheHostSendsMeanwhile) {
  state->onFrame = [this](const Frame& f) {
    if (f.code == TRukMox::CmdData) state->Queue({'o', 'k'});
  };
  const Bytes data(250, 0x11);
  ASSERT_TRUE(mox->Write(data.data(), 250, 0));
  EXPECT_EQ(state->purges, 0);
  std::uint8_t answer[6] = {};
  ASSERT_TRUE(mox->Read(answer, 6, 100));
  EXPECT_EQ(Bytes(answer, answer + 6), (Bytes{'o', 'k', 'o', 'k', 'o', 'k'}));
}

TEST_F(DataTest, NoLinkSendsNothing) {
  mox->Current->Linked = false;
  const Bytes data(10, 1);
  EXPECT_FALSE(mox->Write(data.data(), 10, 0));
  EXPECT_TRUE(state->frames.empty());
}

TEST_F(DataTest, FailedAdaptSendsNothing) {
  mox->ClearDevices();
  const Bytes data(10, 1);
  EXPECT_FALSE(mox->Write(data.data(), 10, 1));
  EXPECT_TRUE(state->FramesOf(TRukMox::CmdData).empty());
}

// A chunk with more than six bytes to escape does not fit a frame: the write stops there.
TEST_F(DataTest, ChunkThatDoesNotFitEndsTheWrite) {
  Bytes data(250, 0x11);
  std::fill(data.begin() + 100, data.begin() + 110, 0xF0);
  EXPECT_FALSE(mox->Write(data.data(), 250, 0));
  EXPECT_EQ(Sizes(), (std::vector<std::size_t>{100}));
  EXPECT_TRUE(mox->GetPurgeBeforeWrite());
}

}  // namespace
}  // namespace rukmox::test
