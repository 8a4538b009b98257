// The commands of rukmoxctl. Each one runs the shared steps for its action, shows what they tell
// and returns the exit status.
#pragma once

#include <string>

#include "CommandLine.h"
#include "Session.h"

namespace rukmox::cli {

int RunInfo(Session& session, const CommandLine& line);
int RunSetName(Session& session, const CommandLine& line);
int RunSetAddress(Session& session, const CommandLine& line);
int RunSetPower(Session& session, const CommandLine& line);

int RunChannel(Session& session, const CommandLine& line);
int RunMonitor(Session& session, const CommandLine& line);
int RunSpectrum(Session& session, const CommandLine& line);
int RunPing(Session& session, const CommandLine& line);
int RunRangeTest(Session& session, const CommandLine& line);

int RunScan(Session& session, const CommandLine& line);
int RunConnect(Session& session, const CommandLine& line);
int RunDisconnect(Session& session, const CommandLine& line);

int RunPinSet(Session& session, const CommandLine& line);
int RunPinRemove(Session& session, const CommandLine& line);

int RunProgram(Session& session, const CommandLine& line);

int RunBridge(Session& session, const CommandLine& line);
int RunProfileSave(Session& session, const CommandLine& line);
int RunProfileApply(Session& session, const CommandLine& line);

// A remote change needs the remote panel filled (a linked remote that answered its read). Without
// it the change is refused with the action's own message and the reason, instead of sending a
// command that cannot be relayed.
void RefuseWithoutRemote(Session& session, text::Id id);

}  // namespace rukmox::cli
