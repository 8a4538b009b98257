// Ctrl-C, SIGTERM and SIGHUP while a command runs ask it to stop the way the window's stop buttons
// do: the step in progress is finished (a scan request, a channel move, a programming record),
// what the operation changed is put back, and the command says that it was interrupted and ends
// with 128 + the signal's number. A second signal ends the program at once.
#pragma once

#include "platform/StopSignals.h"

namespace rukmox::cli {

// Catches the signals for one run of a command.
class StopScope {
 public:
  StopScope();

 private:
  platform::StopSignals signals_;
};

// True once a signal asked the command to stop.
bool StopRequested();

// For a command that runs until it is stopped (monitor or spectrum without a count, the bridge):
// the stop is its end, not an interruption.
void StopEndsTheCommand();

// The signal that cut the command short; 0 when none came, or when the stop was its end.
int Interruption();

}  // namespace rukmox::cli
