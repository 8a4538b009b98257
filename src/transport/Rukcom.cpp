#include "Rukcom.h"

#include "platform/PortList.h"

using rukmox::platform::CommTimeouts;
using rukmox::platform::SerialPort;

TRukCom::TRukCom(void* owner, std::int32_t port, std::int32_t baudIndex, std::int32_t* errorWord,
                 bool optionFlag, std::int32_t dtrControl, std::int32_t rtsControl,
                 const rukmox::platform::TransportSettings& settings)
    : TRukDevice(errorWord, optionFlag, dtrControl, rtsControl),
      Owner(owner),
      MadeWith(settings),
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

void TRukCom::WriteOpenTimeouts() {
  if (Handle) Handle->SetTimeouts(OpenTimeouts());
}

bool TRukCom::Open() {
  if (Opened) Close();
  ForgetLoss();
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
  // A USB serial adapter would otherwise hold every boot-loader echo back for its latency
  // timer; a UART or a driver without the setting is used as it is.
  Handle->AskForLowLatency();
  if (!Handle->SetLine(BaudRateOf(BaudIndex), static_cast<std::uint32_t>(DtrControl & 3),
                       static_cast<std::uint32_t>(RtsControl & 3))) {
    return fail();
  }
  // The levels asked for while closed are put into force now.
  ApplyLineLevels();
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

bool TRukCom::BeginFirstByteTimeout(std::uint32_t milliseconds) {
  if (!Handle) return false;
  FirstByteSaved = Handle->Timeouts();
  return Handle->SetTimeouts(OpenTimeouts(milliseconds));
}

void TRukCom::RestoreTimeouts() {
  if (Handle) Handle->SetTimeouts(FirstByteSaved);
}

bool TRukCom::ReadSome(std::uint8_t* into, std::uint32_t count, std::uint32_t* received) {
  *received = 0;
  return Handle && Handle->Read(into, count, received);
}

bool TRukCom::Write(const void* buffer, std::uint32_t count, std::int32_t /*flags*/) {
  if (TransferBlocked() || RefuseWhenGone()) return false;
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
    LoseDevice();  // an I/O error or a hang-up; a time-out is a short write
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

void TRukCom::ReleaseHandle() {
  TRukCom::Close();
}

void TRukCom::BreakOn() {
  Handle->Drain();
  Handle->SetBreak(true);
}

void TRukCom::BreakOff() {
  Handle->SetBreak(false);
}

bool TRukCom::DriveDtr(bool level) {
  return Handle &&
         Handle->Escape(level ? rukmox::platform::EscapeSetDtr : rukmox::platform::EscapeClrDtr);
}

bool TRukCom::DriveRts(bool level) {
  return Handle &&
         Handle->Escape(level ? rukmox::platform::EscapeSetRts : rukmox::platform::EscapeClrRts);
}

bool TRukCom::GetCts() {
  if (!Opened || !Handle) return false;
  std::uint32_t status = 0;
  if (!Handle->ModemStatus(&status)) return false;
  return (status & rukmox::platform::ModemCtsOn) != 0;
}
