// The signals that ask a program to end: Ctrl-C (SIGINT), SIGTERM, and SIGHUP when its terminal
// goes away. Caught, so that the operation in progress ends where no device is left half-way
// (a scan back on its channel, a pair on one channel, a programming job at a record boundary)
// and the program can say that it was interrupted. A second signal ends the program at once, as
// it would have without us.
#pragma once

namespace rukmox::platform {

class StopSignals {
 public:
  // Catches the three signals until destruction; none has come yet. Only the outermost of nested
  // catchers acts.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The first signal caught while a catcher lives; 0 while none has come.
  static int Caught();
  static bool Requested() { return Caught() != 0; }

  // Readable once a signal has come, for an event loop that waits on descriptors; -1 when it
  // could not be made (Caught still works).
  int WakeDescriptor() const { return wake_[0]; }

  // The exit status of a program that a signal ended: 128 + its number (130 for Ctrl-C).
  static int ExitStatus(int signal) { return 128 + signal; }
  // "SIGINT", "SIGTERM", "SIGHUP"; empty for any other.
  static const char* Name(int signal);

 private:
  int wake_[2] = {-1, -1};
};

}  // namespace rukmox::platform
