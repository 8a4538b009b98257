// A program's end of one simulated line: opens the slave path raw at a chosen rate, writes bytes
// and collects what comes back.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace rukmox::sim::test {

using Bytes = std::vector<std::uint8_t>;

class SimLine {
 public:
  SimLine(const std::string& path, speed_t speed) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ >= 0) SetSpeed(speed);
  }
  ~SimLine() {
    if (fd_ >= 0) ::close(fd_);
  }
  SimLine(const SimLine&) = delete;
  SimLine& operator=(const SimLine&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  void SetSpeed(speed_t speed) {
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tcsetattr(fd_, TCSANOW, &tio);
  }

  bool Send(const Bytes& bytes) {
    return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Reads until `count` bytes came or `limit` passed.
  Bytes Receive(std::size_t count,
                std::chrono::milliseconds limit = std::chrono::milliseconds(1000)) {
    Bytes out;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (out.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      std::uint8_t buf[256];
      const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - out.size()));
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

  // Everything that arrives until the line has been quiet for `quiet`.
  Bytes Drain(std::chrono::milliseconds quiet = std::chrono::milliseconds(60)) {
    Bytes out;
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
      std::uint8_t buf[256];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

  // One command frame and its reply frame (64 LEN DATA); empty when no reply came.
  Bytes Exchange(const Bytes& frame,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(300)) {
    tcflush(fd_, TCIFLUSH);
    if (!Send(frame)) return {};
    Bytes head = Receive(2, limit);
    if (head.size() < 2 || head[0] != 0x64 || head[1] < 2) return head;
    Bytes rest = Receive(head[1] - 2u, limit);
    head.insert(head.end(), rest.begin(), rest.end());
    return head;
  }

 private:
  int fd_ = -1;
};

}  // namespace rukmox::sim::test
