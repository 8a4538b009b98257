#include "StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace rukmox::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_caught = 0;
volatile std::sig_atomic_t g_wake = -1;  // write end of the wake pipe
int g_depth = 0;                         // only the outermost catcher installs and restores
struct sigaction g_previous[3]{};

void OnStopSignal(int signal) {
  const int savedErrno = errno;
  if (g_caught != 0) {
    // Asked twice: the user does not want to wait for the step in progress.
    std::signal(signal, SIG_DFL);
    std::raise(signal);  // delivered with the default action once this handler returns
  } else {
    g_caught = signal;
    if (g_wake >= 0) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t written = ::write(g_wake, &byte, 1);
    }
  }
  errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals() {
  if (g_depth++ > 0) return;
  g_caught = 0;
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) == 0) {
    g_wake = wake_[1];
  } else {
    wake_[0] = wake_[1] = -1;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait in progress may end early, which only shortens the step. Every wait on
  // a device retries EINTR against its own deadline.
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
}

StopSignals::~StopSignals() {
  if (--g_depth > 0) return;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  g_caught = 0;  // nobody is left to act on it
  g_wake = -1;
  for (int fd : wake_)
    if (fd >= 0) ::close(fd);
}

int StopSignals::Caught() {
  return g_caught;
}

const char* StopSignals::Name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "";
  }
}

}  // namespace rukmox::platform
