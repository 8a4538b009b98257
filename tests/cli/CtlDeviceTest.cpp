// info, set-name, set-address, set-power and channel against the simulated installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "CtlFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST_F(CtlTest, InfoShowsBothDevicesAsTheyAre) {
  scenario_.dongle.version = {1, 2, 4, 300 & 0xFF, 300 >> 8};
  const ChildResult text = Ctl({"info"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, HasSubstr("Local device\n  Device Name  RUKDONGLE\n  Address      4096\n"));
  EXPECT_THAT(text.out, HasSubstr("  Version      H1 - F2 - M300 - P4\n"));
  EXPECT_THAT(text.out, HasSubstr("  Power        default (0dBm), level 14\n"));
  EXPECT_THAT(text.out, HasSubstr("Remote device\n  Device Name  SENSOR-A\n  Address      4660\n"));
  EXPECT_EQ(text.err, "");

  const nlohmann::json json = JsonOf(Ctl({"--json", "info"}));
  EXPECT_EQ(json["ok"], true);
  EXPECT_EQ(json["local"]["name"], "RUKDONGLE");
  EXPECT_EQ(json["local"]["version"], "H1 - F2 - M300 - P4");
  EXPECT_EQ(json["local"]["channel"], 3);
  EXPECT_EQ(json["local"]["linked"], true);
  EXPECT_EQ(json["local"]["peer_address"], 4660);
  EXPECT_EQ(json["local"]["pin_protected"], false);
  EXPECT_EQ(json["local"]["power"], "default (0dBm)");
  EXPECT_EQ(json["remote"]["name"], "SENSOR-A");
  EXPECT_EQ(json["remote"]["connection"], "CONNECTED(4096)");
}

TEST_F(CtlTest, InfoWithoutRemoteShowsTheLocalDeviceOnly) {
  scenario_.remotes[0].inReach = false;
  const nlohmann::json json = JsonOf(Ctl({"--json", "info"}));
  EXPECT_EQ(json["ok"], true);
  EXPECT_EQ(json["local"]["name"], "RUKDONGLE");
  EXPECT_TRUE(json["remote"].is_null());
}

TEST_F(CtlTest, InfoInItalianUsesTheItalianCaptions) {
  const ChildResult r = Ctl({"--lang", "it", "info"});
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("Dispositivo locale\n"
                               "  Nome dispositivo  RUKDONGLE\n"
                               "  Indirizzo         4096\n"
                               "  Potenza           default (0dBm), livello 14\n"));
  // Words the string table lacks come in Italian too; the connection text stays as the window's.
  EXPECT_THAT(r.out, HasSubstr("  Canale            3\n"
                               "  Collegamento      CONNECTED(4660)\n"
                               "  PIN               nessuno\n"));
  EXPECT_THAT(r.out, HasSubstr("Dispositivo remoto\n"));
}

// --- The dongle cannot be opened.

struct OpenFailureCase {
  const char* name;
  bool silentModule;  // false: no device at the path at all
  std::vector<std::string> options;
  std::string expected;
};

class CtlOpenFailureTest : public CtlTest, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(CtlOpenFailureTest, EndsWithStatus3AndMessage5WithTheErrorWord) {
  const OpenFailureCase& c = GetParam();
  std::vector<std::string> args = c.options;
  args.push_back("info");
  ChildResult r;
  if (c.silentModule) {
    scenario_.dongleSilent = true;
    r = Ctl(args);
  } else {
    args.insert(args.begin(), {"--dongle", "/nonexistent/ttyRUK"});
    r = RunCtlRaw(args);
  }
  EXPECT_EQ(r.status, 3);
  // A module that keeps silent is named with what may be wrong with it and what brings it back.
  const std::string silence =
      c.silentModule ? "The dongle " + sim_->DonglePath() +
                           " does not answer; it may be waiting in its boot loader: programming a "
                           "valid file brings it back. (error word 8192)\n"
                     : "";
  EXPECT_EQ(r.err, c.expected + silence);
  EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlOpenFailureTest,
    ::testing::Values(
        OpenFailureCase{"NoDevice",
                        false,
                        {},
                        "Unable to load the parameters of the device. \nError n. 1024.\n"
                        "The dongle /nonexistent/ttyRUK does not exist. (error word 1024)\n"},
        OpenFailureCase{"NoDeviceItalian",
                        false,
                        {"--lang", "it"},
                        "Impossibile caricare i parametri del dispositivo. \nErrore n. 1024.\n"
                        "La dongle /nonexistent/ttyRUK non esiste. (parola di errore 1024)\n"},
        OpenFailureCase{"ModuleNeverAnswers",
                        true,
                        {},
                        "Unable to load the parameters of the device. \nError n. 8192.\n"}),
    RowName());

