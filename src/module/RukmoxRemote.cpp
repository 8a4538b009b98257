// Remote modules: the scan, the device list, the radio link to the current remote and the remote's
// own channel and address.
#include <algorithm>
#include <cstring>

#include "ModuleFrame.h"
#include "NarrowText.h"
#include "Rukmox.h"
#include "ScanRun.h"

using namespace rukmox::module;

namespace {

std::uint8_t Low(std::uint32_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t High(std::uint32_t value) {
  return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

void TRukMox::ClearDevices() {
  Current = nullptr;
  Devices.clear();
}

bool TRukMox::ContainsDevice(const TRemoteDeviceRecord& record) const {
  return std::any_of(Devices.begin(), Devices.end(), [&](const auto& known) {
    return known->Address == record.Address &&
           std::memcmp(known->Name, record.Name, ModuleNameSize) == 0;
  });
}

void TRukMox::AddDevice(std::unique_ptr<TRemoteDeviceRecord> record) {
  if (record) Devices.push_back(std::move(record));
}

void TRukMox::SelectDevice(std::int32_t index) {
  Current = index >= 0 && static_cast<std::size_t>(index) < Devices.size() ? Devices[index].get()
                                                                           : nullptr;
}

void TRukMox::SelectDeviceByName(const std::string& name, std::uint32_t address) {
  // Compared as the module holds it: at most 9 single bytes.
  char wanted[ModuleNameSize] = {};
  const std::string narrow = rukmox::ToNarrow(name);
  std::memcpy(wanted, narrow.data(), std::min<std::size_t>(narrow.size(), ModuleNameSize - 1));
  Current = nullptr;
  for (const auto& record : Devices) {
    if (record->Address == address && std::strncmp(record->Name, wanted, ModuleNameSize) == 0) {
      Current = record.get();
      return;
    }
  }
}

void TRukMox::ScanNetwork(std::int32_t first, std::int32_t last) {
  ScanRun run = ScanRun::Network(*this, first, last);
  while (!run.Done()) run.Step();
}

std::int32_t TRukMox::ScanChannels(std::uint8_t command, std::int32_t repeat, std::int32_t first,
                                   std::int32_t last) {
  ScanRun run = ScanRun::Channels(*this, command, repeat, first, last);
  while (!run.Done()) run.Step();
  return run.Found();
}

std::int32_t TRukMox::ScanCurrentChannel(std::uint8_t command, std::int32_t repeat) {
  ScanRun run = ScanRun::CurrentChannel(*this, command, repeat);
  while (!run.Done()) run.Step();
  return run.Found();
}

bool TRukMox::LinkToRemote() {
  if (Current == nullptr) return false;
  const std::uint8_t payload[2] = {Low(Current->Address), High(Current->Address)};
  if (!Exchanged(Exchange(CmdLinkTo, Target::Local, payload))) return false;
  if (!ReadLinkStatus()) return false;
  return Current->Address == Local.PeerAddress;
}

bool TRukMox::ConnectRemote(bool relink) {
  if (Current == nullptr) return false;
  Local.Linked = false;
  Current->Linked = false;
  LinkLevel = 0;
  if (relink && !LinkToRemote()) return false;
  if (GetLocalChannel() != Current->Channel && !SetLocalChannel(Current->Channel)) return false;
  const std::uint8_t payload[2] = {Low(Current->Address), High(Current->Address)};
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!Exchanged(Exchange(CmdConnect, Target::Remote, payload, ExchangeFlags::SkipLinkCheck)))
      break;
    if (!ReadLinkStatus()) break;
    if (Current->Address == Local.PeerAddress || Local.Linked) break;
  }
  if (Current->Address == Local.PeerAddress && Local.Linked) {
    Current->Linked = true;
    Current->PeerAddress = Local.Address;
    return true;
  }
  return false;
}

bool TRukMox::DisconnectRemote() {
  if (Current == nullptr || !Current->Linked) return true;
  if (!Exchanged(Exchange(CmdDisconnect, Target::Remote))) return false;
  Current->Linked = false;
  return ReadLinkStatus();
}

bool TRukMox::ReadRemoteInfo() {
  if (Current == nullptr || !Current->Linked || !Local.Linked) return false;
  if (!Exchanged(Exchange(CmdInfo, Target::Remote))) return false;
  FillRemoteInfo(*Current, ReplyView(RxBuffer, RxLength));
  if (!ReadConfig(true)) return false;
  Current->Channel = Local.Channel;
  return true;
}

bool TRukMox::TellRemoteChannel(std::int32_t channel) {
  const std::uint8_t payload[1] = {static_cast<std::uint8_t>(channel)};
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (Exchanged(Exchange(CmdSetChannel, Target::Remote, payload))) return true;
  }
  return false;
}

bool TRukMox::PingAny(bool remote, int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (Ping(remote)) return true;
  }
  return false;
}

bool TRukMox::ChangeChannel(std::int32_t channel) {
  // The remote hears of the move first; a channel it cannot use would cost the link.
  if (channel < 0 || channel >= RadioChannelCount) {
    AssignError(ErrChannel);
    return false;
  }
  if (TellRemoteChannel(channel)) {
    if (!SetLocalChannel(channel)) return false;
  } else {
    // The remote may have moved without its answer coming back: find out where it is.
    if (PingAny(true, 3)) return false;
    if (!SetLocalChannel(channel)) return false;
    if (!PingAny(true, 5)) return false;
  }
  LinkLevel = 0;
  if (!ReadRemoteInfo() || Current->Channel != Local.Channel) return false;
  return StoreRemoteSettings() && StoreLocalSettings();
}

bool TRukMox::SetRemoteAddress(std::uint32_t address) {
  address &= 0xFFFF;
  if (Current == nullptr || !IsValidAddress(Local.PeerAddress) || !IsValidAddress(address) ||
      !Current->Linked) {
    return false;
  }
  const std::uint32_t saved = Local.PeerAddress;
  const std::uint8_t payload[3] = {AddressPrefix, Low(address), High(address)};
  if (!Exchanged(Exchange(CmdSetAddress, Target::Remote, payload))) return false;
  Local.PeerAddress = address;
  Current->Address = address;
  bool linked = false;
  for (int attempt = 0; attempt < 3 && !linked; ++attempt) linked = LinkToRemote();
  if (!linked) return false;
  bool stored = false;
  for (int attempt = 0; attempt < 3 && !stored; ++attempt) stored = StoreRemoteSettings();
  if (!stored) {
    Local.PeerAddress = saved;
    Current->Address = saved;
    LinkToRemote();
    return false;
  }
  return StoreLocalSettings();
}
