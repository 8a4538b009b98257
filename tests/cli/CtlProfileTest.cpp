// profile save and profile apply against the simulated installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <tuple>

#include "CtlFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;
using ::testing::HasSubstr;

// The commands a profile could send: channel, store, name, power, address, PIN. (Opening the
// dongle sets the remote's serial rate and link target on its own.)
const std::set<std::uint8_t> kChangingCommands = {3, 14, 15, 19, 22, 35};

auto Settings(const sim::ModuleSettings& s) {
  return std::make_tuple(s.name, s.address, s.channel, s.power, s.peer, s.pin);
}

class CtlProfileTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info->name();
    std::replace(name.begin(), name.end(), '/', '-');  // the row of a table test
    file_ = (std::filesystem::temp_directory_path() /
             ("rukmox-" + std::to_string(getpid()) + "-" + name + ".json"))
                .string();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
  }

  void WriteFile(const std::string& text) { std::ofstream(file_) << text; }

  std::size_t FramesSoFar() {
    return sim_->With([](sim::World& w) { return w.dongle.received.size(); });
  }
  // The commands after the first `from` frames that would have changed something.
  std::vector<int> ChangesSince(std::size_t from) {
    return sim_->With([&](sim::World& w) {
      std::vector<int> codes;
      for (std::size_t i = from; i < w.dongle.received.size(); ++i)
        if (kChangingCommands.count(w.dongle.received[i].code))
          codes.push_back(w.dongle.received[i].code);
      return codes;
    });
  }

  std::string file_;
};

TEST_F(CtlProfileTest, SaveChangeApplyGivesTheSavedSettingsBack) {
  const ChildResult saved = Ctl({"profile", "save", file_});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_THAT(saved.out, HasSubstr("Profile saved to " + file_));
  const auto [dongle, remote] = sim_->With([](sim::World& w) {
    return std::make_pair(Settings(w.dongle.current), Settings(w.remotes[0].current));
  });

  for (const std::vector<std::string>& change : {std::vector<std::string>{"set-name", "OTHER"},
                                                 {"set-power", "--remote", "min"},
                                                 {"set-address", "--remote", "5000"},
                                                 {"set-address", "4200"},
                                                 {"channel", "9"}}) {
    const ChildResult r = Ctl(change);
    ASSERT_EQ(r.status, 0) << change[0] << ": " << r.err;
  }

  const ChildResult applied = Ctl({"--json", "profile", "apply", file_});
  EXPECT_EQ(applied.status, 0) << applied.out << applied.err;
  const nlohmann::json json = JsonOf(applied);
  ASSERT_EQ(json["changes"].size(), 5u) << json.dump();
  for (const nlohmann::json& c : json["changes"]) EXPECT_EQ(c["applied"], true) << c.dump();
  sim_->With([&](sim::World& w) {
    EXPECT_EQ(Settings(w.dongle.current), dongle);
    EXPECT_EQ(Settings(w.remotes[0].current), remote);
    // Stored as well, so the settings survive a power cycle.
    EXPECT_EQ(Settings(w.dongle.stored), dongle);
    EXPECT_EQ(Settings(w.remotes[0].stored), remote);
    EXPECT_EQ(w.LinkedRemote(), 0);
  });

  // Applied once more: nothing left to change, nothing sent.
  const std::size_t before = FramesSoFar();
  const ChildResult again = Ctl({"profile", "apply", file_});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_THAT(again.out, HasSubstr("The devices already hold the profile's settings."));
  EXPECT_THAT(ChangesSince(before), testing::IsEmpty());
}

TEST_F(CtlProfileTest, DryRunTellsWhatWouldChangeAndSendsNothing) {
  ASSERT_EQ(Ctl({"profile", "save", file_}).status, 0);
  ASSERT_EQ(Ctl({"set-name", "--remote", "PROBE"}).status, 0);
  const std::size_t before = FramesSoFar();
  const ChildResult r = Ctl({"profile", "apply", "--dry-run", file_});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("remote.name: \"PROBE\" -> \"SENSOR-A\"\n"));
  EXPECT_THAT(r.out, HasSubstr("Dry run: nothing was sent."));
  EXPECT_THAT(ChangesSince(before), testing::IsEmpty());
}

