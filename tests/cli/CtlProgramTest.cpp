// program dongle|mcu against the simulated boot loaders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "CtlProgramFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string Hex2(unsigned value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

// An S1 record: count, 16-bit address, data and the ones' complement checksum.
std::string S1(unsigned address, const std::vector<unsigned>& data) {
  const unsigned count = 2 + static_cast<unsigned>(data.size()) + 1;
  unsigned sum = count + (address >> 8) + (address & 0xFF);
  std::string line = "S1" + Hex2(count) + Hex2(address >> 8) + Hex2(address);
  for (unsigned b : data) {
    line += Hex2(b);
    sum += b;
  }
  return line + Hex2(~sum);
}

constexpr int kRecordLines = 4;  // three data records and the end record

std::string FirmwareText(const std::string& header) {
  std::string text = header + "\r\n";
  for (unsigned r = 0; r < 3; ++r) {
    std::vector<unsigned> data;
    for (unsigned i = 0; i < 16; ++i) data.push_back(r * 16 + i);
    text += S1(r * 16, data) + "\r\n";
  }
  return text + "S9030000FC\r\n";
}

const std::string kHeader = "S0454E435259505445445F4543555F46494C455F565F30312E";

struct ProgramCase {
  const char* name;
  std::string target;
  std::string header;  // of the file written; empty: no file at all
  std::function<void(sim::Scenario&)> setUp;
  int status;
  std::string text;  // in standard output on success, the start of standard error on failure
  std::function<int(sim::World&)> recordsAccepted;
  int expectedRecords;
};

class CtlProgramTest : public CtlProgramFixture,
                       public ::testing::WithParamInterface<ProgramCase> {};

TEST_P(CtlProgramTest, RunsTheWholeJobAndReportsTheWindowsResultText) {
  const ProgramCase& c = GetParam();
  if (c.setUp) c.setUp(scenario_);
  const std::string file =
      c.header.empty() ? (dir_ / "missing.s19").string() : WriteFile(FirmwareText(c.header));
  const ChildResult r = Ctl({"program", c.target, file});
  EXPECT_EQ(r.status, c.status) << r.err;
  if (c.status == 0)
    EXPECT_THAT(r.out, HasSubstr(c.text));
  else
    EXPECT_THAT(r.err, StartsWith(c.text));
  EXPECT_EQ(sim_->With(c.recordsAccepted), c.expectedRecords);
}

int DongleRecords(sim::World& w) {
  return static_cast<int>(w.dongle.boot.records.size());
}
int McuRecords(sim::World& w) {
  return static_cast<int>(w.ports[1].boot.records.size());
}
int McuFrames(sim::World& w) {
  return w.ports[1].boot.frames;
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlProgramTest,
    ::testing::Values(
        ProgramCase{"Mcu", "mcu", kHeader, nullptr, 0, "Programming successful.\n", McuRecords,
                    kRecordLines},
        ProgramCase{"Dongle", "dongle", kHeader, nullptr, 0, "Programming successful.\n",
                    DongleRecords, kRecordLines},
        ProgramCase{"RefusedRecord", "mcu", kHeader,
                    [](sim::Scenario& s) { s.ports[1].boot.refuseRecord = 2; }, 1,
                    "Programming error in the record n. 2.", McuRecords, 1},
        ProgramCase{"WrongHeader", "mcu", "S0454E435259505445445F4543555F46494C455F565F30312F",
                    nullptr, 1, "Incorrect mode of encryption.", McuRecords, 0},
        ProgramCase{"NoFile", "mcu", "", nullptr, 1, "Select a valid programming file.", McuFrames,
                    0},
        ProgramCase{"NoMcuOnAnyPort", "mcu", kHeader, [](sim::Scenario& s) { s.ports.resize(1); },
                    1, "Unable to locate a mcu device to be programmed.", DongleRecords, 0},
        ProgramCase{"DongleUnpluggedMidJob", "dongle", kHeader,
                    [](sim::Scenario& s) { s.ports[0].boot.hangUpAfterRecord = 2; }, 1,
                    "The dongle was disconnected.", DongleRecords, 2},
        ProgramCase{"McuAdapterUnpluggedMidJob", "mcu", kHeader,
                    [](sim::Scenario& s) { s.ports[1].boot.hangUpAfterRecord = 2; }, 1,
                    "The serial port /dev/pts/", McuRecords, 2}),
    RowName());

