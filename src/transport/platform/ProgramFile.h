// Where the running program's own file is, for what the installation puts beside it.
#pragma once

#include <string>

namespace rukmox::platform {

// The folder of the running program's file, links resolved; empty when the system does not say.
std::string ProgramFolder();

}  // namespace rukmox::platform
