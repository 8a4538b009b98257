// program refuses what it can see is wrong before it touches any device, naming what is wrong: a
// file a boot loader could not take whole, a port list where the target cannot be found, a dongle
// or a port another program holds. A device sent to its boot loader for nothing waits there until
// someone knows to program it again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "BackgroundChild.h"
#include "CtlProgramFixture.h"
#include "LockHolder.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::size_t kImageBytes = 256;  // eight data records, then the end record

std::vector<std::string> Without(std::vector<std::string> lines, std::size_t at) {
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
  return lines;
}

std::vector<std::string> With(std::vector<std::string> lines, std::size_t at,
                              const std::string& line) {
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
  return lines;
}

const std::vector<std::string> kImage = ImageRecords(kImageBytes);

struct RefusalCase {
  const char* name;
  const char* target;
  std::string file;               // the programming file's text, unless `path` names something else
  std::string path;               // "{dir}" is the test's folder
  std::string ports = "{ports}";  // --ports; "{ports}" the simulator's, "{dongle}" its dongle
  bool noPorts = false;           // no --ports, on a system without serial ports
  std::vector<std::string> says;  // in standard error, with the same places
  int status = 1;
};

class CtlProgramRefusal : public CtlProgramFixture,
                          public ::testing::WithParamInterface<RefusalCase> {
 protected:
  std::string Fill(std::string text) {
    const std::pair<std::string, std::string> places[] = {{"{dir}", dir_.string()},
                                                          {"{ports}", sim_->PortsVariable()},
                                                          {"{dongle}", sim_->DonglePath()}};
    for (const auto& [place, value] : places)
      for (auto at = text.find(place); at != std::string::npos; at = text.find(place, at))
        text.replace(at, place.size(), value);
    return text;
  }
};

TEST_P(CtlProgramRefusal, NamesWhatIsWrongAndTouchesNoDevice) {
  const RefusalCase& c = GetParam();
  StartSimulator();
  const std::string file = c.path.empty() ? WriteFile(c.file) : Fill(c.path);
  ChildResult r;
  if (c.noPorts) {
    // A system whose /dev and sysfs hold no serial port at all.
    std::filesystem::create_directories(dir_ / "dev");
    std::filesystem::create_directories(dir_ / "sys");
    ChildOptions options;
    options.environment = {"RUKMOX_DEV_ROOT=" + (dir_ / "dev").string(),
                           "RUKMOX_SYSFS_ROOT=" + (dir_ / "sys").string()};
    r = RunCtlRaw({"--dongle", sim_->DonglePath(), "program", c.target, file}, options);
  } else {
    portsOverride_ = Fill(c.ports);
    r = Ctl({"program", c.target, file});
  }
  EXPECT_EQ(r.status, c.status) << r.err;
  for (const std::string& words : c.says) EXPECT_THAT(r.err, HasSubstr(Fill(words)));
  EXPECT_THAT(r.out, Not(HasSubstr("Programming successful.")));
  EXPECT_TRUE(NothingTouched());
}

