#include "D2xxLibrary.h"

#include <functional>

#include "FtdiSioLayer.h"

namespace rukmox::platform {
namespace {

template <typename Signature>
void Resolve(std::function<Signature>& entry, const char* name,
             const std::function<void*(const char*)>& lookup) {
  // A missing name stays empty; the transport checks each entry before it calls it.
  if (void* found = lookup(name)) entry = reinterpret_cast<Signature*>(found);
}

class FtdiSioLibrary : public D2xxLibrary {
 public:
  explicit FtdiSioLibrary(const TransportSettings& settings) : layer_(settings) {
    entries_ = layer_.EntryPoints();
  }

 private:
  FtdiSioLayer layer_;  // what the entry points are bound to
};

}  // namespace

void D2xxLibrary::ResolveEntries(const std::function<void*(const char*)>& lookup) {
  Resolve(entries_.FT_CreateDeviceInfoList, "FT_CreateDeviceInfoList", lookup);
  Resolve(entries_.FT_GetDeviceInfoDetail, "FT_GetDeviceInfoDetail", lookup);
  Resolve(entries_.FT_W32_CreateFile, "FT_W32_CreateFile", lookup);
  Resolve(entries_.FT_W32_CloseHandle, "FT_W32_CloseHandle", lookup);
  Resolve(entries_.FT_W32_GetCommState, "FT_W32_GetCommState", lookup);
  Resolve(entries_.FT_W32_SetCommState, "FT_W32_SetCommState", lookup);
  Resolve(entries_.FT_W32_GetCommTimeouts, "FT_W32_GetCommTimeouts", lookup);
  Resolve(entries_.FT_W32_SetCommTimeouts, "FT_W32_SetCommTimeouts", lookup);
  Resolve(entries_.FT_W32_SetupComm, "FT_W32_SetupComm", lookup);
  Resolve(entries_.FT_W32_PurgeComm, "FT_W32_PurgeComm", lookup);
  Resolve(entries_.FT_W32_ReadFile, "FT_W32_ReadFile", lookup);
  Resolve(entries_.FT_W32_WriteFile, "FT_W32_WriteFile", lookup);
  Resolve(entries_.FT_W32_SetCommBreak, "FT_W32_SetCommBreak", lookup);
  Resolve(entries_.FT_W32_ClearCommBreak, "FT_W32_ClearCommBreak", lookup);
  Resolve(entries_.FT_W32_EscapeCommFunction, "FT_W32_EscapeCommFunction", lookup);
  Resolve(entries_.FT_W32_GetCommModemStatus, "FT_W32_GetCommModemStatus", lookup);
  Resolve(entries_.FT_W32_ClearCommError, "FT_W32_ClearCommError", lookup);
}

std::unique_ptr<D2xxLibrary> MakeFtdiSioLibrary(const TransportSettings& settings) {
  return std::make_unique<FtdiSioLibrary>(settings);
}

}  // namespace rukmox::platform
