// A configuration profile: the settings of the local module and of the linked remote one, to be
// saved and later put back on a pair. It never holds a PIN, only whether one is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ExtraTexts.h"
#include "PropertySteps.h"
#include "Rukmox.h"
#include "TextIds.h"

namespace rukmox {

// Why a profile was rejected: the field ("local.address", "$" for the whole text) and what is
// wrong with it, as one of the tool's texts (ProfileVersionUnknown carries the version read).
struct ProfileProblem {
  std::string field;
  extra::Id reason = extra::ProfileNotJson;
};

struct ModuleProfile {
  std::string name;
  std::uint32_t address = 1;
  std::optional<std::int32_t> powerLevel;  // none: the module's power byte is not in the table
  bool pinSet = false;

  bool operator==(const ModuleProfile&) const = default;
};

struct Profile {
  static constexpr int kFormatVersion = 1;

  std::int32_t channel = 0;  // the pair's channel
  ModuleProfile local;
  std::optional<ModuleProfile> remote;  // none: saved with no remote linked

  bool operator==(const Profile&) const = default;
};

// What the modules hold now; `remote` is null when no remote is linked and read.
Profile ProfileOf(const TLocalDeviceRecord& local, const TRemoteDeviceRecord* remote);

// One setting that differs, in the order they are applied: the remote's settings while the link
// stands as it is, then the local ones (a new local address relinks), the channel last.
enum class ProfileSetting {
  RemoteName,
  RemotePower,
  RemoteAddress,
  LocalName,
  LocalPower,
  LocalAddress,
  Channel
};

struct ProfileChange {
  ProfileSetting setting;
  std::string field;  // as the file names it: "remote.name", "channel", ...
  std::string now;    // the value the module holds, as text
  std::string wanted;
};

// A PIN state that differs; a profile cannot change it.
struct PinDifference {
  std::string field;  // "local.pin_set" or "remote.pin_set"
  bool wanted = false;
  bool now = false;
};

struct ProfilePlan {
  std::vector<ProfileChange> changes;
  std::vector<PinDifference> pins;
  // The channel differs, but with no remote linked there is no pair to move.
  bool channelLeft = false;
};

// What putting `wanted` on a pair that holds `now` changes. A remote in `wanted` with none in
// `now` cannot be applied: check that first (ProfileNeedsRemote).
ProfilePlan PlanProfile(const Profile& wanted, const Profile& now);
bool ProfileNeedsRemote(const Profile& wanted, const Profile& now);

// A change of the plan that the panels would refuse, checked before anything is sent: a name that
// set-name would not take (a blank name hides a remote from every scan), or an address that one
// end of the pair would then share with the other.
std::optional<ProfileProblem> RefusedChange(const Profile& wanted, const Profile& now,
                                            const ProfilePlan& plan);

struct ApplyResult {
  std::size_t applied = 0;          // changes of the plan carried out, from the first
  std::optional<text::Id> failure;  // the panel's message for the change that failed
};

// What a face does after each step, as its panel would: show the step's message when it failed
// (while the error word still tells why), then re-read the ends the step names.
using AfterProfileStep = std::function<void(const ProfileChange&, const StepResult&)>;

// Carries out the plan's changes in order with the panels' steps and stops at the first that
// fails: the pair's state after a failed step is not known well enough to pile more changes on it.
ApplyResult ApplyProfile(TRukMox& device, const Profile& wanted, const ProfilePlan& plan,
                         const AfterProfileStep& afterStep);

}  // namespace rukmox
