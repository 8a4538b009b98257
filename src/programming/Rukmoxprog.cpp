#include "Rukmoxprog.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "ProgramRun.h"
#include "ProgrammingFile.h"

namespace {

// Every step gets four tries: a byte lost or spoilt on the serial line is worth another one.
constexpr int StepAttempts = 4;

constexpr std::uint32_t PrepareFirstByteTimeout = 2000;  // the boot loader erases first
constexpr std::uint32_t RecordFirstByteTimeout = 1000;   // and writes each record
constexpr std::uint8_t StatusCountShort = 4;
constexpr std::uint8_t StatusCountLong = 6;

// Application-mode frames and answers.
constexpr std::uint8_t ApplicationMarker = 0x64;
constexpr std::uint8_t MinApplicationLength = 2;
constexpr std::uint8_t MaxApplicationLength = 110;
constexpr std::uint8_t McuBareAnswerLength = 1;  // the marker alone: the command was taken
constexpr std::uint8_t McuBootLoaderMark[] = {0x00, 0xFF};
constexpr std::uint8_t DongleFrameStart = 0xF0;
constexpr std::uint8_t DongleFrameLength = 3;  // length byte, command and target
constexpr std::uint8_t DongleTargetLocal = 0;

constexpr std::int32_t BootLoaderBaudIndex = 5;  // 9600
constexpr std::int32_t FastBaudIndex = 9;        // 115200
constexpr std::int32_t RefusedWithBadChecksum = ErrRefused | ErrChecksum | ErrLength;

constexpr std::uint8_t WakeByte = 0x00;
constexpr int BreakBurstCount = 6;
constexpr std::int32_t BreakBurstLength = 10;
constexpr int WakePause = 10;
constexpr int RestartPause = 100;

void Pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// What one attempt of a step came to: Failed is an answer that says no for good.
enum class Attempt { Succeeded, Failed, Again };

template <typename OneAttempt>
bool Retry(OneAttempt attempt) {
  for (int i = 0; i < StepAttempts; ++i) {
    const Attempt outcome = attempt();
    if (outcome != Attempt::Again) return outcome == Attempt::Succeeded;
  }
  return false;
}

Attempt SucceededOrAgain(bool succeeded) {
  return succeeded ? Attempt::Succeeded : Attempt::Again;
}

// An application answer has the mode at p3, a boot loader's status at byte 1: the record keeps it
// where the boot loader puts it, so that both answers are read the same way. Bytes 4 and 5 stay 0
// because only a boot loader names its device kind (byte 4). A payload too short for a field
// leaves that field 0 rather than whatever an earlier answer left in the receive buffer.
void FillApplicationStatus(TRukMoxProg::TStatusRecord& status,
                           std::span<const std::uint8_t> payload) {
  const auto p = [&](std::size_t i) -> std::uint8_t { return i < payload.size() ? payload[i] : 0; };
  status[0] = p(5);
  status[1] = p(3);
  status[2] = p(2);
  status[3] = p(1);
  status[4] = 0;
  status[5] = 0;
}

}  // namespace

TRukMoxProg::TRukMoxProg(void* owner, std::int32_t port, std::int32_t baudIndex,
                         std::int32_t* errorWord, bool optionFlag, std::int32_t dtrControl,
                         std::int32_t rtsControl,
                         const rukmox::platform::TransportSettings& settings)
    : TRukCom(owner, port, baudIndex, errorWord, optionFlag, dtrControl, rtsControl, settings) {
  SetName("RUK MOX PROG");
}

TRukMoxProg::~TRukMoxProg() = default;

// ---- Frames

void TRukMoxProg::BeginFrame() {
  Checksum = 0;
  ClearError();
  TxLength = 0;
}

void TRukMoxProg::AddByte(std::uint8_t byte) {
  if (TxLength < static_cast<std::int32_t>(FrameSize)) TxBuffer[TxLength++] = byte;
  Checksum = static_cast<std::uint8_t>(Checksum + byte);
}

