#include "Rukmoxprog.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "ProgrammingFile.h"

namespace {

constexpr int StepAttempts = 4;

// Boot-loader answers.
constexpr std::uint8_t BootAnswer = 0x53;
constexpr std::uint8_t BootRefusal = 0xCA;
constexpr std::uint8_t BootAccepted = 0xA7;
constexpr std::uint32_t PrepareFirstByteTimeout = 2000;
constexpr std::uint32_t RecordFirstByteTimeout = 1000;
constexpr std::uint8_t StatusCountShort = 4;
constexpr std::uint8_t StatusCountLong = 6;

// Application-mode answers.
constexpr std::uint8_t ApplicationMarker = 0x64;
constexpr std::uint8_t MinApplicationLength = 2;
constexpr std::uint8_t MaxApplicationLength = 110;

constexpr std::int32_t BootLoaderBaudIndex = 5;  // 9600
constexpr std::int32_t FastBaudIndex = 9;        // 115200
constexpr std::int32_t RefusedWithBadChecksum = ErrRefused | ErrChecksum | ErrLength;

constexpr int BreakBurstCount = 6;
constexpr std::int32_t BreakBurstLength = 10;

void Pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// An application-mode status answer fills bytes 0..5 of the record; a payload too short for a
// field leaves that field 0 rather than whatever an earlier answer left in the receive buffer.
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

void TRukMoxProg::BreakBurst() {
  for (int i = 0; i < BreakBurstCount; ++i) SendBreak(BreakBurstLength);
}

// ---- Boot-loader protocol

bool TRukMoxProg::QueryBootStatus(TStatusRecord& status) {
  for (int attempt = 0; attempt < StepAttempts; ++attempt) {
    BeginFrame();
    AddByte(0x00);
    AddByte(0x02);
    SendFrame(true);
    // The answer is summed on its own, even when the frame went wrong.
    Checksum = 0;
    std::uint8_t first = 0;
    if (!ReadAnswerByte(first)) continue;
    if (first == BootAnswer && *ErrorWord == 0) {
      std::uint8_t count = 0;
      std::uint8_t data[StatusCountLong] = {};
      bool matches = false;
      if (!ReadAnswerByte(count) || !ReadAnswerBytes(data, StatusCountShort)) continue;
      if (count == StatusCountLong && !ReadAnswerBytes(data + StatusCountShort, 2)) continue;
      if (!ReadAnswerChecksum(matches)) continue;
      if (!matches) {
        SetError(ErrChecksum);
        continue;
      }
      // Only 4 or 6 status bytes make sense; anything else is refused and asked again.
      if (count != StatusCountShort && count != StatusCountLong) {
        SetError(ErrLength);
        continue;
      }
      std::fill(status.begin(), status.begin() + StatusCountLong, 0);
      std::copy_n(data, count, status.begin());
      return true;
    }
    if (first == BootRefusal) ReadRefusal();
  }
  return false;
}

bool TRukMoxProg::IsInBootLoader() {
  if (!IsOpen()) return false;
  TStatusRecord status{};
  if (QueryBootStatus(status) && status[1] == ModeBootLoader) return true;
  Close();
  return false;
}

bool TRukMoxProg::PrepareProgramming() {
  for (int attempt = 0; attempt < StepAttempts; ++attempt) {
    BeginFrame();
    AddByte(0x00);
    AddByte(0x09);
    SendFrame(true);
    Checksum = 0;
    std::uint8_t first = 0;
    if (!ReadAnswerByte(first, PrepareFirstByteTimeout)) continue;
    if (first == BootAnswer && *ErrorWord == 0) {
      std::uint8_t reserved = 0;
      std::uint8_t result = 0;
      bool matches = false;
      if (!ReadAnswerByte(reserved) || !ReadAnswerByte(result) || !ReadAnswerChecksum(matches))
        continue;
      // A well-formed answer is final: a boot loader that says no is not asked again.
      if (matches) return result == 0;
      SetError(ErrChecksum);
      continue;
    }
    if (first == BootRefusal) ReadRefusal();
  }
  return false;
}

bool TRukMoxProg::StartProgramming() {
  for (int attempt = 0; attempt < StepAttempts; ++attempt) {
    BeginFrame();
    AddByte(0x93);
    SendFrame(true);
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    ReadByte(first);
    ReadByte(second);
    if (first == BootAccepted && second == BootAccepted) return true;
  }
  return false;
}

bool TRukMoxProg::SendRecord(std::span<const std::uint8_t> line) {
  std::uint8_t frame[FrameSize];
  const std::size_t length = rukmox::programming::LineToFrame(line, frame);
  if (length == 0) return false;  // never sent: it would not fit the frame
  for (int attempt = 0; attempt < StepAttempts; ++attempt) {
    BeginFrame();
    for (std::size_t i = 0; i < length; ++i) AddByte(frame[i]);
    SendFrame(false);
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    if (!ReadByte(first, RecordFirstByteTimeout) || !ReadByte(second)) continue;
    if (*ErrorWord == 0 && first == second && (first == BootAccepted || first == BootAnswer))
      return true;
  }
  return false;
}

// ---- Application mode, MCU dialect

bool TRukMoxProg::QueryMcuStatus(TStatusRecord& status) {
  BeginFrame();
  TxBuffer[0] = 0x00;
  Write(TxBuffer, 1, 0);
  Pause(10);
  BreakBurst();
  BeginFrame();
  AddByte(0x03);
  AddByte(0x01);
  WriteApplicationFrame();
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

bool TRukMoxProg::RequestMcuBoot(std::uint8_t command1, std::uint8_t command2,
                                 std::span<const std::uint8_t> more) {
  BreakBurst();
  for (int attempt = 0; attempt < StepAttempts; ++attempt) {
    BeginFrame();
    AddByte(command1);
    AddByte(command2);
    for (const std::uint8_t byte : more) AddByte(byte);
    WriteApplicationFrame();
    std::uint8_t length = 0;
    std::uint8_t marker = 0;
    ReadByte(length);
    ReadByte(marker);
    if (marker == ApplicationMarker && length == 1) return true;
    SetError(ErrRefused);
  }
  return false;
}

bool TRukMoxProg::RequestMcuBoot1() {
  static constexpr std::uint8_t rest[] = {0x00, 0xFF};
  return RequestMcuBoot(0x05, 0x0F, rest);
}

bool TRukMoxProg::RequestMcuBoot2() {
  return RequestMcuBoot(0x03, 0x04, {});
}

// ---- Application mode, dongle dialect

bool TRukMoxProg::QueryDongleStatus(TStatusRecord& status) {
  BeginFrame();
  AddByte(0xF0);
  AddByte(0x03);
  AddByte(0x01);
  AddByte(0x00);
  WriteApplicationFrame();
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
  for (int attempt = 0; attempt < StepAttempts; ++attempt) {
    BeginFrame();
    AddByte(0xF0);
    AddByte(0x03);
    AddByte(0x1C);
    AddByte(0x00);
    WriteApplicationFrame();
    std::uint8_t marker = 0;
    if (!ReadByte(marker) || marker != ApplicationMarker) {
      SetError(ErrRefused);
      continue;
    }
    std::uint8_t length = 0;
    if (!ReadByte(length)) continue;
    if (length < MinApplicationLength || length > MaxApplicationLength) {
      SetError(ErrLength);
      continue;
    }
    // The dongle may already be on its way into the boot loader: the rest is read and ignored.
    if (length > 2) Read(RxBuffer, length - 2u, 0);
    return true;
  }
  return false;
}

// ---- The two operations the caller uses

bool TRukMoxProg::ConfirmBootLoader() {
  Pause(100);
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
  using namespace rukmox::programming;
  if (!IsOpen()) Open();
  if (!IsOpen()) return ProgramNoBootLoader;

  const auto data = SizedBufferData(sizedBuffer);
  if (!data) return ProgramBadBuffer;
  if (data->empty()) return ProgramEmpty;
  if (!HeaderMatches(*data)) return ProgramWrongHeader;

  // Every record line is looked at before the boot loader is touched: a file that cannot be sent
  // whole is not started.
  const RecordCheck check = CheckRecordLines(*data);
  if (check.records == 0) return ProgramEmpty;
  if (check.firstUnframeable != 0) return ProgramRecordBase + check.firstUnframeable;

  if (!IsInBootLoader()) return ProgramNoBootLoader;
  if (!PrepareProgramming()) return ProgramPrepareFailed;
  if (!StartProgramming()) return ProgramStartFailed;

  if (OnProgress) OnProgress(0, 0);
  const std::uint64_t size = data->size();
  RecordWalker walker(*data);
  while (const auto record = walker.Next()) {
    if (!SendRecord(record->text)) return ProgramRecordBase + record->number;
    if (OnProgress) {
      const std::uint64_t consumed = std::min<std::uint64_t>(record->consumed, size);
      OnProgress(static_cast<std::int32_t>(100 * consumed / size), 0);
    }
  }
  return ProgramOk;
}
