#include "CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "NameCharacters.h"
#include "NamedRows.h"
#include "Reporter.h"
#include "Rukmoxctl.h"

namespace rukmox::cli {
namespace {

using rukmox::test::RowName;

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;

struct Parsed {
  std::optional<int> status;
  CommandLine line;
  std::string out;
  std::string err;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "rukmoxctl");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  Parsed p;
  std::ostringstream out, err;
  p.status = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), p.line, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

// `count` entries, each a real path.
std::string PortList(int count) {
  std::string ports = "/dev/null";
  for (int i = 1; i < count; ++i) ports += ":/dev/null";
  return ports;
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

class UsageErrorTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrorTest, EndsWithStatus2AndSaysWhy) {
  const Parsed p = Parse(GetParam().args);
  ASSERT_TRUE(p.status.has_value());
  EXPECT_EQ(*p.status, ExitUsage);
  EXPECT_FALSE(p.err.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, UsageErrorTest,
    ::testing::Values(
        UsageCase{"NoCommand", {}}, UsageCase{"UnknownCommand", {"reboot"}},
        UsageCase{"AddressAbove16Bits", {"set-address", "65541"}},
        UsageCase{"AddressNotANumber", {"set-address", "12a"}},
        UsageCase{"AddressNegative", {"set-address", "-5"}},
        UsageCase{"AddressMissing", {"set-address"}},
        UsageCase{"NameOfTenCharacters", {"set-name", "ABCDEFGHIJ"}},
        UsageCase{"NameWithAFullStop", {"set-name", "A.B"}},
        UsageCase{"PowerWord", {"set-power", "huge"}}, UsageCase{"Channel16", {"channel", "16"}},
        UsageCase{"ScanRangeReversed", {"scan", "5", "3"}},
        UsageCase{"ScanOneChannelOnly", {"scan", "3"}},
        UsageCase{"ScanPast15", {"scan", "3", "16"}},
        UsageCase{"ConnectRangeReversed", {"connect", "X", "--first", "9", "--last", "2"}},
        UsageCase{"PinOfFiveCharacters", {"pin", "set", "12345"}},
        UsageCase{"PinWithAFullStop", {"pin", "set", "1.3"}},
        UsageCase{"PinWithoutAction", {"pin"}},
        UsageCase{"ProgramUnknownTarget", {"program", "radio", "file"}},
        UsageCase{"ProgramWithoutFile", {"program", "mcu"}},
        UsageCase{"MonitorCountZero", {"monitor", "--count", "0"}},
        UsageCase{"MonitorCsvAndJson", {"--json", "monitor", "--csv"}},
        UsageCase{"RangeTestWithoutCount", {"range-test"}},
        UsageCase{"RangeTestCountZero", {"range-test", "--count", "0"}},
        UsageCase{"RangeTestNegativeInterval", {"range-test", "--count", "3", "--interval", "-1"}},
        UsageCase{"ProfileWithoutAction", {"profile"}},
        UsageCase{"ProfileApplyWithoutFile", {"profile", "apply"}},
        UsageCase{"UnknownLanguage", {"--lang", "de", "info"}},
        UsageCase{"TimeoutTooLong", {"--timeout", "10000", "info"}}),
    RowName());

class HelpTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(HelpTest, PrintsTheCommandsUsageAndEndsWithStatus0) {
  std::vector<std::string> args = GetParam();
  args.push_back("--help");
  const Parsed p = Parse(args);
  ASSERT_TRUE(p.status.has_value());
  EXPECT_EQ(*p.status, ExitOk);
  std::string usage = "Usage: rukmoxctl";
  for (const auto& word : GetParam()) usage += " " + word;
  EXPECT_THAT(p.out, HasSubstr(usage));
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, HelpTest,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"info"},
                      std::vector<std::string>{"set-name"}, std::vector<std::string>{"set-address"},
                      std::vector<std::string>{"set-power"}, std::vector<std::string>{"channel"},
                      std::vector<std::string>{"monitor"}, std::vector<std::string>{"scan"},
                      std::vector<std::string>{"connect"}, std::vector<std::string>{"disconnect"},
                      std::vector<std::string>{"pin"}, std::vector<std::string>{"pin", "set"},
                      std::vector<std::string>{"pin", "remove"},
                      std::vector<std::string>{"spectrum"}, std::vector<std::string>{"program"},
                      std::vector<std::string>{"ping"}),
    [](const auto& info) {
      std::string name = "Program";
      for (const auto& word : info.param) {
        for (char c : word)
          if (c != '-') name += c;
      }
      return name;
    });

