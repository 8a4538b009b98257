#include "ExtraTexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "NamedRows.h"
#include "StringTable.h"

namespace rukmox {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

constexpr int kLanguages[] = {LanguageItalian, LanguageEnglish};

// The places "%1".."%9" a text carries.
std::set<char> PlacesOf(std::string_view text) {
  std::set<char> places;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') places.insert(text[i + 1]);
  return places;
}

// A block with a forgotten text, or a translation that lost a value, shows here.
TEST(ExtraTextTest, EveryTextExistsInEveryLanguageWithTheSamePlaces) {
  for (int id = 0; id < extra::Count; ++id) {
    const auto english = ExtraText(static_cast<extra::Id>(id), LanguageEnglish);
    for (int language : kLanguages) {
      const auto text = ExtraText(static_cast<extra::Id>(id), language);
      EXPECT_FALSE(text.empty()) << "id " << id << ", language " << language;
      EXPECT_EQ(PlacesOf(text), PlacesOf(english)) << "id " << id << ", language " << language;
    }
  }
}

TEST(ExtraTextTest, GivesTheLanguagesOwnWords) {
  EXPECT_EQ(ExtraText(extra::NotLinked, LanguageEnglish), "not linked");
  EXPECT_EQ(ExtraText(extra::NotLinked, LanguageItalian), "non collegato");
}

TEST(ExtraTextTest, AnUnknownLanguageOrIdGivesEmptyText) {
  EXPECT_EQ(ExtraText(extra::Linked, 2), "");
  EXPECT_EQ(ExtraText(extra::Linked, -1), "");
  EXPECT_EQ(ExtraText(extra::Count, LanguageEnglish), "");
  EXPECT_EQ(ExtraText(static_cast<extra::Id>(-1), LanguageEnglish), "");
}

struct FillInCase {
  const char* name;
  std::string pattern;
  std::vector<std::string> values;
  std::string expected;
};

class FillInTest : public ::testing::TestWithParam<FillInCase> {};

TEST_P(FillInTest, PutsEachValueInItsPlace) {
  const FillInCase& c = GetParam();
  std::string text;
  switch (c.values.size()) {
    case 0:
      text = FillIn(c.pattern, {});
      break;
    case 1:
      text = FillIn(c.pattern, {c.values[0]});
      break;
    default:
      text = FillIn(c.pattern, {c.values[0], c.values[1]});
      break;
  }
  EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FillInTest,
    ::testing::Values(FillInCase{"InOrder", "%1 of %2 pings", {"3", "10"}, "3 of 10 pings"},
                      FillInCase{"OutOfOrderAndTwice", "%2-%1-%2", {"a", "b"}, "b-a-b"},
                      // A device name or file name the user typed is put in as it is.
                      FillInCase{"ValueWithAPlaceStaysAsItIs", "[%1] %2", {"%2", "x"}, "[%2] x"},
                      FillInCase{"PlaceWithoutValueStays", "%1 and %2", {"one"}, "one and %2"},
                      FillInCase{"PercentNotFollowedByAPlace", "100% %0 %", {"v"}, "100% %0 %"},
                      FillInCase{"NoPlaces", "plain", {}, "plain"},
                      FillInCase{"EmptyValue", "(%1)", {""}, "()"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rukmox
