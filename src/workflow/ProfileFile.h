// Configuration profiles as JSON files:
//   {"format_version": 1, "channel": 3,
//    "local":  {"name": "DONGLE", "address": 4096, "power_level": 14, "pin_set": false},
//    "remote": {"name": "SENSOR-A", "address": 4660, "power_level": 14, "pin_set": false}}
// "remote" is null when the profile was saved with no remote linked; "power_level" is null when
// the module's power byte was not one of the table's.
#pragma once

#include <optional>
#include <string>

#include "ExtraTexts.h"
#include "Profile.h"

namespace rukmox {

// Why a profile was rejected: the field ("local.address", "$" for the whole text) and what is
// wrong with it, as one of the tool's texts (ProfileVersionUnknown carries the version read).
struct ProfileProblem {
  std::string field;
  extra::Id reason = extra::ProfileNotJson;
};

std::string ProfileJson(const Profile& profile);

// Reads and checks a profile: every value must be one the modules take, and nothing may be
// missing or unknown, so a rejected profile has sent nothing.
std::optional<Profile> ParseProfile(const std::string& text, ProfileProblem& problem);

// Writes through a temporary file beside `path`, so a failed write leaves an older profile whole.
bool SaveProfileFile(const std::string& path, const Profile& profile);
// False when the file cannot be read at all.
bool ReadProfileFile(const std::string& path, std::string& text);

}  // namespace rukmox
