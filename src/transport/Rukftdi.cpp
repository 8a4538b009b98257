#include "Rukftdi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "platform/CommDcb.h"

namespace {

constexpr DWORD QueueSize = 4096;
constexpr DWORD PurgeBoth = FT_PURGE_TXCLEAR | FT_PURGE_RXCLEAR;
constexpr DWORD OpenByLocation = FT_FILE_ATTRIBUTE_NORMAL | FT_OPEN_BY_LOCATION;  // 0x84
constexpr std::size_t SerialNumberSize = 16;
constexpr std::size_t DescriptionSize = 64;

}  // namespace

TRukFtdi::TRukFtdi(void* /*owner*/, std::int32_t /*port*/, std::int32_t baudIndex,
                   std::int32_t* errorWord, bool optionFlag, std::int32_t dtrControl,
                   std::int32_t rtsControl, std::unique_ptr<rukmox::platform::D2xxLibrary> library)
    : TRukDevice(errorWord, optionFlag, dtrControl, rtsControl),
      Library(library ? std::move(library)
                      : rukmox::platform::LoadD2xxLibrary(rukmox::platform::TransportSettings{})) {
  Port = FtdiPort;
  BaudIndex = IsSelectableBaudIndex(baudIndex) ? baudIndex : DefaultBaudIndex;
  SetName("RUK FTDI");
  // A library that did not load leaves every entry null; the operations degrade one by one.
  if (Library) Entry = Library->Entries();
}

TRukFtdi::~TRukFtdi() {
  Close();
  Entry = {};
  Library.reset();  // unloads the library
}

FTTIMEOUTS TRukFtdi::OpenTimeouts(std::uint32_t firstByteTimeout) const {
  const DWORD readConstant = firstByteTimeout != 0 ? firstByteTimeout : static_cast<DWORD>(Timeout);
  return FTTIMEOUTS{5, 5, readConstant, 5, 5};
}

std::int32_t TRukFtdi::SetPort(std::int32_t /*port*/) {
  if (Opened) return Port;
  Port = FtdiPort;
  return Port;
}

bool TRukFtdi::Open() {
  return OpenByDescription(SerialDescription);
}

bool TRukFtdi::FindDevice(const char* description, DWORD* locId) {
  if (Entry.FT_CreateDeviceInfoList == nullptr || description == nullptr) return false;
  DWORD count = 0;
  if (Entry.FT_CreateDeviceInfoList(&count) != FT_OK) return false;
  if (Entry.FT_GetDeviceInfoDetail == nullptr) return false;
  for (DWORD index = 0; index < count; ++index) {
    DWORD flags = 0, type = 0, id = 0, location = 0;
    // One byte more than the library may fill, so that the text always ends inside the buffer.
    char serial[SerialNumberSize + 1] = {};
    char text[DescriptionSize + 1] = {};
    FT_HANDLE handle = nullptr;
    if (Entry.FT_GetDeviceInfoDetail(index, &flags, &type, &id, &location, serial, text, &handle) !=
        FT_OK) {
      continue;
    }
    if ((flags & FT_FLAGS_OPENED) != 0) continue;
    const std::string_view found(text, strnlen(text, DescriptionSize));
    if (found.find(description) == std::string_view::npos) continue;
    *locId = location;
    return true;
  }
  return false;
}

bool TRukFtdi::FailOpen() {
  SetError(ErrOpen);
  if (Handle != nullptr && Entry.FT_W32_CloseHandle != nullptr) Entry.FT_W32_CloseHandle(Handle);
  Handle = nullptr;
  Opened = false;
  return false;
}

