// A tty driven with the Win32 serial model: raw 8N1 line settings, the five-value time-out model
// at millisecond precision, purge, break, DTR/RTS, modem status and the input-queue count.
// Every call returns false (or -1) on failure, as the Win32 calls return zero; nothing throws.
// On Linux a tty emulates the model (SerialPort.cpp); on Windows the Win32 calls are the model
// (SerialPortWin32.cpp). CMake builds one of the two.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace rukmox::platform {

// Read interval, read total multiplier, read total constant, write total multiplier, write total
// constant, in milliseconds, with Win32's meaning (0 = not used; all read values 0 = wait for n).
struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
  bool operator==(const CommTimeouts&) const = default;
};

// NotASerialPort: a terminal of another kind (below).
enum class OpenError { None, NotFound, Busy, Permission, NotATty, NotASerialPort, Other };

// A terminal that is no serial line: the controlling terminal (/dev/tty), the console, the
// pseudo-terminal multiplexer (/dev/ptmx) and the virtual consoles. Taken for the dongle, one of
// them would put frames on a person's screen or answer nothing at all.
bool IsTerminalButNoSerialPort(unsigned major, unsigned minor);

// Purge masks and escape codes share the Win32 values.
inline constexpr std::uint32_t PurgeTxClear = 0x4;
inline constexpr std::uint32_t PurgeRxClear = 0x8;
inline constexpr std::uint32_t EscapeSetRts = 3;
inline constexpr std::uint32_t EscapeClrRts = 4;
inline constexpr std::uint32_t EscapeSetDtr = 5;
inline constexpr std::uint32_t EscapeClrDtr = 6;
inline constexpr std::uint32_t EscapeSetBreak = 8;
inline constexpr std::uint32_t EscapeClrBreak = 9;
inline constexpr std::uint32_t ModemCtsOn = 0x10;
inline constexpr std::uint32_t ModemDsrOn = 0x20;
inline constexpr std::uint32_t ModemRingOn = 0x40;
inline constexpr std::uint32_t ModemRlsdOn = 0x80;

// MAXDWORD as a read interval with both totals 0: return at once with whatever is waiting.
inline constexpr std::uint32_t MaxDword = 0xFFFFFFFFu;

#ifdef _WIN32
using NativeHandle = void*;  // a HANDLE from CreateFileW
#else
using NativeHandle = int;  // a file descriptor
#endif

class SerialPort {
 public:
  // Opens the port exclusively: a port another program holds is refused. On Linux the tty is
  // opened non-blocking and locked with flock; on Windows "COM7" (or "\\.\COM7") is opened
  // without sharing, which is how Windows locks a port. Puts it into raw 8N1 at 9600 baud until
  // SetLine says otherwise.
  static std::unique_ptr<SerialPort> Open(const std::string& path, OpenError* error = nullptr);

  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Raw 8N1 at the given rate; dtrControl 2 / rtsControl 2 ask for hardware handshake.
  // Fails, leaving the line as it was, for a rate the tty cannot take.
  bool SetLine(std::uint32_t baudRate, std::uint32_t dtrControl, std::uint32_t rtsControl);
  std::uint32_t BaudRate() const { return baudRate_; }
  std::uint32_t DtrControl() const { return dtrControl_; }
  std::uint32_t RtsControl() const { return rtsControl_; }

  bool SetTimeouts(const CommTimeouts& timeouts);
  CommTimeouts Timeouts() const { return timeouts_; }

  // ReadFile: returns when count bytes arrived or a time-out of the model ran out (true, with
  // *received < count). False on a hang-up or an I/O error, with what arrived before in *received.
  bool Read(void* buffer, std::uint32_t count, std::uint32_t* received);
  // WriteFile: false on an I/O error or hang-up; a write time-out gives true with *written < count.
  bool Write(const void* buffer, std::uint32_t count, std::uint32_t* written);

  bool Purge(std::uint32_t mask);
  bool Drain();  // FlushFileBuffers
  bool SetBreak(bool on);
  bool Escape(std::uint32_t function);
  bool ModemStatus(std::uint32_t* status);  // fails on a tty without modem lines (a pty)
  std::int32_t InQueue();                   // -1 on failure
  std::int32_t OutQueue();                  // bytes not yet sent; -1 on failure

  // Asks the driver to pass received bytes on at once instead of collecting them for a while
  // (ftdi_sio's latency timer: 1 ms instead of 16). False where the driver has no such setting or
  // refuses it (a pseudo-terminal, no right to change it); the port works either way. The setting
  // goes back to what it was when the port is closed.
  bool AskForLowLatency();

  NativeHandle Descriptor() const { return fd_; }
  const std::string& Path() const { return path_; }

 private:
  SerialPort(NativeHandle fd, std::string path);
  NativeHandle fd_;
  std::string path_;
  std::uint32_t baudRate_ = 9600;
  std::uint32_t dtrControl_ = 0;
  std::uint32_t rtsControl_ = 0;
  CommTimeouts timeouts_{};
  bool lowLatencyAsked_ = false;  // by us, so that closing gives the flag back
};

}  // namespace rukmox::platform
