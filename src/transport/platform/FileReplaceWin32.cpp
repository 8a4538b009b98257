#include <windows.h>

#include "FileReplace.h"
#include "Win32Text.h"

namespace rukmox::platform {

bool ReplaceFile(const std::string& from, const std::string& to) {
  // rename() of the C library refuses an existing target on Windows; MoveFileEx replaces it (a
  // symbolic link included, which it does not follow) and waits until the move is on the disk.
  return MoveFileExW(WideText(from).c_str(), WideText(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace rukmox::platform
