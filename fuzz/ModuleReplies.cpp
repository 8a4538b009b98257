// Reply frames and every reply reader of the module object, fed from the fuzzer's bytes through a
// D2XX library whose one device, the dongle, answers with them. Whatever arrives, nothing may read
// or write out of bounds, and the records must stay whole.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "ByteSource.h"
#include "Rukmox.h"
#include "platform/D2xxLibrary.h"

namespace {

using rukmox::fuzz::ByteSource;

ByteSource* g_source = nullptr;
int g_handle = 0;  // its address is the one handle the library hands out

class DongleAnsweringFuzzBytes : public rukmox::platform::D2xxLibrary {
 public:
  DongleAnsweringFuzzBytes() {
    auto& e = entries_;
    e.FT_CreateDeviceInfoList = [](LPDWORD n) -> FT_STATUS {
      *n = 1;
      return FT_OK;
    };
    e.FT_GetDeviceInfoDetail = [](DWORD index, LPDWORD flags, LPDWORD type, LPDWORD id, LPDWORD loc,
                                  LPVOID serial, LPVOID description,
                                  FT_HANDLE* handle) -> FT_STATUS {
      if (index != 0) return FT_DEVICE_NOT_FOUND;
      *flags = 0;
      *type = 5;
      *id = 0x04036001;
      *loc = 0x11;
      std::strcpy(static_cast<char*>(serial), "FUZZ");
      std::strcpy(static_cast<char*>(description), "RUK Wireless Port");
      *handle = nullptr;
      return FT_OK;
    };
    e.FT_W32_CreateFile = [](LPCTSTR, DWORD, DWORD, LPVOID, DWORD, DWORD, void*) -> FT_HANDLE {
      return &g_handle;
    };
    e.FT_W32_CloseHandle = [](FT_HANDLE) -> BOOL { return 1; };
    e.FT_W32_GetCommState = [](FT_HANDLE, FTDCB*) -> BOOL { return 1; };
    e.FT_W32_SetCommState = [](FT_HANDLE, FTDCB*) -> BOOL { return 1; };
    e.FT_W32_GetCommTimeouts = [](FT_HANDLE, FTTIMEOUTS*) -> BOOL { return 1; };
    e.FT_W32_SetCommTimeouts = [](FT_HANDLE, FTTIMEOUTS*) -> BOOL { return 1; };
    e.FT_W32_SetupComm = [](FT_HANDLE, DWORD, DWORD) -> BOOL { return 1; };
    e.FT_W32_PurgeComm = [](FT_HANDLE, DWORD) -> BOOL { return 1; };
    e.FT_W32_ReadFile = [](FT_HANDLE, LPVOID buffer, DWORD size, LPDWORD got, void*) -> BOOL {
      *got = static_cast<DWORD>(g_source->Take(buffer, size));
      return 1;
    };
    e.FT_W32_WriteFile = [](FT_HANDLE, LPVOID, DWORD size, LPDWORD written, void*) -> BOOL {
      *written = size;
      return 1;
    };
    e.FT_W32_SetCommBreak = [](FT_HANDLE) -> BOOL { return 1; };
    e.FT_W32_ClearCommBreak = [](FT_HANDLE) -> BOOL { return 1; };
    e.FT_W32_EscapeCommFunction = [](FT_HANDLE, DWORD) -> BOOL { return 1; };
    // CTS off: the module is awake, no breaks (and no sleeping) needed.
    e.FT_W32_GetCommModemStatus = [](FT_HANDLE, LPDWORD status) -> BOOL {
      *status = 0;
      return 1;
    };
    e.FT_W32_ClearCommError = [](FT_HANDLE, LPDWORD errors, FTCOMSTAT* status) -> BOOL {
      *errors = 0;
      *status = FTCOMSTAT{};
      return 1;
    };
  }
};

// The records hold zero-terminated names whatever came over the wire.
void CheckRecords(const TRukMox& mox) {
  if (std::memchr(mox.Local.Name, 0, sizeof mox.Local.Name) == nullptr) __builtin_trap();
  for (const auto& record : mox.Devices)
    if (std::memchr(record->Name, 0, sizeof record->Name) == nullptr) __builtin_trap();
  if (mox.RxLength < 0 || mox.RxLength > TRukMox::BufferSize) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteSource source(data, size);
  g_source = &source;
  std::int32_t error = 0;
  TRukMox mox(nullptr, TRukMox::MoxPort, 5, &error, true, 0, 0,
              std::make_unique<DongleAnsweringFuzzBytes>());
  mox.SetTimeout(0);
  mox.Open();
  CheckRecords(mox);
  if (!mox.IsOpen()) return 0;

  // Every reader once, in the order an operator's session would meet them.
  mox.ReadLocalInfo();
  mox.ReadLinkStatus();
  mox.GetLocalChannel();
  mox.ReadConfig(false);
  std::string pin;
  mox.ReadPin(pin, false);
  std::int32_t level = 0;
  mox.ReadLinkQuality(level, false);
  mox.ReadEnergy(level, false);
  std::uint8_t energy[RadioChannelCount] = {};
  mox.ReadEnergyScan(energy, RadioChannelCount);
  mox.ScanRepeat = 3;
  mox.ScanNetwork(0, 2);
  CheckRecords(mox);
  if (!mox.Devices.empty()) mox.SelectDevice(static_cast<std::int32_t>(source.Byte()) % 4);
  mox.ConnectRemote(true);
  mox.ReadRemoteInfo();
  mox.ReadConfig(true);
  mox.ReadPin(pin, true);
  mox.ReadLinkQuality(level, true);
  mox.AdaptChannel();
  mox.ChangePin("1234", "5678");
  CheckRecords(mox);
  std::uint8_t stream[64];
  mox.Read(stream, static_cast<std::uint32_t>(source.Byte() % sizeof stream), 0);
  g_source = nullptr;
  return 0;
}
