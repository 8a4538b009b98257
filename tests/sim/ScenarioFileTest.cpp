#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "NamedRows.h"
#include "Scenario.h"

namespace rukmox::sim {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

struct BadScenarioCase {
  const char* name;
  std::string json;
  const char* field;  // what the error must name
};

class BadScenarioTest : public testing::TestWithParam<BadScenarioCase> {};

TEST_P(BadScenarioTest, NamesTheOriginAndTheField) {
  Scenario s;
  std::string error;
  EXPECT_FALSE(ParseScenario(GetParam().json, "lab.json", &s, &error));
  EXPECT_EQ(error.rfind("lab.json: ", 0), 0u) << error;
  EXPECT_NE(error.find(GetParam().field), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, BadScenarioTest,
    testing::Values(
        BadScenarioCase{"NotJson", R"({"remotes": [)", "not valid JSON"},
        BadScenarioCase{"TopLevelArray", R"([])", "top level"},
        BadScenarioCase{"ChannelTooHigh", R"({"remotes": [{}, {"channel": 16}]})",
                        "remotes[1].channel: must be an integer 0..15"},
        BadScenarioCase{"AddressZero", R"({"dongle": {"address": 0}})", "dongle.address"},
        BadScenarioCase{"NameTooLong", R"({"dongle": {"name": "TENLETTERS"}})", "dongle.name"},
        BadScenarioCase{"PinNotFourCharacters", R"({"remotes": [{"pin": "123"}]})",
                        "remotes[0].pin: must be exactly 4 characters"},
        BadScenarioCase{"BaudNotARate", R"({"dongle": {"baud": 12345}})",
                        "dongle.baud: must be one of 110, 300, 1200, 2400, 4800, 9600, 19200, "
                        "38400, 57600, 115200"},
        BadScenarioCase{"AppBaudNotARate", R"({"ports": [{"kind": "mcu", "appBaud": 14400}]})",
                        "ports[0].appBaud"},
        BadScenarioCase{"VersionTooShort", R"({"dongle": {"version": [1, 2]}})",
                        "dongle.version: must be an array of 5 bytes"},
        BadScenarioCase{"ByteOutOfRange", R"({"dongle": {"infoTail": [1, 2, 3, 256]}})",
                        "dongle.infoTail[3]"},
        BadScenarioCase{"MisspeltField", R"({"remotes": [{"nmae": "X"}]})",
                        "remotes[0].nmae: unknown field"},
        BadScenarioCase{"UnknownHost", R"({"remotes": [{"host": "chatty"}]})", "remotes[0].host"},
        BadScenarioCase{"RateAboveOne", R"({"remotes": [{"scanAnswerRate": 1.5}]})",
                        "remotes[0].scanAnswerRate"},
        BadScenarioCase{"ChannelTwice", R"({"channels": [{"channel": 2}, {"channel": 2}]})",
                        "channels[1].channel"},
        BadScenarioCase{"ChannelWithoutNumber", R"({"channels": [{"baseDbm": -50}]})",
                        "channels[0].channel: is missing"},
        BadScenarioCase{"PortKindMissing", R"({"ports": [{}]})", "ports[0].kind: is missing"},
        // The repeated key is named with the path to it.
        BadScenarioCase{"KeyGivenTwice", R"({"dongle": {"name": "A", "channel": 2, "name": "B"}})",
                        "lab.json: dongle.name: given twice"},
        BadScenarioCase{"KeyGivenTwiceInAnArray",
                        R"({"remotes": [{}, {"name": "A", "name": "B"}]})",
                        "lab.json: remotes[1].name: given twice"},
        BadScenarioCase{"KeyGivenTwiceInABootLoader",
                        R"({"ports": [{"kind": "dongle", "boot": {"version": 1, "version": 2}}]})",
                        "lab.json: ports[0].boot.version: given twice"},
        // The JSON library stops reading at a NUL byte and would take what came before.
        BadScenarioCase{"JunkAfterANulByte", std::string("{}\0junk", 7), "NUL byte"},
        BadScenarioCase{"JunkAfterTheObject", R"({} {"remotes": []})", "not valid JSON"},
        BadScenarioCase{"KeyGivenTwiceAtTheTop", R"({"timing": {}, "timing": {"seed": 3}})",
                        "timing: given twice"},
        BadScenarioCase{"PortHostsNoSuchRemote", R"({"ports": [{"kind": "mcu", "remote": 0}]})",
                        "ports[0].remote"},
        BadScenarioCase{"TwoDongleFaces", R"({"ports": [{"kind": "dongle"}, {"kind": "dongle"}]})",
                        "ports[1].kind"},
        BadScenarioCase{"FaultKindUnknown", R"({"dongle": {"faults": [{"kind": "melt"}]}})",
                        "dongle.faults[0].kind"},
        BadScenarioCase{"TimingNotAnObject", R"({"timing": 5})", "timing: must be an object"},
        BadScenarioCase{"WrongType", R"({"timing": {"wireTiming": "yes"}})",
                        "timing.wireTiming: must be true or false"}),
    RowName());

TEST(ScenarioFileTest, ReadsEveryPartOfAScenario) {
  const char* text = R"({
    "dongle": {"name": "LAB", "address": 100, "channel": 4, "peer": 200, "pin": "1111",
               "faults": [{"kind": "corrupt", "reply": 3, "index": 1, "mask": 16}]},
    "remotes": [{"name": "FAR", "address": 200, "channel": 4, "pin": "1111", "peer": 100,
                 "pathLossDb": 80, "host": "silent"}],
    "channels": [{"channel": 4, "baseDbm": -70, "pinned": true}],
    "ports": [{"kind": "dongle"}, {"kind": "mcu", "remote": 0, "appBaud": 115200,
               "boot": {"refuseRecord": 7}}, {"kind": "empty"}],
    "timing": {"wireTiming": false, "replyDelayMs": 5, "seed": 42}
  })";
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario(text, "lab.json", &s, &error)) << error;
  EXPECT_EQ(s.dongle.settings.name, "LAB");
  EXPECT_EQ(s.dongle.settings.peer, 200);
  ASSERT_EQ(s.dongleFaults.size(), 1u);
  EXPECT_EQ(s.dongleFaults[0].kind, ReplyFault::Kind::CorruptByte);
  EXPECT_EQ(s.dongleFaults[0].mask, 16);
  ASSERT_EQ(s.remotes.size(), 1u);
  EXPECT_EQ(s.remotes[0].host, HostMode::Silent);
  EXPECT_EQ(s.remotes[0].pathLossDb, 80);
  EXPECT_TRUE(s.channels[4].pinned);
  EXPECT_EQ(s.channels[4].baseDbm, -70);
  ASSERT_EQ(s.ports.size(), 3u);
  EXPECT_EQ(s.ports[1].kind, PortKind::Mcu);
  EXPECT_EQ(s.ports[1].appBaud, 115200u);
  EXPECT_EQ(s.ports[1].boot.refuseRecord, 7);
  EXPECT_EQ(s.ports[2].kind, PortKind::Empty);
  EXPECT_EQ(s.timing.seed, 42u);
}

