// Why a tty cannot be opened as a serial port, in words a user can act on: which program holds
// it, which group may use it. Looks without opening it, since an open raises DTR and RTS.
#pragma once

#include <filesystem>
#include <string>

#include "SerialPort.h"

namespace rukmox::platform {

struct PortTrouble {
  OpenError Error = OpenError::None;  // None: nothing wrong can be seen from outside
  std::string Group;                  // Permission: the group that may use the node
  std::string Owner;                  // Permission: the node's owner, when its group may not use it
  int HolderPid = 0;                  // Busy: the process holding the lock, -1 unknown
  std::string HolderName;             // Busy: that process's name, when known
  bool HeldByThisProcess = false;     // Busy: the lock is our own (a port this program has open)
};

// `sysfsRoot` tells a character device that is a tty from one that is not (/dev/null, /dev/zero);
// where it does not say, the node passes for one.
PortTrouble DiagnosePort(const std::string& path,
                         const std::filesystem::path& procLocks = "/proc/locks",
                         const std::filesystem::path& sysfsRoot = "/sys");

// Whether two paths name the same device node (a link and its target, two names of one tty).
bool SameDevice(const std::string& a, const std::string& b);

}  // namespace rukmox::platform
