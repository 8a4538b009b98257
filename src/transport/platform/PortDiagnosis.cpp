#include "PortDiagnosis.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "FtdiSioDiscovery.h"

namespace rukmox::platform {
namespace {

namespace fs = std::filesystem;

// Unix98 pseudo-terminal slaves have no entry in sysfs; the simulator's dongle is one.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;

// False only when sysfs shows the device in a class other than tty (mem for /dev/null and
// /dev/zero, misc, input, ...).
bool MayBeTty(dev_t device, const fs::path& sysfsRoot) {
  const unsigned major = ::major(device);
  if (major >= kFirstPtyMajor && major <= kLastPtyMajor) return true;
  std::error_code ec;
  const fs::path subsystem = fs::read_symlink(
      sysfsRoot / "dev" / "char" / (std::to_string(major) + ":" + std::to_string(::minor(device))) /
          "subsystem",
      ec);
  return ec || subsystem.filename() == "tty";
}

}  // namespace

PortTrouble DiagnosePort(const std::string& path, const fs::path& procLocks,
                         const fs::path& sysfsRoot) {
  PortTrouble trouble;
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0) {
    trouble.Error = errno == EACCES ? OpenError::Permission : OpenError::NotFound;
    return trouble;
  }
  if (!S_ISCHR(node.st_mode) || !MayBeTty(node.st_rdev, sysfsRoot)) {
    trouble.Error = OpenError::NotATty;
    return trouble;
  }
  if (IsTerminalButNoSerialPort(::major(node.st_rdev), ::minor(node.st_rdev))) {
    trouble.Error = OpenError::NotASerialPort;
    return trouble;
  }
  if (const int holder = TtyLockHolder(path, procLocks); holder != 0) {
    trouble.Error = OpenError::Busy;
    trouble.HolderPid = holder;
    trouble.HeldByThisProcess = holder == ::getpid();
    if (holder > 0) {
      std::ifstream comm("/proc/" + std::to_string(holder) + "/comm");
      std::getline(comm, trouble.HolderName);
    }
    return trouble;
  }
  if (::access(path.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
    trouble.Error = OpenError::Permission;
    // Joining the group helps only where the group may read and write; else only the owner may.
    if ((node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
      if (const group* owner = ::getgrgid(node.st_gid)) trouble.Group = owner->gr_name;
    } else if (const passwd* owner = ::getpwuid(node.st_uid)) {
      trouble.Owner = owner->pw_name;
    } else {
      trouble.Owner = std::to_string(node.st_uid);
    }
    return trouble;
  }
  return trouble;
}

bool SameDevice(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
    return false;
  if (S_ISCHR(first.st_mode) && S_ISCHR(second.st_mode)) return first.st_rdev == second.st_rdev;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace rukmox::platform