const char kNothingSent[] = "Nothing was sent to any device.";
const char kNoPorts[] = "There is no serial port to search for the boot loader";
const char kNoDongle[] = "Unable to locate a dongle device to be programmed.";
const char kNoMcu[] = "Unable to locate a mcu device to be programmed.";

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlProgramRefusal,
    ::testing::Values(
        // The boot loader would take every record and wait for the end that never comes.
        RefusalCase{"NoEndRecord",
                    "dongle",
                    FirmwareFile(Without(kImage, kImage.size() - 1)),
                    "",
                    "{ports}",
                    false,
                    {"Programming error in the record n. 8.",
                     "The file does not end with an end record (S7, S8 or S9)", kNothingSent}},
        // The device would be erased and then refuse the record.
        RefusalCase{"RecordAfterTheEndRecord",
                    "mcu",
                    FirmwareFile(With(kImage, kImage.size(), kImage.front())),
                    "",
                    "{ports}",
                    false,
                    {"Programming error in the record n. 10.",
                     "A record follows the end record (S7, S8 or S9).", kNothingSent}},
        RefusalCase{"RecordTypeS4",
                    "dongle",
                    FirmwareFile(With(kImage, 3, "S4050000AABB95")),
                    "",
                    "{ports}",
                    false,
                    {"Programming error in the record n. 4.",
                     "S4 is not a record type of an S-record file.", kNothingSent}},
        RefusalCase{
            "MissingFile",
            "mcu",
            "",
            "{dir}/missing.s19",
            "{ports}",
            false,
            {"Select a valid programming file.\nThe file {dir}/missing.s19 does not exist."}},
        RefusalCase{"Folder",
                    "dongle",
                    "",
                    "{dir}",
                    "{ports}",
                    false,
                    {"Select a valid programming file.\n{dir} is a folder, not a file."}},
        RefusalCase{"PortMissing",
                    "mcu",
                    FirmwareFile(kImage),
                    "",
                    "/nonexistent",
                    false,
                    {kNoMcu, "The serial port /nonexistent does not exist.", kNothingSent}},
        RefusalCase{"PortAmongOthersMissing",
                    "dongle",
                    FirmwareFile(kImage),
                    "",
                    "{ports}:/nonexistent",
                    false,
                    {kNoDongle, "The serial port /nonexistent does not exist."}},
        // Not the system's ports in their place: a usage error.
        RefusalCase{"EmptyPortList",
                    "dongle",
                    FirmwareFile(kImage),
                    "",
                    ":",
                    false,
                    {"--ports names no serial port"},
                    2},
        RefusalCase{"NoPortsAnywhere",
                    "mcu",
                    FirmwareFile(kImage),
                    "",
                    "",
                    true,
                    {kNoMcu, kNoPorts, kNothingSent}},
        RefusalCase{"PortIsTheDongle",
                    "dongle",
                    FirmwareFile(kImage),
                    "",
                    "{dongle}",
                    false,
                    {kNoDongle, "{dongle} is the dongle itself", kNothingSent}},
        RefusalCase{"PortListNamesTheDongle",
                    "mcu",
                    FirmwareFile(kImage),
                    "",
                    "{ports}:{dongle}",
                    false,
                    {kNoMcu, "{dongle} is the dongle itself"}},
        RefusalCase{"PortNotSerial",
                    "mcu",
                    FirmwareFile(kImage),
                    "",
                    "{ports}:/dev/null",
                    false,
                    {kNoMcu, "/dev/null is not a serial port.", kNothingSent}}),
    RowName());

TEST_F(CtlProgramFixture, APortAnotherProgramHoldsIsNamedWithItsHolder) {
  StartSimulator();
  const std::string port = sim_->PortPaths()[1];
  LockHolder holder(port);
  ASSERT_TRUE(holder.Held());
  const ChildResult r = Ctl({"program", "mcu", WriteImage()});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_THAT(r.err, HasSubstr("The serial port " + port + " is held by another program: "));
  EXPECT_THAT(r.err, HasSubstr("(process " + std::to_string(holder.Pid()) + ") holds its lock."));
  EXPECT_TRUE(NothingTouched());
}

// The dongle's serial side must not be reprogrammed behind the back of the program using it.
TEST_F(CtlProgramFixture, ADongleAnotherProgramHoldsIsNotProgrammed) {
  StartSimulator();
  BackgroundChild monitor(RUKMOXCTL_PROGRAM, {"--dongle", sim_->DonglePath(), "monitor"});
  ASSERT_TRUE(monitor.FirstLine(std::chrono::seconds(10)).has_value());
  const std::string file = WriteImage();
  for (const char* target : {"dongle", "mcu"}) {
    const ChildResult r = Ctl({"program", target, file});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_THAT(r.err, HasSubstr("The dongle " + sim_->DonglePath() +
                                 " is held by another program: rukmoxctl (process " +
                                 std::to_string(monitor.Pid()) + ") holds its lock."));
    EXPECT_THAT(r.out, Not(HasSubstr("Programming successful.")));
  }
  EXPECT_TRUE(NothingTouched());
  monitor.Interrupt();
  EXPECT_EQ(monitor.Finish(std::chrono::seconds(10)).status, 0);
}

TEST_F(CtlProgramFixture, OfTwoJobsStartedTogetherTheSecondIsRefused) {
  scenario_.ports[1].boot.recordMs = 100;  // the first job is still writing when the second starts
  StartSimulator();
  const std::string file = WriteImage();
  BackgroundChild first(RUKMOXCTL_PROGRAM, {"--dongle", sim_->DonglePath(), "--ports",
                                            sim_->PortsVariable(), "program", "mcu", file});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (sim_->With([](sim::World& w) { return w.ports[1].boot.records.empty(); }) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));

  const ChildResult second = Ctl({"program", "mcu", file});
  EXPECT_EQ(second.status, 1) << second.err;
  EXPECT_THAT(second.err, HasSubstr("held by another program: rukmoxctl (process " +
                                    std::to_string(first.Pid()) + ")"));

  const ChildResult done = first.Finish(std::chrono::seconds(30));
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(sim_->With([](sim::World& w) { return w.ports[1].boot.records.size(); }),
            kImage.size());
}

}  // namespace
}  // namespace rukmox::test