TEST(ScenarioFileTest, AFailedReadLeavesTheScenarioAlone) {
  Scenario s = DefaultScenario();
  std::string error;
  EXPECT_FALSE(ParseScenario(R"({"remotes": [{"channel": 99}]})", "x", &s, &error));
  EXPECT_EQ(s.remotes.size(), DefaultScenario().remotes.size());
}

TEST(ScenarioFileTest, MissingFileIsNamed) {
  Scenario s;
  std::string error;
  EXPECT_FALSE(LoadScenarioFile("/nonexistent/lab.json", &s, &error));
  EXPECT_EQ(error.rfind("/nonexistent/lab.json: ", 0), 0u) << error;
}

// Only a regular file of a scenario's size is read: nothing is waited on, nothing read forever.
struct UnreadableCase {
  const char* name;
  std::function<std::string()> make;  // the path to load
  std::string why;
};

class UnreadableScenarioTest : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableScenarioTest, IsRefusedWithTheFileAndWhy) {
  const std::string path = GetParam().make();
  Scenario s;
  std::string error;
  EXPECT_FALSE(LoadScenarioFile(path, &s, &error));
  EXPECT_EQ(error, path + ": " + GetParam().why);
  if (path.rfind(testing::TempDir(), 0) == 0) std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableScenarioTest,
    testing::Values(
        UnreadableCase{"Directory", [] { return std::filesystem::temp_directory_path().string(); },
                       "it is a directory"},
        UnreadableCase{"EndlessDevice", [] { return std::string("/dev/zero"); },
                       "it is not a regular file (it is a device, a FIFO or a socket)"},
        UnreadableCase{"FifoWithoutWriter",
                       [] {
                         const std::string fifo = testing::TempDir() + "scenario_test.fifo";
                         std::remove(fifo.c_str());
                         mkfifo(fifo.c_str(), 0600);
                         return fifo;
                       },
                       "it is not a regular file (it is a device, a FIFO or a socket)"},
        UnreadableCase{"FarTooLong",
                       [] {
                         const std::string path = testing::TempDir() + "scenario_test_long.json";
                         std::ofstream(path) << std::string(kScenarioFileLimit, ' ') << "{}";
                         return path;
                       },
                       "it is larger than 1048576 bytes, too large for a file of its kind"}),
    RowName());

