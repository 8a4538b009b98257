// The device list of our ftdi_sio layer, from a sysfs tree the test builds: which ttys count,
// their order, product string, serial number, ids, location id and the held flag.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "FtdiSupport.h"
#include "NamedRows.h"
#include "PtyPair.h"
#include "platform/D2xxLibrary.h"
#include "platform/FtdiSioDiscovery.h"

namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

using rukmox::platform::LocationIdOf;
using rukmox::platform::MakeFtdiSioLibrary;
using rukmox::platform::TransportSettings;
using rukmox::test::FakeSysfs;
using rukmox::test::FakeTty;
using rukmox::test::LayerSettings;
using rukmox::test::PtyPair;

struct LocationCase {
  const char* name;
  unsigned bus;
  const char* devpath;
  unsigned interface;
  std::uint32_t expected;
};

class LocationId : public testing::TestWithParam<LocationCase> {};

TEST_P(LocationId, PacksBusPortPathAndChannel) {
  const LocationCase& c = GetParam();
  EXPECT_EQ(LocationIdOf(c.bus, c.devpath, c.interface), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, LocationId,
                         testing::Values(LocationCase{"RootPort", 1, "3", 0, 0x01000031},
                                         LocationCase{"BehindAHub", 3, "1.4", 0, 0x03000141},
                                         LocationCase{"SecondChannel", 3, "1.4", 1, 0x03000142},
                                         LocationCase{"FiveHops", 2, "1.2.3.4.5", 0, 0x02123451},
                                         LocationCase{"Port15", 255, "15", 0, 0xFF0000F1}),
                         RowName());

TEST(LocationIdFallback, PathsThatDoNotFitStayStableAndKeepBusAndChannel) {
  const std::uint32_t a = LocationIdOf(4, "1.16", 0);
  EXPECT_EQ(a, LocationIdOf(4, "1.16", 0));
  EXPECT_NE(a, LocationIdOf(4, "1.17", 0));
  EXPECT_EQ(a >> 24, 4u);
  EXPECT_EQ(a & 0xF, 1u);
  const std::uint32_t deep = LocationIdOf(4, "1.2.3.4.5.6", 1);
  EXPECT_NE(deep, LocationIdOf(4, "1.2.3.4.5", 1));
  EXPECT_EQ(deep & 0xF, 2u);
}

struct Detail {
  FT_STATUS Status = FT_DEVICE_NOT_FOUND;
  DWORD Flags = 0, Type = 0, Id = 0, LocId = 0;
  std::string Serial, Description;
};

class FtdiSioDiscovery : public testing::Test {
 protected:
  std::vector<Detail> List() {
    DWORD count = 0;
    EXPECT_EQ(entries_.FT_CreateDeviceInfoList(&count), FT_OK);
    std::vector<Detail> list;
    for (DWORD i = 0; i < count; ++i) {
      Detail d;
      char serial[16] = {}, description[64] = {};
      FT_HANDLE handle = nullptr;
      d.Status = entries_.FT_GetDeviceInfoDetail(i, &d.Flags, &d.Type, &d.Id, &d.LocId, serial,
                                                 description, &handle);
      d.Serial = serial;
      d.Description = description;
      list.push_back(d);
    }
    return list;
  }

  // A layer of its own with other settings (the fake tree without a dongle is the default).
  void UseLayer(const TransportSettings& settings) {
    library_ = MakeFtdiSioLibrary(settings);
    entries_ = library_->Entries();
  }

  FakeSysfs sysfs_;
  std::unique_ptr<rukmox::platform::D2xxLibrary> library_ =
      MakeFtdiSioLibrary(LayerSettings(sysfs_));
  D2xxEntryPoints entries_ = library_->Entries();
};

TEST_F(FtdiSioDiscovery, ListsFtdiSioTtysInNumericOrderWithTheirUsbStrings) {
  sysfs_.Add({.Name = "ttyUSB10",
              .Bus = 3,
              .Devpath = "1.4",
              .Product = "FT232R USB UART",
              .Serial = "A10"});
  sysfs_.Add({.Name = "ttyUSB2",
              .Bus = 1,
              .Devpath = "2",
              .Product = "USB Serial Port",
              .Serial = "A2",
              .ProductId = "6015",
              .BcdDevice = "1000"});
  sysfs_.Add({.Name = "ttyUSB1",
              .Driver = "cp210x",
              .Bus = 1,
              .Devpath = "3",
              .Product = "CP2102 USB to UART"});

  const auto list = List();
  ASSERT_EQ(list.size(), 2u) << "the cp210x tty is not an FTDI device";
  EXPECT_EQ(list[0].Status, FT_OK);
  EXPECT_EQ(list[0].Description, "USB Serial Port");
  EXPECT_EQ(list[0].Serial, "A2");
  EXPECT_EQ(list[0].Id, 0x04036015u);
  EXPECT_EQ(list[0].Type, FT_DEVICE_X_SERIES);
  EXPECT_EQ(list[0].LocId, 0x01000021u);
  EXPECT_EQ(list[0].Flags, 0u);
  EXPECT_EQ(list[1].Description, "FT232R USB UART");
  EXPECT_EQ(list[1].Type, FT_DEVICE_232R);
  EXPECT_EQ(list[1].LocId, 0x03000141u);
}

TEST_F(FtdiSioDiscovery, ChannelsOfAMultiChannelChipGetALetter) {
  FakeTty b{.Name = "ttyUSB1",
            .Devpath = "5",
            .Interface = 1,
            .Interfaces = 2,
            .Product = "Dual RS232-HS",
            .Serial = "FT12",
            .ProductId = "6010",
            .BcdDevice = "0700"};
  sysfs_.Add(b);
  const auto list = List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Description, "Dual RS232-HS B");
  EXPECT_EQ(list[0].Serial, "FT12B");
  EXPECT_EQ(list[0].LocId, 0x01000052u);
  EXPECT_EQ(list[0].Flags, FT_FLAGS_HISPEED);
}

