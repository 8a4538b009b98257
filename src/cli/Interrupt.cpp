#include "Interrupt.h"

namespace rukmox::cli {
namespace {

bool g_stopEndsTheCommand = false;

}  // namespace

StopScope::StopScope() {
  g_stopEndsTheCommand = false;
}

bool StopRequested() {
  return platform::StopSignals::Requested();
}

void StopEndsTheCommand() {
  g_stopEndsTheCommand = true;
}

int Interruption() {
  return g_stopEndsTheCommand ? 0 : platform::StopSignals::Caught();
}

}  // namespace rukmox::cli
