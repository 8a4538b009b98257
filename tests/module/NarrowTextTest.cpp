// Names and PINs go to the modules as single bytes compatible with Windows-1252.
#include <gtest/gtest.h>

#include "NamedRows.h"
#include "NarrowText.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

struct NarrowCase {
  const char* name;
  std::string utf8;
  std::string narrow;
};

class ToNarrowTest : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(ToNarrowTest, OneByteEachCharacter) {
  EXPECT_EQ(rukmox::ToNarrow(GetParam().utf8), GetParam().narrow);
}

INSTANTIATE_TEST_SUITE_P(Cases, ToNarrowTest,
                         ::testing::Values(NarrowCase{"Ascii", "Pump 7 ~", "Pump 7 ~"},
                                           NarrowCase{"Latin1", "Caf\xC3\xA9", "Caf\xE9"},
                                           NarrowCase{"NoBreakSpace", "a\xC2\xA0z", "a\xA0z"},
                                           NarrowCase{"Euro", "\xE2\x82\xAC", "\x80"},
                                           NarrowCase{"Ellipsis", "\xE2\x80\xA6", "\x85"},
                                           NarrowCase{"NoSingleByteForm", "\xE6\xBC\xA2x", "?x"},
                                           NarrowCase{"Emoji", "\xF0\x9F\x98\x80", "?"},
                                           NarrowCase{"BrokenSequence", "\xC3x", "?x"},
                                           NarrowCase{"StrayContinuation", "\x80x", "?x"},
                                           NarrowCase{"Overlong", "\xC0\xAF", "?"}),
                         RowName());

TEST(FromNarrowTest, IsTheReverse) {
  EXPECT_EQ(rukmox::FromNarrow("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(rukmox::ToNarrow(rukmox::FromNarrow("\x85\x9F\xA0\xFF")), "\x85\x9F\xA0\xFF");
}

}  // namespace
