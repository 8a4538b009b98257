#include "Rukmoxctl.h"

#include <map>
#include <ostream>
#include <string>

#include "CommandLine.h"
#include "Commands.h"
#include "Reporter.h"
#include "Session.h"

namespace rukmox::cli {

int RunRukmoxctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CommandLine line;
  if (auto status = ParseCommandLine(argc, argv, line, out, err)) return *status;

  using Command = int (*)(Session&, const CommandLine&);
  static const std::map<std::string, Command> kCommands = {{"info", RunInfo},
                                                           {"set-name", RunSetName},
                                                           {"set-address", RunSetAddress},
                                                           {"set-power", RunSetPower},
                                                           {"channel", RunChannel},
                                                           {"monitor", RunMonitor},
                                                           {"spectrum", RunSpectrum},
                                                           {"ping", RunPing},
                                                           {"scan", RunScan},
                                                           {"connect", RunConnect},
                                                           {"disconnect", RunDisconnect},
                                                           {"pin set", RunPinSet},
                                                           {"pin remove", RunPinRemove},
                                                           {"program", RunProgram}};
  const auto command = kCommands.find(line.command);
  if (command == kCommands.end()) {
    err << "rukmoxctl: unknown command\n";
    return ExitUsage;
  }
  Reporter reporter(line.global.json, line.global.language, out, err);
  reporter.Result()["command"] = line.command;
  Session session(line.global, reporter);
  return command->second(session, line);
}

}  // namespace rukmox::cli
