// The look a programming job takes at the dongle and at the ports before it touches a device, on
// real pseudo-terminals: which port lists it lets through, and which fault it names first.
#include "ProgrammingChecks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "LockHolder.h"
#include "NamedRows.h"
#include "PtyPair.h"

namespace rukmox::workflow {
namespace {

using rukmox::test::LockHolder;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::PtyPair;

// Places in a row's port list: two free serial ports, the dongle, and a port another program
// holds.
constexpr const char* kFree = "{free}";
constexpr const char* kOther = "{other}";
constexpr const char* kDongle = "{dongle}";
constexpr const char* kHeld = "{held}";
constexpr const char* kMissing = "/nonexistent/ttyRUK";

struct PortsCase {
  const char* name;
  bool given;      // the user named the list; otherwise it is the system's own
  bool dongleJob;  // else an MCU job, during which the module link holds the dongle
  std::vector<std::string> ports;
  std::optional<extra::Id> refusal;  // the note that names the fault; nothing: the search may go
  std::int32_t portCount = 255;
};

class SearchPorts : public ::testing::TestWithParam<PortsCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(free_.ok() && other_.ok() && dongle_.ok() && held_.ok());
    holder_.emplace(held_.path());
    ASSERT_TRUE(holder_->Held());
  }

  std::string Place(const std::string& port) const {
    if (port == kFree) return free_.path();
    if (port == kOther) return other_.path();
    if (port == kDongle) return dongle_.path();
    if (port == kHeld) return held_.path();
    return port;
  }

  PtyPair free_, other_, dongle_, held_;
  std::optional<LockHolder> holder_;
};

TEST_P(SearchPorts, LetsThroughOnlyAListWhereTheTargetCanBeFound) {
  const PortsCase& c = GetParam();
  std::vector<std::string> ports;
  for (const std::string& port : c.ports) ports.push_back(Place(port));
  platform::TransportSettings settings;
  settings.DonglePath = dongle_.path();
  if (c.given) settings.Ports = ports;

  const std::optional<Notice> refusal =
      CheckSearchPorts(settings, ports, c.portCount, c.dongleJob, text::NoMcuFound);

  ASSERT_EQ(refusal.has_value(), c.refusal.has_value());
  if (!refusal) return;
  EXPECT_EQ(refusal->id, text::NoMcuFound);
  ASSERT_FALSE(refusal->notes.empty());
  EXPECT_EQ(refusal->notes.front().id, *c.refusal);
  EXPECT_EQ(refusal->notes.back().id, extra::NothingSent);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SearchPorts,
    ::testing::Values(
        PortsCase{"GivenFreePorts", true, false, {kFree, kOther}, std::nullopt},
        PortsCase{"GivenMissingPort", true, false, {kFree, kMissing}, extra::PortMissing},
        PortsCase{"GivenNotASerialPort", true, false, {"/dev/null"}, extra::PortNotSerial},
        PortsCase{"GivenHeldPort", true, false, {kFree, kHeld}, extra::PortHeld},
        PortsCase{"GivenTheDongleForADongleJob", true, true, {kDongle, kFree}, extra::PortIsDongle},
        PortsCase{"GivenTheDongleForAnMcuJob", true, false, {kFree, kDongle}, extra::PortIsDongle},
        // What lies past the ports searched is not looked at.
        PortsCase{"BeyondTheSearch", true, false, {kFree, kMissing}, std::nullopt, 1},
        PortsCase{"SystemListEmpty", false, false, {}, extra::NoPortsToSearch},
        PortsCase{"SystemListPassesOverWhatCannotBeOpened",
                  false,
                  false,
                  {kMissing, "/dev/null", kFree},
                  std::nullopt},
        PortsCase{"SystemListWithNothingUsable",
                  false,
                  false,
                  {kMissing, "/dev/null"},
                  extra::PortMissing},
        PortsCase{"SystemListWithAHeldPort", false, false, {kFree, kHeld}, extra::PortHeld},
        // The module link holds the dongle while an MCU is searched for; a dongle job lets it go.
        PortsCase{
            "SystemListOfTheDongleForAnMcuJob", false, false, {kDongle}, extra::NoPortsToSearch},
        PortsCase{"SystemListOfTheDongleForADongleJob", false, true, {kDongle}, std::nullopt}),
    rukmox::test::RowName());

TEST(DongleFree, OnlyAnotherProgramsLockStopsTheJob) {
  PtyPair dongle;
  ASSERT_TRUE(dongle.ok());
  platform::TransportSettings settings;
  settings.DonglePath = dongle.path();
  EXPECT_FALSE(CheckDongleFree(settings, text::NoDongleFound).has_value());

  {
    // This program's own module link holding it is no reason to stop.
    const int fd = open(dongle.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(CheckDongleFree(settings, text::NoDongleFound).has_value());
    close(fd);
  }

  LockHolder other(dongle.path());
  ASSERT_TRUE(other.Held());
  const std::optional<Notice> refusal = CheckDongleFree(settings, text::NoDongleFound);
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->id, text::NoDongleFound);
  ASSERT_FALSE(refusal->notes.empty());
  EXPECT_EQ(refusal->notes.front().id, extra::DongleHeld);
  EXPECT_EQ(refusal->notes.front().values.front(), dongle.path());
  EXPECT_EQ(refusal->notes.front().values.back(), std::to_string(other.Pid()));
}

}  // namespace
}  // namespace rukmox::workflow
