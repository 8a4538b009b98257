// The commands of rukmoxctl. Each one follows the window's handler for the same action, step by
// step, and returns the exit status.
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

// The window only offers remote changes while the remote panel is filled; we refuse them the same
// way, with the action's own message and the reason, instead of sending a command that cannot be
// relayed.
void RefuseWithoutRemote(Session& session, text::Id id);

}  // namespace rukmox::cli