// Packagers and scripts ask for the version alone, without a command or a dongle.
TEST(CommandLineTest, VersionNeedsNoCommandAndEndsWithStatus0) {
  const Parsed p = Parse({"--version"});
  ASSERT_TRUE(p.status.has_value());
  EXPECT_EQ(*p.status, ExitOk);
  EXPECT_THAT(p.out, ::testing::StartsWith("rukmoxctl "));
}

// Refusals that say what is wrong and, where there is one, what to do instead.
struct RefusalCase {
  const char* name;
  std::vector<std::string> args;
  std::string says;
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, IsAUsageErrorThatSaysWhy) {
  const Parsed p = Parse(GetParam().args);
  ASSERT_TRUE(p.status.has_value());
  EXPECT_EQ(*p.status, ExitUsage);
  EXPECT_THAT(p.err, HasSubstr(GetParam().says));
  // Not the parser's idea of an int's range (up to 1.797e+308): the user's number is what counts.
  EXPECT_THAT(p.err, ::testing::Not(HasSubstr("e+308")));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, RefusalTest,
    ::testing::Values(
        RefusalCase{"UnknownCommandIsNamed",
                    {"--json", "--timeout", "5", "reboot"},
                    "Unknown command \"reboot\""},
        RefusalCase{"ChannelInHexadecimal", {"channel", "0x3"}, "decimal number, not \"0x3\""},
        RefusalCase{"CountWithASign", {"monitor", "--count", "+5"}, "decimal number"},
        RefusalCase{"TimeoutZero", {"--timeout", "0", "info"}, "at least 50 ms"},
        // Below what a reply relayed over the radio can take, exchanges that work would fail.
        RefusalCase{"TimeoutBelowTheFloor",
                    {"--timeout", "4", "info"},
                    "--timeout: must be at least 50 ms: a reply relayed over the radio can take "
                    "that long"},
        RefusalCase{"TimeoutTooLong", {"--timeout", "10000", "info"}, "at most 9999 ms"},
        RefusalCase{"MonitorCountZero", {"monitor", "--count", "0"}, "--count: must be at least 1"},
        RefusalCase{
            "SpectrumSweepsZero", {"spectrum", "--sweeps", "0"}, "--sweeps: must be at least 1"},
        RefusalCase{"PingCountZero", {"ping", "--count", "000"}, "--count: must be at least 1"},
        RefusalCase{"AddressZero", {"set-address", "0"}, "from 1 to 65534"},
        RefusalCase{"Address65535", {"set-address", "65535"}, "from 1 to 65534"},
        RefusalCase{"EmptyPin", {"pin", "set", ""}, "rukmoxctl pin remove"},
        RefusalCase{"BlankPin", {"pin", "set", "    "}, "rukmoxctl pin remove"},
        RefusalCase{"PinOfThree", {"pin", "set", "123"}, "exactly 4 characters, not 3"},
        RefusalCase{"PinOfFiveCharacters", {"pin", "set", "12345"}, "rukmoxctl pin remove"},
        RefusalCase{"EmptyName", {"set-name", ""}, "must not be empty or blank"},
        RefusalCase{"BlankName", {"set-name", "   "}, "must not be empty or blank"},
        // Nine characters in ten bytes: the accent is what is wrong, not the length.
        RefusalCase{"NineCharactersTenBytes", {"set-name", "ABCDEFGHé"}, "not \"é\""},
        RefusalCase{"TenCharacters", {"set-name", "ABCDEFGHIJ"}, "at most 9 characters, not 10"},
        RefusalCase{"NoSingleByteForm", {"set-name", "Łódź"}, "\"Ł\" has no single-byte form"},
        RefusalCase{"NotUtf8", {"set-name", "A\xff"}, "not valid UTF-8"},
        RefusalCase{"MorePortsThanTheSearchCovers",
                    {"--ports", PortList(256), "info"},
                    "covers only the first 255"}),
    RowName());

// The same limit for a list from the environment, which only the programming job uses.
TEST(CommandLineTest, ProgramRefusesAnEnvironmentPortListLongerThanTheSearch) {
  setenv("RUKMOX_PORTS", PortList(256).c_str(), 1);
  std::ostringstream out, err;
  const char* argv[] = {"rukmoxctl", "program", "mcu", "/nonexistent/firmware.s19"};
  const int status = RunRukmoxctl(4, argv, out, err);
  unsetenv("RUKMOX_PORTS");
  EXPECT_EQ(status, ExitUsage);
  EXPECT_THAT(err.str(), HasSubstr("RUKMOX_PORTS lists 256 ports"));
}

