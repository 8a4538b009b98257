// TRukMoxProg against the simulated dongle and MCU on pseudo-terminals: bringing each into its
// boot loader and programming files through it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FirmwareImage.h"
#include "NamedRows.h"
#include "ProgramRun.h"
#include "ProgrammingFile.h"
#include "Rukmoxprog.h"
#include "Simulator.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using rukmox::sim::Firmware;
using rukmox::sim::PortKind;
using rukmox::sim::PortSetup;
using rukmox::sim::Scenario;
using rukmox::sim::Simulator;
using rukmox::sim::World;
using rukmox::test::AsBytes;
using rukmox::test::ExpectedFrame;
using rukmox::test::FirmwareFile;
using rukmox::test::ImageRecords;
using ::testing::ElementsAreArray;
using Bytes = std::vector<std::uint8_t>;

PortSetup DonglePort(bool inBootLoader = false) {
  PortSetup p;
  p.kind = PortKind::DongleSerial;
  p.inBootLoader = inBootLoader;
  return p;
}

PortSetup McuPort(bool inBootLoader = false, std::uint32_t appBaud = 9600) {
  PortSetup p;
  p.kind = PortKind::Mcu;
  p.remote = 0;
  p.inBootLoader = inBootLoader;
  p.appBaud = appBaud;
  return p;
}

// One simulated device on port 0, wire timing off; the object under test as the window makes it.
class ProgOnSimulator : public ::testing::Test {
 protected:
  void StartWith(const PortSetup& port) {
    Scenario scenario = rukmox::sim::DefaultScenario();
    scenario.ports = {port};
    scenario.timing.wireTiming = false;
    scenario.timing.replyDelayMs = 0;
    scenario.timing.radioDelayMs = 0;
    sim = std::make_unique<Simulator>(scenario);
    std::string why;
    ASSERT_TRUE(sim->Start(&why)) << why;
    rukmox::platform::TransportSettings settings;
    settings.Ports = sim->PortPaths();
    prog.emplace(nullptr, 0, 5, &error, true, 0, 0, settings);
  }

  rukmox::sim::BootLoaderState BootLoader() {
    return sim->With([](World& w) {
      return w.ports[0].kind == PortKind::Mcu ? w.ports[0].boot : w.dongle.boot;
    });
  }
  Firmware Running() {
    return sim->With([](World& w) {
      return w.ports[0].kind == PortKind::Mcu ? w.ports[0].firmware : w.dongle.firmware;
    });
  }

  std::unique_ptr<Simulator> sim;
  std::int32_t error = 0;
  // Declared after the simulator, so that it closes its port before the simulator stops. Made
  // once the simulator's ports exist: the object takes its port list when it is made.
  std::optional<TRukMoxProg> prog;
};

// ---- EnterBootLoader

struct EnterCase {
  const char* name;
  PortSetup port;
  std::int32_t kind;
  bool entered;
};

