// The rules both faces read the operator's names and PINs by.
#include "FieldText.h"

#include <gtest/gtest.h>

#include <string>

#include "NameCharacters.h"
#include "NamedRows.h"

namespace rukmox {
namespace {

using rukmox::test::NameCharacterRow;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

class NameCharacterTest : public ::testing::TestWithParam<NameCharacterRow> {};

TEST_P(NameCharacterTest, TakesLettersDigitsBlankDashAndUnderscoreOnly) {
  EXPECT_EQ(IsNameCharacter(GetParam().code), GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(Table, NameCharacterTest, ::testing::ValuesIn(test::kNameCharacters),
                         test::RowName());

struct TrimCase {
  const char* name;
  std::string typed;
  std::string sent;
};

class TrimmedPinTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimmedPinTest, LosesBlanksAndControlCharactersAtBothEndsOnly) {
  EXPECT_EQ(TrimmedPin(GetParam().typed), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Pins, TrimmedPinTest,
                         ::testing::Values(TrimCase{"AsTyped", "AB12", "AB12"},
                                           TrimCase{"BlanksAround", "  AB12 ", "AB12"},
                                           TrimCase{"ControlCharactersAround", "\tAB\r\n", "AB"},
                                           TrimCase{"BlankInside", "A B", "A B"},
                                           TrimCase{"OnlyBlanksIsNoPin", "    ", ""},
                                           TrimCase{"Empty", "", ""}),
                         test::RowName());

}  // namespace
}  // namespace rukmox
