// The serial port on Windows: the Win32 serial calls are the model the Linux layer emulates, so
// each operation is one call, synchronous (no overlapped I/O), with the driver's own time-outs.
#include <windows.h>

#include <cstdint>
#include <string>

#include "SerialPort.h"
#include "Win32Text.h"

namespace rukmox::platform {

namespace {

// Why CreateFileW refused the name, in our terms. A port that another program has open is
// refused with "access denied": Windows opens a COM port for one handle at a time.
OpenError OpenErrorOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
      return OpenError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return OpenError::Busy;
    default:
      return OpenError::Other;
  }
}

// 8N1 at `rate` through the system's own mode parser, binary, no software flow control; the two
// control modes go into the record as they are, and RTS handshake also lets CTS hold the output.
bool BuildLine(std::uint32_t rate, std::uint32_t dtrControl, std::uint32_t rtsControl, DCB* dcb) {
  const std::wstring mode = std::to_wstring(rate) + L",n,8,1";
  if (!BuildCommDCBW(mode.c_str(), dcb)) return false;
  dcb->fBinary = TRUE;
  dcb->fParity = FALSE;
  dcb->fOutX = FALSE;
  dcb->fInX = FALSE;
  dcb->fErrorChar = FALSE;
  dcb->fNull = FALSE;
  dcb->fAbortOnError = FALSE;  // a line error must not stall every later read
  dcb->fOutxDsrFlow = FALSE;
  dcb->fDsrSensitivity = FALSE;
  dcb->fDtrControl = dtrControl & 3u;
  dcb->fRtsControl = rtsControl & 3u;
  dcb->fOutxCtsFlow = rtsControl == RTS_CONTROL_HANDSHAKE;
  return true;
}

}  // namespace

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& path, OpenError* error) {
  OpenError ignored = OpenError::None;
  OpenError& result = error ? *error : ignored;
  result = OpenError::None;

  const std::wstring device = WideText(ComDevicePath(path));
  // No sharing: the open itself is the lock. Synchronous I/O, so each call returns when the
  // time-outs say so.
  HANDLE handle = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    result = OpenErrorOf(GetLastError());
    return nullptr;
  }
  // From here the object owns the handle and closes it on every failure path.
  std::unique_ptr<SerialPort> port(new SerialPort(handle, path));
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  // A file or a pipe opens as well; only a serial device has line settings.
  if (!GetCommState(handle, &dcb)) {
    result = OpenError::NotATty;
    return nullptr;
  }
  if (!BuildLine(9600, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, &dcb) ||
      !SetCommState(handle, &dcb)) {
    result = OpenError::Other;
    return nullptr;
  }
  COMMTIMEOUTS found{};
  if (GetCommTimeouts(handle, &found)) {
    port->timeouts_ = {found.ReadIntervalTimeout, found.ReadTotalTimeoutMultiplier,
                       found.ReadTotalTimeoutConstant, found.WriteTotalTimeoutMultiplier,
                       found.WriteTotalTimeoutConstant};
  }
  return port;
}

SerialPort::SerialPort(NativeHandle fd, std::string path) : fd_(fd), path_(std::move(path)) {}

SerialPort::~SerialPort() {
  if (fd_ != nullptr && fd_ != INVALID_HANDLE_VALUE) CloseHandle(fd_);
}

bool SerialPort::AskForLowLatency() {
  // FTDI's driver keeps its latency timer in the port's advanced settings (Device Manager), not
  // behind a call a program can make; the port works with whatever is set there.
  return false;
}

bool SerialPort::SetLine(std::uint32_t baudRate, std::uint32_t dtrControl,
                         std::uint32_t rtsControl) {
  if (baudRate == 0) return false;
  DCB before{};
  before.DCBlength = sizeof before;
  if (!GetCommState(fd_, &before)) return false;
  DCB dcb = before;
  if (!BuildLine(baudRate, dtrControl, rtsControl, &dcb)) return false;
  if (!SetCommState(fd_, &dcb)) {
    // Put back what was in force before, so that a refused rate leaves a usable line.
    SetCommState(fd_, &before);
    return false;
  }
  baudRate_ = baudRate;
  dtrControl_ = dtrControl;
  rtsControl_ = rtsControl;
  return true;
}

bool SerialPort::SetTimeouts(const CommTimeouts& timeouts) {
  COMMTIMEOUTS t{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                 timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                 timeouts.WriteTotalTimeoutConstant};
  if (!SetCommTimeouts(fd_, &t)) return false;
  timeouts_ = timeouts;
  return true;
}

bool SerialPort::Read(void* buffer, std::uint32_t count, std::uint32_t* received) {
  if (received) *received = 0;
  if (count == 0) return true;
  if (buffer == nullptr) return false;
  DWORD got = 0;
  // A time-out is a successful read of fewer bytes; a failed call is a device gone or broken.
  const bool ok = ReadFile(fd_, buffer, count, &got, nullptr) != 0;
  if (received) *received = got;
  return ok;
}

bool SerialPort::Write(const void* buffer, std::uint32_t count, std::uint32_t* written) {
  if (written) *written = 0;
  if (count == 0) return true;
  if (buffer == nullptr) return false;
  DWORD done = 0;
  const bool ok = WriteFile(fd_, buffer, count, &done, nullptr) != 0;
  if (written) *written = done;
  return ok;
}

bool SerialPort::Purge(std::uint32_t mask) {
  return PurgeComm(fd_, mask) != 0;
}

bool SerialPort::Drain() {
  return FlushFileBuffers(fd_) != 0;
}

bool SerialPort::SetBreak(bool on) {
  return (on ? SetCommBreak(fd_) : ClearCommBreak(fd_)) != 0;
}

bool SerialPort::Escape(std::uint32_t function) {
  switch (function) {
    case EscapeSetRts:
    case EscapeClrRts:
    case EscapeSetDtr:
    case EscapeClrDtr:
    case EscapeSetBreak:
    case EscapeClrBreak:
      return EscapeCommFunction(fd_, function) != 0;
    default:
      return false;
  }
}

bool SerialPort::ModemStatus(std::uint32_t* status) {
  DWORD bits = 0;
  if (!GetCommModemStatus(fd_, &bits)) return false;
  if (status) *status = bits;
  return true;
}

namespace {

// The driver's queue counts; ClearCommError also clears a pending line error, which would
// otherwise stop every later transfer.
std::int32_t QueueCount(HANDLE handle, DWORD COMSTAT::*count) {
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(handle, &errors, &stat)) return -1;
  return static_cast<std::int32_t>(stat.*count & 0x7FFFFFFFu);
}

}  // namespace

std::int32_t SerialPort::InQueue() {
  return QueueCount(fd_, &COMSTAT::cbInQue);
}

std::int32_t SerialPort::OutQueue() {
  return QueueCount(fd_, &COMSTAT::cbOutQue);
}

}  // namespace rukmox::platform
