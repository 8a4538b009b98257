#include "Profile.h"

#include "FieldText.h"
#include "PanelText.h"

namespace rukmox {
namespace {

constexpr std::uint8_t kUnknownPower = 255;

ModuleProfile ModuleOf(const TDeviceRecordParameters& record, bool pinSet) {
  ModuleProfile m;
  m.name = NameOf(record.Name);
  m.address = record.Address;
  if (record.PowerLevel != kUnknownPower) m.powerLevel = record.PowerLevel;
  m.pinSet = pinSet;
  return m;
}

std::string PowerText(const std::optional<std::int32_t>& level) {
  return level ? std::to_string(*level) : "null";
}

void PlanModule(const ModuleProfile& wanted, const ModuleProfile& now, bool remote,
                ProfilePlan& plan) {
  const std::string end = remote ? "remote." : "local.";
  if (wanted.name != now.name)
    plan.changes.push_back({remote ? ProfileSetting::RemoteName : ProfileSetting::LocalName,
                            end + "name", "\"" + now.name + "\"", "\"" + wanted.name + "\""});
  // A profile without a known power level leaves the power as it is.
  if (wanted.powerLevel && wanted.powerLevel != now.powerLevel)
    plan.changes.push_back({remote ? ProfileSetting::RemotePower : ProfileSetting::LocalPower,
                            end + "power_level", PowerText(now.powerLevel),
                            PowerText(wanted.powerLevel)});
  if (wanted.address != now.address)
    plan.changes.push_back({remote ? ProfileSetting::RemoteAddress : ProfileSetting::LocalAddress,
                            end + "address", std::to_string(now.address),
                            std::to_string(wanted.address)});
  if (wanted.pinSet != now.pinSet)
    plan.pins.push_back({end + "pin_set", wanted.pinSet, now.pinSet});
}

StepResult Carry(TRukMox& device, const Profile& wanted, ProfileSetting setting) {
  switch (setting) {
    case ProfileSetting::RemoteName:
      return ChangeName(device, wanted.remote->name, true);
    case ProfileSetting::RemotePower:
      return ChangePower(device, *wanted.remote->powerLevel, true);
    case ProfileSetting::RemoteAddress:
      return ChangeRemoteAddress(device, wanted.remote->address);
    case ProfileSetting::LocalName:
      return ChangeName(device, wanted.local.name, false);
    case ProfileSetting::LocalPower:
      return ChangePower(device, *wanted.local.powerLevel, false);
    case ProfileSetting::LocalAddress:
      return ChangeLocalAddress(device, wanted.local.address);
    case ProfileSetting::Channel:
      break;
  }
  return ChangePairChannel(device, wanted.channel);
}

}  // namespace

Profile ProfileOf(const TLocalDeviceRecord& local, const TRemoteDeviceRecord* remote) {
  Profile p;
  p.channel = local.Channel;
  p.local = ModuleOf(local, local.PinProtected);
  if (remote != nullptr) p.remote = ModuleOf(*remote, remote->PinProtected);
  return p;
}

bool ProfileNeedsRemote(const Profile& wanted, const Profile& now) {
  return wanted.remote && !now.remote;
}

ProfilePlan PlanProfile(const Profile& wanted, const Profile& now) {
  ProfilePlan plan;
  if (wanted.remote && now.remote) PlanModule(*wanted.remote, *now.remote, true, plan);
  PlanModule(wanted.local, now.local, false, plan);
  // The channel command moves a linked pair; a dongle alone is moved only with a remote to follow.
  if (wanted.channel != now.channel) {
    if (now.remote)
      plan.changes.push_back({ProfileSetting::Channel, "channel", std::to_string(now.channel),
                              std::to_string(wanted.channel)});
    else
      plan.channelLeft = true;
  }
  return plan;
}

std::optional<ProfileProblem> RefusedChange(const Profile& wanted, const Profile& now,
                                            const ProfilePlan& plan) {
  bool addressChanges = false;
  for (const ProfileChange& change : plan.changes) {
    switch (change.setting) {
      case ProfileSetting::RemoteName:
        if (!IsSettableName(wanted.remote->name))
          return ProfileProblem{change.field, extra::ProfileNameRefused};
        break;
      case ProfileSetting::LocalName:
        if (!IsSettableName(wanted.local.name))
          return ProfileProblem{change.field, extra::ProfileNameRefused};
        break;
      case ProfileSetting::RemoteAddress:
      case ProfileSetting::LocalAddress:
        addressChanges = true;
        break;
      default:
        break;
    }
  }
  if (!addressChanges || !now.remote) return std::nullopt;
  // The remote moves first, while the dongle still has its old address; then the dongle. A remote
  // the profile does not hold keeps its own.
  const bool remoteMoves = wanted.remote && wanted.remote->address != now.remote->address;
  const std::uint32_t remote = remoteMoves ? wanted.remote->address : now.remote->address;
  if (remoteMoves && remote == now.local.address)
    return ProfileProblem{"remote.address", extra::ProfileAddressTaken};
  if (remote == wanted.local.address)
    return ProfileProblem{remoteMoves ? "remote.address" : "local.address",
                          extra::ProfileAddressTaken};
  return std::nullopt;
}

ApplyResult ApplyProfile(TRukMox& device, const Profile& wanted, const ProfilePlan& plan,
                         const AfterProfileStep& afterStep) {
  ApplyResult result;
  for (const ProfileChange& change : plan.changes) {
    const StepResult step = Carry(device, wanted, change.setting);
    if (afterStep) afterStep(change, step);
    if (!step.ok) {
      result.failure = step.failure;
      return result;
    }
    ++result.applied;
  }
  return result;
}

}  // namespace rukmox
