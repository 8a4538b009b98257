#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "NamedRows.h"
#include "Profile.h"
#include "ProfileFile.h"

namespace rukmox {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

Profile Pair() {
  Profile p;
  p.channel = 3;
  p.local = {"DONGLE", 4096, 14, false};
  p.remote = ModuleProfile{"SENSOR-A", 4660, 21, true};
  return p;
}

TEST(ProfileFileTest, WhatIsWrittenReadsBackTheSame) {
  Profile noRemote = Pair();
  noRemote.remote.reset();
  noRemote.local.powerLevel.reset();  // a power byte outside the table
  for (const Profile& p : {Pair(), noRemote}) {
    ProfileProblem problem;
    const std::optional<Profile> read = ParseProfile(ProfileJson(p), problem);
    ASSERT_TRUE(read) << problem.field;
    EXPECT_EQ(*read, p);
  }
}

// A second save to the same name replaces the first whole and leaves no temporary file behind
// (the C library's rename refuses an existing target on Windows).
TEST(ProfileFileTest, SavingAgainReplacesTheFile) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() /
      ("rukmox-profile-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  const std::string path = (dir / "pair.json").string();
  Profile first = Pair();
  Profile second = Pair();
  second.channel = 11;
  second.remote.reset();
  ASSERT_TRUE(SaveProfileFile(path, first));
  ASSERT_TRUE(SaveProfileFile(path, second));
  std::string text;
  ASSERT_TRUE(ReadProfileFile(path, text));
  ProfileProblem problem;
  const std::optional<Profile> read = ParseProfile(text, problem);
  ASSERT_TRUE(read) << problem.field;
  EXPECT_EQ(*read, second);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

TEST(ProfileFileTest, CarriesAFormatVersionAndNeverAPin) {
  const std::string json = ProfileJson(Pair());
  EXPECT_NE(json.find("\"format_version\": 1"), std::string::npos) << json;
  EXPECT_NE(json.find("\"pin_set\": true"), std::string::npos) << json;
  EXPECT_EQ(json.find("\"pin\":"), std::string::npos) << json;
}

struct BadProfileCase {
  const char* name;
  std::string from;  // replaced in the good profile's text (the whole text when empty) ...
  std::string to;    // ... by this
  std::string field;
  extra::Id reason;
};

class BadProfileTest : public testing::TestWithParam<BadProfileCase> {};

TEST_P(BadProfileTest, IsRejectedNamingTheField) {
  const BadProfileCase& c = GetParam();
  std::string text = c.to;
  if (!c.from.empty()) {
    text = ProfileJson(Pair());
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    text.replace(at, c.from.size(), c.to);
  }
  ProfileProblem problem;
  EXPECT_FALSE(ParseProfile(text, problem)) << text;
  EXPECT_EQ(problem.field, c.field);
  EXPECT_EQ(problem.reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Rejected, BadProfileTest,
    testing::Values(BadProfileCase{"NotJson", "{", "[", "$", extra::ProfileNotJson},
                    BadProfileCase{"Empty", "", "", "$", extra::ProfileNotJson},
                    BadProfileCase{"NotAnObject", "", "[1, 2]", "$", extra::ProfileNotObject},
                    BadProfileCase{"NewerVersion", "\"format_version\": 1", "\"format_version\": 2",
                                   "format_version", extra::ProfileVersionUnknown},
                    BadProfileCase{"NoVersion", "\"format_version\": 1,", "", "format_version",
                                   extra::ProfileFieldMissing},
                    BadProfileCase{"ChannelSixteen", "\"channel\": 3", "\"channel\": 16", "channel",
                                   extra::ProfileBadChannel},
                    BadProfileCase{"AddressZero", "\"address\": 4096", "\"address\": 0",
                                   "local.address", extra::ProfileBadAddress},
                    BadProfileCase{"AddressNotAnAddress", "\"address\": 4660", "\"address\": 65535",
                                   "remote.address", extra::ProfileBadAddress},
                    BadProfileCase{"AddressAsText", "\"address\": 4096", "\"address\": \"4096\"",
                                   "local.address", extra::ProfileBadAddress},
                    BadProfileCase{"PowerOutsideTheTable", "\"power_level\": 21",
                                   "\"power_level\": 22", "remote.power_level",
                                   extra::ProfileBadPower},
                    BadProfileCase{"PowerFraction", "\"power_level\": 14", "\"power_level\": 14.5",
                                   "local.power_level", extra::ProfileBadPower},
                    BadProfileCase{"NameTooLong", "\"DONGLE\"", "\"DONGLE1234\"", "local.name",
                                   extra::ProfileBadName},
                    BadProfileCase{"NameNotAscii", "\"SENSOR-A\"", "\"SENSÖR\"", "remote.name",
                                   extra::ProfileBadName},
                    BadProfileCase{"PinFlagAsText", "\"pin_set\": true", "\"pin_set\": \"yes\"",
                                   "remote.pin_set", extra::ProfileBadFlag},
                    BadProfileCase{"PinItself", "\"pin_set\": false",
                                   "\"pin_set\": false, \"pin\": \"1234\"", "local.pin",
                                   extra::ProfileFieldUnknown},
                    BadProfileCase{"RemoteNotAnObject", "\"remote\": {", "\"remote\": 7, \"x\": {",
                                   "remote", extra::ProfileNotObject}),
    test::RowName());

TEST(ProfilePlanTest, ChangesOnlyWhatDiffersRemoteFirstChannelLast) {
  Profile now = Pair();
  Profile wanted = Pair();
  wanted.channel = 7;
  wanted.local.address = 4097;
  wanted.remote->name = "SENSOR-B";
  wanted.remote->pinSet = false;
  std::vector<ProfileSetting> order;
  const ProfilePlan plan = PlanProfile(wanted, now);
  for (const ProfileChange& c : plan.changes) order.push_back(c.setting);
  EXPECT_EQ(order,
            (std::vector<ProfileSetting>{ProfileSetting::RemoteName, ProfileSetting::LocalAddress,
                                         ProfileSetting::Channel}));
  EXPECT_EQ(plan.changes[0].field, "remote.name");
  EXPECT_EQ(plan.changes[0].now, "\"SENSOR-A\"");
  EXPECT_EQ(plan.changes[0].wanted, "\"SENSOR-B\"");
  // The PIN cannot be put back from a profile: it is told, not changed.
  ASSERT_EQ(plan.pins.size(), 1u);
  EXPECT_EQ(plan.pins[0].field, "remote.pin_set");
}

TEST(ProfilePlanTest, UnknownPowerMissingRemoteAndLoneDongleChannelChangeNothing) {
  Profile wanted = Pair();
  wanted.remote.reset();
  wanted.local.powerLevel.reset();
  Profile now = Pair();
  now.local.powerLevel = 7;
  EXPECT_TRUE(PlanProfile(wanted, now).changes.empty());
  // With no remote linked there is no pair for the channel command to move.
  wanted.channel = 9;
  now.remote.reset();
  const ProfilePlan plan = PlanProfile(wanted, now);
  EXPECT_TRUE(plan.changes.empty());
  EXPECT_TRUE(plan.channelLeft);
  EXPECT_FALSE(ProfileNeedsRemote(wanted, now));
  EXPECT_TRUE(ProfileNeedsRemote(Pair(), now));
}

}  // namespace
}  // namespace rukmox
