#include "Rukcom.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/PortList.h"

using rukmox::platform::CommTimeouts;
using rukmox::platform::SerialPort;

TRukCom::TRukCom(void* owner, std::int32_t port, std::int32_t baudIndex, std::int32_t* errorWord,
                 bool optionFlag, std::int32_t dtrControl, std::int32_t rtsControl,
                 const rukmox::platform::TransportSettings& settings)
    : TRukDevice(errorWord, optionFlag, dtrControl, rtsControl),
      Owner(owner),
      Ports(rukmox::platform::SerialPortList(settings)) {
  Port = (port >= 0 && port <= MaxPort) ? port : 0;
  BaudIndex = IsSelectableBaudIndex(baudIndex) ? baudIndex : DefaultBaudIndex;
  SetName("RUK COM");
}

TRukCom::~TRukCom() {
  Close();
}

CommTimeouts TRukCom::OpenTimeouts(std::uint32_t firstByteTimeout) const {
  const auto t = static_cast<std::uint32_t>(Timeout);
  CommTimeouts timeouts;
  timeouts.ReadIntervalTimeout = t;
  timeouts.ReadTotalTimeoutMultiplier = t / 2;
  timeouts.ReadTotalTimeoutConstant = firstByteTimeout != 0 ? firstByteTimeout : 2 * t;
  timeouts.WriteTotalTimeoutMultiplier = t / 2;
  timeouts.WriteTotalTimeoutConstant = t / 2;
  // A base time-out of 0 would give all-zero read values, which wait for ever for the full
  // count. Take it literally instead: no waiting, return what has arrived.
  if (timeouts.ReadIntervalTimeout == 0 && timeouts.ReadTotalTimeoutMultiplier == 0 &&
      timeouts.ReadTotalTimeoutConstant == 0) {
    timeouts.ReadIntervalTimeout = rukmox::platform::MaxDword;
  }
  return timeouts;
}

CommTimeouts TRukCom::CurrentTimeouts() const {
  return Handle ? Handle->Timeouts() : CommTimeouts{};
}

std::int32_t TRukCom::SetPort(std::int32_t port) {
  if (Opened) return Port;
  if (port >= 0 && port <= MaxPort) {
    Port = port;
    return Port;
  }
  return (Port >= 0 && Port <= MaxPort) ? Port : -1;
}

std::int32_t TRukCom::SetBaudIndex(std::int32_t index) {
  if (!IsSelectableBaudIndex(index)) return -1;
  if (!Opened) {
    BaudIndex = index;
    return BaudIndex;
  }
  if (!Handle || !Handle->SetLine(BaudRateOf(index), Handle->DtrControl(), Handle->RtsControl())) {
    Close();
    return -1;
  }
  return TakeBaudIndex(index);
}

void TRukCom::SetTimeout(std::int32_t milliseconds) {
  if (milliseconds >= 0 && milliseconds <= MaxTimeout) Timeout = milliseconds;
  if (Opened && Handle) Handle->SetTimeouts(OpenTimeouts());  // a failure is not reported
}

bool TRukCom::Open() {
  if (Opened) Close();
  ClearError();

  auto fail = [this] {
    SetError(ErrOpen);
    Handle.reset();
    return false;
  };

  if (GetPort() == -1 || GetBaudIndex() == -1) return fail();
  if (Port < 0 || static_cast<std::size_t>(Port) >= Ports.size()) return fail();
  Handle = SerialPort::Open(Ports[static_cast<std::size_t>(Port)]);
  if (!Handle) return fail();
  if (!Handle->SetLine(BaudRateOf(BaudIndex), static_cast<std::uint32_t>(DtrControl & 3),
                       static_cast<std::uint32_t>(RtsControl & 3))) {
    return fail();
  }
  // The levels asked for while closed are put into force now; a port without modem lines
  // (a pseudo-terminal) refuses them, which does not stop the open.
  ApplyDtr(DtrState);
  ApplyRts(RtsState);
  SavedTimeouts = Handle->Timeouts();
  if (!Handle->SetTimeouts(OpenTimeouts())) return fail();
  // The driver's queues are its own business here; there is no size to set.
  Opened = true;
  return true;
}

void TRukCom::Close() {
  if (Handle) {
    Handle->SetTimeouts(SavedTimeouts);
    Handle.reset();
  }
  Opened = false;
}

bool TRukCom::Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout) {
  if (TransferBlocked()) return false;
  if (count == 0) return true;
  if (buffer == nullptr) {
    SetError(ErrShortTransfer);
    return false;
  }
  auto* bytes = static_cast<std::uint8_t*>(buffer);

  CommTimeouts saved{};
  if (firstByteTimeout != 0) {
    if (!Handle) {
      SetError(ErrOpen);
      return false;
    }
    saved = Handle->Timeouts();
    if (!Handle->SetTimeouts(OpenTimeouts(firstByteTimeout))) {
      SetError(ErrOpen);
      return false;
    }
  }

  std::memset(bytes, 0, count);
  std::uint32_t first = 0;
  bool alive = Handle && Handle->Read(bytes, 1, &first);
  if (firstByteTimeout != 0) Handle->SetTimeouts(saved);

  std::uint32_t rest = 0;
  // After a hang-up the second read could only fail as well.
  if (count > 1 && alive) alive = Handle->Read(bytes + 1, count - 1, &rest);

  if (first + rest < count) {
    SetError(ErrShortTransfer);
    return false;
  }
  return true;
}

bool TRukCom::Write(const void* buffer, std::uint32_t count, std::int32_t /*flags*/) {
  if (TransferBlocked()) return false;
  if (!Handle) {
    SetError(ErrWriteFailed);
    return false;
  }
  // Whatever arrived before the write is discarded, even if the caller meant to read it later.
  Handle->Purge(PurgeBeforeWriteMask);
  std::uint32_t written = 0;
  if (count != 0 && buffer == nullptr) {
    SetError(ErrWriteFailed);
    return false;
  }
  if (!Handle->Write(buffer, count, &written)) {
    SetError(ErrWriteFailed);
    return false;
  }
  if (written < count) {
    SetError(ErrShortTransfer);
    return false;
  }
  return true;
}

std::int32_t TRukCom::GetInQueue() {
  return Handle ? Handle->InQueue() : -1;
}

bool TRukCom::SendBreak(std::int32_t milliseconds) {
  const std::int32_t duration = BreakDuration(milliseconds);
  if (duration <= 0 || !Handle) return false;
  Handle->Drain();
  Handle->SetBreak(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(duration));
  Handle->SetBreak(false);
  return true;
}

bool TRukCom::ApplyDtr(bool level) {
  return Handle &&
         Handle->Escape(level ? rukmox::platform::EscapeSetDtr : rukmox::platform::EscapeClrDtr);
}

bool TRukCom::ApplyRts(bool level) {
  return Handle &&
         Handle->Escape(level ? rukmox::platform::EscapeSetRts : rukmox::platform::EscapeClrRts);
}

bool TRukCom::SetDtr(bool level) {
  DtrState = level;
  if (!Opened) return false;
  return ApplyDtr(level);
}

bool TRukCom::SetRts(bool level) {
  RtsState = level;
  if (!Opened) return false;
  return ApplyRts(level);
}

bool TRukCom::GetCts() {
  if (!Opened || !Handle) return false;
  std::uint32_t status = 0;
  if (!Handle->ModemStatus(&status)) return false;
  return (status & rukmox::platform::ModemCtsOn) != 0;
}
