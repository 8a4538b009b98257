// The profile reader: any text must end in a profile whose values the modules take, or in a
// problem that names a field, never in a crash or an exception. What it accepts must read back the
// same once written, so that a profile saved from what was read applies the same settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Profile.h"
#include "ProfileFile.h"
#include "Rukmox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > rukmox::kProfileFileLimit) return 0;  // never read from a file
  const std::string text(reinterpret_cast<const char*>(data), size);
  rukmox::ProfileProblem problem;
  const auto profile = rukmox::ParseProfile(text, problem);
  if (!profile) {
    if (problem.field.empty()) __builtin_trap();
    return 0;
  }
  if (profile->channel < 0 || profile->channel >= RadioChannelCount) __builtin_trap();
  if (profile->local.address < 1 || profile->local.address > 65534) __builtin_trap();
  rukmox::ProfileProblem again;
  const auto reread = rukmox::ParseProfile(rukmox::ProfileJson(*profile), again);
  if (!reread || !(*reread == *profile)) __builtin_trap();
  return 0;
}
