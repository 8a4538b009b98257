// The udev rule for the dongle, checked for what udev would refuse and for what it must do.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "NamedRows.h"
#include "UdevRuleSyntax.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;
using ::testing::Optional;

std::string ReadRulesFile() {
  std::ifstream in(RUKMOX_UDEV_RULES);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct BadRule {
  const char* name;
  const char* text;
  const char* says;
};

class UdevSyntaxTest : public ::testing::TestWithParam<BadRule> {};

// The reader has to refuse what udev refuses, or a clean result on the real file means nothing.
TEST_P(UdevSyntaxTest, RefusesWhatUdevRefuses) {
  const UdevParse parse = ParseUdevRules(GetParam().text);
  ASSERT_TRUE(parse.error.has_value());
  EXPECT_THAT(*parse.error, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(
    Udev, UdevSyntaxTest,
    ::testing::Values(
        BadRule{"UnknownKey", "SUBSYSTEM==\"tty\", PRODUCT==\"x\"", "unknown key"},
        BadRule{"LowerCaseKey", "subsystem==\"tty\"", "unknown key"},
        BadRule{"UnquotedValue", "SUBSYSTEM==tty", "needs quotes"},
        BadRule{"UnclosedQuotes", "SUBSYSTEM==\"tty", "not closed"},
        BadRule{"MatchKeyAssigned", "KERNEL=\"ttyUSB*\"", "does not take ="},
        BadRule{"AssignKeyMatched", "GROUP==\"dialout\"", "does not take =="},
        BadRule{"AttributeWithoutBraces", "ATTRS==\"0403\"", "needs an {attribute}"},
        BadRule{"BracesOnPlainKey", "SUBSYSTEM{x}==\"tty\"", "takes no {attribute}"},
        BadRule{"MissingComma", "SUBSYSTEM==\"tty\" GROUP=\"dialout\"", "expected a comma"},
        BadRule{"TrailingComma", "SUBSYSTEM==\"tty\",", "ends with a comma"},
        BadRule{"ContinuedPastTheEnd", "SUBSYSTEM==\"tty\", \\", "continued past the end"},
        BadRule{"FaultOnTheThirdLine", "# c\n\nSUBSYSTEM=\"tty\"", "line 3"}),
    RowName());

TEST(UdevSyntaxTest, ReadsContinuedLinesAsOneRule) {
  const UdevParse parse = ParseUdevRules("# a\nSUBSYSTEM==\"tty\", \\\n  GROUP=\"dialout\"\n");
  ASSERT_FALSE(parse.error.has_value()) << *parse.error;
  ASSERT_EQ(parse.rules.size(), 1u);
  EXPECT_EQ(parse.rules[0].line, 2);
  EXPECT_THAT(FindTerm(parse.rules[0], "GROUP", "", "="), Optional(std::string("dialout")));
}

class DongleRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parse_ = ParseUdevRules(ReadRulesFile());
    ASSERT_FALSE(parse_.error.has_value()) << RUKMOX_UDEV_RULES << ": " << *parse_.error;
    ASSERT_FALSE(parse_.rules.empty());
  }

  // The rule that assigns KEY{attribute}, which the test then checks further.
  const UdevRule* Assigning(const std::string& key, const std::string& attribute,
                            const std::string& op) const {
    for (const UdevRule& rule : parse_.rules)
      if (FindTerm(rule, key, attribute, op)) return &rule;
    return nullptr;
  }

  UdevParse parse_;
};

// A rule without both matches would change every FTDI adapter, or every USB device, on the machine.
TEST_F(DongleRulesTest, EveryRuleMatchesOnlyTheWirelessPortDongle) {
  for (const UdevRule& rule : parse_.rules) {
    SCOPED_TRACE("rule on line " + std::to_string(rule.line));
    const auto product = FindTerm(rule, "ATTRS", "product", "==")
                             ? FindTerm(rule, "ATTRS", "product", "==")
                             : FindTerm(rule, "ATTR", "product", "==");
    const auto vendor = FindTerm(rule, "ATTRS", "idVendor", "==")
                            ? FindTerm(rule, "ATTRS", "idVendor", "==")
                            : FindTerm(rule, "ATTR", "idVendor", "==");
    EXPECT_THAT(product, Optional(std::string("*Wireless Port*")));
    EXPECT_THAT(vendor, Optional(std::string("0403")));
  }
}

TEST_F(DongleRulesTest, TheTtyIsOpenToTheSeatUserAndDialoutAndHiddenFromModemManager) {
  const UdevRule* tty = Assigning("TAG", "", "+=");
  ASSERT_NE(tty, nullptr) << "no rule tags the port";
  EXPECT_THAT(FindTerm(*tty, "SUBSYSTEM", "", "=="), Optional(std::string("tty")));
  EXPECT_THAT(FindTerm(*tty, "TAG", "", "+="), Optional(std::string("uaccess")));
  EXPECT_THAT(FindTerm(*tty, "GROUP", "", "="), Optional(std::string("dialout")));
  EXPECT_THAT(FindTerm(*tty, "MODE", "", "="), Optional(std::string("0660")));
  EXPECT_THAT(FindTerm(*tty, "ENV", "ID_MM_DEVICE_IGNORE", "="), Optional(std::string("1")));
}

TEST_F(DongleRulesTest, TheLatencyTimerIsOneMillisecondOnceTheDriverHasBound) {
  const UdevRule* latency = Assigning("ATTR", "latency_timer", "=");
  ASSERT_NE(latency, nullptr) << "no rule sets the latency timer";
  EXPECT_THAT(FindTerm(*latency, "ATTR", "latency_timer", "="), Optional(std::string("1")));
  EXPECT_THAT(FindTerm(*latency, "SUBSYSTEM", "", "=="), Optional(std::string("usb-serial")));
  EXPECT_THAT(FindTerm(*latency, "DRIVER", "", "=="), Optional(std::string("ftdi_sio")));
  const auto action = FindTerm(*latency, "ACTION", "", "==");
  ASSERT_TRUE(action.has_value());
  EXPECT_THAT(*action, HasSubstr("bind"));
}

// 73-seat-late.rules turns the uaccess tag into the user's access; a tag set after it does nothing.
TEST(DongleRulesFileTest, SortsBeforeTheSeatRulesThatApplyUaccess) {
  const std::string name = std::filesystem::path(RUKMOX_UDEV_RULES).filename().string();
  EXPECT_LT(name, std::string("73-seat-late.rules"));
  EXPECT_THAT(name, ::testing::EndsWith(".rules"));
}

}  // namespace
}  // namespace rukmox::test