// The code says a field left out keeps its built-in value; for the ports that is the dongle's
// serial face and the MCU of the first remote.
TEST(ScenarioFileTest, MissingPortsKeepTheBuiltInPorts) {
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario(R"({"remotes": [{"name": "ONE"}]})", "lab.json", &s, &error)) << error;
  ASSERT_EQ(s.ports.size(), 2u);
  EXPECT_EQ(s.ports[0].kind, PortKind::DongleSerial);
  EXPECT_EQ(s.ports[1].kind, PortKind::Mcu);
  EXPECT_EQ(s.ports[1].remote, 0);

  ASSERT_TRUE(ParseScenario("{}", "lab.json", &s, &error)) << error;
  ASSERT_EQ(s.ports.size(), 1u) << "no remote, no MCU to host one";
  EXPECT_EQ(s.ports[0].kind, PortKind::DongleSerial);

  ASSERT_TRUE(ParseScenario(R"({"ports": []})", "lab.json", &s, &error)) << error;
  EXPECT_TRUE(s.ports.empty()) << "no ports, when that is what the file says";
}

// The same key in two different objects is no repetition.
TEST(ScenarioFileTest, EqualKeysInDifferentObjectsAreFine) {
  Scenario s;
  std::string error;
  EXPECT_TRUE(
      ParseScenario(R"({"dongle": {"name": "A"}, "remotes": [{"name": "B"}, {"name": "C"}]})",
                    "lab.json", &s, &error))
      << error;
}

TEST(ScenarioFileTest, ReadsAFileFromDisk) {
  const std::string path = testing::TempDir() + "scenario_test.json";
  std::ofstream(path) << R"({"remotes": [{"name": "ONE"}]})";
  Scenario s;
  std::string error;
  EXPECT_TRUE(LoadScenarioFile(path, &s, &error)) << error;
  ASSERT_EQ(s.remotes.size(), 1u);
  EXPECT_EQ(s.remotes[0].module.settings.name, "ONE");
  std::remove(path.c_str());
}

// The scenario files shipped for users must stay readable as the format grows.
TEST(ScenarioFileTest, ExampleScenariosLoad) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RUKMOX_EXAMPLE_SCENARIOS)) {
    if (entry.path().extension() != ".json") continue;
    ++files;
    Scenario s;
    std::string error;
    EXPECT_TRUE(LoadScenarioFile(entry.path().string(), &s, &error)) << error;
    EXPECT_FALSE(s.remotes.empty()) << entry.path();
  }
  EXPECT_GT(files, 0);
}

TEST(DefaultScenarioTest, HasTheDemoInstallation) {
  const Scenario s = DefaultScenario();
  ASSERT_EQ(s.remotes.size(), 4u);
  const ModuleSettings& d = s.dongle.settings;
  EXPECT_EQ(s.remotes[0].module.settings.address, d.peer);
  EXPECT_EQ(s.remotes[0].module.settings.peer, d.address);
  EXPECT_EQ(s.remotes[0].module.settings.channel, d.channel);
  int pinProtected = 0, nameless = 0;
  for (std::size_t i = 1; i < s.remotes.size(); ++i) {
    EXPECT_NE(s.remotes[i].module.settings.channel, d.channel);
    pinProtected += s.remotes[i].module.settings.pin != kNoPin;
    nameless += s.remotes[i].module.settings.name.empty();
  }
  EXPECT_EQ(pinProtected, 1);
  EXPECT_EQ(nameless, 1);
}

}  // namespace
}  // namespace rukmox::sim
