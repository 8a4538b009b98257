#include "Interrupt.h"

#include <csignal>

namespace rukmox::cli {
namespace {

volatile std::sig_atomic_t g_requested = 0;
struct sigaction g_previous {};

void OnInterrupt(int) {
  g_requested = 1;
}

}  // namespace

InterruptScope::InterruptScope() {
  g_requested = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait in progress may end early, which only shortens the step.
  sigaction(SIGINT, &action, &g_previous);
}

InterruptScope::~InterruptScope() {
  sigaction(SIGINT, &g_previous, nullptr);
}

bool InterruptScope::Requested() {
  return g_requested != 0;
}

}  // namespace rukmox::cli
