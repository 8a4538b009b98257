// Our own D2XX layer: the 17 entry points the FTDI transport uses, implemented over the kernel's
// ftdi_sio ttys (and the settings' dongle tty) with the Win32 serial model of SerialPort.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "D2xx.h"
#include "FtdiSioDiscovery.h"
#include "TransportSettings.h"

namespace rukmox::platform {

// One layer object per loaded "library": it holds the last device list and the handles it opened,
// so two transports (or a test and a transport) never see each other's state. A handle is valid
// from FT_W32_CreateFile until FT_W32_CloseHandle on the same object; any other value is refused
// by every call. The object must outlive the entry points it hands out.
class FtdiSioLayer {
 public:
  explicit FtdiSioLayer(TransportSettings settings);
  ~FtdiSioLayer();
  FtdiSioLayer(const FtdiSioLayer&) = delete;
  FtdiSioLayer& operator=(const FtdiSioLayer&) = delete;

  // The calls with the library's signatures, bound to this object.
  D2xxEntryPoints EntryPoints();

 private:
  struct OpenDevice;
  OpenDevice* Find(FT_HANDLE handle);

  // The calls behind the entry points; arguments a tty layer has no use for are left out.
  FT_STATUS CreateDeviceInfoList(LPDWORD numDevs);
  FT_STATUS GetDeviceInfoDetail(DWORD index, LPDWORD flags, LPDWORD type, LPDWORD id, LPDWORD locId,
                                LPVOID serialNumber, LPVOID description, FT_HANDLE* handle);
  FT_HANDLE CreateFile(LPCTSTR name, DWORD attrsAndFlags);
  BOOL CloseHandle(FT_HANDLE handle);
  BOOL GetCommState(FT_HANDLE handle, FTDCB* dcb);
  BOOL SetCommState(FT_HANDLE handle, FTDCB* dcb);
  BOOL GetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS* timeouts);
  BOOL SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS* timeouts);
  BOOL SetupComm(FT_HANDLE handle);
  BOOL PurgeComm(FT_HANDLE handle, DWORD mask);
  BOOL ReadFile(FT_HANDLE handle, LPVOID buffer, DWORD size, LPDWORD returned, void* overlapped);
  BOOL WriteFile(FT_HANDLE handle, LPVOID buffer, DWORD size, LPDWORD written, void* overlapped);
  BOOL SetCommBreak(FT_HANDLE handle, bool on);
  BOOL EscapeCommFunction(FT_HANDLE handle, DWORD function);
  BOOL GetCommModemStatus(FT_HANDLE handle, LPDWORD status);
  BOOL ClearCommError(FT_HANDLE handle, LPDWORD errors, FTCOMSTAT* comstat);

  const TransportSettings settings_;
  // The transports use a layer from one thread; the lock only keeps the list and the handle table
  // whole, it does not make one handle usable from two threads.
  std::mutex lock_;
  std::vector<FtdiDeviceInfo> devices_;  // as of the last CreateDeviceInfoList
  std::map<FT_HANDLE, std::unique_ptr<OpenDevice>> open_;
};

}  // namespace rukmox::platform