class EnterBootLoader : public ProgOnSimulator, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterBootLoader, LeavesTheRightDeviceInItsBootLoaderOrClosesThePort) {
  StartWith(GetParam().port);
  ASSERT_TRUE(prog->Open());
  EXPECT_EQ(prog->EnterBootLoader(GetParam().kind), GetParam().entered);
  EXPECT_EQ(prog->IsOpen(), GetParam().entered);
  if (GetParam().entered) {
    EXPECT_EQ(Running(), Firmware::BootLoader);
    EXPECT_EQ(prog->GetBaudIndex(), 5);
    EXPECT_TRUE(prog->IsInBootLoader());  // answers at 9600 on the same open port
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, EnterBootLoader,
    ::testing::Values(EnterCase{"DongleApplication", DonglePort(), DeviceDongle, true},
                      EnterCase{"McuApplication", McuPort(), DeviceMcu, true},
                      EnterCase{"McuApplicationOnlyAt115200", McuPort(false, 115200), DeviceMcu,
                                true},
                      EnterCase{"DongleAlreadyInBootLoader", DonglePort(true), DeviceDongle, true},
                      EnterCase{"McuAlreadyInBootLoader", McuPort(true), DeviceMcu, true},
                      EnterCase{"DongleBootLoaderAskedForMcu", DonglePort(true), DeviceMcu, false},
                      EnterCase{"McuBootLoaderAskedForDongle", McuPort(true), DeviceDongle, false},
                      EnterCase{"DongleApplicationAskedForMcu", DonglePort(), DeviceMcu, false},
                      EnterCase{"McuApplicationAskedForDongle", McuPort(), DeviceDongle, false},
                      EnterCase{"NothingOnThePort", PortSetup{}, DeviceDongle, false}),
    RowName());

TEST_F(ProgOnSimulator, EnterBootLoaderOpensAClosedPort) {
  StartWith(DonglePort(true));
  EXPECT_TRUE(prog->EnterBootLoader(DeviceDongle));
  EXPECT_TRUE(prog->IsOpen());
}

TEST_F(ProgOnSimulator, EnterBootLoaderOnAPortWithoutDeviceFails) {
  StartWith(DonglePort(true));
  EXPECT_EQ(prog->SetPort(7), 7);
  EXPECT_FALSE(prog->EnterBootLoader(DeviceDongle));
  EXPECT_FALSE(prog->IsOpen());
  EXPECT_EQ(error, ErrOpen);
}

// ---- ProgramFile

const std::vector<std::string> Records = ImageRecords(96);  // three S1 lines and the S9 line

std::vector<Bytes> FramesOf(const std::vector<std::string>& lines) {
  std::vector<Bytes> frames;
  for (const std::string& line : lines) frames.push_back(ExpectedFrame(line));
  return frames;
}

std::vector<std::uint8_t> Sized(const std::string& file) {
  return *rukmox::programming::MakeSizedBuffer(AsBytes(file));
}

TEST_F(ProgOnSimulator, ProgramsEveryRecordInOrderAndReportsProgress) {
  StartWith(DonglePort(true));
  ASSERT_TRUE(prog->EnterBootLoader(DeviceDongle));
  std::vector<std::int32_t> positions;
  prog->OnProgress = [&](std::int32_t position, std::int32_t reserved) {
    EXPECT_EQ(reserved, 0);
    positions.push_back(position);
  };
  EXPECT_EQ(prog->ProgramFile(Sized(FirmwareFile(Records))), ProgramOk);
  EXPECT_TRUE(prog->IsOpen());
  EXPECT_THAT(BootLoader().records, ElementsAreArray(FramesOf(Records)));
  ASSERT_EQ(positions.size(), Records.size() + 1);
  EXPECT_EQ(positions.front(), 0);
  EXPECT_EQ(positions.back(), 100);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
}

// Stepped by a caller that stays responsive: the boot loader is got ready first, then one record
// goes out per step.
TEST_F(ProgOnSimulator, StepsOneRecordAtATime) {
  StartWith(DonglePort(true));
  ASSERT_TRUE(prog->EnterBootLoader(DeviceDongle));
  const std::vector<std::uint8_t> sized = Sized(FirmwareFile(Records));
  rukmox::programming::ProgramRun run(*prog, sized);
  run.Step();
  EXPECT_TRUE(BootLoader().records.empty());
  for (std::size_t sent = 1; sent <= 2; ++sent) {
    run.Step();
    EXPECT_EQ(BootLoader().records.size(), sent);
  }
  EXPECT_FALSE(run.Done());
  const std::vector<Bytes> all = FramesOf(Records);
  EXPECT_EQ(BootLoader().records, std::vector<Bytes>(all.begin(), all.begin() + 2));
  while (!run.Done()) run.Step();
  EXPECT_EQ(run.Result(), ProgramOk);
  EXPECT_THAT(BootLoader().records, ElementsAreArray(FramesOf(Records)));
}

TEST_F(ProgOnSimulator, ProgramsTheMcuAfterSwitchingItOver) {
  StartWith(McuPort(false, 115200));
  ASSERT_TRUE(prog->EnterBootLoader(DeviceMcu));
  EXPECT_EQ(prog->ProgramFile(Sized(FirmwareFile(Records, "\n", false))), ProgramOk);
  EXPECT_THAT(BootLoader().records, ElementsAreArray(FramesOf(Records)));
}

struct ResultCase {
  const char* name;
  PortSetup port;
  std::string file;
  std::int32_t result;
  bool openAfter;
  bool bootLoaderTouched;
  std::int32_t errorWord = -1;  // -1: not looked at
};

PortSetup BootLoaderWith(void (*change)(rukmox::sim::BootLoaderSetup&)) {
  PortSetup p = DonglePort(true);
  change(p.boot);
  return p;
}

std::vector<std::string> WithRecord(std::size_t at, const std::string& line) {
  std::vector<std::string> records = Records;
  records.insert(records.begin() + static_cast<std::ptrdiff_t>(at), line);
  return records;
}

class ProgramFileResult : public ProgOnSimulator,
                          public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ProgramFileResult, MatchesWhatTheBootLoaderDid) {
  const ResultCase& c = GetParam();
  StartWith(c.port);
  ASSERT_TRUE(prog->Open());
  EXPECT_EQ(prog->ProgramFile(Sized(c.file)), c.result);
  EXPECT_EQ(prog->IsOpen(), c.openAfter);
  EXPECT_EQ(BootLoader().frames > 0, c.bootLoaderTouched);
  if (c.errorWord >= 0) {
    EXPECT_EQ(error, c.errorWord);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Results, ProgramFileResult,
    ::testing::Values(
        ResultCase{"Programmed", DonglePort(true), FirmwareFile(Records), ProgramOk, true, true, 0},
        ResultCase{"EmptyFile", DonglePort(true), "", ProgramEmpty, true, false},
        // Nothing to program is not a success, and the boot loader is left alone.
        ResultCase{"HeaderOnly", DonglePort(true), FirmwareFile({}), ProgramEmpty, true, false},
        ResultCase{"HeaderAndBlankLines", DonglePort(true), FirmwareFile({"", "  ", ""}),
                   ProgramEmpty, true, false},
        ResultCase{"WrongHeader", DonglePort(true),
                   "S00F000068656C6C6F202020202000003C\r\n" + Records[0] + "\r\n",
                   ProgramWrongHeader, true, false},
        ResultCase{"NotInBootLoader", DonglePort(false), FirmwareFile(Records), ProgramNoBootLoader,
                   false, false},
        ResultCase{"StatusRefused", BootLoaderWith([](auto& b) { b.refuseStatus = true; }),
                   FirmwareFile(Records), ProgramNoBootLoader, false, true, ErrRefused},
        ResultCase{"PrepareFails", BootLoaderWith([](auto& b) { b.prepareStatus = 1; }),
                   FirmwareFile(Records), ProgramPrepareFailed, true, true, 0},
        ResultCase{"ThirdRecordRefused", BootLoaderWith([](auto& b) { b.refuseRecord = 3; }),
                   FirmwareFile(Records), ProgramRecordBase + 3, true, true},
        ResultCase{"RecordRefusedThreeTimes", BootLoaderWith([](auto& b) {
                     b.refuseRecord = 2;
                     b.refuseTimes = 3;
                   }),
                   FirmwareFile(Records), ProgramOk, true, true, 0},
        // A line too long for a frame is reported as its record and nothing is sent at all.
        ResultCase{"RecordTooLongForAFrame", DonglePort(true),
                   FirmwareFile(WithRecord(1, "S1" + std::string(400, '0'))), ProgramRecordBase + 2,
                   true, false},
        ResultCase{"RecordTooShortForAFrame", DonglePort(true), FirmwareFile(WithRecord(3, "S")),
                   ProgramRecordBase + 4, true, false}),
    RowName());

TEST_F(ProgOnSimulator, BlankLinesTakeNoRecordNumber) {
  PortSetup port = DonglePort(true);
  port.boot.refuseRecord = 2;
  StartWith(port);
  std::vector<std::string> records = Records;
  records.insert(records.begin() + 1, "");
  records.insert(records.begin(), "");
  EXPECT_EQ(prog->ProgramFile(Sized(FirmwareFile(records, "\r"))), ProgramRecordBase + 2);
}

TEST_F(ProgOnSimulator, PortThatCannotBeOpenedGivesResult3) {
  StartWith(DonglePort(true));
  prog->SetPort(9);
  EXPECT_EQ(prog->ProgramFile(Sized(FirmwareFile(Records))), ProgramNoBootLoader);
  EXPECT_FALSE(prog->IsOpen());
}

// ---- A file made by a real S-record tool

// The output of a shell command, or nothing when it could not run.
std::optional<std::string> CommandOutput(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}

TEST_F(ProgOnSimulator, FileMadeBySrecCatArrivesRecordForRecord) {
  if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat absent";
  // Its own S0 line, 32-byte S1 lines, the S5 count and the S9 end, with Unix line ends.
  const auto srec = CommandOutput(
      "srec_cat -generate 0x0000 0x0800 -repeat-string 'rukmox firmware image ' "
      "-execution-start-address=0x0000 -o - -Motorola -address-length=2 "
      "-Output_Block_Size=32");
  ASSERT_TRUE(srec.has_value());
  std::vector<Bytes> expected;
  std::size_t start = 0;
  while (start < srec->size()) {
    const std::size_t end = std::min(srec->find('\n', start), srec->size());
    std::string line = srec->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) expected.push_back(ExpectedFrame(line));
    start = end + 1;
  }
  ASSERT_GT(expected.size(), 60u);

  StartWith(McuPort(true));
  const std::string file = std::string(rukmox::test::FirmwareHeader) + "\r\n" + *srec;
  EXPECT_EQ(prog->ProgramFile(Sized(file)), ProgramOk);
  EXPECT_THAT(BootLoader().records, ElementsAreArray(expected));
}

}  // namespace