TEST_F(CtlProfileTest, BadProfileIsRejectedBeforeTheDongleIsOpened) {
  ASSERT_EQ(Ctl({"profile", "save", file_}).status, 0);
  std::string text;
  {
    std::ifstream in(file_);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::string power = "\"power_level\": 14";
  ASSERT_NE(text.rfind(power), std::string::npos) << text;
  text.replace(text.rfind(power), power.size(), "\"power_level\": 99");  // the remote's
  WriteFile(text);

  const std::size_t before = FramesSoFar();
  const ChildResult r = Ctl({"profile", "apply", file_});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("was rejected, nothing was sent. remote.power_level: must be a "
                               "power level from 0 to 21, or null"));
  EXPECT_EQ(FramesSoFar(), before);
}

TEST_F(CtlProfileTest, ProfileWithARemoteNeedsOneConnected) {
  ASSERT_EQ(Ctl({"profile", "save", file_}).status, 0);
  sim_->With([](sim::World& w) { w.remotes[0].inReach = false; });
  const std::size_t before = FramesSoFar();
  const ChildResult r = Ctl({"--json", "profile", "apply", file_});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(JsonOf(r)["rejected_field"], "remote");
  EXPECT_THAT(ChangesSince(before), testing::IsEmpty());
}

TEST_F(CtlProfileTest, FailedChangeStopsTheRest) {
  ASSERT_EQ(Ctl({"profile", "save", file_}).status, 0);
  ASSERT_EQ(Ctl({"set-name", "--remote", "PROBE"}).status, 0);
  ASSERT_EQ(Ctl({"set-name", "OTHER"}).status, 0);
  // The remote takes no more names: every answer to the name command is lost.
  sim_->With([](sim::World& w) { w.remotes[0].answerLoss = {1.0, 15}; });
  const ChildResult r = Ctl({"--json", "profile", "apply", file_});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json json = JsonOf(r);
  EXPECT_EQ(json["stopped_at"], "remote.name");
  EXPECT_EQ(json["errors"][0]["message_id"], 11);
  ASSERT_EQ(json["changes"].size(), 2u);
  EXPECT_EQ(json["changes"][1]["field"], "local.name");
  EXPECT_EQ(json["changes"][1]["applied"], false);
  EXPECT_EQ(sim_->With([](sim::World& w) { return w.dongle.current.name; }), "OTHER");
}

TEST_F(CtlProfileTest, MissingFileIsAFailure) {
  const ChildResult r = Ctl({"profile", "apply", file_});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("Cannot read the profile " + file_ +
                               ": it does not exist, or a folder on its path does not."));
}

// --- Files: a profile is written whole through a name of its own, and nothing else is touched.

TEST_F(CtlProfileTest, SaveKeepsTheModeAndTouchesNothingElse) {
  WriteFile("{}");
  ASSERT_EQ(chmod(file_.c_str(), 0600), 0);
  // A link planted where a careless writer would put its temporary file.
  const std::string planted = file_ + ".tmp";
  const std::string victim = file_ + ".victim";
  std::ofstream(victim) << "precious";
  std::filesystem::create_symlink(victim, planted);

  const ChildResult r = Ctl({"profile", "save", file_});
  EXPECT_EQ(r.status, 0) << r.err;
  struct stat saved {};
  ASSERT_EQ(stat(file_.c_str(), &saved), 0);
  EXPECT_EQ(saved.st_mode & 07777, 0600u);
  EXPECT_TRUE(std::filesystem::is_symlink(planted));
  std::ifstream in(victim);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
  std::filesystem::remove(planted);
  std::filesystem::remove(victim);
}

struct SaveRefusalCase {
  const char* name;
  bool fifo;  // a FIFO at the profile's name; else the name is empty
  std::string why;
};

class CtlProfileSaveRefusalTest : public CtlProfileTest,
                                  public ::testing::WithParamInterface<SaveRefusalCase> {};

TEST_P(CtlProfileSaveRefusalTest, SaysWhyAndLeavesTheNameAlone) {
  const SaveRefusalCase& c = GetParam();
  std::string target;
  if (c.fifo) {
    target = file_;
    ASSERT_EQ(mkfifo(target.c_str(), 0600), 0);
  }
  const ChildResult r = Ctl({"profile", "save", target});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("Cannot write the profile " + target + ": " + c.why + "."));
  struct stat node {};
  if (c.fifo) {
    ASSERT_EQ(lstat(target.c_str(), &node), 0);
    EXPECT_TRUE(S_ISFIFO(node.st_mode));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, CtlProfileSaveRefusalTest,
                         ::testing::Values(
                             SaveRefusalCase{
                                 "NoRegularFile", true,
                                 "it is not a regular file (it is a device, a FIFO or a socket)"},
                             SaveRefusalCase{"EmptyName", false, "no file name was given"}),
                         RowName());

