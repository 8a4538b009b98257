// A pseudo-terminal pair for tests: the slave path is what the code under test opens, the master
// is the test's end of the wire.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace rukmox::test {

class PtyPair {
 public:
  PtyPair() {
    char name[256] = {};
    int slave = -1;
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
    path_ = name;
    // Raw on both sides, so that no byte is translated or echoed by the line discipline.
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    // Keep the slave open until the code under test has opened it too: a pty whose slave was
    // never opened or was closed reports a hang-up on the master.
    slave_ = slave;
  }
  ~PtyPair() {
    ReleaseSlave();
    Unplug();
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !path_.empty(); }
  const std::string& path() const { return path_; }
  int master() const { return master_; }

  // Closes the test's own slave descriptor (the code under test keeps its own).
  void ReleaseSlave() {
    if (slave_ >= 0) close(slave_);
    slave_ = -1;
  }

  // Closes the master, as an unplugged adapter vanishes: the slave side sees a hang-up.
  void Unplug() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

  bool Send(const std::vector<std::uint8_t>& bytes) {
    return write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Everything that arrives on the master until `quiet` passes without a byte or `limit` ends.
  std::vector<std::uint8_t> Receive(
      std::chrono::milliseconds quiet = std::chrono::milliseconds(50),
      std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
    std::vector<std::uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(quiet.count())) <= 0 || !(p.revents & POLLIN)) break;
      std::uint8_t buf[256];
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace rukmox::test
