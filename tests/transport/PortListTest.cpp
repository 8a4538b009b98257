// The serial port list: the settings' ports, and the /dev scan on a tree the test builds.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

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
using rukmox::platform::SplitPortList;
using rukmox::platform::TransportSettings;
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

  // What the serial core shows of a port: the driver behind it and the UART type it found.
  void Describe(const std::string& name, const char* driver, const char* type) {
    if (driver != nullptr) {
      fs::create_directories(root / "drivers" / driver);
      fs::create_directory_symlink(root / "drivers" / driver, sys / name / "device" / "driver");
    }
    if (type != nullptr) std::ofstream(sys / name / "type") << type << '\n';
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

// The kernel keeps ttyS0..31 whether a UART is fitted or not; sysfs tells the empty ones by their
// type 0 (PORT_UNKNOWN). Finding that out must not open the port: that would pulse its modem lines.
struct UartCase {
  const char* name;
  const char* driver;  // null: no driver link
  const char* type;    // null: no type attribute
  bool listed;
};

class SerialCorePort : public PortScan, public ::testing::WithParamInterface<UartCase> {};

TEST_P(SerialCorePort, CountsOnlyWhenSysfsShowsAUartAndIsNotOpened) {
  AddTty("ttyS1");
  Describe("ttyS1", GetParam().driver, GetParam().type);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, (dev / "ttyS1").c_str(), IN_OPEN), 0);

  const Paths expected = GetParam().listed ? Paths{(dev / "ttyS1").string()} : Paths{};
  EXPECT_EQ(ScanSerialPorts(dev, sys), expected);
  char events[256];
  EXPECT_EQ(read(watch, events, sizeof events), -1) << "the scan opened the port";
  close(watch);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, SerialCorePort,
    ::testing::Values(UartCase{"Uart16550A", "serial8250", "4", true},
                      UartCase{"EmptySlot", "serial8250", "0", false},
                      UartCase{"EmptySlotOfAnotherDriver", "port", "0", false},
                      UartCase{"PnpUart", "serial", "4", true},
                      UartCase{"Serial8250WithoutType", "serial8250", nullptr, false},
                      UartCase{"OtherDriverWithoutType", "serial", nullptr, true},
                      UartCase{"UnreadableType", "serial8250", "unknown", false},
                      UartCase{"NoDriverNoType", nullptr, nullptr, true}),
    RowName());

// The settings' own list wins; without one the system is scanned under the settings' roots.
TEST_F(PortScan, SettingsListComesFirstElseTheirRootsAreScanned) {
  AddTty("ttyUSB0");
  TransportSettings settings;
  settings.DevRoot = dev;
  settings.SysfsRoot = root;  // the scan looks under class/tty
  fs::create_directories(root / "class");
  fs::create_directory_symlink(sys, root / "class" / "tty");
  EXPECT_EQ(SerialPortList(settings), (Paths{(dev / "ttyUSB0").string()}));
  settings.Ports = {"/x/a", "/x/b"};
  EXPECT_EQ(SerialPortList(settings), (Paths{"/x/a", "/x/b"}));
}

TEST_F(PortScan, MissingDirectoriesGiveAnEmptyList) {
  EXPECT_TRUE(ScanSerialPorts(root / "nothing", root / "none").empty());
}

}  // namespace
