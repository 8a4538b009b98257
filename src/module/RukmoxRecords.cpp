// The local record and the parameter commands that both modules understand.
#include <cstring>

#include "ModuleFrame.h"
#include "NarrowText.h"
#include "Rukmox.h"

using namespace rukmox::module;

namespace {

// A name as its 10 payload bytes: at most the first 9 single-byte characters, zero-padded.
void NamePayload(const std::string& name, std::uint8_t (&payload)[ModuleNameSize]) {
  std::memset(payload, 0, sizeof payload);
  const std::string narrow = rukmox::ToNarrow(name);
  std::memcpy(payload, narrow.data(), std::min<std::size_t>(narrow.size(), ModuleNameSize - 1));
}

constexpr char NoPin[] = "    ";  // four blanks stand for no PIN

}  // namespace

bool TRukMox::ReadLocalInfo() {
  if (!Exchanged(Exchange(CmdInfo, Target::Local))) return false;
  FillLocalInfo(Local, ReplyView(RxBuffer, RxLength));
  return ReadLinkStatus() && GetLocalChannel() >= 0 && ReadConfig(false);
}

bool TRukMox::ReadLinkStatus() {
  if (!Exchanged(Exchange(CmdLinkStatus, Target::Local))) return false;
  // Without its three bytes the reply would report a link to address 0 that nobody made.
  if (RxLength < 3) return false;
  const ReplyView reply(RxBuffer, RxLength);
  Local.PeerAddress = reply.Word(0);
  Local.Linked = reply.Byte(2) == 1;
  return true;
}

std::int32_t TRukMox::GetLocalChannel() {
  if (!Exchanged(Exchange(CmdGetChannel, Target::Local)) || RxLength < 1) return -1;
  Local.Channel = RxBuffer[0];
  return Local.Channel;
}

bool TRukMox::SetLocalChannel(std::int32_t channel) {
  if (channel < 0 || channel >= RadioChannelCount) {
    AssignError(ErrChannel);
    return false;
  }
  const std::uint8_t payload[1] = {static_cast<std::uint8_t>(channel)};
  if (!Exchanged(Exchange(CmdSetChannel, Target::Local, payload))) return false;
  return GetLocalChannel() == channel;
}

bool TRukMox::StoreLocalSettings() {
  return Exchanged(Exchange(CmdStore, Target::Local));
}

bool TRukMox::StoreRemoteSettings() {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (Exchanged(Exchange(CmdStore, Target::Remote))) return true;
  }
  return false;
}

bool TRukMox::SetName(const std::string& name, bool remote) {
  std::uint8_t payload[ModuleNameSize];
  NamePayload(name, payload);
  return Exchanged(Exchange(CmdSetName, TargetOf(remote), payload));
}

bool TRukMox::SetLocalAddress(std::uint32_t address) {
  address &= 0xFFFF;
  if (!IsValidAddress(address)) return false;
  const std::uint8_t payload[3] = {AddressPrefix, static_cast<std::uint8_t>(address & 0xFF),
                                   static_cast<std::uint8_t>(address >> 8)};
  if (!Exchanged(Exchange(CmdSetAddress, Target::Local, payload))) return false;
  return StoreLocalSettings() && ReadLocalInfo();
}

bool TRukMox::IsValidAddress(std::uint32_t value) {
  return value >= 1 && value <= 65534;
}

bool TRukMox::SetPower(std::int32_t level, bool remote) {
  if (level < 0 || level >= PowerTableSize) return false;
  const std::uint8_t payload[1] = {PowerTable[level]};
  return Exchanged(Exchange(CmdSetPower, TargetOf(remote), payload));
}

std::int32_t TRukMox::PowerLevelOf(std::uint8_t registerByte) {
  for (int i = 0; i < PowerTableSize; ++i) {
    if (PowerTable[i] == registerByte) return i;
  }
  return -1;
}

bool TRukMox::SetSerialBaud(std::int32_t rate, bool remote) {
  if (rate > 115200 || rate < 0) return false;
  const std::int32_t half = rate / 2;
  const std::uint8_t payload[2] = {static_cast<std::uint8_t>(half & 0xFF),
                                   static_cast<std::uint8_t>(half >> 8)};
  // The module may already be at the new rate when it answers, so its answer tells nothing.
  Exchange(CmdSerialBaud, TargetOf(remote), payload);
  if (remote) return true;
  return TRukFtdi::SetBaudIndex(RateIndexOf(rate)) != -1;
}

