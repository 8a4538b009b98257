#include "Rukmoxctl.h"

#include <ostream>

#include "CommandLine.h"
#include "Reporter.h"
#include "Session.h"

namespace rukmox::cli {

int RunRukmoxctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CommandLine line;
  if (auto status = ParseCommandLine(argc, argv, line, out, err)) return *status;

  Reporter reporter(line.global.json, line.global.language, out, err);
  reporter.Result()["command"] = line.command;
  Session session(line.global, reporter);
  return line.run(session, line);
}

}  // namespace rukmox::cli
