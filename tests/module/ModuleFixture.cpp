#include "ModuleFixture.h"

#include <cstring>

namespace rukmox::test {
namespace {

// The bytes of `text` after `bytes`. With room made first: GCC 12 at -O3 takes an insert into a
// vector that was just built from a list for a copy past its end (-Warray-bounds).
void AppendText(Bytes& bytes, const char* text) {
  const std::size_t length = std::strlen(text);
  bytes.reserve(bytes.size() + length);
  bytes.insert(bytes.end(), text, text + length);
}

}  // namespace

Bytes LocalInfo(const char* name, std::uint8_t pinFlag) {
  Bytes b{2, 7, 3, 0x02, 0x01, 1, 2, 3, 4, 5, kLocalAddress & 0xFF, kLocalAddress >> 8};
  AppendText(b, name);
  b.push_back(0);
  b.push_back(pinFlag);
  b.insert(b.end(), {0xA1, 0xA2, 0xA3, 0xA4});
  return b;
}

Bytes RemoteInfo(const char* name) {
  Bytes b{1,
          2,
          3,
          0x04,
          0x00,
          9,
          9,
          9,
          9,
          9,
          kLocalAddress & 0xFF,
          kLocalAddress >> 8,
          kRemoteAddress & 0xFF,
          kRemoteAddress >> 8};
  AppendText(b, name);
  b.push_back(0);
  b.push_back(0);
  b.insert(b.end(), {0xB1, 0xB2, 0xB3, 0xB4});
  return b;
}

Bytes Config(std::uint32_t baud, std::uint8_t power) {
  const std::uint32_t half = baud / 2;
  return Bytes{1,
               3,
               50,
               10,
               1,
               static_cast<std::uint8_t>(half & 0xFF),
               static_cast<std::uint8_t>(half >> 8),
               power,
               7};
}

Bytes ScanAnswer(std::uint16_t address, const char* name, bool linked, std::uint16_t peer) {
  Bytes b{static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8),
          static_cast<std::uint8_t>(linked ? 1 : 0), static_cast<std::uint8_t>(peer & 0xFF),
          static_cast<std::uint8_t>(peer >> 8)};
  AppendText(b, name);
  b.insert(b.end(), {0, 0, 0, 0, 0, 0});
  return b;
}

ModuleTest::ModuleTest() {
  mox = std::make_unique<TRukMox>(nullptr, 3000, 5, &error, true, 0, 0,
                                  std::make_unique<FakeDongle>(state));
}

void ModuleTest::ScriptLinkedPair() {
  for (int target : {0, 1}) {
    state->Answer(TRukMox::CmdPing, target, {});
    state->Answer(TRukMox::CmdStore, target, {});
    state->Answer(TRukMox::CmdSetChannel, target, {});
    state->Answer(TRukMox::CmdSerialBaud, target, {});
    state->Answer(TRukMox::CmdSetName, target, {});
    state->Answer(TRukMox::CmdSetPower, target, {});
    state->Answer(TRukMox::CmdSetPin, target, {});
    state->Answer(TRukMox::CmdReadPin, target, {' ', ' ', ' ', ' '});
    state->Answer(TRukMox::CmdSetAddress, target, {});
    state->Answer(TRukMox::CmdCheckupRegister, target, {});
    state->Answer(TRukMox::CmdLinkQuality, target, {0xA2, 0xFF});
    state->Answer(TRukMox::CmdConfig, target, Config());
  }
  state->Answer(TRukMox::CmdInfo, 0, LocalInfo());
  state->Answer(TRukMox::CmdInfo, 1, RemoteInfo());
  state->Answer(TRukMox::CmdConnect, 1, {});
  state->Answer(TRukMox::CmdRemoteMode, 1, {});
  state->Answer(TRukMox::CmdLinkTo, 0, {});
  state->Answer(TRukMox::CmdEnergy, 0, {0xA2, 0xFF});  // -93 dBm
  state->Silence(TRukMox::CmdSetChannel, 1);           // answered below, before the remote moves
  state->onFrame = [this](const Frame& f) {
    if (f.code == TRukMox::CmdSetChannel && !f.payload.empty()) {
      if (f.target == 0) {
        localChannel = f.payload[0];
      } else if (state->remoteHears()) {
        state->Queue(Reply({}));
        remoteChannel = f.payload[0];
      }
    }
    state->Answer(TRukMox::CmdGetChannel, 0, {static_cast<std::uint8_t>(localChannel)});
    const bool up = linked && localChannel == remoteChannel;
    state->Answer(TRukMox::CmdLinkStatus, 0,
                  {kRemoteAddress & 0xFF, kRemoteAddress >> 8, static_cast<std::uint8_t>(up)});
  };
  // The remote answers only while both ends share a channel.
  state->remoteHears = [this] { return linked && localChannel == remoteChannel; };
  state->onFrame(Frame{});
}

void ModuleTest::OpenLinked() {
  ScriptLinkedPair();
  ASSERT_TRUE(mox->Open());
  ASSERT_EQ(error, 0);
  ASSERT_NE(mox->Current, nullptr);
  ASSERT_TRUE(mox->Current->Linked);
  state->frames.clear();
}

}  // namespace rukmox::test