bool TRukMox::ReadConfig(bool remote) {
  if (!Exchanged(Exchange(CmdConfig, TargetOf(remote)))) return false;
  const ReplyView reply(RxBuffer, RxLength);
  if (!remote) {
    FillLocalConfig(Local, reply);
  } else if (Current != nullptr) {
    FillRemoteConfig(*Current, reply);
  }
  return true;
}

bool TRukMox::SetPin(const std::string& oldPin, const std::string& newPin, bool remote) {
  const std::string oldNarrow = rukmox::ToNarrow(oldPin);
  const std::string newNarrow = rukmox::ToNarrow(newPin);
  if (oldNarrow.size() != PinSize || newNarrow.size() != PinSize) return false;
  std::uint8_t payload[2 * PinSize];
  std::memcpy(payload, oldNarrow.data(), PinSize);
  std::memcpy(payload + PinSize, newNarrow.data(), PinSize);
  return Exchanged(Exchange(CmdSetPin, TargetOf(remote), payload));
}

bool TRukMox::ReadPin(std::string& pin, bool remote) {
  if (!Exchanged(Exchange(CmdReadPin, TargetOf(remote)))) return false;
  // A reply without the four characters must not hand back bytes of an earlier reply as a PIN.
  if (RxLength < PinSize) return false;
  pin = rukmox::FromNarrow(std::string_view(reinterpret_cast<const char*>(RxBuffer), PinSize));
  return true;
}

std::int32_t TRukMox::ChangePin(const std::string& oldPin, const std::string& newPin) {
  const std::string oldText = oldPin.empty() ? NoPin : oldPin;
  const std::string newText = newPin.empty() ? NoPin : newPin;
  if (Current != nullptr && Current->Linked && Local.Linked) {
    if (!SetPin(oldText, newText, true)) return 1;
    if (!StoreRemoteSettings()) return 2;
  }
  if (!SetPin(oldText, newText, false)) return 3;
  if (!StoreLocalSettings()) return 4;
  if (!ReadLinkStatus()) return 5;
  return 0;
}

std::int32_t TRukMox::RemovePin(const std::string& oldPin) {
  return ChangePin(oldPin, NoPin);
}

bool TRukMox::Ping(bool remote) {
  return Exchanged(Exchange(CmdPing, TargetOf(remote)));
}

bool TRukMox::SendToBootLoader() {
  return Exchanged(Exchange(CmdBootLoader, Target::Local));
}

bool TRukMox::StartRemoteReprogramming(bool remote) {
  // The module restarts into its boot loader and may never answer.
  Exchange(CmdStartReprogramming, TargetOf(remote));
  return true;
}

bool TRukMox::WriteCheckupRegister(std::uint8_t byte0, std::uint8_t byte1, bool remote) {
  const std::uint8_t payload[2] = {byte0, byte1};
  return Exchanged(Exchange(CmdCheckupRegister, TargetOf(remote), payload));
}

std::int32_t TRukMox::GetBaudIndex() {
  if (Current != nullptr && Current->Linked) return RateIndexOf(Current->BaudRate);
  return RemoteBaudIndex;
}

std::int32_t TRukMox::SetBaudIndex(std::int32_t index) {
  if (index < 0 || index >= ModuleRateCount) return -1;
  if (!SetSerialBaud(ModuleRates[index], true)) return -1;
  RemoteBaudIndex = index;
  return index;
}

void TRukMox::ModeSwitch(std::uint8_t value) {
  if (Current == nullptr || !Current->Linked) return;
  const std::uint8_t payload[1] = {value};
  if (!Exchanged(Exchange(CmdRemoteMode, Target::Remote, payload))) SetError(ErrOpen);
}

void TRukMox::ClearOptionFlag() {
  ModeSwitch(1);
  RemoteOptionFlag = false;
}

void TRukMox::SetOptionFlag() {
  ModeSwitch(0);
  RemoteOptionFlag = true;
}
