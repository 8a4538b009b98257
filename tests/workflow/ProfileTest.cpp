#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
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
  ASSERT_TRUE(SaveProfileFile(path, first, nullptr));
  ASSERT_TRUE(SaveProfileFile(path, second, nullptr));
  std::string text;
  ASSERT_TRUE(ReadProfileFile(path, text, nullptr));
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
    testing::Values(
        BadProfileCase{"NotJson", "{", "[", "$", extra::ProfileNotJson},
        BadProfileCase{"Empty", "", "", "$", extra::ProfileNotJson},
        BadProfileCase{"NotAnObject", "", "[1, 2]", "$", extra::ProfileNotObject},
        BadProfileCase{"NewerVersion", "\"format_version\": 1", "\"format_version\": 2",
                       "format_version", extra::ProfileVersionUnknown},
        BadProfileCase{"NoVersion", "\"format_version\": 1,", "", "format_version",
                       extra::ProfileFieldMissing},
        BadProfileCase{"ChannelSixteen", "\"channel\": 3", "\"channel\": 16", "channel",
                       extra::ProfileBadChannel},
        BadProfileCase{"AddressZero", "\"address\": 4096", "\"address\": 0", "local.address",
                       extra::ProfileBadAddress},
        BadProfileCase{"AddressNotAnAddress", "\"address\": 4660", "\"address\": 65535",
                       "remote.address", extra::ProfileBadAddress},
        BadProfileCase{"AddressAsText", "\"address\": 4096", "\"address\": \"4096\"",
                       "local.address", extra::ProfileBadAddress},
        BadProfileCase{"PowerOutsideTheTable", "\"power_level\": 21", "\"power_level\": 22",
                       "remote.power_level", extra::ProfileBadPower},
        BadProfileCase{"PowerFraction", "\"power_level\": 14", "\"power_level\": 14.5",
                       "local.power_level", extra::ProfileBadPower},
        BadProfileCase{"NameTooLong", "\"DONGLE\"", "\"DONGLE1234\"", "local.name",
                       extra::ProfileBadName},
        BadProfileCase{"NameNotAscii", "\"SENSOR-A\"", "\"SENSÖR\"", "remote.name",
                       extra::ProfileBadName},
        BadProfileCase{"PinFlagAsText", "\"pin_set\": true", "\"pin_set\": \"yes\"",
                       "remote.pin_set", extra::ProfileBadFlag},
        BadProfileCase{"PinItself", "\"pin_set\": false", "\"pin_set\": false, \"pin\": \"1234\"",
                       "local.pin", extra::ProfileFieldUnknown},
        BadProfileCase{"RemoteNotAnObject", "\"remote\": {", "\"remote\": 7, \"x\": {", "remote",
                       extra::ProfileNotObject},
        // The JSON library would keep the last of two; the path names the first.
        BadProfileCase{"KeyGivenTwice", "\"pin_set\": true", "\"pin_set\": true, \"address\": 5",
                       "remote.address", extra::ProfileKeyTwice},
        BadProfileCase{"JunkAfterTheObject", "", "{} {}", "$", extra::ProfileNotJson}),
    test::RowName());

struct RefusedChangeCase {
  const char* name;
  std::function<void(Profile& wanted, Profile& now)> set;
  std::optional<std::string> field;  // the field refused; none: the plan may go ahead
  extra::Id reason = extra::ProfileNameRefused;
};

class RefusedChangeTest : public testing::TestWithParam<RefusedChangeCase> {};

// What set-name and set-address refuse is refused in a profile too, but only for a change: a
// profile saved from a pair whose remote has no name still applies to that pair.
TEST_P(RefusedChangeTest, HoldsTheRulesOfTheFieldsForWhatChanges) {
  Profile wanted = Pair();
  Profile now = Pair();
  GetParam().set(wanted, now);
  const std::optional<ProfileProblem> refused =
      RefusedChange(wanted, now, PlanProfile(wanted, now));
  ASSERT_EQ(refused.has_value(), GetParam().field.has_value());
  if (!refused) return;
  EXPECT_EQ(refused->field, *GetParam().field);
  EXPECT_EQ(refused->reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RefusedChangeTest,
    testing::Values(
        RefusedChangeCase{"EmptyNameToSet", [](Profile& w, Profile&) { w.remote->name = ""; },
                          "remote.name"},
        RefusedChangeCase{"BlankNameToSet", [](Profile& w, Profile&) { w.local.name = "  "; },
                          "local.name"},
        RefusedChangeCase{"NameWithAFullStop", [](Profile& w, Profile&) { w.local.name = "A.B"; },
                          "local.name"},
        RefusedChangeCase{"EmptyNameKept",
                          [](Profile& w, Profile& n) { w.remote->name = n.remote->name = ""; },
                          std::nullopt},
        RefusedChangeCase{"RemoteToTheDonglesAddress",
                          [](Profile& w, Profile&) { w.remote->address = w.local.address; },
                          "remote.address", extra::ProfileAddressTaken},
        RefusedChangeCase{"DongleToTheRemotesAddress",
                          [](Profile& w, Profile&) { w.local.address = w.remote->address; },
                          "local.address", extra::ProfileAddressTaken},
        // The remote moves first: a swap would give both ends one address on the way.
        RefusedChangeCase{
            "AddressesSwapped",
            [](Profile& w, Profile&) { std::swap(w.local.address, w.remote->address); },
            "remote.address", extra::ProfileAddressTaken},
        RefusedChangeCase{"BothMoveApart",
                          [](Profile& w, Profile&) {
                            w.local.address = 100;
                            w.remote->address = 200;
                          },
                          std::nullopt},
        // A profile of the dongle alone keeps the remote's address; the dongle must not take it.
        RefusedChangeCase{"DongleAloneToTheRemotesAddress",
                          [](Profile& w, Profile& n) {
                            w.remote.reset();
                            w.local.address = n.remote->address;
                          },
                          "local.address", extra::ProfileAddressTaken}),
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
