#include "D2xxLibrary.h"

#include <dlfcn.h>

#include <functional>

#include "FtdiSioLayer.h"

namespace rukmox::platform {
namespace {

// FTDI's library (or any file with its exports), loaded at run time and unloaded with the object.
class DlopenD2xxLibrary : public D2xxLibrary {
 public:
  explicit DlopenD2xxLibrary(const std::string& path)
      : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) {  // every entry point stays null
      const char* why = ::dlerror();
      problem_ = why != nullptr ? why : "unknown reason";
      return;
    }
    Resolve(entries_.FT_CreateDeviceInfoList, "FT_CreateDeviceInfoList");
    Resolve(entries_.FT_GetDeviceInfoDetail, "FT_GetDeviceInfoDetail");
    Resolve(entries_.FT_W32_CreateFile, "FT_W32_CreateFile");
    Resolve(entries_.FT_W32_CloseHandle, "FT_W32_CloseHandle");
    Resolve(entries_.FT_W32_GetCommState, "FT_W32_GetCommState");
    Resolve(entries_.FT_W32_SetCommState, "FT_W32_SetCommState");
    Resolve(entries_.FT_W32_GetCommTimeouts, "FT_W32_GetCommTimeouts");
    Resolve(entries_.FT_W32_SetCommTimeouts, "FT_W32_SetCommTimeouts");
    Resolve(entries_.FT_W32_SetupComm, "FT_W32_SetupComm");
    Resolve(entries_.FT_W32_PurgeComm, "FT_W32_PurgeComm");
    Resolve(entries_.FT_W32_ReadFile, "FT_W32_ReadFile");
    Resolve(entries_.FT_W32_WriteFile, "FT_W32_WriteFile");
    Resolve(entries_.FT_W32_SetCommBreak, "FT_W32_SetCommBreak");
    Resolve(entries_.FT_W32_ClearCommBreak, "FT_W32_ClearCommBreak");
    Resolve(entries_.FT_W32_EscapeCommFunction, "FT_W32_EscapeCommFunction");
    Resolve(entries_.FT_W32_GetCommModemStatus, "FT_W32_GetCommModemStatus");
    Resolve(entries_.FT_W32_ClearCommError, "FT_W32_ClearCommError");
  }
  ~DlopenD2xxLibrary() override {
    if (handle_ != nullptr) ::dlclose(handle_);
  }
  DlopenD2xxLibrary(const DlopenD2xxLibrary&) = delete;
  DlopenD2xxLibrary& operator=(const DlopenD2xxLibrary&) = delete;

  bool Loaded() const override { return handle_ != nullptr; }
  std::string LoadProblem() const override { return problem_; }

 private:
  template <typename Signature>
  void Resolve(std::function<Signature>& entry, const char* name) {
    // A missing name stays empty; the transport checks each entry before it calls it.
    if (void* found = ::dlsym(handle_, name)) entry = reinterpret_cast<Signature*>(found);
  }

  void* handle_;
  std::string problem_;
};

class FtdiSioLibrary : public D2xxLibrary {
 public:
  explicit FtdiSioLibrary(const TransportSettings& settings) : layer_(settings) {
    entries_ = layer_.EntryPoints();
  }

 private:
  FtdiSioLayer layer_;  // what the entry points are bound to
};

}  // namespace

std::unique_ptr<D2xxLibrary> LoadD2xxLibrary(const TransportSettings& settings) {
  if (!settings.D2xxLibraryPath.empty()) return LoadD2xxLibraryFile(settings.D2xxLibraryPath);
  return MakeFtdiSioLibrary(settings);
}

std::unique_ptr<D2xxLibrary> LoadD2xxLibraryFile(const std::string& path) {
  return std::make_unique<DlopenD2xxLibrary>(path);
}

std::unique_ptr<D2xxLibrary> MakeFtdiSioLibrary(const TransportSettings& settings) {
  return std::make_unique<FtdiSioLibrary>(settings);
}

}  // namespace rukmox::platform
