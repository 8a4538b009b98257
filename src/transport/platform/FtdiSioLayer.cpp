#include "FtdiSioLayer.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "FtdiSioDiscovery.h"
#include "SerialPort.h"

namespace rukmox::platform {
namespace {

constexpr std::size_t SerialNumberSize = 16;
constexpr std::size_t DescriptionSize = 64;

// Copies text into a fixed buffer of the library's size, cut to fit and always terminated.
void CopyBounded(const std::string& text, void* buffer, std::size_t size) {
  if (buffer == nullptr) return;
  auto* out = static_cast<char*>(buffer);
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// Every exchange of ours is a round trip, and ftdi_sio's default latency timer of 16 ms would add
// that much to each. A driver or a user without the right simply keeps the default.
void AskForLowLatency(SerialPort& port, const FtdiDeviceInfo& info) {
  if (port.AskForLowLatency()) return;
  if (info.LatencyTimerPath.empty()) return;
  std::ofstream timer(info.LatencyTimerPath);
  if (timer) timer << "1\n";
}

bool Matches(const FtdiDeviceInfo& info, LPCTSTR name, DWORD how) {
  switch (how) {
    case FT_OPEN_BY_LOCATION:
      return info.LocId == static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(name));
    case FT_OPEN_BY_SERIAL_NUMBER:
      return name != nullptr && !info.SerialNumber.empty() && info.SerialNumber == name;
    case FT_OPEN_BY_DESCRIPTION:
      return name != nullptr && info.Description == name;
    default:
      return false;
  }
}

FTDCB InitialState(std::uint32_t baudRate) {
  FTDCB dcb{};
  dcb.DCBlength = sizeof(FTDCB);
  dcb.BaudRate = baudRate;
  dcb.fBinary = 1;
  dcb.ByteSize = 8;
  dcb.Parity = FT_NOPARITY;
  dcb.StopBits = FT_ONESTOPBIT;
  return dcb;
}

}  // namespace

struct FtdiSioLayer::OpenDevice {
  std::unique_ptr<SerialPort> Port;
  DWORD LocId = 0;
  FTDCB State{};
};

FtdiSioLayer::FtdiSioLayer(TransportSettings settings) : settings_(std::move(settings)) {}

FtdiSioLayer::~FtdiSioLayer() = default;

FtdiSioLayer::OpenDevice* FtdiSioLayer::Find(FT_HANDLE handle) {
  std::lock_guard lock(lock_);
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.get();
}

FT_STATUS FtdiSioLayer::CreateDeviceInfoList(LPDWORD numDevs) {
  if (numDevs == nullptr) return FT_INVALID_PARAMETER;
  auto devices = DiscoverFtdiDevices(settings_);
  std::lock_guard lock(lock_);
  devices_ = std::move(devices);
  *numDevs = static_cast<DWORD>(devices_.size());
  return FT_OK;
}

FT_STATUS FtdiSioLayer::GetDeviceInfoDetail(DWORD index, LPDWORD flags, LPDWORD type, LPDWORD id,
                                            LPDWORD locId, LPVOID serialNumber, LPVOID description,
                                            FT_HANDLE* handle) {
  std::lock_guard lock(lock_);
  if (index >= devices_.size()) return FT_DEVICE_NOT_FOUND;
  const FtdiDeviceInfo& info = devices_[index];
  if (flags != nullptr) *flags = info.Flags;
  if (type != nullptr) *type = info.Type;
  if (id != nullptr) *id = info.Id;
  if (locId != nullptr) *locId = info.LocId;
  CopyBounded(info.SerialNumber, serialNumber, SerialNumberSize);
  CopyBounded(info.Description, description, DescriptionSize);
  if (handle != nullptr) {
    // As FTDI's library does: the handle, if this process has the device open.
    *handle = nullptr;
    for (const auto& [key, device] : open_)
      if (device->LocId == info.LocId) *handle = key;
  }
  return FT_OK;
}

FT_HANDLE FtdiSioLayer::CreateFile(LPCTSTR name, DWORD attrsAndFlags) {
  const DWORD how =
      attrsAndFlags & (FT_OPEN_BY_SERIAL_NUMBER | FT_OPEN_BY_DESCRIPTION | FT_OPEN_BY_LOCATION);
  const auto devices = DiscoverFtdiDevices(settings_);
  const auto it = std::find_if(devices.begin(), devices.end(), [&](const FtdiDeviceInfo& info) {
    return Matches(info, name, how);
  });
  if (it == devices.end()) return FT_INVALID_HANDLE_VALUE;

  auto port = SerialPort::Open(it->DevicePath);
  if (!port) return FT_INVALID_HANDLE_VALUE;
  if (!it->LatencyTimerPath.empty()) AskForLowLatency(*port, *it);

  auto device = std::make_unique<OpenDevice>();
  device->LocId = it->LocId;
  device->State = InitialState(port->BaudRate());
  device->Port = std::move(port);
  FT_HANDLE handle = device.get();
  std::lock_guard lock(lock_);
  open_.emplace(handle, std::move(device));
  return handle;
}

BOOL FtdiSioLayer::CloseHandle(FT_HANDLE handle) {
  std::unique_ptr<OpenDevice> device;
  {
    std::lock_guard lock(lock_);
    const auto it = open_.find(handle);
    if (it == open_.end()) return false;
    device = std::move(it->second);
    open_.erase(it);
  }
  return true;  // the descriptor closes with the device, outside the lock
}

BOOL FtdiSioLayer::GetCommState(FT_HANDLE handle, FTDCB* dcb) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || dcb == nullptr) return false;
  *dcb = device->State;
  dcb->DCBlength = sizeof(FTDCB);
  dcb->BaudRate = device->Port->BaudRate();
  return true;
}

