// The transport settings a program takes from its environment at start. This is the one place
// that reads the variables, so it is the one test that sets them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include "NamedRows.h"
#include "platform/TransportSettings.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using rukmox::platform::TransportSettings;

constexpr const char* kVariables[] = {"RUKMOX_DONGLE",     "RUKMOX_PORTS",    "RUKMOX_D2XX",
                                      "RUKMOX_SYSFS_ROOT", "RUKMOX_DEV_ROOT", "RUKMOX_PROC_LOCKS"};

struct EnvironmentCase {
  const char* name;
  std::map<std::string, std::string> variables;  // the others are unset
  TransportSettings expected;
};

TransportSettings Expect(std::string dongle, std::vector<std::string> ports, std::string library,
                         const char* sysfs = "/sys", const char* dev = "/dev",
                         const char* locks = "/proc/locks") {
  TransportSettings s;
  s.DonglePath = std::move(dongle);
  s.Ports = std::move(ports);
  s.D2xxLibraryPath = std::move(library);
  s.SysfsRoot = sysfs;
  s.DevRoot = dev;
  s.ProcLocks = locks;
  return s;
}

class FromEnvironment : public ::testing::TestWithParam<EnvironmentCase> {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) unsetenv(name);
    for (const auto& [name, value] : GetParam().variables) setenv(name.c_str(), value.c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : kVariables) unsetenv(name);
  }
};

TEST_P(FromEnvironment, TakesTheSetVariablesAndDefaultsTheRest) {
  const TransportSettings s = TransportSettings::FromEnvironment();
  const TransportSettings& e = GetParam().expected;
  EXPECT_EQ(s.DonglePath, e.DonglePath);
  EXPECT_EQ(s.Ports, e.Ports);
  EXPECT_EQ(s.D2xxLibraryPath, e.D2xxLibraryPath);
  EXPECT_EQ(s.SysfsRoot, e.SysfsRoot);
  EXPECT_EQ(s.DevRoot, e.DevRoot);
  EXPECT_EQ(s.ProcLocks, e.ProcLocks);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, FromEnvironment,
    ::testing::Values(EnvironmentCase{"NoneSet", {}, Expect("", {}, "")},
                      EnvironmentCase{
                          "All",
                          {{"RUKMOX_DONGLE", "/dev/pts/3"},
                           {"RUKMOX_PORTS", "/dev/pts/4:/dev/pts/5"},
                           {"RUKMOX_D2XX", "/opt/libftd2xx.so"},
                           {"RUKMOX_SYSFS_ROOT", "/tmp/sys"},
                           {"RUKMOX_DEV_ROOT", "/tmp/dev"},
                           {"RUKMOX_PROC_LOCKS", "/tmp/locks"}},
                          Expect("/dev/pts/3", {"/dev/pts/4", "/dev/pts/5"}, "/opt/libftd2xx.so",
                                 "/tmp/sys", "/tmp/dev", "/tmp/locks")},
                      // An empty variable is unset: the port list is scanned, not empty.
                      EnvironmentCase{"EmptyCountsAsUnset",
                                      {{"RUKMOX_DONGLE", ""},
                                       {"RUKMOX_PORTS", ""},
                                       {"RUKMOX_D2XX", ""},
                                       {"RUKMOX_SYSFS_ROOT", ""}},
                                      Expect("", {}, "")},
                      EnvironmentCase{"EmptyPortEntriesSkipped",
                                      {{"RUKMOX_PORTS", ":/a::/b:"}},
                                      Expect("", {"/a", "/b"}, "")}),
    RowName());

}  // namespace
