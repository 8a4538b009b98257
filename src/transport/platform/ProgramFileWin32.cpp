#include <windows.h>

#include <filesystem>
#include <string>

#include "ProgramFile.h"
#include "Win32Text.h"

namespace rukmox::platform {

std::string ProgramFolder() {
  // Long paths too: the buffer grows until the whole name fits.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    if (name.size() >= 32768) return {};  // longer than any path the system takes
    name.resize(name.size() * 2);
  }
  return NarrowText(std::filesystem::path(name).parent_path().wstring());
}

}  // namespace rukmox::platform
