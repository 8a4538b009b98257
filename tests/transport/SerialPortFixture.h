// The serial layer's fixture: a port opened on one end of a line, timed reads.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "LinePair.h"
#include "platform/SerialPort.h"

namespace rukmox::test {

using namespace std::chrono_literals;
using rukmox::platform::OpenError;
using rukmox::platform::SerialPort;
using Clock = std::chrono::steady_clock;

inline std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Waits until the port has `count` bytes in its input queue (a pty hands them over through a
// work queue, a COM pair through its relay, not at once).
inline bool WaitForInput(SerialPort& port, int count) {
  const auto end = Clock::now() + 2s;
  while (Clock::now() < end) {
    if (port.InQueue() >= count) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.ok());
    OpenError error = OpenError::Other;
    port = SerialPort::Open(line.path(), &error);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(error, OpenError::None);
  }

  // Reads `count` bytes and returns the bytes received, the result and the time it took.
  struct Outcome {
    bool ok;
    std::uint32_t received;
    std::chrono::milliseconds took;
  };
  Outcome TimedRead(std::uint32_t count) {
    buffer.assign(count, 0);
    const auto start = Clock::now();
    std::uint32_t received = 0;
    const bool ok = port->Read(buffer.data(), count, &received);
    return {ok, received, Since(start)};
  }

  LinePair line;
  std::unique_ptr<SerialPort> port;
  std::vector<std::uint8_t> buffer;
};

}  // namespace rukmox::test
