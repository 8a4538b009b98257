#include "Rukmoxctl.h"

#include <ostream>

#include "CommandLine.h"
#include "ProgrammingJob.h"
#include "Interrupt.h"
#include "Reporter.h"
#include "Session.h"
#include "platform/TransportSettings.h"

namespace rukmox::cli {

int RunRukmoxctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CommandLine line;
  if (auto status = ParseCommandLine(argc, argv, line, out, err)) {
    // Help that never reached its reader is no success either.
    return Reporter(false, LanguageEnglish, out, err).EndOutput(*status);
  }

  // The programming job searches a fixed number of ports; a longer list from the environment
  // would have its tail silently ignored. (--ports is checked with the other options.)
  if (line.command == "program" && !line.global.ports) {
    if (const auto why = workflow::PortListBeyondSearch(
            platform::TransportSettings::FromEnvironment().Ports, "RUKMOX_PORTS")) {
      err << *why << "\n";
      return ExitUsage;
    }
  }

  // From here on a signal lets the command end where no device is left half-way.
  StopScope stopScope;
  Reporter reporter(line.global.json, line.global.language, out, err);
  reporter.Result()["command"] = line.command;
  int status;
  {
    Session session(line.global, reporter);
    status = line.run(session, line);
  }
  return reporter.EndOutput(status);
}

}  // namespace rukmox::cli
