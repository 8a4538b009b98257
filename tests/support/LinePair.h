// The two ends of a serial line for tests that run on every system: the code under test opens
// path(), the test talks through the other end. On Linux a pseudo-terminal pair; the Windows
// build finds win32/LinePair.h first, a pair of COM ports joined like a null-modem cable.
#pragma once

#include <string>

#include "PtyPair.h"

namespace rukmox::test {

using LinePair = PtyPair;

// A name that opens nothing.
inline std::string MissingPortName() {
  return "/dev/rukmox-no-such-port";
}

// Whether the system lets two handles have one port at once; Linux does not, through our lock.
inline bool PortsAreShared() {
  return false;
}

}  // namespace rukmox::test
