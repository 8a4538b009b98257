// The boot-loader search over all 255 port numbers, as the programming workflow runs it, when no
// port answers: each port the system lists is opened once, a serial slot without a UART never.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "PtyPair.h"
#include "Rukmoxprog.h"

namespace {

namespace fs = std::filesystem;
using rukmox::test::PtyPair;

// A /dev and a sysfs of our own whose ttys are pseudo-terminals nobody answers on.
class FakeSystem {
 public:
  FakeSystem() {
    char pattern[] = "/tmp/rukmox-search-XXXXXX";
    if (mkdtemp(pattern) != nullptr) base_ = pattern;
    fs::create_directories(Dev());
    fs::create_directories(Sys() / "class" / "tty");
  }
  ~FakeSystem() {
    std::error_code ec;
    if (!base_.empty()) fs::remove_all(base_, ec);
  }
  FakeSystem(const FakeSystem&) = delete;
  FakeSystem& operator=(const FakeSystem&) = delete;

  fs::path Dev() const { return base_ / "dev"; }
  fs::path Sys() const { return base_ / "sys"; }

  // /dev/<name> leads to `node`. A `uartType` makes it a port of the 8250 driver, with the UART
  // type the serial core reports for it.
  void Add(const std::string& name, const std::string& node, const char* uartType = nullptr) {
    const fs::path entry = Sys() / "class" / "tty" / name;
    fs::create_directories(entry / "device");
    if (uartType != nullptr) {
      const fs::path driver = Sys() / "bus" / "platform" / "drivers" / "serial8250";
      fs::create_directories(driver);
      fs::create_directory_symlink(driver, entry / "device" / "driver");
      std::ofstream(entry / "type") << uartType << '\n';
    }
    fs::create_symlink(node, Dev() / name);
  }

 private:
  fs::path base_;
};

// Counts the opens of each watched path.
class OpenCounter {
 public:
  OpenCounter() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~OpenCounter() {
    if (fd_ >= 0) close(fd_);
  }
  OpenCounter(const OpenCounter&) = delete;
  OpenCounter& operator=(const OpenCounter&) = delete;

  bool Watch(const std::string& path) {
    const int wd = inotify_add_watch(fd_, path.c_str(), IN_OPEN);
    if (wd < 0) return false;
    paths_[wd] = path;
    return true;
  }

  std::map<std::string, int> Count() {
    std::map<std::string, int> opens;
    for (const auto& [wd, path] : paths_) opens[path] = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if ((event->mask & IN_OPEN) != 0) ++opens[paths_[event->wd]];
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return opens;
  }

 private:
  int fd_;
  std::map<int, std::string> paths_;
};

TEST(PortSearch, FailedSearchOpensEachListedTtyOnceAndEmptySlotsNever) {
  PtyPair usb, uart, emptySlot;
  ASSERT_TRUE(usb.ok() && uart.ok() && emptySlot.ok());
  FakeSystem system;
  system.Add("ttyUSB0", usb.path());
  system.Add("ttyS0", uart.path(), "4");       // a 16550A
  system.Add("ttyS1", emptySlot.path(), "0");  // PORT_UNKNOWN: no UART fitted
  OpenCounter counter;
  for (const PtyPair* pty : {&usb, &uart, &emptySlot}) ASSERT_TRUE(counter.Watch(pty->path()));

  rukmox::platform::TransportSettings settings;
  settings.DevRoot = system.Dev();
  settings.SysfsRoot = system.Sys();
  std::int32_t error = 0;
  TRukMoxProg prog(nullptr, 0, 5, &error, true, 0, 0, settings);
  prog.SetTimeout(5);  // nobody answers; keep the silent reads short
  for (std::int32_t port = 0; port < 255; ++port) {
    error = 0;
    prog.SetPort(port);
    prog.Open();
    if (!prog.IsOpen()) continue;
    ASSERT_FALSE(prog.EnterBootLoader(DeviceMcu));
    prog.Close();
  }
  EXPECT_FALSE(prog.IsOpen());

  const auto opens = counter.Count();
  EXPECT_EQ(opens.at(usb.path()), 1);
  EXPECT_EQ(opens.at(uart.path()), 1);
  EXPECT_EQ(opens.at(emptySlot.path()), 0) << "an empty serial slot is not even tried";
}

}  // namespace
