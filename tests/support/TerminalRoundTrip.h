// Talks through a tty as a serial program would: writes bytes into it and reads back what comes
// out, both at once, so that neither side waits on a full buffer of the other.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace rukmox::test {

// Random bytes, the same for the same seed.
inline std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random));
  return bytes;
}

// Writes `sent` into the tty at `path` and reads from it until all was written and `expected`
// bytes came back, or `deadline` passed; returns what came back.
inline std::vector<std::uint8_t> RoundTrip(const std::string& path,
                                           const std::vector<std::uint8_t>& sent,
                                           std::size_t expected,
                                           std::chrono::milliseconds deadline) {
  std::vector<std::uint8_t> back;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return back;
  const auto end = std::chrono::steady_clock::now() + deadline;
  std::size_t written = 0;
  while ((back.size() < expected || written < sent.size()) &&
         std::chrono::steady_clock::now() < end) {
    pollfd p{fd, 0, 0};
    if (back.size() < expected) p.events |= POLLIN;
    if (written < sent.size()) p.events |= POLLOUT;
    if (poll(&p, 1, 20) <= 0) continue;
    if ((p.revents & POLLOUT) != 0) {
      const ssize_t n = write(fd, sent.data() + written, sent.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
    }
    if ((p.revents & POLLIN) != 0) {
      std::uint8_t buffer[4096];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) back.insert(back.end(), buffer, buffer + n);
    }
    if ((p.revents & (POLLHUP | POLLERR)) != 0) break;
  }
  close(fd);
  return back;
}

}  // namespace rukmox::test
