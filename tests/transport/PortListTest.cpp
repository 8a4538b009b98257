// The serial port list: RUKMOX_PORTS, and the /dev scan on a tree the test builds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "NamedRows.h"
#include "platform/PortList.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

namespace fs = std::filesystem;
using rukmox::platform::ScanSerialPorts;
using rukmox::platform::SerialPortList;
using rukmox::platform::SerialPortPath;
using rukmox::platform::SplitPortList;
using Paths = std::vector<std::string>;

struct SplitCase {
  const char* name;
  const char* text;
  Paths paths;
};

class PortListText : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PortListText, SplitsAtColons) {
  EXPECT_EQ(SplitPortList(GetParam().text), GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PortListText,
    ::testing::Values(SplitCase{"One", "/dev/pts/3", {"/dev/pts/3"}},
                      SplitCase{"Two", "/dev/pts/3:/dev/ttyUSB0", {"/dev/pts/3", "/dev/ttyUSB0"}},
                      SplitCase{"Empty", "", {}},
                      SplitCase{"EmptyEntriesSkipped", ":/a::/b:", {"/a", "/b"}}),
    RowName());

class PortsVariableTest : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("RUKMOX_PORTS"); }
};

// Read anew at every call, so that a program (or a test) can change it while running.
TEST_F(PortsVariableTest, ReplacesTheListAtEveryCall) {
  setenv("RUKMOX_PORTS", "/x/a:/x/b", 1);
  EXPECT_EQ(SerialPortList(), (Paths{"/x/a", "/x/b"}));
  EXPECT_EQ(SerialPortPath(1), "/x/b");
  setenv("RUKMOX_PORTS", "/x/c", 1);
  EXPECT_EQ(SerialPortPath(0), "/x/c");
  EXPECT_EQ(SerialPortPath(1), std::nullopt);
  EXPECT_EQ(SerialPortPath(-1), std::nullopt);
}

TEST_F(PortsVariableTest, SetButEmptyMeansNoPorts) {
  setenv("RUKMOX_PORTS", "", 1);
  EXPECT_TRUE(SerialPortList().empty());
  EXPECT_EQ(SerialPortPath(0), std::nullopt);
}

// A /dev and a /sys/class/tty of our own: which names count, and in which order.
class PortScan : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("rukmox-ports-" + std::to_string(::getpid()));
    dev = root / "dev";
    sys = root / "sys";
    fs::remove_all(root);
    fs::create_directories(dev);
    fs::create_directories(sys);
  }
  void TearDown() override { fs::remove_all(root); }

  // A device node stand-in, with or without a device behind it in sysfs.
  void AddTty(const std::string& name, bool withDevice = true) {
    std::ofstream(dev / name).put('\n');
    fs::create_directories(sys / name);
    if (withDevice) fs::create_directories(sys / name / "device");
  }

  fs::path root;
  fs::path dev;
  fs::path sys;
};

TEST_F(PortScan, FamiliesInOrderAndNumbersNumerically) {
  for (const char* name : {"ttyS0", "ttyUSB10", "ttyACM1", "ttyUSB2", "ttyACM0", "ttyUSB0"}) {
    AddTty(name);
  }
  EXPECT_EQ(
      ScanSerialPorts(dev, sys),
      (Paths{(dev / "ttyUSB0").string(), (dev / "ttyUSB2").string(), (dev / "ttyUSB10").string(),
             (dev / "ttyACM0").string(), (dev / "ttyACM1").string(), (dev / "ttyS0").string()}));
}

TEST_F(PortScan, OnlyTtysWithADeviceBehindThemAndProperNames) {
  AddTty("ttyUSB0");
  AddTty("ttyUSB1", false);  // no device link: a leftover
  AddTty("ttyUSB");          // no number
  AddTty("ttyUSBx1");
  AddTty("tty0");  // a virtual console
  AddTty("ttySTM0");
  AddTty("ttyS4x");
  fs::create_directories(sys / "ttyACM3" / "device");  // in sysfs but no node in /dev
  EXPECT_EQ(ScanSerialPorts(dev, sys), (Paths{(dev / "ttyUSB0").string()}));
}

// The kernel keeps ttyS0..31 whether a UART is fitted or not; an 8250 port only counts when the
// driver can report one, which a plain file cannot.
TEST_F(PortScan, EmptySerial8250SlotsAreLeftOut) {
  AddTty("ttyS0");
  AddTty("ttyS1");
  fs::create_directories(root / "drivers" / "serial8250");
  fs::create_directory_symlink(root / "drivers" / "serial8250",
                               sys / "ttyS1" / "device" / "driver");
  EXPECT_EQ(ScanSerialPorts(dev, sys), (Paths{(dev / "ttyS0").string()}));
}

TEST_F(PortScan, MissingDirectoriesGiveAnEmptyList) {
  EXPECT_TRUE(ScanSerialPorts(root / "nothing", root / "none").empty());
}

}  // namespace