bool TRukMoxProg::WriteApplicationFrame() {
  if (TxLength >= static_cast<std::int32_t>(FrameSize)) return false;
  TxBuffer[TxLength++] = static_cast<std::uint8_t>(0 - Checksum);
  return Write(TxBuffer, static_cast<std::uint32_t>(TxLength), 0);
}

bool TRukMoxProg::SendFrame(bool withChecksum) {
  if (TransferBlocked()) return false;
  if (withChecksum) {
    if (TxLength >= static_cast<std::int32_t>(FrameSize)) return false;
    TxBuffer[TxLength++] = Checksum;
  }
  const auto length = static_cast<std::uint32_t>(TxLength);
  if (!Write(TxBuffer, length, 0) || !Read(RxBuffer, length, 0)) {
    TxLength = 0;
    return false;
  }
  if (std::memcmp(RxBuffer, TxBuffer, length) != 0) {
    SetError(ErrEcho);
    TxLength = 0;
    return false;
  }
  Checksum = 0;
  return true;
}

bool TRukMoxProg::ReadByte(std::uint8_t& byte, std::uint32_t firstByteTimeout) {
  // A failed read leaves 0, never what an earlier answer left in the receive buffer.
  byte = 0;
  if (!Read(RxBuffer, 1, firstByteTimeout)) return false;
  byte = RxBuffer[0];
  return true;
}

bool TRukMoxProg::ReadAnswerByte(std::uint8_t& byte, std::uint32_t firstByteTimeout) {
  if (!ReadByte(byte, firstByteTimeout)) return false;
  Checksum = static_cast<std::uint8_t>(Checksum + byte);
  return true;
}

bool TRukMoxProg::ReadAnswerBytes(std::uint8_t* bytes, std::uint32_t count) {
  if (!Read(RxBuffer, count, 0)) return false;
  std::memcpy(bytes, RxBuffer, count);
  for (std::uint32_t i = 0; i < count; ++i)
    Checksum = static_cast<std::uint8_t>(Checksum + bytes[i]);
  return true;
}

bool TRukMoxProg::ReadAnswerChecksum(bool& matches) {
  std::uint8_t closing = 0;
  const bool received = ReadByte(closing);
  matches = received && closing == Checksum;
  Checksum = 0;
  return received;
}

void TRukMoxProg::ReadRefusal() {
  std::uint8_t reason[2] = {};
  bool matches = false;
  // A refusal cut short is a short transfer, not a refusal.
  if (!ReadAnswerBytes(reason, 2) || !ReadAnswerChecksum(matches)) return;
  SetError(matches ? ErrRefused : RefusedWithBadChecksum);
}

// Six breaks of 10 ms, the wake-up a radio module gets when the dongle is opened: the MCU's
// application is woken the same way before its commands.
void TRukMoxProg::BreakBurst() {
  for (int i = 0; i < BreakBurstCount; ++i) SendBreak(BreakBurstLength);
}

void TRukMoxProg::SendBootCommand(std::initializer_list<std::uint8_t> bytes) {
  BeginFrame();
  for (const std::uint8_t byte : bytes) AddByte(byte);
  SendFrame(true);
  // The answer is summed on its own, even when the frame went wrong.
  Checksum = 0;
}

bool TRukMoxProg::WriteMcuCommand(McuCommand command, std::span<const std::uint8_t> arguments) {
  BeginFrame();
  // The length counts the whole frame: itself, the command, the arguments and the checksum.
  AddByte(static_cast<std::uint8_t>(arguments.size() + 3));
  AddByte(command);
  for (const std::uint8_t byte : arguments) AddByte(byte);
  return WriteApplicationFrame();
}

bool TRukMoxProg::WriteDongleCommand(DongleCommand command) {
  BeginFrame();
  AddByte(DongleFrameStart);
  AddByte(DongleFrameLength);
  AddByte(command);
  AddByte(DongleTargetLocal);
  return WriteApplicationFrame();
}

// ---- Boot-loader protocol

