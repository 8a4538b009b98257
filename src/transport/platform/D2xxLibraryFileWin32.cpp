// FTDI's library file on Windows, through LoadLibraryW and GetProcAddress.
#include <windows.h>

#include "D2xxLibrary.h"
#include "Win32Text.h"

namespace rukmox::platform {
namespace {

// The name FTDI's driver package installs into the system folder.
constexpr const wchar_t* kFtdiLibrary = L"ftd2xx.dll";

class Win32D2xxLibrary : public D2xxLibrary {
 public:
  explicit Win32D2xxLibrary(const std::wstring& file)
      // No error box when the file is missing or broken: the caller goes on without it.
      : module_(LoadQuietly(file)) {
    if (module_ == nullptr) {  // every entry point stays null
      problem_ = SystemMessage(GetLastError());
      return;
    }
    ResolveEntries([this](const char* name) {
      return reinterpret_cast<void*>(GetProcAddress(module_, name));
    });
  }
  ~Win32D2xxLibrary() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Win32D2xxLibrary(const Win32D2xxLibrary&) = delete;
  Win32D2xxLibrary& operator=(const Win32D2xxLibrary&) = delete;

  bool Loaded() const override { return module_ != nullptr; }
  std::string LoadProblem() const override { return problem_; }

 private:
  static HMODULE LoadQuietly(const std::wstring& file) {
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = nullptr;
    if (file.empty())
      SetLastError(ERROR_INVALID_NAME);
    else
      module = LoadLibraryW(file.c_str());
    const DWORD error = GetLastError();
    SetErrorMode(previous);
    SetLastError(error);
    return module;
  }

  HMODULE module_;
  std::string problem_;
};

}  // namespace

std::unique_ptr<D2xxLibrary> LoadD2xxLibrary(const TransportSettings& settings) {
  // A dongle named by its COM port is reached through that port, whatever driver is installed.
  if (!settings.DonglePath.empty()) return MakeFtdiSioLibrary(settings);
  if (!settings.D2xxLibraryPath.empty()) return LoadD2xxLibraryFile(settings.D2xxLibraryPath);
  // FTDI's library where its driver is installed; without it, the dongle's virtual COM port.
  auto library = std::make_unique<Win32D2xxLibrary>(kFtdiLibrary);
  if (library->Loaded()) return library;
  return MakeFtdiSioLibrary(settings);
}

std::unique_ptr<D2xxLibrary> LoadD2xxLibraryFile(const std::string& path) {
  return std::make_unique<Win32D2xxLibrary>(WideText(path));
}

}  // namespace rukmox::platform
