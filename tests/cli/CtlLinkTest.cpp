// monitor, spectrum and ping against the simulated installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CtlFixture.h"

namespace rukmox::test {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

TEST_F(CtlTest, MonitorPrintsOneTickPerLineWithQualityAndEnergy) {
  const ChildResult r = Ctl({"monitor", "--count", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  // -90 dBm of noise shows as energy 4.
  for (const std::string& line : lines)
    EXPECT_THAT(line, MatchesRegex("Quality \\([0-9]+\\)  Energy \\(4\\)  Channel 3  linked"));
}

TEST_F(CtlTest, MonitorInItalianKeepsOnlyTheWindowsFixedLabelsInEnglish) {
  const ChildResult r = Ctl({"--lang", "it", "monitor", "--count", "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, MatchesRegex("Quality \\([0-9]+\\)  Energy \\(4\\)  Canale 3  collegato\n"));
}

TEST_F(CtlTest, MonitorWithoutCountRunsUntilCtrlC) {
  ChildOptions options;
  options.interruptAfter = std::chrono::milliseconds(600);
  const ChildResult r = Ctl({"monitor"}, options);
  // Stopped like the window's stop button: the tick in progress is finished, the run ends well.
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GE(Lines(r.out).size(), 2u);
  for (const std::string& line : Lines(r.out)) EXPECT_THAT(line, StartsWith("Quality ("));
}

TEST_F(CtlTest, MonitorWithoutRemoteShowsQualityZero) {
  scenario_.remotes[0].inReach = false;
  const std::vector<nlohmann::json> ticks = JsonLines(Ctl({"--json", "monitor", "--count", "2"}));
  ASSERT_EQ(ticks.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ticks[i]["tick"], i + 1);
    EXPECT_EQ(ticks[i]["linked"], false);
    EXPECT_EQ(ticks[i]["quality"], 0);
  }
}

TEST_F(CtlTest, MonitorFollowsTheAutomaticChannelChange) {
  // Close enough that the link stays clean on the noisy channel.
  scenario_.remotes[0].pathLossDb = 40;
  StartSimulator();
  // Channel 3 gets noisy: the pair moves three channels up, to the first of the quiet ones.
  sim_->With([](sim::World& w) { w.PinNoise(3, -70); });
  const std::vector<nlohmann::json> ticks = JsonLines(Ctl({"--json", "monitor", "--count", "2"}));
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_EQ(ticks[0]["moved"], true);
  EXPECT_EQ(ticks[0]["channel"], 6);
  EXPECT_EQ(ticks[0]["channel_changes"], 1);
  EXPECT_EQ(ticks[0]["linked"], true);
  EXPECT_EQ(ticks[1]["moved"], false);
  EXPECT_EQ(ticks[1]["channel"], 6);
  sim_->With([](sim::World& w) {
    EXPECT_EQ(w.dongle.current.channel, 6);
    EXPECT_EQ(w.LinkedRemote(), 0);
  });
}

TEST_F(CtlTest, MonitorCsvMarksTheTickWhereThePairMoved) {
  scenario_.remotes[0].pathLossDb = 40;
  // Channel 3 gets noisy once the first tick has read the quality: the second tick moves the pair.
  OnceDongleReceives(16, [](sim::World& w) { w.PinNoise(3, -70); });
  const ChildResult r = Ctl({"monitor", "--csv", "--count", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], "time_ms,quality,energy,channel,linked,channel_moved");
  EXPECT_THAT(lines[1], MatchesRegex("0,[0-9]+,4,3,1,0"));
  EXPECT_THAT(lines[2], MatchesRegex("[0-9]+,[0-9]+,[0-9]+,6,1,1"));
  EXPECT_THAT(lines[3], MatchesRegex("[0-9]+,[0-9]+,4,6,1,0"));
}

TEST_F(CtlTest, SpectrumPrintsSixteenValuesPerSweep) {
  StartSimulator();
  sim_->With([](sim::World& w) { w.PinNoise(5, -50); });
  const ChildResult text = Ctl({"spectrum", "--sweeps", "2"});
  EXPECT_EQ(text.status, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) EXPECT_THAT(line, MatchesRegex("( *[0-9]+){16}"));

  const std::vector<nlohmann::json> sweeps =
      JsonLines(Ctl({"--json", "spectrum", "--sweeps", "1"}));
  ASSERT_EQ(sweeps.size(), 1u);
  const auto values = sweeps[0]["values"].get<std::vector<int>>();
  ASSERT_EQ(values.size(), 16u);
  // The noisy channel stands out in its own place.
  for (int ch = 0; ch < 16; ++ch)
    if (ch != 5) {
      EXPECT_LT(values[ch], values[5]) << ch;
    }
}

TEST_F(CtlTest, SpectrumSweepWithoutReadingStaysEmpty) {
  // The dongle falls silent once it has answered the first energy scan.
  OnceDongleReceives(41, [](sim::World& w) { w.dongle.silent = true; });
  const std::vector<nlohmann::json> sweeps =
      JsonLines(Ctl({"--json", "spectrum", "--sweeps", "2"}));
  ASSERT_EQ(sweeps.size(), 2u);
  EXPECT_EQ(sweeps[0]["values"].size(), 16u);
  EXPECT_TRUE(sweeps[1]["values"].is_null());
  EXPECT_EQ(sweeps[1]["error_word"], 1);
  // The time shown is that of the last reading that succeeded.
  EXPECT_EQ(sweeps[1]["time_ms"], sweeps[0]["time_ms"]);
}

TEST_F(CtlTest, PingReportsExchangesRateAndMedian) {
  const ChildResult text = Ctl({"ping", "--count", "5"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, MatchesRegex("5 exchanges, [0-9]+\\.[0-9] per second, median round trip "
                                     "[0-9]+\\.[0-9] ms\n"));

  const nlohmann::json json = JsonOf(Ctl({"--json", "ping", "--remote", "--count", "4"}));
  EXPECT_EQ(json["ok"], true);
  EXPECT_EQ(json["count"], 4);
  EXPECT_GT(json["per_second"].get<double>(), 0);
  EXPECT_GT(json["median_ms"].get<double>(), 0);
}

TEST_F(CtlTest, PingToAMissingRemoteFails) {
  scenario_.remotes[0].inReach = false;
  const ChildResult r = Ctl({"ping", "--remote"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("No remote device is connected."));
}

}  // namespace
}  // namespace rukmox::test
