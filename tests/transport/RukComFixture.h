// TRukCom's fixture: the port under test is one end of a line, the test holds the other.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "LinePair.h"
#include "Rukcom.h"
#include "platform/PortList.h"

namespace rukmox::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Only the listed ports: roots where nothing is found keep an empty list from reaching the
// machine's own serial ports.
inline rukmox::platform::TransportSettings Listing(const std::string& ports) {
  rukmox::platform::TransportSettings settings;
  settings.Ports = rukmox::platform::SplitPortList(ports);
  settings.DevRoot = "/nonexistent/dev";
  settings.SysfsRoot = "/nonexistent/sys";
  return settings;
}

class RukComTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(line.ok()); }

  std::unique_ptr<TRukCom> MakeCom(std::int32_t port = 0, std::int32_t baud = 5) {
    return std::make_unique<TRukCom>(nullptr, port, baud, &error, true, 0, 0, Listing(ports));
  }

  // Waits until the port's input queue holds `count` bytes (a pty or a relay hands them over late).
  static bool WaitForInput(TRukCom& com, int count) {
    const auto end = Clock::now() + 2s;
    while (Clock::now() < end) {
      if (com.GetInQueue() >= count) return true;
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }

  LinePair line;
  std::string ports = line.path();  // colon-separated, as MakeCom hands them in
  std::int32_t error = -1;
};

}  // namespace rukmox::test
