// rukmoxctl as a function: parses the arguments, runs one command and returns the exit status.
// Messages are in `language` unless --lang asks for another.
#pragma once

#include <iosfwd>

#include "Languages.h"

namespace rukmox::cli {

int RunRukmoxctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                 int language = LanguageEnglish);

}  // namespace rukmox::cli
