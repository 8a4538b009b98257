#include <thread>

#include "PseudoTerminal.h"

namespace rukmox {

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::Open(std::string* error) {
  if (error != nullptr) *error = "Windows has no pseudo-terminals; the data bridge runs on Linux";
  return false;
}

// Nothing is ever opened, so nothing is ever ready.
PseudoTerminal::Ready PseudoTerminal::WaitForMaster(int, bool, bool,
                                                    std::chrono::milliseconds wait) {
  std::this_thread::sleep_for(wait);
  return {};
}

long PseudoTerminal::ReadMaster(int, void*, std::size_t) {
  return -1;
}

long PseudoTerminal::WriteMaster(int, const void*, std::size_t) {
  return -1;
}

}  // namespace rukmox
