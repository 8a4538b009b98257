#include "Rukdevice.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>

std::uint32_t BaudRateOf(std::int32_t index) {
  if (index < 0 || index >= BaudTableSize) return 9600;
  const char* text = BaudTable[index];
  const char* end = text + std::strlen(text);
  std::uint32_t rate = 0;
  auto [ptr, ec] = std::from_chars(text, end, rate);
  if (ec != std::errc() || ptr != end || rate == 0) return 9600;
  return rate;
}

TRukDevice::TRukDevice(std::int32_t* errorWord, bool optionFlag, std::int32_t dtrControl,
                       std::int32_t rtsControl)
    : ErrorWord(errorWord != nullptr ? errorWord : &OwnErrorWord),
      OptionFlag(optionFlag),
      DtrControl(dtrControl),
      RtsControl(rtsControl) {
  *ErrorWord = 0;
}

void TRukDevice::SetName(const char* name) {
  std::strncpy(Name, name, NameSize - 1);
  Name[NameSize - 1] = '\0';
}

std::int32_t TRukDevice::GetPort() {
  return Port;
}
std::int32_t TRukDevice::GetBaudIndex() {
  return BaudIndex;
}

void TRukDevice::SetDtrControl(std::int32_t mode) {
  DtrControl = (mode == 1 || mode == 2) ? mode : 0;
}

void TRukDevice::SetRtsControl(std::int32_t mode) {
  RtsControl = (mode >= 1 && mode <= 3) ? mode : 0;
}

std::int32_t TRukDevice::TakeBaudIndex(std::int32_t index) {
  SetDtr(DtrState);
  SetRts(RtsState);
  BaudIndex = index;
  return BaudIndex;
}

void TRukDevice::SetTimeout(std::int32_t milliseconds) {
  if (milliseconds >= 0 && milliseconds <= MaxTimeout) Timeout = milliseconds;
  // Rewritten from Timeout whether or not the new value was taken.
  if (Opened) WriteOpenTimeouts();
}

std::int32_t TRukDevice::GetTimeout() {
  return Timeout;
}
bool TRukDevice::IsOpen() {
  return Opened;
}

void TRukDevice::SetBreakTime(std::int32_t milliseconds) {
  if (milliseconds >= 0) BreakTime = milliseconds;
}

std::int32_t TRukDevice::GetBreakTime() {
  return BreakTime;
}

std::int32_t TRukDevice::BreakDuration(std::int32_t milliseconds) const {
  if (!Opened) return 0;
  const std::int32_t duration = milliseconds == 0 ? BreakTime : milliseconds;
  return duration > 0 ? duration : 0;
}

bool TRukDevice::SendBreak(std::int32_t milliseconds) {
  const std::int32_t duration = BreakDuration(milliseconds);
  if (duration <= 0 || !HoldsHandle()) return false;
  BreakOn();
  std::this_thread::sleep_for(std::chrono::milliseconds(duration));
  BreakOff();
  return true;
}

bool TRukDevice::SetDtr(bool level) {
  DtrState = level;
  if (!Opened) return false;
  return DriveDtr(level);
}

bool TRukDevice::SetRts(bool level) {
  RtsState = level;
  if (!Opened) return false;
  return DriveRts(level);
}

void TRukDevice::ApplyLineLevels() {
  // A line without modem control (a pseudo-terminal) refuses them, which does not stop an open.
  DriveDtr(DtrState);
  DriveRts(RtsState);
}

void TRukDevice::LoseDevice() {
  Gone = true;
  SetError(ErrDeviceGone);
  ReleaseHandle();
}

bool TRukDevice::RefuseWhenGone() {
  if (!Gone) return false;
  SetError(ErrDeviceGone);
  return true;
}

bool TRukDevice::Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout) {
  if (TransferBlocked() || RefuseWhenGone()) return false;
  // Nothing asked for, nothing to read: the one-byte first read would write past the buffer.
  if (count == 0) return true;
  if (buffer == nullptr) {
    SetError(ErrShortTransfer);
    return false;
  }
  if (firstByteTimeout != 0 && !BeginFirstByteTimeout(firstByteTimeout)) {
    SetError(ErrOpen);
    return false;
  }

  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::memset(bytes, 0, count);
  std::uint32_t first = 0;
  bool alive = ReadSome(bytes, 1, &first);
  if (firstByteTimeout != 0) RestoreTimeouts();

  std::uint32_t rest = 0;
  if (count > 1 && alive) alive = ReadSome(bytes + 1, count - 1, &rest);
  // A failed platform read is a hang-up: the line is gone, and waiting on it again would only
  // spin or hang.
  if (!alive && HoldsHandle()) LoseDevice();

  // A platform reporting more than asked for must not turn a short read into a full one.
  const std::uint64_t received =
      std::uint64_t{std::min<std::uint32_t>(first, 1)} + std::min<std::uint32_t>(rest, count - 1);
  if (received < count) {
    SetError(ErrShortTransfer);
    return false;
  }
  return true;
}

void TRukDevice::ClearOptionFlag() {
  OptionFlag = false;
}
void TRukDevice::SetOptionFlag() {
  OptionFlag = true;
}
bool TRukDevice::GetOptionFlag() {
  return OptionFlag;
}
