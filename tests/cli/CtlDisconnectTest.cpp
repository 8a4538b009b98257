// The dongle unplugged while rukmoxctl works: every long-running command ends with status 1 and
// says so, within a second, instead of going on with readings of a device that is not there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "CtlFixture.h"
#include "NamedRows.h"
#include "TimingSlack.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using ::testing::HasSubstr;
using ::testing::Not;

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kPing = 31;
constexpr std::uint8_t kLinkQuality = 16;
constexpr std::uint8_t kScan = 6;
constexpr std::uint8_t kEnergyScan = 41;

struct DisconnectCase {
  const char* name;
  std::vector<std::string> args;
  std::uint8_t unplugAfter;  // the command code after which the dongle goes away
  int skip;                  // how many of those commands go by first (the start-up's own)
};

class CtlDisconnect : public CtlTest, public testing::WithParamInterface<DisconnectCase> {
 protected:
  // Unplugs the dongle once it has dealt with the (skip + 1)-th command `code`.
  void UnplugAfter(std::uint8_t code, int skip) {
    std::function<void(sim::World&)> unplug = [](sim::World& w) { w.dongle.unplugged = true; };
    for (int i = 0; i < skip; ++i) {
      unplug = [this, code, next = std::move(unplug)](sim::World& w) {
        w.dongle.triggers.push_back({code, next});
      };
    }
    OnceDongleReceives(code, unplug);
  }
};

TEST_P(CtlDisconnect, EndsWithStatusOneAndSaysTheDongleWasDisconnected) {
  const DisconnectCase& c = GetParam();
  UnplugAfter(c.unplugAfter, c.skip);
  const auto start = Clock::now();
  const ChildResult r = Ctl(c.args);
  // Start-up takes a few exchanges; the rest must end within a second of the unplug.
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1) + kLate);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_THAT(r.err, HasSubstr("The dongle was disconnected."));
  EXPECT_THAT(r.out, Not(HasSubstr("No remote devices found")));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CtlDisconnect,
    testing::Values(DisconnectCase{"Monitor", {"monitor", "--count", "200"}, kLinkQuality, 0},
                    DisconnectCase{"Spectrum", {"spectrum"}, kEnergyScan, 0},
                    DisconnectCase{"Scan", {"scan"}, kScan, 2},
                    DisconnectCase{"Ping", {"ping", "--count", "1000"}, kPing, 1}),
    RowName());

TEST_F(CtlDisconnect, MonitorInJsonStopsClaimingALink) {
  UnplugAfter(kLinkQuality, 1);
  const std::vector<nlohmann::json> objects =
      JsonLines(Ctl({"--json", "monitor", "--count", "200"}));
  // The first tick, then no tick for the reading the unplug cut short, then the closing object.
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0]["linked"], true);
  EXPECT_EQ(objects[1]["ok"], false);
  ASSERT_EQ(objects[1]["errors"].size(), 1u);
  EXPECT_EQ(objects[1]["errors"][0]["message"], "The dongle was disconnected.");
  EXPECT_EQ(objects[1]["errors"][0]["error_word"].get<int>() & 0x0800, 0x0800);
}

TEST_F(CtlDisconnect, ItalianSaysItInItalian) {
  UnplugAfter(kEnergyScan, 0);
  const ChildResult r = Ctl({"--lang", "it", "spectrum"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("La dongle è stata scollegata."));
}

}  // namespace
}  // namespace rukmox::test
