// Helpers of the FTDI tests: a sysfs tree built in a temporary directory the way the kernel lays
// out an ftdi_sio tty, and the transport settings that point our layer at it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/TransportSettings.h"

namespace rukmox::test {

struct FakeTty {
  std::string Name = "ttyUSB0";
  std::string Driver = "ftdi_sio";
  unsigned Bus = 1;
  std::string Devpath = "2";
  unsigned Interface = 0;
  unsigned Interfaces = 1;
  std::string Product = "FT232R USB UART";
  std::string Serial = "A1B2C3D4";
  std::string Vendor = "0403";
  std::string ProductId = "6001";
  std::string BcdDevice = "0600";
  std::string Node;  // what /dev/<Name> points to; empty: no node
};

// A temporary sysfs root (and /dev root) for the layer; removed with the object.
class FakeSysfs {
 public:
  FakeSysfs() {
    char pattern[] = "/tmp/rukmox-sysfs-XXXXXX";
    if (mkdtemp(pattern) != nullptr) base_ = pattern;
    std::filesystem::create_directories(Sys() / "class" / "tty");
    std::filesystem::create_directories(Dev());
  }
  ~FakeSysfs() {
    std::error_code ec;
    if (!base_.empty()) std::filesystem::remove_all(base_, ec);
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  std::filesystem::path Sys() const { return base_ / "sys"; }
  std::filesystem::path Dev() const { return base_ / "dev"; }

  // Lays out /sys/devices/.../usbB/B-P/B-P:1.I/ttyUSBn/tty/ttyUSBn, the driver links, the class
  // entry and the device node; returns the port directory (where latency_timer lives).
  std::filesystem::path Add(const FakeTty& tty) {
    namespace fs = std::filesystem;
    const std::string busName = std::to_string(tty.Bus);
    const std::string usbName = busName + "-" + tty.Devpath;
    const fs::path usb =
        Sys() / "devices" / "pci0000:00" / "0000:00:14.0" / ("usb" + busName) / usbName;
    const fs::path interface = usb / (usbName + ":1." + std::to_string(tty.Interface));
    const fs::path port = interface / tty.Name;
    const fs::path classDir = port / "tty" / tty.Name;
    fs::create_directories(classDir);
    Write(usb / "busnum", busName);
    Write(usb / "devpath", tty.Devpath);
    Write(usb / "product", tty.Product);
    Write(usb / "serial", tty.Serial);
    Write(usb / "idVendor", tty.Vendor);
    Write(usb / "idProduct", tty.ProductId);
    Write(usb / "bcdDevice", tty.BcdDevice);
    Write(usb / "bNumInterfaces", " " + std::to_string(tty.Interfaces));
    Write(interface / "bInterfaceNumber", "0" + std::to_string(tty.Interface));
    Write(port / "latency_timer", "16");
    const fs::path usbDriver = Sys() / "bus" / "usb" / "drivers" / tty.Driver;
    const fs::path serialDriver = Sys() / "bus" / "usb-serial" / "drivers" / tty.Driver;
    fs::create_directories(usbDriver);
    fs::create_directories(serialDriver);
    Link(usbDriver, interface / "driver");
    Link(serialDriver, port / "driver");
    Link("../../../" + tty.Name, classDir / "device");  // relative, as the kernel makes it
    Link(classDir, Sys() / "class" / "tty" / tty.Name);
    if (!tty.Node.empty()) Link(tty.Node, Dev() / tty.Name);
    return port;
  }

 private:
  static void Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text << '\n';
  }
  static void Link(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code ec;
    std::filesystem::create_symlink(target, link, ec);
  }

  std::filesystem::path base_;
};

// Points the layer at a fake tree, with `dongle` (if any) listed first as "Wireless Port".
inline platform::TransportSettings LayerSettings(const FakeSysfs& sysfs, std::string dongle = {}) {
  platform::TransportSettings settings;
  settings.DonglePath = std::move(dongle);
  settings.SysfsRoot = sysfs.Sys();
  settings.DevRoot = sysfs.Dev();
  return settings;
}

}  // namespace rukmox::test