bool TRukFtdi::OpenByDescription(const char* description) {
  if (Opened || Handle != nullptr) Close();
  ForgetLoss();
  ClearError();

  DWORD locId = 0;
  if (!FindDevice(description, &locId)) return FailOpen();

  if (Entry.FT_W32_CreateFile == nullptr) return FailOpen();
  // D2XX takes the location id in place of the name when asked to open by location.
  const auto name = reinterpret_cast<LPCTSTR>(static_cast<std::uintptr_t>(locId));
  FT_HANDLE handle = Entry.FT_W32_CreateFile(name, FT_GENERIC_READ | FT_GENERIC_WRITE, 0, nullptr,
                                             FT_OPEN_EXISTING, OpenByLocation, nullptr);
  // Null is what a closed object holds, so a library answering null has not opened anything.
  if (handle == FT_INVALID_HANDLE_VALUE || handle == nullptr) return FailOpen();
  Handle = handle;

  FTDCB dcb{};
  dcb.DCBlength = sizeof(FTDCB);
  const std::string mode = std::string(BaudTable[BaudIndex]) + ",n,8,1";
  if (!rukmox::platform::BuildCommDcb(mode.c_str(), &dcb)) return FailOpen();
  dcb.fDtrControl = static_cast<DWORD>(DtrControl) & 3u;
  dcb.fRtsControl = static_cast<DWORD>(RtsControl) & 3u;
  if (Entry.FT_W32_SetCommState != nullptr && !Entry.FT_W32_SetCommState(Handle, &dcb))
    return FailOpen();

  // The levels asked for while closed are put into force now.
  ApplyLineLevels();

  // If the library cannot tell, Close writes back our own values rather than stale ones.
  SavedTimeouts = OpenTimeouts();
  if (Entry.FT_W32_GetCommTimeouts != nullptr) {
    FTTIMEOUTS found{};
    if (Entry.FT_W32_GetCommTimeouts(Handle, &found)) SavedTimeouts = found;
  }
  FTTIMEOUTS timeouts = OpenTimeouts();
  if (Entry.FT_W32_SetCommTimeouts != nullptr && !Entry.FT_W32_SetCommTimeouts(Handle, &timeouts))
    return FailOpen();

  if (Entry.FT_W32_SetupComm != nullptr) Entry.FT_W32_SetupComm(Handle, QueueSize, QueueSize);
  Opened = true;
  return true;
}

void TRukFtdi::Close() {
  if (Handle != nullptr) {
    if (Entry.FT_W32_SetCommTimeouts != nullptr)
      Entry.FT_W32_SetCommTimeouts(Handle, &SavedTimeouts);
    if (Entry.FT_W32_CloseHandle != nullptr) Entry.FT_W32_CloseHandle(Handle);
    Handle = nullptr;
  }
  Opened = false;
}

std::int32_t TRukFtdi::SetBaudIndex(std::int32_t index) {
  if (!IsSelectableBaudIndex(index)) return -1;
  if (!Opened) {
    BaudIndex = index;
    return BaudIndex;
  }
  FTDCB dcb{};
  dcb.DCBlength = sizeof(FTDCB);
  // Writing back a record the library could not fill would put garbage on the line.
  if (Entry.FT_W32_GetCommState != nullptr && !Entry.FT_W32_GetCommState(Handle, &dcb)) {
    Close();
    return -1;
  }
  dcb.BaudRate = BaudRateOf(index);
  if (Entry.FT_W32_SetCommState != nullptr && !Entry.FT_W32_SetCommState(Handle, &dcb)) {
    Close();
    return -1;
  }
  return TakeBaudIndex(index);
}

void TRukFtdi::WriteOpenTimeouts() {
  if (Entry.FT_W32_SetCommTimeouts == nullptr) return;
  FTTIMEOUTS timeouts = OpenTimeouts();
  Entry.FT_W32_SetCommTimeouts(Handle, &timeouts);
}