// Empty entries name no port (port k is the k-th path), so they do not count against the search.
TEST(CommandLineTest, EmptyEntriesOfAPortListAreNoPorts) {
  const Parsed p = Parse({"--ports", "/dev/ttyS0" + std::string(300, ':') + "/dev/ttyS1", "info"});
  EXPECT_FALSE(p.status.has_value()) << p.err;
  EXPECT_FALSE(Parse({"--ports", PortList(255), "info"}).status.has_value());
}

// NAME and NEW take the characters a name may hold and nothing else, row for row with the rule
// and with the window's fields.
class NameCharacterArgumentTest : public ::testing::TestWithParam<rukmox::test::NameCharacterRow> {
};

TEST_P(NameCharacterArgumentTest, TakesWhatTheNameRuleTakes) {
  const std::string c = rukmox::test::Utf8(GetParam().code);
  const Parsed name = Parse({"set-name", "N" + c});
  const Parsed pin = Parse({"pin", "set", "AB" + c + "C"});
  EXPECT_EQ(!name.status.has_value(), GetParam().taken) << name.err;
  EXPECT_EQ(!pin.status.has_value(), GetParam().taken) << pin.err;
}

INSTANTIATE_TEST_SUITE_P(Table, NameCharacterArgumentTest,
                         ::testing::ValuesIn(rukmox::test::kNameCharacters), RowName());

TEST(CommandLineTest, NumbersWithLeadingZerosAreDecimal) {
  const Parsed channel = Parse({"channel", "010"});
  ASSERT_FALSE(channel.status.has_value()) << channel.err;
  EXPECT_EQ(channel.line.channel, 10);
  const Parsed count = Parse({"monitor", "--count", "08"});
  ASSERT_FALSE(count.status.has_value()) << count.err;
  EXPECT_EQ(count.line.count, 8);
  const Parsed scan = Parse({"scan", "00", "09"});
  ASSERT_FALSE(scan.status.has_value()) << scan.err;
  EXPECT_EQ(scan.line.last, 9);
}

TEST(CommandLineTest, AddressesAtTheEndsOfTheRangeAndUsualNamesPass) {
  EXPECT_EQ(Parse({"set-address", "1"}).line.address, 1u);
  EXPECT_EQ(Parse({"set-address", "65534"}).line.address, 65534u);
  EXPECT_EQ(Parse({"set-name", "Pump 7_A"}).line.name, "Pump 7_A");
  EXPECT_FALSE(Parse({"--ports", "/dev/ttyS0:/dev/ttyS1", "info"}).status.has_value());
}

TEST(CommandLineTest, PowerWordsGiveTheWindowsLevels) {
  EXPECT_EQ(Parse({"set-power", "min"}).line.powerLevel, 7);
  EXPECT_EQ(Parse({"set-power", "default"}).line.powerLevel, 14);
  EXPECT_EQ(Parse({"set-power", "--remote", "max"}).line.powerLevel, 21);
}

TEST(CommandLineTest, GlobalOptionsWorkBeforeAndAfterTheCommand) {
  const Parsed before = Parse({"--json", "--lang", "it", "--timeout", "250", "info"});
  const Parsed after = Parse({"info", "--json", "--lang", "it", "--timeout", "250"});
  for (const Parsed* p : {&before, &after}) {
    ASSERT_FALSE(p->status.has_value()) << p->err;
    EXPECT_EQ(p->line.command, "info");
    EXPECT_TRUE(p->line.global.json);
    EXPECT_EQ(p->line.global.language, LanguageItalian);
    EXPECT_EQ(p->line.global.timeout, 250);
  }
}

TEST(CommandLineTest, DefaultsAreEnglishAllChannelsAndNoDeviceOverride) {
  const Parsed p = Parse({"scan"});
  ASSERT_FALSE(p.status.has_value());
  EXPECT_EQ(p.line.global.language, LanguageEnglish);
  EXPECT_EQ(p.line.first, 0);
  EXPECT_EQ(p.line.last, 15);
  EXPECT_FALSE(p.line.global.dongle.has_value());
  EXPECT_FALSE(p.line.global.ports.has_value());
  EXPECT_FALSE(p.line.global.timeout.has_value());
}

TEST(CommandLineTest, PinSubcommandsAreToldApart) {
  const Parsed set = Parse({"pin", "set", "AB_1"});
  EXPECT_EQ(set.line.command, "pin set");
  EXPECT_EQ(set.line.pin, "AB_1");
  EXPECT_EQ(set.line.run, &RunPinSet);
  const Parsed remove = Parse({"pin", "remove"});
  EXPECT_EQ(remove.line.command, "pin remove");
  EXPECT_EQ(remove.line.run, &RunPinRemove);
}

}  // namespace
}  // namespace rukmox::cli
