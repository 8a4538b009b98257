// Configuration profiles as JSON files:
//   {"format_version": 1, "channel": 3,
//    "local":  {"name": "DONGLE", "address": 4096, "power_level": 14, "pin_set": false},
//    "remote": {"name": "SENSOR-A", "address": 4660, "power_level": 14, "pin_set": false}}
// "remote" is null when the profile was saved with no remote linked; "power_level" is null when
// the module's power byte was not one of the table's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "ExtraTexts.h"
#include "Profile.h"
#include "platform/Files.h"

namespace rukmox {

// A profile takes a few hundred bytes; a file a hundred times that size is no profile.
inline constexpr std::size_t kProfileFileLimit = 64 * 1024;

std::string ProfileJson(const Profile& profile);

// Reads and checks a profile: every value must be one the modules take, and nothing may be
// missing, unknown or given twice, so a rejected profile has sent nothing.
std::optional<Profile> ParseProfile(const std::string& text, ProfileProblem& problem);

// Writes the profile whole or not at all (an older profile stays whole), refusing a name that
// holds something other than a regular file. False with the reason.
bool SaveProfileFile(const std::string& path, const Profile& profile,
                     platform::FileProblem* problem);
// False with the reason when the file cannot be read, is no regular file or is far too long for
// a profile.
bool ReadProfileFile(const std::string& path, std::string& text, platform::FileProblem* problem);

}  // namespace rukmox
