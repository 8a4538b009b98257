#include "Rukdevice.h"

#include <charconv>
#include <cstring>

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

void TRukDevice::ClearOptionFlag() {
  OptionFlag = false;
}
void TRukDevice::SetOptionFlag() {
  OptionFlag = true;
}
bool TRukDevice::GetOptionFlag() {
  return OptionFlag;
}