BOOL FtdiSioLayer::SetCommState(FT_HANDLE handle, FTDCB* dcb) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || dcb == nullptr) return false;
  // The serial layer speaks 8N1 only; say so rather than run the line with other framing.
  if (dcb->ByteSize != 8 || dcb->Parity != FT_NOPARITY || dcb->StopBits != FT_ONESTOPBIT)
    return false;
  if (dcb->BaudRate == 0) return false;
  // SetLine also sets DTR and RTS from the control modes, as Win32 does.
  if (!device->Port->SetLine(dcb->BaudRate, dcb->fDtrControl, dcb->fRtsControl)) return false;
  device->State = *dcb;
  return true;
}

BOOL FtdiSioLayer::GetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS* timeouts) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || timeouts == nullptr) return false;
  const CommTimeouts t = device->Port->Timeouts();
  *timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
               t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
  return true;
}

BOOL FtdiSioLayer::SetCommTimeouts(FT_HANDLE handle, FTTIMEOUTS* timeouts) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || timeouts == nullptr) return false;
  CommTimeouts t;
  t.ReadIntervalTimeout = timeouts->ReadIntervalTimeout;
  t.ReadTotalTimeoutMultiplier = timeouts->ReadTotalTimeoutMultiplier;
  t.ReadTotalTimeoutConstant = timeouts->ReadTotalTimeoutConstant;
  t.WriteTotalTimeoutMultiplier = timeouts->WriteTotalTimeoutMultiplier;
  t.WriteTotalTimeoutConstant = timeouts->WriteTotalTimeoutConstant;
  return device->Port->SetTimeouts(t);
}

BOOL FtdiSioLayer::SetupComm(FT_HANDLE handle) {
  return Find(handle) != nullptr;
}

BOOL FtdiSioLayer::PurgeComm(FT_HANDLE handle, DWORD mask) {
  OpenDevice* device = Find(handle);
  return device != nullptr && device->Port->Purge(mask);
}

BOOL FtdiSioLayer::ReadFile(FT_HANDLE handle, LPVOID buffer, DWORD size, LPDWORD returned,
                            void* overlapped) {
  if (returned != nullptr) *returned = 0;
  OpenDevice* device = Find(handle);
  // Overlapped I/O is not offered; a call that asks for it must not believe it got it.
  if (device == nullptr || overlapped != nullptr || (buffer == nullptr && size > 0)) return false;
  std::uint32_t received = 0;
  const bool ok = device->Port->Read(buffer, size, &received);
  if (returned != nullptr) *returned = received;
  return ok;
}

BOOL FtdiSioLayer::WriteFile(FT_HANDLE handle, LPVOID buffer, DWORD size, LPDWORD written,
                             void* overlapped) {
  if (written != nullptr) *written = 0;
  OpenDevice* device = Find(handle);
  if (device == nullptr || overlapped != nullptr || (buffer == nullptr && size > 0)) return false;
  std::uint32_t sent = 0;
  const bool ok = device->Port->Write(buffer, size, &sent);
  if (written != nullptr) *written = sent;
  return ok;
}

