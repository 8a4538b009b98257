// profile save and profile apply against the simulated installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "CtlFixture.h"

namespace rukmox::test {
namespace {

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
    file_ = (std::filesystem::temp_directory_path() /
             ("rukmox-" + std::to_string(getpid()) + "-" + info->name() + ".json"))
                .string();
  }
  void TearDown() override { std::filesystem::remove(file_); }

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
  EXPECT_THAT(r.err, HasSubstr("Cannot read the profile " + file_ + "."));
}

}  // namespace
}  // namespace rukmox::test
