#include "BootLoader.h"

#include <gtest/gtest.h>

#include <string>

#include "BootRecord.h"
#include "NamedRows.h"

namespace rukmox::sim {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;
using test::BootRecord;

class BootLoaderTest : public testing::Test {
 protected:
  BootAnswer Run(const Bytes& frame) { return RunBootFrame(state, kKindMcu, frame); }
  void PrepareAndStart() {
    ASSERT_EQ(Run({0x00, 0x09, 0x09}).bytes, (Bytes{0x53, 0x09, 0x00, 0x5C}));
    ASSERT_EQ(Run({0x93, 0x93}).bytes, (Bytes{0xA7, 0xA7}));
  }
  BootLoaderState state;
};

TEST_F(BootLoaderTest, StatusAnswerSumsToItsChecksumAndNamesTheKind) {
  const Bytes answer = Run({0x00, 0x02, 0x02}).bytes;
  ASSERT_EQ(answer.size(), 9u);
  EXPECT_EQ(answer[0], 0x53);
  EXPECT_EQ(answer[1], 6);
  EXPECT_EQ(answer[3], 3) << "mode: boot loader";
  EXPECT_EQ(answer[6], kKindMcu);
  unsigned sum = 0;
  for (std::size_t i = 0; i + 1 < answer.size(); ++i) sum += answer[i];
  EXPECT_EQ(answer.back(), sum & 0xFF);
  EXPECT_EQ(RunBootFrame(state, kKindDongle, {0x00, 0x02, 0x02}).bytes[6], kKindDongle);
}

TEST_F(BootLoaderTest, RefusesAFrameWithAWrongChecksum) {
  // CA b1 b2 s with s the sum of the three bytes before it.
  EXPECT_EQ(Run({0x00, 0x02, 0x03}).bytes, (Bytes{0xCA, 0x01, 0x02, 0xCD}));
}

TEST_F(BootLoaderTest, RefusesStatusQueriesWhenTold) {
  state.setup.refuseStatus = true;
  EXPECT_EQ(Run({0x00, 0x02, 0x02}).bytes, (Bytes{0xCA, 0x02, 0x02, 0xCE}));
}

TEST_F(BootLoaderTest, PrepareTakesItsTimeAndCanFail) {
  state.setup.prepareMs = 700;
  state.setup.prepareStatus = 5;
  const BootAnswer answer = Run({0x00, 0x09, 0x09});
  EXPECT_EQ(answer.bytes, (Bytes{0x53, 0x09, 0x05, 0x61}));
  EXPECT_EQ(answer.delayMs, 700);
  EXPECT_FALSE(state.prepared);
}

TEST_F(BootLoaderTest, StartNeedsAPreparedSession) {
  EXPECT_EQ(Run({0x93, 0x93}).bytes, (Bytes{0xCA, 0xCA}));
  EXPECT_FALSE(state.started);
}

TEST_F(BootLoaderTest, RecordsBeforeTheStartAreRefused) {
  EXPECT_EQ(Run(BootRecord('1', {0x00, 0x00, 0x11})).bytes, (Bytes{0xCA, 0xCA}));
  EXPECT_TRUE(state.records.empty());
}

TEST_F(BootLoaderTest, KeepsWhatWasProgrammedAndRestartsAfterTheEndRecord) {
  PrepareAndStart();
  const Bytes header = BootRecord('0', {0x00, 0x00, 0x41, 0x42});
  const Bytes data = BootRecord('1', {0x12, 0x34, 0xDE, 0xAD, 0xBE, 0xEF});
  EXPECT_EQ(Run(header).bytes, (Bytes{0xA7, 0xA7}));
  EXPECT_EQ(Run(data).bytes, (Bytes{0xA7, 0xA7}));
  EXPECT_FALSE(state.finished);
  EXPECT_EQ(Run(BootRecord('9', {0x00, 0x00})).bytes, (Bytes{0xA7, 0xA7}));
  EXPECT_TRUE(state.finished);
  ASSERT_EQ(state.records.size(), 3u);
  EXPECT_EQ(state.records[1], data);
  EXPECT_EQ(state.header, header);
}

struct BadRecordCase {
  const char* name;
  Bytes frame;
};

class BadRecordTest : public BootLoaderTest, public testing::WithParamInterface<BadRecordCase> {};

TEST_P(BadRecordTest, IsRefusedAndNotKept) {
  PrepareAndStart();
  EXPECT_EQ(Run(GetParam().frame).bytes, (Bytes{0xCA, 0xCA}));
  EXPECT_TRUE(state.records.empty());
  EXPECT_EQ(state.refusedRecords, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Records, BadRecordTest,
    testing::Values(BadRecordCase{"WrongChecksum", BootRecord('1', {0x00, 0x10, 0x55}, false)},
                    BadRecordCase{"UnknownType", BootRecord('4', {0x00, 0x10, 0x55})},
                    BadRecordCase{"TypeNotADigit", BootRecord('X', {0x00, 0x10, 0x55})},
                    BadRecordCase{"CountShorterThanTheAddress", BootRecord('3', {0x00, 0x10})}),
    RowName());

TEST_F(BootLoaderTest, RefusesRecordNAsOftenAsTold) {
  state.setup.refuseRecord = 2;
  state.refusalsLeft = 1;
  PrepareAndStart();
  const Bytes record = BootRecord('1', {0x00, 0x00, 0x01});
  EXPECT_EQ(Run(record).bytes, (Bytes{0xA7, 0xA7}));
  EXPECT_EQ(Run(record).bytes, (Bytes{0xCA, 0xCA})) << "record 2, first try";
  EXPECT_EQ(Run(record).bytes, (Bytes{0xA7, 0xA7})) << "record 2, second try";
  EXPECT_EQ(state.records.size(), 2u);
}

TEST_F(BootLoaderTest, PreparingAgainErasesTheEarlierSession) {
  PrepareAndStart();
  Run(BootRecord('1', {0x00, 0x00, 0x01}));
  PrepareAndStart();
  EXPECT_TRUE(state.records.empty());
}

TEST(BootFrameReaderTest, DelimitsEachFrameKind) {
  BootFrameReader reader;
  const auto now = Clock::now();
  const Bytes wire{0x00, 0x02, 0x02, 0x93, 0x93, 'S', '9', 0x03, 0x00, 0x00, 0xFC};
  std::vector<Bytes> frames;
  for (std::uint8_t b : wire) {
    if (auto f = reader.Feed(b, now)) frames.push_back(*f);
  }
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0], (Bytes{0x00, 0x02, 0x02}));
  EXPECT_EQ(frames[1], (Bytes{0x93, 0x93}));
  EXPECT_EQ(frames[2].size(), 6u);
}

TEST(BootFrameReaderTest, APauseDropsAHalfFrame) {
  BootFrameReader reader;
  const auto now = Clock::now();
  EXPECT_FALSE(reader.Feed(0x00, now));
  const auto later = now + BootFrameReader::kGap;
  EXPECT_FALSE(reader.Feed(0x00, later));
  EXPECT_FALSE(reader.Feed(0x02, later));
  EXPECT_EQ(reader.Feed(0x02, later), (Bytes{0x00, 0x02, 0x02}));
}

}  // namespace
}  // namespace rukmox::sim