TEST_F(CtlProgramFixture, AfterTheJobTheModuleIsOpenedAgainAndShown) {
  const nlohmann::json json =
      JsonOf(Ctl({"--json", "program", "dongle", WriteFile(FirmwareText(kHeader))}));
  EXPECT_EQ(json["ok"], true);
  EXPECT_EQ(json["result"], 0);
  EXPECT_EQ(json["port"], 0);
  EXPECT_EQ(json["messages"][0], "Programming successful.");
  EXPECT_EQ(json["local"]["name"], "RUKDONGLE");
}

TEST_F(CtlProgramFixture, TheSummaryComesFirstAndADryRunStopsThere) {
  const std::string file = WriteFile(FirmwareText(kHeader));
  const std::string summary = "File: " + file +
                              "\nRecords: 4, data bytes: 48\nAddresses: 0x0000 to 0x002F\n"
                              "Target: the remote device SENSOR-A (address ";
  const ChildResult dry = Ctl({"program", "mcu", "--dry-run", file});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_THAT(dry.out, StartsWith(summary));
  EXPECT_THAT(dry.out, HasSubstr("), present version H"));
  EXPECT_THAT(dry.out, HasSubstr("Dry run: nothing was sent."));
  EXPECT_EQ(sim_->With(McuFrames), 0);
  EXPECT_EQ(sim_->With([](sim::World& w) { return w.remotes[0].checkup[1]; }), 0);

  const ChildResult real = Ctl({"program", "mcu", file});
  EXPECT_EQ(real.status, 0) << real.err;
  EXPECT_THAT(real.out, StartsWith(summary));
  EXPECT_LT(real.out.find("Target:"), real.out.find("Programming successful."));
  EXPECT_EQ(sim_->With(McuRecords), kRecordLines);
}

TEST_F(CtlProgramFixture, AJobCutShortByAnUnplugCanBeRedone) {
  scenario_.ports[0].boot.hangUpAfterRecord = 2;
  const std::string file = WriteFile(FirmwareText(kHeader));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Ctl({"program", "dongle", file}).status, 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  sim_->With([](sim::World& w) { w.dongle.boot.setup.hangUpAfterRecord = 0; });
  std::string why;
  ASSERT_TRUE(sim_->Replug(&why)) << why;
  const ChildResult again = Ctl({"program", "dongle", file});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(sim_->With(DongleRecords), kRecordLines);
}

TEST_F(CtlProgramFixture, WorksWithoutTheModuleLink) {
  // No dongle at the USB side: the preparation is skipped and the search starts at once; the
  // dongle's serial face is found in its application firmware and sent to its boot loader there.
  StartSimulator();
  dongleOverride_ = "/nonexistent/ttyRUK";
  const ChildResult r = Ctl({"--json", "program", "dongle", WriteFile(FirmwareText(kHeader))});
  EXPECT_EQ(r.status, 0) << r.err;
  const nlohmann::json json = JsonOf(r);
  EXPECT_EQ(json["result"], 0);
  EXPECT_TRUE(json["local"].is_null());
  EXPECT_EQ(sim_->With(DongleRecords), kRecordLines);
}

TEST_F(CtlProgramFixture, RefusedRecordInJsonCarriesTheRecordNumber) {
  scenario_.ports[1].boot.refuseRecord = 3;
  const nlohmann::json json =
      JsonOf(Ctl({"--json", "--lang", "it", "program", "mcu", WriteFile(FirmwareText(kHeader))}));
  EXPECT_EQ(json["ok"], false);
  EXPECT_EQ(json["result"], 103);
  EXPECT_EQ(json["record"], 3);
  EXPECT_EQ(json["errors"][0]["message"],
            "Errore nella programmazione del record n. 3.\nIl dispositivo attende nel suo boot "
            "loader: programmando un file valido torna a funzionare.");
  EXPECT_EQ(json["errors"][0]["message_id"], 41);
}

}  // namespace
}  // namespace rukmox::test