// Why the dongle could not be opened, named with its path: the user can act on each of these.
class CtlOpenReasonTest;

struct OpenReasonCase {
  const char* name;
  std::string (CtlOpenReasonTest::*dongle)();  // prepares the path handed to --dongle
  std::string says;
};

class CtlOpenReasonTest : public CtlTest, public ::testing::WithParamInterface<OpenReasonCase> {
 public:
  std::string Missing() { return "/nonexistent/ttyRUK"; }
  std::string Directory() { return ::testing::TempDir(); }
  std::string RegularFile() {
    std::ofstream(file_) << "x";
    return file_;
  }
  // The simulator's own dongle, locked by this test process as another program would.
  std::string Null() { return "/dev/null"; }
  std::string Zero() { return "/dev/zero"; }
  std::string Multiplexer() { return "/dev/ptmx"; }
  std::string Controlling() { return "/dev/tty"; }
  std::string Held() {
    StartSimulator();
    holder_ = open(sim_->DonglePath().c_str(), O_RDWR | O_NOCTTY);
    EXPECT_EQ(flock(holder_, LOCK_EX | LOCK_NB), 0);
    return sim_->DonglePath();
  }

 protected:
  void TearDown() override {
    if (holder_ >= 0) close(holder_);
    std::remove(file_.c_str());
  }

 private:
  int holder_ = -1;
  std::string file_ = ::testing::TempDir() + "rukmoxctl-not-a-tty-" + std::to_string(getpid());
};

