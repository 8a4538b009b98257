// rukmoxctl as a function: parses the arguments, runs one command and returns the exit status.
#pragma once

#include <iosfwd>

namespace rukmox::cli {

int RunRukmoxctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace rukmox::cli
