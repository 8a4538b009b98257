#include <windows.h>

#include "PortDiagnosis.h"
#include "Win32Text.h"

namespace rukmox::platform {

PortTrouble DiagnosePort(const std::string& path, const std::filesystem::path& /*procLocks*/,
                         const std::filesystem::path& /*sysfsRoot*/) {
  PortTrouble trouble;
  // Windows tells why a port cannot be had only by trying it. The caller's own open has just
  // failed, so a held port refuses again without being touched; a free one is let go at once.
  HANDLE handle = CreateFileW(WideText(ComDevicePath(path)).c_str(), GENERIC_READ | GENERIC_WRITE,
                              0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) trouble.Error = OpenError::NotATty;
    CloseHandle(handle);
    return trouble;
  }
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      trouble.Error = OpenError::NotFound;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      // Windows does not say which program holds a COM port.
      trouble.Error = OpenError::Busy;
      trouble.HolderPid = -1;
      break;
    default:
      break;
  }
  return trouble;
}

bool SameDevice(const std::string& a, const std::string& b) {
  // A COM port has one name; "COM5", "com5" and "\\.\COM5" are that one.
  return CompareStringOrdinal(WideText(ComDevicePath(a)).c_str(), -1,
                              WideText(ComDevicePath(b)).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace rukmox::platform