TEST_P(CtlOpenReasonTest, NamesThePathAndTheReason) {
  const std::string path = (this->*GetParam().dongle)();
  const ChildResult r = RunCtlRaw({"--dongle", path, "info"});
  EXPECT_EQ(r.status, 3);
  EXPECT_THAT(r.err, HasSubstr(path));
  EXPECT_THAT(r.err, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlOpenReasonTest,
    ::testing::Values(OpenReasonCase{"Missing", &CtlOpenReasonTest::Missing, "does not exist"},
                      OpenReasonCase{"Directory", &CtlOpenReasonTest::Directory, "is not a tty"},
                      OpenReasonCase{"RegularFile", &CtlOpenReasonTest::RegularFile,
                                     "is not a tty"},
                      OpenReasonCase{"HeldByAnotherProgram", &CtlOpenReasonTest::Held,
                                     "is held by another program: rukmoxctl_sim_t (process " +
                                         std::to_string(getpid()) + ") holds its lock"},
                      // Devices that are no tty, and terminals that are no serial line: none of
                      // them is ever configured or written to.
                      OpenReasonCase{"NullDevice", &CtlOpenReasonTest::Null, "is not a tty"},
                      OpenReasonCase{"EndlessDevice", &CtlOpenReasonTest::Zero, "is not a tty"},
                      OpenReasonCase{"TerminalMultiplexer", &CtlOpenReasonTest::Multiplexer,
                                     "is a terminal, not a serial port"},
                      OpenReasonCase{"ControllingTerminal", &CtlOpenReasonTest::Controlling,
                                     "is a terminal, not a serial port"}),
    RowName());

// FTDI's own library is named by the environment; one that does not load is said so, with the
// system's reason, instead of "no dongle attached".
TEST_F(CtlTest, AD2xxLibraryThatDoesNotLoadIsNamed) {
  ChildOptions options;
  options.environment = {"RUKMOX_D2XX=/nonexistent/libftd2xx.so"};
  const ChildResult r = RunCtlRaw({"info"}, options);
  EXPECT_EQ(r.status, 3);
  EXPECT_THAT(r.err, HasSubstr("The D2XX library /nonexistent/libftd2xx.so named by RUKMOX_D2XX "
                               "cannot be loaded: "));
  EXPECT_THAT(r.err, HasSubstr("No such file or directory"));
}

// Root opens every node whatever its mode, so only an ordinary user can meet this.
TEST_F(CtlTest, ANodeWithoutPermissionNamesItsGroup) {
  if (geteuid() == 0) GTEST_SKIP() << "root is never refused";
  StartSimulator();
  const std::string path = sim_->DonglePath();
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  const ChildResult r = RunCtlRaw({"--dongle", path, "info"});
  chmod(path.c_str(), 0620);
  EXPECT_EQ(r.status, 3);
  EXPECT_THAT(r.err, HasSubstr("No permission to open the dongle " + path));
  EXPECT_THAT(r.err, HasSubstr("the group"));
}

// What the help calls out of range is refused before the dongle is even opened: 0 and 65535 are
// no radio addresses, and a PIN is exactly four characters.
class CtlUsageRefusalTest : public CtlTest,
                            public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CtlUsageRefusalTest, EndsWithStatus2WithoutTouchingTheDongle) {
  const ChildResult r = Ctl(GetParam());
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(sim_->With([](sim::World& w) { return w.dongle.rawReceived.size(); }), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlUsageRefusalTest,
    ::testing::Values(std::vector<std::string>{"set-address", "0"},
                      std::vector<std::string>{"--lang", "it", "set-address", "65535"},
                      std::vector<std::string>{"set-address", "--remote", "65535"},
                      std::vector<std::string>{"pin", "set", "AB"},
                      std::vector<std::string>{"pin", "set", ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(CtlTest, NoDongleInJsonNamesMessage5AndTheWord) {
  const ChildResult r = RunCtlRaw({"--json", "--dongle", "/nonexistent/ttyRUK", "info"});
  EXPECT_EQ(r.status, 3);
  const nlohmann::json json = nlohmann::json::parse(r.out, nullptr, false);
  EXPECT_EQ(json["ok"], false);
  EXPECT_EQ(json["errors"][0]["message_id"], 5);
  EXPECT_EQ(json["errors"][0]["error_word"], 1024);
}

// A module that takes 150 ms to answer is out of reach with the default 100 ms read time-out and
// within it with --timeout 400.
class CtlTimeoutTest
    : public CtlTest,
      public ::testing::WithParamInterface<std::pair<std::vector<std::string>, int>> {};

TEST_P(CtlTimeoutTest, TheBaseTimeoutDecidesWhetherASlowModuleIsReached) {
  scenario_.timing.replyDelayMs = 150;
  std::vector<std::string> args = GetParam().first;
  args.push_back("info");
  EXPECT_EQ(Ctl(args).status, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlTimeoutTest,
    ::testing::Values(std::make_pair(std::vector<std::string>{}, 3),
                      std::make_pair(std::vector<std::string>{"--timeout", "400"}, 0)),
    [](const auto& info) { return info.param.second == 0 ? "Longer" : "Default"; });

// --- Changes that succeed: the device stores them and the panel shows what it now holds.

struct ChangeCase {
  const char* name;
  std::vector<std::string> args;
  std::string shown;  // in the re-read panel
  std::function<std::string(sim::World&)> stored;
  std::string expectedStored;
};

class CtlChangeTest : public CtlTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(CtlChangeTest, SendsStoresAndShowsTheDevicesNewValue) {
  const ChangeCase& c = GetParam();
  const ChildResult r = Ctl(c.args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_THAT(r.out, HasSubstr(c.shown));
  EXPECT_EQ(sim_->With(c.stored), c.expectedStored);
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlChangeTest,
    ::testing::Values(
        ChangeCase{"LocalName",
                   {"set-name", "NEW-NAME"},
                   "Device Name  NEW-NAME\n",
                   [](sim::World& w) { return w.dongle.stored.name; },
                   "NEW-NAME"},
        ChangeCase{"RemoteName",
                   {"set-name", "--remote", "PUMP_2"},
                   "Device Name  PUMP_2\n",
                   [](sim::World& w) { return w.remotes[0].stored.name; },
                   "PUMP_2"},
        ChangeCase{"LocalPowerMax",
                   {"set-power", "max"},
                   "max (+3dBm), level 21",
                   [](sim::World& w) { return std::to_string(w.dongle.stored.power); },
                   "255"},
        ChangeCase{"RemotePowerMin",
                   {"set-power", "--remote", "min"},
                   "min (-10dBm), level 7",
                   [](sim::World& w) { return std::to_string(w.remotes[0].stored.power); },
                   std::to_string(0x4C)},
        // The remote is reached again under the dongle's new address and keeps the link.
        ChangeCase{"LocalAddressKeepsTheLink",
                   {"set-address", "4097"},
                   "Address      4097\n",
                   [](sim::World& w) {
                     return std::to_string(w.dongle.stored.address) + " " +
                            std::to_string(w.LinkedRemote()) + " " +
                            std::to_string(w.remotes[0].stored.peer);
                   },
                   "4097 0 4097"},
        ChangeCase{"RemoteAddress",
                   {"set-address", "--remote", "4661"},
                   "Address      4661\n",
                   [](sim::World& w) {
                     return std::to_string(w.remotes[0].stored.address) + " " +
                            std::to_string(w.LinkedRemote());
                   },
                   "4661 0"}),
    RowName());

// --- Changes the device refuses: the window's message, status 1, and the old value shown.

struct RefusalCase {
  const char* name;
  bool remoteInReach;
  std::vector<std::string> args;
  std::string message;
  int id;
  std::string stillShown;
  std::string errorWordNote = "(error word ";
};

class CtlRefusalTest : public CtlTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CtlRefusalTest, ReportsTheMessageAndShowsWhatTheDeviceStillHolds) {
  const RefusalCase& c = GetParam();
  scenario_.remotes[0].inReach = c.remoteInReach;
  const ChildResult r = Ctl(c.args);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, StartsWith(c.message));
  EXPECT_THAT(r.err, HasSubstr(c.errorWordNote));
  EXPECT_THAT(r.out, HasSubstr(c.stillShown));

  std::vector<std::string> json = {"--json"};
  json.insert(json.end(), c.args.begin(), c.args.end());
  const nlohmann::json object = JsonOf(Ctl(json));
  EXPECT_EQ(object["ok"], false);
  EXPECT_EQ(object["errors"][0]["message_id"], c.id);
  EXPECT_THAT(object["errors"][0]["message"].get<std::string>(), StartsWith(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlRefusalTest,
    ::testing::Values(
        RefusalCase{
            "RemoteNameWithoutRemote",
            false,
            {"set-name", "--remote", "X"},
            "Unable to set the new name of the remote device.\nNo remote device is connected.",
            11,
            "Remote device: -\n"},
        RefusalCase{"ChannelWithoutRemote",
                    false,
                    {"channel", "7"},
                    "Unable to set the new channel for the pair of devices.",
                    14,
                    "Channel 3\n"},
        // Two ends of a pair with one address: refused before anything is sent.
        RefusalCase{"RemoteGetsTheDonglesAddress",
                    true,
                    {"set-address", "--remote", "4096"},
                    "Unable to set the new address of the remote device.\nThe address is already "
                    "the other device's in the pair; the two must differ.",
                    12,
                    "Remote device\n  Device Name  SENSOR-A\n  Address      4660\n"},
        RefusalCase{"DongleGetsTheRemotesAddress",
                    true,
                    {"set-address", "4660"},
                    "Unable to set the new address of the local device.\nThe address is already "
                    "the other device's in the pair; the two must differ.",
                    8,
                    "Local device\n  Device Name  RUKDONGLE\n  Address      4096\n"}),
    RowName());

TEST_F(CtlTest, ChannelShowsAndMovesThePair) {
  const ChildResult shown = Ctl({"channel"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, "Channel 3\n");
  EXPECT_EQ(Ctl({"--lang", "it", "channel"}).out, "Canale 3\n");

  const nlohmann::json moved = JsonOf(Ctl({"--json", "channel", "7"}));
  EXPECT_EQ(moved["ok"], true);
  EXPECT_EQ(moved["channel"], 7);
  EXPECT_EQ(moved["remote_channel"], 7);
  sim_->With([](sim::World& w) {
    EXPECT_EQ(w.dongle.stored.channel, 7);
    EXPECT_EQ(w.remotes[0].stored.channel, 7);
    EXPECT_EQ(w.LinkedRemote(), 0);
  });
}

}  // namespace
}  // namespace rukmox::test
