#include "PortDiagnosis.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "FtdiSioDiscovery.h"

namespace rukmox::platform {
namespace {

// Whether sysfs files the character device under a subsystem other than tty.
bool OutsideTtySubsystem(dev_t device, const std::filesystem::path& sysfsRoot) {
  const std::filesystem::path entry =
      sysfsRoot / "dev" / "char" /
      (std::to_string(major(device)) + ":" + std::to_string(minor(device))) / "subsystem";
  std::error_code error;
  const std::filesystem::path subsystem = std::filesystem::read_symlink(entry, error);
  return !error && subsystem.filename() != "tty";
}

}  // namespace

PortTrouble DiagnosePort(const std::string& path, const std::filesystem::path& procLocks,
                         const std::filesystem::path& sysfsRoot) {
  PortTrouble trouble;
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0) {
    trouble.Error = errno == EACCES ? OpenError::Permission : OpenError::NotFound;
    return trouble;
  }
  if (!S_ISCHR(node.st_mode) || OutsideTtySubsystem(node.st_rdev, sysfsRoot)) {
    trouble.Error = OpenError::NotATty;
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
    if (const group* owner = ::getgrgid(node.st_gid)) trouble.Group = owner->gr_name;
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
