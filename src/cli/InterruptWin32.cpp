// Ctrl-C on Windows: the console calls a handler on a thread of its own. Ctrl-C and Ctrl-Break
// ask the operation to stop, as SIGINT does on Linux. Closing the console window (or logging off)
// asks the same, but the system ends the process as soon as the handler returns, so the handler
// waits for the operation to wind down first (the system allows about five seconds).
#include <windows.h>

#include <atomic>

#include "Interrupt.h"

namespace rukmox::cli {
namespace {

constexpr DWORD kWindDownMs = 4500;

std::atomic<bool> g_requested{false};
HANDLE g_woundDown = CreateEventW(nullptr, TRUE, TRUE, nullptr);  // manual reset, set

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      g_requested = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_requested = true;
      if (g_woundDown != nullptr) WaitForSingleObject(g_woundDown, kWindDownMs);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

InterruptScope::InterruptScope() {
  g_requested = false;
  if (g_woundDown != nullptr) ResetEvent(g_woundDown);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptScope::~InterruptScope() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  if (g_woundDown != nullptr) SetEvent(g_woundDown);
}

bool InterruptScope::Requested() {
  return g_requested;
}

}  // namespace rukmox::cli
