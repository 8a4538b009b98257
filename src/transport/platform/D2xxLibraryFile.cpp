// FTDI's library file on Linux, through dlopen.
#include <dlfcn.h>

#include "D2xxLibrary.h"

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
    ResolveEntries([this](const char* name) { return ::dlsym(handle_, name); });
  }
  ~DlopenD2xxLibrary() override {
    if (handle_ != nullptr) ::dlclose(handle_);
  }
  DlopenD2xxLibrary(const DlopenD2xxLibrary&) = delete;
  DlopenD2xxLibrary& operator=(const DlopenD2xxLibrary&) = delete;

  bool Loaded() const override { return handle_ != nullptr; }
  std::string LoadProblem() const override { return problem_; }

 private:
  void* handle_;
  std::string problem_;
};

}  // namespace

std::unique_ptr<D2xxLibrary> LoadD2xxLibrary(const TransportSettings& settings) {
  if (!settings.D2xxLibraryPath.empty()) return LoadD2xxLibraryFile(settings.D2xxLibraryPath);
  return MakeFtdiSioLibrary(settings);
}

std::unique_ptr<D2xxLibrary> LoadD2xxLibraryFile(const std::string& path) {
  return std::make_unique<DlopenD2xxLibrary>(path);
}

}  // namespace rukmox::platform
