// scan, connect, disconnect and the PIN commands against the simulated installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "CtlFixture.h"
#include "NamedRows.h"
#include "PtyPair.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// SENSOR-A (4660) is linked on channel 3, PUMP-7 (512) waits on 6, LOCKED (769, PIN 4321) on 9
// and a module without a name (1026) on 12.

struct ScanCase {
  const char* name;
  std::vector<std::string> args;
  std::vector<std::string> rows;  // names in list order
  std::string message;
};

class CtlScanTest : public CtlTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(CtlScanTest, ListsTheNamedDevicesFoundAndAnnouncesThem) {
  const ScanCase& c = GetParam();
  std::vector<std::string> args = {"--json"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const ChildResult r = Ctl(args);
  EXPECT_EQ(r.status, 0) << r.err;
  const nlohmann::json json = JsonOf(r);
  std::vector<std::string> names;
  for (const auto& device : json["devices"]) names.push_back(device["name"]);
  EXPECT_EQ(names, c.rows);
  EXPECT_EQ(json["count"], c.rows.size());
  EXPECT_EQ(json["messages"][0], c.message);
  // Not a terminal: no progress bar on the error stream.
  EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlScanTest,
    ::testing::Values(ScanCase{"TwoChannels",
                               {"scan", "3", "6"},
                               {"SENSOR-A", "PUMP-7"},
                               "Have been identified 2\xC2\xA0remote devices."},
                      ScanCase{"TwoChannelsItalian",
                               {"--lang", "it", "scan", "3", "6"},
                               {"SENSOR-A", "PUMP-7"},
                               "Sono stati individuati 2 dispositivi remoti."},
                      ScanCase{"NamelessDeviceNotListed",
                               {"scan", "9", "12"},
                               {"LOCKED"},
                               "Have been identified 1\xC2\xA0remote devices."},
                      ScanCase{"Nothing", {"scan", "0", "1"}, {}, "No remote devices found."}),
    RowName());

TEST_F(CtlTest, ScanPrintsTheListAndReconnectsTheDeviceItFoundAgain) {
  const ChildResult r = Ctl({"scan", "3", "9"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Name      Address  Channel  Connection       PIN\n"
            "SENSOR-A  4660     3        CONNECTED(4096)  no\n"
            "PUMP-7    512      6        NOT CONNECTED    no\n"
            "LOCKED    769      9        NOT CONNECTED    yes\n"
            "Have been identified 3\xC2\xA0remote devices.\n");
  sim_->With([](sim::World& w) {
    EXPECT_EQ(w.LinkedRemote(), 0);
    EXPECT_EQ(w.dongle.current.channel, 3);
  });
}

TEST_F(CtlTest, ScanInItalianNamesTheColumnsAndThePinStateInItalian) {
  const ChildResult r = Ctl({"--lang", "it", "scan", "3", "9"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Nome      Indirizzo  Canale  Connessione      PIN\n"
            "SENSOR-A  4660       3       CONNECTED(4096)  no\n"
            "PUMP-7    512        6       NOT CONNECTED    no\n"
            "LOCKED    769        9       NOT CONNECTED    s\xC3\xAC\n"
            "Sono stati individuati 3 dispositivi remoti.\n");
}

TEST_F(CtlTest, ScanOnATerminalShowsAProgressBarAndClearsIt) {
  PtyPair terminal;
  ASSERT_TRUE(terminal.ok());
  ChildOptions options;
  options.stderrTerminal = terminal.path();
  const ChildResult r = Ctl({"scan", "6", "6"}, options);
  EXPECT_EQ(r.status, 0);
  const std::vector<std::uint8_t> bytes = terminal.Receive();
  const std::string shown(bytes.begin(), bytes.end());
  EXPECT_THAT(shown, StartsWith("\r[...."));
  // Message 26 names the channel that comes next, as the window's label does ("Channel" has no
  // trailing blank in English).
  EXPECT_THAT(shown, HasSubstr("]  20%  Channel6"));
  EXPECT_THAT(shown, HasSubstr("] 100%  Channel7"));
  EXPECT_THAT(shown, ::testing::EndsWith("\r\x1b[K"));
  // The list itself still goes to standard output, untouched by the bar.
  EXPECT_EQ(r.out,
            "Name    Address  Channel  Connection     PIN\n"
            "PUMP-7  512      6        NOT CONNECTED  no\n"
            "Have been identified 1\xC2\xA0remote devices.\n");
}

struct ConnectCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  std::string errorStart;  // empty: success
  int linkedAfter;         // the remote the dongle is linked with afterwards, -1 none
};

class CtlConnectTest : public CtlTest, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(CtlConnectTest, ConnectsAsTheWindowsButtonDoes) {
  const ConnectCase& c = GetParam();
  std::vector<std::string> args = {"--json", "connect"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const ChildResult r = Ctl(args);
  EXPECT_EQ(r.status, c.status);
  const nlohmann::json json = JsonOf(r);
  if (c.errorStart.empty()) {
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(json["remote"]["linked"], true);
    EXPECT_EQ(json["remote"]["connection"], "CONNECTED(4096)");
  } else {
    EXPECT_EQ(json["ok"], false);
    EXPECT_THAT(json["errors"][0]["message"].get<std::string>(), StartsWith(c.errorStart));
  }
  EXPECT_EQ(sim_->With([](sim::World& w) { return w.LinkedRemote(); }), c.linkedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlConnectTest,
    ::testing::Values(
        ConnectCase{"ByName", {"PUMP-7", "--first", "6", "--last", "6"}, 0, "", 1},
        ConnectCase{"ByAddress", {"512", "--first", "3", "--last", "6"}, 0, "", 1},
        ConnectCase{"PinProtectedRefuses",
                    {"LOCKED", "--first", "9", "--last", "9"},
                    1,
                    "Unable to connect to the selected remote device. \nTry to change the PIN of "
                    "the local device.",
                    -1},
        ConnectCase{"NotFound",
                    {"NOBODY", "--first", "3", "--last", "3"},
                    1,
                    "No remote device \"NOBODY\" was found",
                    0}),
    RowName());

TEST_F(CtlTest, ConnectShowsTheNewRemoteAfterTheList) {
  const ChildResult r = Ctl({"connect", "PUMP-7", "--first", "6", "--last", "6"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Have been identified 1\xC2\xA0remote devices.\n\nRemote device\n"
                               "  Device Name  PUMP-7\n  Address      512\n"));
}

TEST_F(CtlTest, DisconnectDropsTheLinkAndShowsNoRemote) {
  const ChildResult r = Ctl({"disconnect"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Remote device: -\n");
  EXPECT_FALSE(sim_->With([](sim::World& w) { return w.LinkUp(); }));
  // Nothing left to drop is no failure either.
  const nlohmann::json again = JsonOf(Ctl({"--json", "disconnect"}));
  EXPECT_EQ(again["ok"], true);
  EXPECT_TRUE(again["remote"].is_null());
}

// --- PIN

struct PinCase {
  const char* name;
  std::string startPin;  // both ends at start
  bool remoteInReach;
  // Another party gives the remote this PIN right after the dongle was asked for its own, so
  // that the old PIN the command sends no longer matches the remote's. Empty: nobody does.
  std::string remotePinOnceRead;
  std::vector<std::string> args;
  int status;
  std::string text;  // standard output on success, the start of standard error on failure
  std::string donglePinAfter;
  std::string remotePinAfter;
};

class CtlPinTest : public CtlTest, public ::testing::WithParamInterface<PinCase> {};

TEST_P(CtlPinTest, ChangesThePinOnTheLinkedEndsWithTheOldOneFromTheDongle) {
  const PinCase& c = GetParam();
  scenario_.dongle.settings.pin = c.startPin;
  scenario_.remotes[0].module.settings.pin = c.startPin;
  scenario_.remotes[0].inReach = c.remoteInReach;
  StartSimulator();
  if (!c.remotePinOnceRead.empty())
    OnceDongleReceives(
        36, [pin = c.remotePinOnceRead](sim::World& w) { w.remotes[0].current.pin = pin; });
  const ChildResult r = Ctl(c.args);
  EXPECT_EQ(r.status, c.status);
  if (c.status == 0)
    EXPECT_EQ(r.out, c.text);
  else
    EXPECT_THAT(r.err, StartsWith(c.text));
  sim_->With([&](sim::World& w) {
    EXPECT_EQ(w.dongle.current.pin, c.donglePinAfter);
    EXPECT_EQ(w.remotes[0].current.pin, c.remotePinAfter);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlPinTest,
    ::testing::Values(PinCase{"SetOnBothEnds",
                              "    ",
                              true,
                              "",
                              {"pin", "set", "ABCD"},
                              0,
                              "PIN of the local and remote devices set up correctly.\n",
                              "ABCD",
                              "ABCD"},
                      PinCase{"SetOnTheDongleAlone",
                              "    ",
                              false,
                              "",
                              {"pin", "set", "ABCD"},
                              0,
                              "PIN of the local device is set up correctly.\n",
                              "ABCD",
                              "    "},
                      PinCase{"RemoveOnBothEnds",
                              "4321",
                              true,
                              "",
                              {"pin", "remove"},
                              0,
                              "PIN of the local and remote devices removed properly.\n",
                              "    ",
                              "    "},
                      PinCase{"RemoveItalian",
                              "4321",
                              true,
                              "",
                              {"--lang", "it", "pin", "remove"},
                              0,
                              "PIN dei dispositivi locale e remoto rimosso correttamente.\n",
                              "    ",
                              "    "},
                      // The remote now holds another PIN than the dongle: it refuses the change,
                      // and the dongle keeps its own PIN.
                      PinCase{"RemoteMismatch",
                              "    ",
                              true,
                              "9999",
                              {"pin", "set", "ABCD"},
                              1,
                              "Unable to change the current pin. \nError: 1. (error word ",
                              "    ",
                              "9999"},
                      PinCase{"RemoveRemoteMismatch",
                              "4321",
                              true,
                              "1111",
                              {"pin", "remove"},
                              1,
                              "Unable to remove the current pin. \nError n. 1. (error word ",
                              "4321",
                              "1111"}),
    RowName());

TEST_F(CtlTest, TraceShowsEveryFrameButNeverAPin) {
  scenario_.dongle.settings.pin = "4321";
  scenario_.remotes[0].module.settings.pin = "4321";
  const ChildResult r = Ctl({"--trace", "pin", "set", "ABCD"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.err);
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines)
    EXPECT_THAT(line,
                ::testing::MatchesRegex("[0-9:.]{12} usb [<>]( [0-9A-F*]{2})*( \\(time-out\\))?"));
  // The old PIN (34 33 32 31) and the new one (41 42 43 44) appear nowhere.
  EXPECT_THAT(r.err, Not(HasSubstr("34 33 32 31")));
  EXPECT_THAT(r.err, Not(HasSubstr("41 42 43 44")));
  EXPECT_THAT(r.err, HasSubstr(" usb > F0 03 24 00\n"));
  EXPECT_THAT(r.err, HasSubstr(" usb < 64 06 ** ** ** **\n"));
  EXPECT_THAT(r.err, HasSubstr(" usb > F0 0B 23 01 ** ** ** ** ** ** ** **\n"));
  EXPECT_THAT(r.err, HasSubstr(" usb > F0 0B 23 00 ** ** ** ** ** ** ** **\n"));
  EXPECT_EQ(r.out, "PIN of the local and remote devices set up correctly.\n");
}

}  // namespace
}  // namespace rukmox::test