bool TRukMoxProg::QueryBootStatus(TStatusRecord& status) {
  return Retry([&] {
    SendBootCommand({BootCommandPrefix, BootQueryStatus});
    std::uint8_t first = 0;
    if (!ReadAnswerByte(first)) return Attempt::Again;
    if (first == BootRefused) ReadRefusal();
    if (first != BootData || *ErrorWord != 0) return Attempt::Again;
    std::uint8_t count = 0;
    std::uint8_t data[StatusCountLong] = {};
    bool matches = false;
    if (!ReadAnswerByte(count) || !ReadAnswerBytes(data, StatusCountShort)) return Attempt::Again;
    if (count == StatusCountLong && !ReadAnswerBytes(data + StatusCountShort, 2))
      return Attempt::Again;
    if (!ReadAnswerChecksum(matches)) return Attempt::Again;
    if (!matches) {
      SetError(ErrChecksum);
      return Attempt::Again;
    }
    // Only 4 or 6 status bytes make sense; anything else is refused and asked again.
    if (count != StatusCountShort && count != StatusCountLong) {
      SetError(ErrLength);
      return Attempt::Again;
    }
    std::fill(status.begin(), status.begin() + StatusCountLong, 0);
    std::copy_n(data, count, status.begin());
    return Attempt::Succeeded;
  });
}

bool TRukMoxProg::IsInBootLoader() {
  if (!IsOpen()) return false;
  TStatusRecord status{};
  if (QueryBootStatus(status) && status[1] == ModeBootLoader) return true;
  Close();
  return false;
}

bool TRukMoxProg::PrepareProgramming() {
  return Retry([&] {
    SendBootCommand({BootCommandPrefix, BootPrepare});
    std::uint8_t first = 0;
    if (!ReadAnswerByte(first, PrepareFirstByteTimeout)) return Attempt::Again;
    if (first == BootRefused) ReadRefusal();
    if (first != BootData || *ErrorWord != 0) return Attempt::Again;
    std::uint8_t reserved = 0;
    std::uint8_t result = 0;
    bool matches = false;
    if (!ReadAnswerByte(reserved) || !ReadAnswerByte(result) || !ReadAnswerChecksum(matches))
      return Attempt::Again;
    if (!matches) {
      SetError(ErrChecksum);
      return Attempt::Again;
    }
    // A well-formed answer is final: a boot loader that says no is not asked again.
    return result == 0 ? Attempt::Succeeded : Attempt::Failed;
  });
}

bool TRukMoxProg::StartProgramming() {
  return Retry([&] {
    SendBootCommand({BootStart});
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    ReadByte(first);
    ReadByte(second);
    return SucceededOrAgain(first == BootAccepted && second == BootAccepted);
  });
}

bool TRukMoxProg::SendRecord(std::span<const std::uint8_t> line) {
  std::uint8_t frame[FrameSize];
  const std::size_t length = rukmox::programming::LineToFrame(line, frame);
  if (length == 0) return false;  // never sent: it would not fit the frame
  return Retry([&] {
    BeginFrame();
    for (std::size_t i = 0; i < length; ++i) AddByte(frame[i]);
    SendFrame(false);
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    if (!ReadByte(first, RecordFirstByteTimeout) || !ReadByte(second)) return Attempt::Again;
    return SucceededOrAgain(*ErrorWord == 0 && first == second &&
                            (first == BootAccepted || first == BootData));
  });
}

// ---- Application mode, MCU dialect

bool TRukMoxProg::QueryMcuStatus(TStatusRecord& status) {
  // A sleeping MCU wakes on the first edge on its line and loses that byte: the lone 00 is sent to
  // be lost, and the pause gives the MCU time to come up before the break burst.
  BeginFrame();
  TxBuffer[0] = WakeByte;
  Write(TxBuffer, 1, 0);
  Pause(WakePause);
  BreakBurst();
  WriteMcuCommand(McuStatus);
  std::uint8_t length = 0;
  std::uint8_t marker = 0;
  ReadByte(length);
  if (!ReadByte(marker) || marker != ApplicationMarker) {
    SetError(ErrRefused);
    return false;
  }
  if (length < MinApplicationLength || length > MaxApplicationLength) {
    SetError(ErrLength);
    return false;
  }
  const std::uint32_t payload = length - 1u;
  if (!Read(RxBuffer, payload, 0)) return false;
  FillApplicationStatus(status, {RxBuffer, payload});
  return true;
}

