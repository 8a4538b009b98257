#include "PortDiagnosis.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "FtdiSioDiscovery.h"

namespace rukmox::platform {

PortTrouble DiagnosePort(const std::string& path, const std::filesystem::path& procLocks) {
  PortTrouble trouble;
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0) {
    trouble.Error = errno == EACCES ? OpenError::Permission : OpenError::NotFound;
    return trouble;
  }
  if (!S_ISCHR(node.st_mode)) {
    trouble.Error = OpenError::NotATty;
    return trouble;
  }
  if (const int holder = TtyLockHolder(path, procLocks); holder != 0) {
    trouble.Error = OpenError::Busy;
    trouble.HolderPid = holder;
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

}  // namespace rukmox::platform
