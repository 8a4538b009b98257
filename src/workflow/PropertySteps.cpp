#include "PropertySteps.h"

namespace rukmox {
namespace {

void Store(TRukMox& device, bool remote) {
  // A store that fails is not reported: the re-read shows what the module holds now.
  if (remote)
    device.StoreRemoteSettings();
  else
    device.StoreLocalSettings();
}

ReRead EndOf(bool remote) {
  return remote ? ReRead::Remote : ReRead::Local;
}

}  // namespace

bool HasLinkedRemote(const TRukMox& device) {
  return device.Current != nullptr && device.Current->Linked;
}

StepResult ChangeName(TRukMox& device, const std::string& name, bool remote) {
  const bool ok = device.SetName(name, remote);
  if (ok) Store(device, remote);
  return {ok, remote ? text::RemoteNameFailed : text::LocalNameFailed, EndOf(remote)};
}

StepResult ChangePower(TRukMox& device, std::int32_t level, bool remote) {
  const bool ok = device.SetPower(level, remote);
  if (ok) Store(device, remote);
  return {ok, remote ? text::RemotePowerFailed : text::LocalPowerFailed, EndOf(remote)};
}

StepResult ChangeLocalAddress(TRukMox& device, std::uint32_t address) {
  if (device.Current != nullptr && device.Current->Linked && device.Current->Address == address)
    return {false, text::LocalAddressFailed, ReRead::Both, extra::AddressTaken};
  if (!device.SetLocalAddress(address)) return {false, text::LocalAddressFailed, ReRead::Both};
  if (!HasLinkedRemote(device)) return {true, {}, ReRead::Both};
  if (!device.ConnectRemote(false)) return {false, text::ReconnectFailed, ReRead::Both};
  device.StoreLocalSettings();
  device.StoreRemoteSettings();
  return {true, {}, ReRead::Both};
}

StepResult ChangeRemoteAddress(TRukMox& device, std::uint32_t address) {
  if (address == device.Local.Address)
    return {false, text::RemoteAddressFailed, ReRead::Both, extra::AddressTaken};
  return {device.SetRemoteAddress(address), text::RemoteAddressFailed, ReRead::Both};
}

StepResult ChangePairChannel(TRukMox& device, std::int32_t channel) {
  return {device.ChangeChannel(channel), text::ChannelFailed, ReRead::Both};
}

}  // namespace rukmox