struct ReadRefusalCase {
  const char* name;
  std::function<std::string(const std::string& file)> make;  // the path to apply
  std::string why;
};

class CtlProfileReadRefusalTest : public CtlProfileTest,
                                  public ::testing::WithParamInterface<ReadRefusalCase> {};

// Nothing is waited on and nothing is read whole that is no profile; nothing is sent either.
TEST_P(CtlProfileReadRefusalTest, EndsAtOnceAndSaysWhy) {
  const std::string path = GetParam().make(file_);
  ChildOptions options;
  options.deadline = std::chrono::seconds(20);
  const ChildResult r = Ctl({"profile", "apply", path}, options);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("Cannot read the profile " + path + ": " + GetParam().why));
  EXPECT_EQ(FramesSoFar(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CtlProfileReadRefusalTest,
    ::testing::Values(ReadRefusalCase{"EndlessDevice",
                                      [](const std::string&) { return std::string("/dev/zero"); },
                                      "it is not a regular file"},
                      ReadRefusalCase{"FifoWithoutWriter",
                                      [](const std::string& file) {
                                        mkfifo(file.c_str(), 0600);
                                        return file;
                                      },
                                      "it is not a regular file"},
                      ReadRefusalCase{"FarTooLong",
                                      [](const std::string& file) {
                                        std::ofstream(file) << std::string(100 * 1024, ' ') << "{}";
                                        return file;
                                      },
                                      "it is larger than 65536 bytes"}),
    RowName());

// --- The rules of set-name and set-address hold for a profile as well.

struct RuleCase {
  const char* name;
  std::function<void(nlohmann::json&)> edit;  // on the profile as saved
  std::string field;
  std::string why;
};

class CtlProfileRuleTest : public CtlProfileTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(CtlProfileRuleTest, IsRefusedWholeBeforeAnythingIsSent) {
  ASSERT_EQ(Ctl({"profile", "save", file_}).status, 0);
  std::ifstream in(file_);
  nlohmann::json profile = nlohmann::json::parse(in, nullptr, false);
  ASSERT_TRUE(profile.is_object());
  GetParam().edit(profile);
  WriteFile(profile.dump(2));

  const std::size_t before = FramesSoFar();
  const ChildResult r = Ctl({"profile", "apply", file_});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("was rejected, nothing was sent. " + GetParam().field + ": " +
                               GetParam().why));
  EXPECT_THAT(ChangesSince(before), testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CtlProfileRuleTest,
    ::testing::Values(
        // A remote without a name drops out of every scan: nobody could find it again.
        RuleCase{"EmptyRemoteName", [](nlohmann::json& p) { p["remote"]["name"] = ""; },
                 "remote.name", "a name to set must have 1 to 9 characters"},
        RuleCase{"BlankLocalName", [](nlohmann::json& p) { p["local"]["name"] = "   "; },
                 "local.name", "a name to set must have 1 to 9 characters"},
        RuleCase{"NameWithShellCharacters",
                 [](nlohmann::json& p) { p["remote"]["name"] = "a/\"<>;$x"; }, "remote.name",
                 "a name to set must have 1 to 9 characters, each a letter, a digit, a blank, '-' "
                 "or '_'"},
        RuleCase{"RemoteGetsTheDonglesAddress",
                 [](nlohmann::json& p) { p["remote"]["address"] = p["local"]["address"]; },
                 "remote.address", "equals the other device's address"},
        RuleCase{"DongleGetsTheRemotesAddress",
                 [](nlohmann::json& p) { p["local"]["address"] = p["remote"]["address"]; },
                 "local.address", "equals the other device's address"}),
    RowName());

// The JSON library would take the last of two equal keys without a word.
TEST_F(CtlProfileTest, AKeyGivenTwiceIsRefusedWithItsPath) {
  ASSERT_EQ(Ctl({"profile", "save", file_}).status, 0);
  std::ifstream in(file_);
  std::string text(std::istreambuf_iterator<char>(in), {});
  const std::string name = "\"name\": \"SENSOR-A\"";
  ASSERT_NE(text.find(name), std::string::npos) << text;
  text.replace(text.find(name), name.size(), name + ", \"name\": \"OTHER\"");
  WriteFile(text);

  const std::size_t before = FramesSoFar();
  const ChildResult r = Ctl({"profile", "apply", file_});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("nothing was sent. remote.name: is given twice"));
  EXPECT_EQ(FramesSoFar(), before);
}

}  // namespace
}  // namespace rukmox::test
