// The signals that ask a program to end, as Windows sends them: console events, delivered on a
// thread of the system's own. Ctrl-C and Ctrl-Break stand for SIGINT. Closing the console window,
// logging off and shutting down stand for SIGTERM; for those the system ends the process as soon
// as the handler returns, so the handler waits for the operation to wind down first (the system
// allows about five seconds).
#include <windows.h>

#include <atomic>
#include <csignal>

#include "StopSignals.h"

namespace rukmox::platform {
namespace {

constexpr DWORD kWindDownMs = 4500;

std::atomic<int> g_caught{0};
int g_depth = 0;  // only the outermost catcher installs the handler
HANDLE g_woundDown = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  int signal = 0;
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      signal = SIGINT;
      break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      signal = SIGTERM;
      break;
    default:
      return FALSE;
  }
  int none = 0;
  // Asked twice: the default handler ends the process, as a second signal does on Linux.
  if (!g_caught.compare_exchange_strong(none, signal)) return FALSE;
  if (signal == SIGTERM && g_woundDown != nullptr) WaitForSingleObject(g_woundDown, kWindDownMs);
  return TRUE;
}

}  // namespace

StopSignals::StopSignals() {
  if (g_depth++ > 0) return;
  g_caught = 0;
  g_woundDown = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // manual reset, not set
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopSignals::~StopSignals() {
  if (--g_depth > 0) return;
  // Lets a waiting close event go on: the operation has ended.
  if (g_woundDown != nullptr) SetEvent(g_woundDown);
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  g_caught = 0;
  // The handle stays: a close event's handler may still be waiting on it.
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
    default:
      return "";
  }
}

}  // namespace rukmox::platform
