// rukmoxctl bridge: a serial program on the printed pseudo-terminal talks to the remote host
// (which echoes) through the radio; Ctrl-C ends the bridge with the byte counts.
#include <chrono>
#include <string>
#include <vector>

#include "BackgroundChild.h"
#include "CtlFixture.h"
#include "TerminalRoundTrip.h"

namespace rukmox::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr milliseconds kStartLimit{10000};
constexpr milliseconds kEndLimit{20000};
constexpr const char kPathPrefix[] = "Data bridge on ";
constexpr const char kPathSuffix[] = " (Ctrl-C ends it)";

class CtlBridgeTest : public CtlTest {
 protected:
  // rukmoxctl bridge started in the background against the simulator.
  std::unique_ptr<BackgroundChild> StartBridge(const std::vector<std::string>& extra = {}) {
    if (!sim_) StartSimulator();
    std::vector<std::string> args = {"--dongle", sim_->DonglePath(), "--ports",
                                     sim_->PortsVariable()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("bridge");
    return std::make_unique<BackgroundChild>(RUKMOXCTL_PROGRAM, args);
  }

  // The terminal path the bridge announced in its first line, text or JSON.
  static std::string TerminalOf(BackgroundChild& child, bool json) {
    const auto line = child.FirstLine(kStartLimit);
    if (!line) return {};
    if (json) return nlohmann::json::parse(*line, nullptr, false).value("terminal", "");
    const std::string& text = *line;
    if (text.rfind(kPathPrefix, 0) != 0 || text.size() < sizeof kPathSuffix) return {};
    return text.substr(sizeof kPathPrefix - 1,
                       text.size() - (sizeof kPathPrefix - 1) - (sizeof kPathSuffix - 1));
  }

  std::vector<std::uint8_t> HostReceived() {
    return sim_->With([](sim::World& w) {
      std::vector<std::uint8_t> all;
      for (const sim::DataFrame& f : w.remotes[0].hostReceived)
        all.insert(all.end(), f.data.begin(), f.data.end());
      return all;
    });
  }
};

TEST_F(CtlBridgeTest, CarriesRandomBytesToTheHostAndBackUnchanged) {
  auto child = StartBridge({"--json"});
  const std::string terminal = TerminalOf(*child, true);
  ASSERT_FALSE(terminal.empty()) << child->Finish(kEndLimit).err;

  const std::vector<std::uint8_t> sent = RandomBytes(64 * 1024, 7);
  // 656 data frames at the module's pace of one per 30 ms take about 20 s.
  const std::vector<std::uint8_t> back =
      RoundTrip(terminal, sent, sent.size(), milliseconds(90000));
  child->Interrupt();
  const ChildResult result = child->Finish(kEndLimit);

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(back == sent) << back.size() << " of " << sent.size() << " bytes came back";
  EXPECT_TRUE(HostReceived() == sent);
  const std::vector<nlohmann::json> objects = JsonLines(result);
  ASSERT_EQ(objects.size(), 2u) << result.out;
  EXPECT_EQ(objects[1]["to_remote"], sent.size());
  EXPECT_EQ(objects[1]["from_remote"], sent.size());
  EXPECT_EQ(objects[1]["undelivered"], 0);
  EXPECT_EQ(objects[1]["ok"], true);
}

// Escaped bytes take two places in a frame: a run of them must still go out whole, in order.
TEST_F(CtlBridgeTest, PrintsThePathAndTheCountsAndCarriesFrameBytes) {
  auto child = StartBridge();
  const std::string terminal = TerminalOf(*child, false);
  ASSERT_FALSE(terminal.empty()) << child->Finish(kEndLimit).out;

  std::vector<std::uint8_t> sent(250, 0xF0);
  sent.insert(sent.end(), 250, 0xEF);
  const std::vector<std::uint8_t> back =
      RoundTrip(terminal, sent, sent.size(), milliseconds(20000));
  child->Interrupt();
  const ChildResult result = child->Finish(kEndLimit);

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(back == sent) << back.size() << " of " << sent.size() << " bytes came back";
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  EXPECT_EQ(lines[1], "500 bytes sent to the remote device, 500 bytes received");
}

TEST_F(CtlBridgeTest, RefusesWithoutALinkedRemote) {
  scenario_.dongle.settings.peer = sim::kNoPeer;
  const ChildResult result = Ctl({"bridge"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("No remote device is connected."), std::string::npos) << result.err;
}

TEST_F(CtlBridgeTest, EndsWithFailureWhenTheDongleGoesAway) {
  auto child = StartBridge();
  const std::string terminal = TerminalOf(*child, false);
  ASSERT_FALSE(terminal.empty()) << child->Finish(kEndLimit).out;

  sim_->HangUp();
  // Bytes on their way make the loss show even where an idle line would not; the simulator
  // closes the line a moment after it was told to.
  for (int i = 0; i < 50 && !child->EndsWithin(milliseconds(100)); ++i)
    RoundTrip(terminal, {'h', 'i'}, 0, milliseconds(100));
  const ChildResult result = child->Finish(kEndLimit);

  EXPECT_EQ(result.status, 1) << result.out << result.err;
  EXPECT_NE(result.err.find("the data bridge ended."), std::string::npos) << result.err;
}

}  // namespace
}  // namespace rukmox::test
