#include "FileReplace.h"

#include <cstdio>

namespace rukmox::platform {

bool ReplaceFile(const std::string& from, const std::string& to) {
  // rename() replaces the target's directory entry, a link included, in one step.
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace rukmox::platform
