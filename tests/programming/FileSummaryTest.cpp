// What the operator is told a programming file holds: records, data bytes and the addresses the
// data records cover, for each address width, with the lines that are not data records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileSummary.h"

namespace rukmox::programming {
namespace {

const std::string kHeader = "S0454E435259505445445F4543555F46494C455F565F30312E";

struct SummaryCase {
  const char* name;
  std::vector<std::string> records;
  std::int32_t count;
  std::int64_t dataBytes;
  std::optional<std::uint32_t> first;
  std::optional<std::uint32_t> last;
  int digits;
};

class FileSummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(FileSummaryTest, CountsRecordsBytesAndAddresses) {
  const SummaryCase& c = GetParam();
  std::string text = kHeader + "\r\n";
  for (const std::string& line : c.records) text += line + "\r\n";
  const std::vector<std::uint8_t> data(text.begin(), text.end());
  const FileSummary summary = SummariseFile(data);
  EXPECT_EQ(summary.records, c.count);
  EXPECT_EQ(summary.dataBytes, c.dataBytes);
  EXPECT_EQ(summary.firstAddress, c.first);
  EXPECT_EQ(summary.lastAddress, c.last);
  EXPECT_EQ(summary.addressDigits, c.digits);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileSummaryTest,
    ::testing::Values(
        // Two S1 records out of address order, and the end record.
        SummaryCase{
            "S1", {"S1071000AABBCCDDxx", "S1050800AABBxx", "S9030000FC"}, 3, 6, 0x0800, 0x1003, 4},
        SummaryCase{"S2", {"S206012345AABBxx", "S804000000FB"}, 2, 2, 0x012345, 0x012346, 6},
        SummaryCase{"S3", {"S30600FF0000AAxx", "S70500000000FA"}, 2, 1, 0x00FF0000, 0x00FF0000, 8},
        SummaryCase{"lower case", {"s1051000aabbxx"}, 1, 2, 0x1000, 0x1001, 4},
        // A count too small for the address and a line cut short add nothing but a record.
        SummaryCase{
            "malformed", {"S1021000", "S107", "S5030003F9"}, 3, 0, std::nullopt, std::nullopt, 4},
        SummaryCase{"header only", {}, 0, 0, std::nullopt, std::nullopt, 4}),
    [](const ::testing::TestParamInfo<SummaryCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name;
    });

}  // namespace
}  // namespace rukmox::programming