TEST_F(FtdiSioDiscovery, HeldTtyIsFlaggedOpenUntilReleased) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  sysfs_.Add({.Name = "ttyUSB0", .Product = "USB Serial Port", .Node = pty.path()});

  const int holder = open(pty.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  auto list = List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);

  close(holder);
  list = List();
  EXPECT_EQ(list[0].Flags & FT_FLAGS_OPENED, 0u);
  // The probe itself must not leave the tty locked.
  const int again = open(pty.path().c_str(), O_RDWR | O_NOCTTY);
  EXPECT_EQ(flock(again, LOCK_EX | LOCK_NB), 0);
  close(again);
}

// Opening a tty raises DTR and RTS and closing it drops them again, which resets boards that wire
// DTR to their reset line; finding the dongle must not do that to every FTDI device plugged in.
TEST_F(FtdiSioDiscovery, ListingOpensNoTty) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  UseLayer(LayerSettings(sysfs_, pty.path()));
  sysfs_.Add({.Name = "ttyUSB0", .Product = "USB Serial Port", .Node = pty.path()});

  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, pty.path().c_str(), IN_OPEN), 0);
  EXPECT_EQ(List().size(), 2u);
  char events[256];
  EXPECT_EQ(read(watch, events, sizeof events), -1) << "the listing opened the tty";
  close(watch);
}

TEST_F(FtdiSioDiscovery, DongleComesFirstAsWirelessPort) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  UseLayer(LayerSettings(sysfs_, pty.path()));
  sysfs_.Add({.Name = "ttyUSB0", .Product = "USB Serial Port"});
  const auto list = List();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Description, "Wireless Port");
  EXPECT_EQ(list[0].LocId, rukmox::platform::DongleLocationId);
  EXPECT_EQ(list[1].Description, "USB Serial Port");
}

TEST_F(FtdiSioDiscovery, NoSysfsMeansNoDevices) {
  TransportSettings settings;
  settings.SysfsRoot = "/nonexistent";
  UseLayer(settings);
  EXPECT_TRUE(List().empty());
}

TEST_F(FtdiSioDiscovery, TextsAreCutToTheLibraryBuffersAndAlwaysTerminated) {
  sysfs_.Add({.Name = "ttyUSB0", .Product = std::string(80, 'P'), .Serial = std::string(20, 'S')});
  DWORD count = 0;
  ASSERT_EQ(entries_.FT_CreateDeviceInfoList(&count), FT_OK);
  ASSERT_EQ(count, 1u);
  char serial[32], description[96];
  std::memset(serial, 0x55, sizeof serial);
  std::memset(description, 0x55, sizeof description);
  DWORD flags, type, id, loc;
  FT_HANDLE handle;
  ASSERT_EQ(
      entries_.FT_GetDeviceInfoDetail(0, &flags, &type, &id, &loc, serial, description, &handle),
      FT_OK);
  EXPECT_EQ(std::string(serial), std::string(15, 'S'));
  EXPECT_EQ(serial[16], 0x55) << "nothing written past 16 bytes";
  EXPECT_EQ(std::string(description), std::string(63, 'P'));
  EXPECT_EQ(description[64], 0x55) << "nothing written past 64 bytes";
}

TEST_F(FtdiSioDiscovery, DetailAnswersFromTheLastListAndRefusesBadArguments) {
  sysfs_.Add({.Name = "ttyUSB0"});
  EXPECT_EQ(entries_.FT_CreateDeviceInfoList(nullptr), FT_INVALID_PARAMETER);
  ASSERT_EQ(List().size(), 1u);
  sysfs_.Add({.Name = "ttyUSB1", .Devpath = "7"});
  DWORD loc = 0;
  EXPECT_EQ(entries_.FT_GetDeviceInfoDetail(1, nullptr, nullptr, nullptr, &loc, nullptr, nullptr,
                                            nullptr),
            FT_DEVICE_NOT_FOUND)
      << "index 1 was not in the last list";
  EXPECT_EQ(entries_.FT_GetDeviceInfoDetail(0, nullptr, nullptr, nullptr, &loc, nullptr, nullptr,
                                            nullptr),
            FT_OK)
      << "null out-pointers are skipped";
  EXPECT_EQ(loc, 0x01000021u);
}

}  // namespace
