// A TRukMox on the fake dongle, with a module script that answers like a dongle linked to one
// remote: local address 0x0101 on channel 4, remote 0x0202 "REMOTE".
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "FakeDongle.h"
#include "Rukmox.h"

namespace rukmox::test {

inline constexpr std::uint16_t kLocalAddress = 0x0101;
inline constexpr std::uint16_t kRemoteAddress = 0x0202;
inline constexpr int kChannel = 4;

// Information reply of the local module: version 2.7.3, M 0x0102, info 1..5, address, "DONGLE",
// PIN flag, tail.
Bytes LocalInfo(const char* name = "DONGLE", std::uint8_t pinFlag = 0);
// Information reply of the remote module (peer and own address, then the name).
Bytes RemoteInfo(const char* name = "REMOTE");
// Configuration reply: flags, factors, half the baud rate, power byte, byte 8.
Bytes Config(std::uint32_t baud = 115200, std::uint8_t power = 0xBC);
// Scan answer of a device.
Bytes ScanAnswer(std::uint16_t address, const char* name, bool linked = false,
                 std::uint16_t peer = 0);

class ModuleTest : public ::testing::Test {
 protected:
  ModuleTest();

  // Answers for every command of a linked pair; the channel and link status follow the frames.
  void ScriptLinkedPair();
  // Open on the script and forget the frames it took.
  void OpenLinked();

  std::shared_ptr<FakeDongleState> state = std::make_shared<FakeDongleState>();
  std::int32_t error = -1;
  std::unique_ptr<TRukMox> mox;
  int localChannel = kChannel;
  int remoteChannel = kChannel;
  bool linked = true;
};

}  // namespace rukmox::test
