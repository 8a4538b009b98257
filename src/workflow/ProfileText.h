// What both faces say about a profile: why a file was rejected, and what applying it changes.
#pragma once

#include <string>
#include <vector>

#include "Profile.h"
#include "ProfileFile.h"

namespace rukmox {

// The file, the field and what is wrong with it, in `language`.
std::string ProfileRejection(const std::string& file, const ProfileProblem& problem, int language);

// The plan as lines, in `language`: each change, each PIN state that differs (a profile cannot
// change it), the channel when it is left as it is, and a last line when nothing changes.
std::vector<std::string> ProfilePlanLines(const ProfilePlan& plan, const Profile& wanted,
                                          const Profile& now, int language);

}  // namespace rukmox