bool TRukMoxProg::RequestMcuBoot(McuCommand command, std::span<const std::uint8_t> arguments) {
  BreakBurst();
  return Retry([&] {
    WriteMcuCommand(command, arguments);
    std::uint8_t length = 0;
    std::uint8_t marker = 0;
    ReadByte(length);
    ReadByte(marker);
    if (marker == ApplicationMarker && length == McuBareAnswerLength) return Attempt::Succeeded;
    SetError(ErrRefused);
    return Attempt::Again;
  });
}

bool TRukMoxProg::RequestMcuBoot1() {
  return RequestMcuBoot(McuWriteCheckup, McuBootLoaderMark);
}

bool TRukMoxProg::RequestMcuBoot2() {
  return RequestMcuBoot(McuRestart, {});
}

// ---- Application mode, dongle dialect

bool TRukMoxProg::QueryDongleStatus(TStatusRecord& status) {
  WriteDongleCommand(DongleInfo);
  std::uint8_t marker = 0;
  if (!ReadByte(marker) || marker != ApplicationMarker) {
    SetError(ErrRefused);
    return false;
  }
  std::uint8_t length = 0;
  if (!ReadByte(length)) return false;
  if (length < MinApplicationLength || length > MaxApplicationLength) {
    SetError(ErrLength);
    return false;
  }
  const std::uint32_t payload = length - 2u;
  if (payload > 0 && !Read(RxBuffer, payload, 0)) return false;
  FillApplicationStatus(status, {RxBuffer, payload});
  return true;
}

bool TRukMoxProg::RequestDongleBoot() {
  return Retry([&] {
    WriteDongleCommand(DongleBootLoader);
    std::uint8_t marker = 0;
    if (!ReadByte(marker) || marker != ApplicationMarker) {
      SetError(ErrRefused);
      return Attempt::Again;
    }
    std::uint8_t length = 0;
    if (!ReadByte(length)) return Attempt::Again;
    if (length < MinApplicationLength || length > MaxApplicationLength) {
      SetError(ErrLength);
      return Attempt::Again;
    }
    // The dongle may already be on its way into the boot loader: the rest is read and ignored.
    if (length > 2) Read(RxBuffer, length - 2u, 0);
    return Attempt::Succeeded;
  });
}

// ---- The two operations the caller uses

bool TRukMoxProg::ConfirmBootLoader() {
  Pause(RestartPause);
  if (SetBaudIndex(BootLoaderBaudIndex) < 0) return false;  // the port is closed already
  TStatusRecord status{};
  if (QueryBootStatus(status) && status[1] == ModeBootLoader) return true;
  Close();
  return false;
}

bool TRukMoxProg::EnterBootLoader(std::int32_t kind) {
  if (!IsOpen()) Open();
  if (!IsOpen()) return false;
  if (kind != DeviceDongle && kind != DeviceMcu) {
    Close();
    return false;
  }
  if (SetBaudIndex(BootLoaderBaudIndex) < 0) return false;

  TStatusRecord status{};
  if (!QueryBootStatus(status)) {
    const auto queryApplication = [&] {
      return kind == DeviceMcu ? QueryMcuStatus(status) : QueryDongleStatus(status);
    };
    if (!queryApplication()) {
      if (SetBaudIndex(FastBaudIndex) < 0) return false;
      if (!queryApplication()) {
        Close();
        return false;
      }
    }
  }

  const std::uint8_t mode = status[1];
  if (mode == ModeBootLoader) {
    if (status[4] == kind) return true;
  } else if (mode == ModeMcuApplication && kind == DeviceMcu) {
    if (RequestMcuBoot1() && RequestMcuBoot2()) return ConfirmBootLoader();
  } else if (mode == ModeDongleApplication && kind == DeviceDongle) {
    if (RequestDongleBoot()) return ConfirmBootLoader();
  }
  Close();
  return false;
}

std::int32_t TRukMoxProg::ProgramFile(std::span<const std::uint8_t> sizedBuffer) {
  rukmox::programming::ProgramRun run(*this, sizedBuffer);
  while (!run.Done()) run.Step();
  return run.Result();
}