BOOL FtdiSioLayer::SetCommBreak(FT_HANDLE handle, bool on) {
  OpenDevice* device = Find(handle);
  return device != nullptr && device->Port->SetBreak(on);
}

BOOL FtdiSioLayer::EscapeCommFunction(FT_HANDLE handle, DWORD function) {
  OpenDevice* device = Find(handle);
  return device != nullptr && device->Port->Escape(function);
}

BOOL FtdiSioLayer::GetCommModemStatus(FT_HANDLE handle, LPDWORD status) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || status == nullptr) return false;
  std::uint32_t value = 0;
  if (!device->Port->ModemStatus(&value)) return false;
  *status = value;
  return true;
}

BOOL FtdiSioLayer::ClearCommError(FT_HANDLE handle, LPDWORD errors, FTCOMSTAT* comstat) {
  OpenDevice* device = Find(handle);
  if (device == nullptr) return false;
  const std::int32_t inQueue = device->Port->InQueue();
  if (inQueue < 0) return false;
  // Line errors are not tracked by the tty layer; none are reported.
  if (errors != nullptr) *errors = 0;
  if (comstat != nullptr) {
    *comstat = FTCOMSTAT{};
    comstat->cbInQue = static_cast<DWORD>(inQueue);
    const std::int32_t outQueue = device->Port->OutQueue();
    if (outQueue > 0) comstat->cbOutQue = static_cast<DWORD>(outQueue);
  }
  return true;
}

D2xxEntryPoints FtdiSioLayer::EntryPoints() {
  D2xxEntryPoints e;
  e.FT_CreateDeviceInfoList = [this](LPDWORD n) { return CreateDeviceInfoList(n); };
  e.FT_GetDeviceInfoDetail = [this](DWORD index, LPDWORD flags, LPDWORD type, LPDWORD id,
                                    LPDWORD locId, LPVOID serial, LPVOID description,
                                    FT_HANDLE* handle) {
    return GetDeviceInfoDetail(index, flags, type, id, locId, serial, description, handle);
  };
  e.FT_W32_CreateFile = [this](LPCTSTR name, DWORD, DWORD, LPVOID, DWORD, DWORD attrsAndFlags,
                               void*) { return CreateFile(name, attrsAndFlags); };
  e.FT_W32_CloseHandle = [this](FT_HANDLE h) { return CloseHandle(h); };
  e.FT_W32_GetCommState = [this](FT_HANDLE h, FTDCB* dcb) { return GetCommState(h, dcb); };
  e.FT_W32_SetCommState = [this](FT_HANDLE h, FTDCB* dcb) { return SetCommState(h, dcb); };
  e.FT_W32_GetCommTimeouts = [this](FT_HANDLE h, FTTIMEOUTS* t) { return GetCommTimeouts(h, t); };
  e.FT_W32_SetCommTimeouts = [this](FT_HANDLE h, FTTIMEOUTS* t) { return SetCommTimeouts(h, t); };
  // The tty's queues are the kernel's; the sizes are only a wish.
  e.FT_W32_SetupComm = [this](FT_HANDLE h, DWORD, DWORD) { return SetupComm(h); };
  e.FT_W32_PurgeComm = [this](FT_HANDLE h, DWORD mask) { return PurgeComm(h, mask); };
  e.FT_W32_ReadFile = [this](FT_HANDLE h, LPVOID buffer, DWORD size, LPDWORD returned,
                             void* overlapped) {
    return ReadFile(h, buffer, size, returned, overlapped);
  };
  e.FT_W32_WriteFile = [this](FT_HANDLE h, LPVOID buffer, DWORD size, LPDWORD written,
                              void* overlapped) {
    return WriteFile(h, buffer, size, written, overlapped);
  };
  e.FT_W32_SetCommBreak = [this](FT_HANDLE h) { return SetCommBreak(h, true); };
  e.FT_W32_ClearCommBreak = [this](FT_HANDLE h) { return SetCommBreak(h, false); };
  e.FT_W32_EscapeCommFunction = [this](FT_HANDLE h, DWORD f) { return EscapeCommFunction(h, f); };
  e.FT_W32_GetCommModemStatus = [this](FT_HANDLE h, LPDWORD s) { return GetCommModemStatus(h, s); };
  e.FT_W32_ClearCommError = [this](FT_HANDLE h, LPDWORD errors, FTCOMSTAT* status) {
    return ClearCommError(h, errors, status);
  };
  return e;
}

}  // namespace rukmox::platform
