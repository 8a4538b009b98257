// Puts a finished file in the place of another in one step, so that a reader finds the old
// content or the new, never a part. A link at the target's name is replaced, not followed.
#pragma once

#include <string>

namespace rukmox::platform {

// Moves `from` to `to`, replacing whatever `to` names; both lie in the same folder. False when the
// system refuses (a directory at `to`, no right to write there), with `from` still in place.
bool ReplaceFile(const std::string& from, const std::string& to);

}  // namespace rukmox::platform
