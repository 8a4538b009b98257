// The abstract byte channel every device class derives from, the error word and the baud table.
#pragma once

#include <cstdint>

// Bits of the error word. Most are OR-ed in; the radio-module class assigns the last three whole.
inline constexpr std::int32_t ErrShortTransfer = 0x0001;
inline constexpr std::int32_t ErrRefused = 0x0002;
inline constexpr std::int32_t ErrEcho = 0x0008;
inline constexpr std::int32_t ErrChecksum = 0x0010;
inline constexpr std::int32_t ErrLength = 0x0020;
inline constexpr std::int32_t ErrWriteFailed = 0x0080;
inline constexpr std::int32_t ErrOpen = 0x0400;
// The device went away (unplugged, the tty hung up): the transport closed itself. The bit stays in
// the word, whatever is cleared or assigned, until the next Open.
inline constexpr std::int32_t ErrDeviceGone = 0x0800;
inline constexpr std::int32_t ErrChannel = 0x1000;
inline constexpr std::int32_t ErrNoAnswer = 0x2000;
inline constexpr std::int32_t ErrSetup = 0x4000;

// Read and Write refuse to work while one of these is set, until somebody clears the word.
inline constexpr std::int32_t ErrBlocksTransfer = ErrShortTransfer | ErrLength;

// Rates as decimal text; only indexes 2..9 can be selected, 10 and 11 are empty.
inline constexpr int BaudTableSize = 12;
inline constexpr char BaudTable[BaudTableSize][12] = {
    "110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "", ""};
inline constexpr std::int32_t DefaultBaudIndex = 5;
inline constexpr std::int32_t MinBaudIndex = 2;
inline constexpr std::int32_t MaxBaudIndex = 9;

inline constexpr bool IsSelectableBaudIndex(std::int32_t index) {
  return index >= MinBaudIndex && index <= MaxBaudIndex;
}

// The table's rate as a number; a text that is not a number gives 9600.
std::uint32_t BaudRateOf(std::int32_t index);

class TRukDevice {
 public:
  static constexpr int NameSize = 51;
  static constexpr std::int32_t DefaultTimeout = 100;
  static constexpr std::int32_t MaxTimeout = 9999;

  TRukDevice(const TRukDevice&) = delete;
  TRukDevice& operator=(const TRukDevice&) = delete;
  virtual ~TRukDevice() = default;

  // The 23 operations, in the order every derived class keeps. The plain field operations and the
  // logic both transports share (first-byte read, modem lines, time-out update, break) are
  // implemented here once over the platform hooks below; the transports override the rest.
  virtual std::int32_t GetPort();
  virtual std::int32_t SetPort(std::int32_t port) = 0;
  virtual std::int32_t GetBaudIndex();
  virtual std::int32_t SetBaudIndex(std::int32_t index) = 0;
  virtual void SetDtrControl(std::int32_t mode);
  virtual void SetRtsControl(std::int32_t mode);
  virtual void SetTimeout(std::int32_t milliseconds);
  virtual std::int32_t GetTimeout();
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen();
  virtual bool Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout);
  virtual bool Write(const void* buffer, std::uint32_t count, std::int32_t flags) = 0;
  virtual std::int32_t GetInQueue() = 0;
  virtual bool SendBreak(std::int32_t milliseconds);
  virtual void SetBreakTime(std::int32_t milliseconds);
  virtual std::int32_t GetBreakTime();
  virtual bool SetDtr(bool level);
  virtual bool SetRts(bool level);
  virtual bool GetCts() = 0;
  virtual void ClearOptionFlag();
  virtual void SetOptionFlag();
  virtual bool GetOptionFlag();

  const char* GetName() const { return Name; }
  std::int32_t* GetErrorWord() const { return ErrorWord; }
  // True from a hang-up until the next Open; the object is closed meanwhile.
  bool DeviceGone() const { return Gone; }

 protected:
  // Stores the error-word pointer and zeroes the word; the concrete constructors fill the rest.
  // Without a word of the caller's the object reports into one of its own.
  TRukDevice(std::int32_t* errorWord, bool optionFlag, std::int32_t dtrControl,
             std::int32_t rtsControl);

  void SetName(const char* name);  // bounded to 50 characters
  void SetError(std::int32_t bits) { *ErrorWord |= bits; }
  // A vanished device stays visible through every clear and assignment, so that the caller of a
  // later failing operation can still tell why.
  void AssignError(std::int32_t value) { *ErrorWord = value | (Gone ? ErrDeviceGone : 0); }
  void ClearError() { AssignError(0); }
  bool TransferBlocked() const { return (*ErrorWord & ErrBlocksTransfer) != 0; }

  // The platform said the device is gone: the handle is released at once, so that nothing waits
  // on a dead line again, and the word says why. Only Open undoes it.
  void LoseDevice();
  // Refuses a transfer on a device that went away; true when refused.
  bool RefuseWhenGone();
  // Open starts afresh: the device may be back.
  void ForgetLoss() { Gone = false; }

  // After the line took a new rate: the DTR and RTS levels are applied again and the index kept.
  std::int32_t TakeBaudIndex(std::int32_t index);

  // Common checks of SendBreak: the duration to use, or 0 when no break may be sent.
  std::int32_t BreakDuration(std::int32_t milliseconds) const;

  // Puts the DTR and RTS levels asked for into force on a freshly opened handle.
  void ApplyLineLevels();

  // The platform calls behind the shared operations, supplied by each transport.
  virtual bool HoldsHandle() const = 0;
  // Raise or lower a modem line on the held handle, whether or not Opened is set yet.
  virtual bool DriveDtr(bool level) = 0;
  virtual bool DriveRts(bool level) = 0;
  // Writes the open-time values derived from Timeout; a failure is not reported.
  virtual void WriteOpenTimeouts() = 0;
  // Keeps the time-outs in force and writes ones whose read total constant is `milliseconds`;
  // false when they cannot be written. RestoreTimeouts puts the kept ones back.
  virtual bool BeginFirstByteTimeout(std::uint32_t milliseconds) = 0;
  virtual void RestoreTimeouts() = 0;
  // One platform read of up to `count` bytes; false when the call itself failed (a hang-up),
  // which a further read could only repeat. `received` is what arrived either way.
  virtual bool ReadSome(std::uint8_t* into, std::uint32_t count, std::uint32_t* received) = 0;
  virtual void BreakOn() = 0;
  virtual void BreakOff() = 0;
  // Lets go of the handle of a device that went away; Opened becomes false.
  virtual void ReleaseHandle() = 0;

  char Name[NameSize] = {};
  std::int32_t Port = -1;
  std::int32_t BaudIndex = -1;
  std::int32_t Timeout = DefaultTimeout;
  std::int32_t* ErrorWord;
  bool Opened = false;
  bool OptionFlag = true;
  std::int32_t DtrControl = 0;
  std::int32_t RtsControl = 0;
  bool DtrState = false;
  bool RtsState = false;
  std::int32_t BreakTime = 0;
  bool Gone = false;
  // The platform handle belongs to each transport, which knows its type.

 private:
  std::int32_t OwnErrorWord = 0;
};
