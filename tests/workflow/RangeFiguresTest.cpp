#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "NamedRows.h"
#include "RangeTest.h"

namespace rukmox {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

struct FiguresCase {
  const char* name;
  std::vector<double> roundTrips;
  std::optional<double> median;
  std::optional<double> p95;
};

class RangeFiguresTest : public testing::TestWithParam<FiguresCase> {};

TEST_P(RangeFiguresTest, MedianAndNearestRank95thPercentile) {
  const FiguresCase& c = GetParam();
  EXPECT_EQ(Median(c.roundTrips), c.median);
  EXPECT_EQ(Percentile95(c.roundTrips), c.p95);
}

std::vector<double> OneToTwenty() {
  std::vector<double> v;
  for (int i = 20; i >= 1; --i) v.push_back(i);  // out of order on purpose
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Figures, RangeFiguresTest,
    testing::Values(FiguresCase{"NoAnswers", {}, std::nullopt, std::nullopt},
                    FiguresCase{"One", {7}, 7.0, 7.0}, FiguresCase{"OddCount", {9, 1, 5}, 5.0, 9.0},
                    FiguresCase{"EvenCountAveragesTheMiddle", {4, 1, 3, 2}, 2.5, 4.0},
                    // rank ceil(0.95 * 20) = 19: one slow answer in twenty stays above it
                    FiguresCase{"Twenty", OneToTwenty(), 10.5, 19.0}),
    test::RowName());

}  // namespace
}  // namespace rukmox
