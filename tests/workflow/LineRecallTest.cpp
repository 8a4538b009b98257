// Calling back the lines sent from a console with Up and Down.
#include <gtest/gtest.h>

#include "LineRecall.h"

namespace rukmox::workflow {
namespace {

TEST(LineRecallTest, UpGoesBackAndDownReturnsToWhatWasTyped) {
  LineRecall recall;
  EXPECT_EQ(recall.Up("typing"), std::nullopt);  // nothing sent yet
  recall.Add("one");
  recall.Add("two");
  recall.Add("two");  // the same line twice in a row is kept once
  recall.Add("");     // an empty line is not kept
  EXPECT_EQ(recall.Up("typing"), "two");
  EXPECT_EQ(recall.Up("two"), "one");
  EXPECT_EQ(recall.Up("one"), std::nullopt);  // the oldest line stays shown
  EXPECT_EQ(recall.Down(), "two");
  EXPECT_EQ(recall.Down(), "typing");
  EXPECT_EQ(recall.Down(), std::nullopt);
}

TEST(LineRecallTest, KeepsOnlyTheNewestLines) {
  LineRecall recall;
  for (std::size_t i = 0; i < LineRecall::kKept + 5; ++i) recall.Add(std::to_string(i));
  std::optional<std::string> oldest;
  for (auto line = recall.Up(""); line; line = recall.Up(*line)) oldest = line;
  EXPECT_EQ(oldest, "5");
}

}  // namespace
}  // namespace rukmox::workflow