bool TRukFtdi::BeginFirstByteTimeout(std::uint32_t milliseconds) {
  // If the library cannot tell, the read goes back to our own values rather than stale ones.
  FirstByteSaved = OpenTimeouts();
  if (Entry.FT_W32_GetCommTimeouts != nullptr) {
    FTTIMEOUTS found{};
    if (Entry.FT_W32_GetCommTimeouts(Handle, &found)) FirstByteSaved = found;
  }
  FTTIMEOUTS first = OpenTimeouts(milliseconds);
  return Entry.FT_W32_SetCommTimeouts != nullptr && Entry.FT_W32_SetCommTimeouts(Handle, &first);
}

void TRukFtdi::RestoreTimeouts() {
  if (Entry.FT_W32_SetCommTimeouts != nullptr)
    Entry.FT_W32_SetCommTimeouts(Handle, &FirstByteSaved);
}

bool TRukFtdi::ReadSome(std::uint8_t* into, std::uint32_t count, std::uint32_t* received) {
  *received = 0;
  // Without the entry point nothing is read, which is a short read, not a vanished device.
  if (Entry.FT_W32_ReadFile == nullptr) return true;
  DWORD got = 0;
  const bool ok = Entry.FT_W32_ReadFile(Handle, into, count, &got, nullptr) != 0;
  *received = got;
  return ok;
}

bool TRukFtdi::Write(const void* buffer, std::uint32_t count, std::int32_t /*flags*/) {
  if (TransferBlocked() || RefuseWhenGone()) return false;
  if (buffer == nullptr && count > 0) {
    SetError(ErrShortTransfer);
    return false;
  }
  // A failed query (-1) counts as data waiting.
  if (PurgeBeforeWrite && Entry.FT_W32_PurgeComm != nullptr && GetInQueue() != 0)
    Entry.FT_W32_PurgeComm(Handle, PurgeBoth);

  if (Entry.FT_W32_WriteFile == nullptr) {
    SetError(ErrShortTransfer);
    return false;
  }
  DWORD written = 0;
  if (!Entry.FT_W32_WriteFile(Handle, const_cast<void*>(buffer), count, &written, nullptr)) {
    SetError(ErrWriteFailed);
    // The write call fails only when the device is gone (a time-out is a short write).
    if (Handle != nullptr) LoseDevice();
    return false;
  }
  if (written < count) {
    SetError(ErrShortTransfer);
    return false;
  }
  return true;
}

std::int32_t TRukFtdi::GetInQueue() {
  if (Entry.FT_W32_ClearCommError == nullptr) return -1;
  DWORD errors = 0;
  FTCOMSTAT status{};
  if (!Entry.FT_W32_ClearCommError(Handle, &errors, &status)) return -1;
  return static_cast<std::int32_t>(
      std::min<DWORD>(status.cbInQue, std::numeric_limits<std::int32_t>::max()));
}

void TRukFtdi::ReleaseHandle() {
  TRukFtdi::Close();
}

void TRukFtdi::BreakOn() {
  if (Entry.FT_W32_SetCommBreak != nullptr) Entry.FT_W32_SetCommBreak(Handle);
}

void TRukFtdi::BreakOff() {
  if (Entry.FT_W32_ClearCommBreak != nullptr) Entry.FT_W32_ClearCommBreak(Handle);
}

bool TRukFtdi::Escape(DWORD function) {
  if (Handle == nullptr || Handle == FT_INVALID_HANDLE_VALUE) return false;
  if (Entry.FT_W32_EscapeCommFunction == nullptr) return false;
  return Entry.FT_W32_EscapeCommFunction(Handle, function) != 0;
}

bool TRukFtdi::DriveDtr(bool level) {
  return Escape(level ? FT_SETDTR : FT_CLRDTR);
}

bool TRukFtdi::DriveRts(bool level) {
  return Escape(level ? FT_SETRTS : FT_CLRRTS);
}

bool TRukFtdi::GetCts() {
  if (!Opened || Entry.FT_W32_GetCommModemStatus == nullptr) return false;
  DWORD status = 0;
  if (!Entry.FT_W32_GetCommModemStatus(Handle, &status)) return false;
  return (status & FT_MS_CTS_ON) != 0;
}
