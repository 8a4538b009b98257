#include "ModuleFrame.h"

#include <cstring>

namespace rukmox::module {

bool AppendFrameByte(std::uint8_t (&buffer)[TRukMox::BufferSize], std::int32_t& length,
                     std::uint8_t value, bool counted) {
  if (length < 0 || length >= TRukMox::BufferSize) return false;
  if (length == 1) {
    value = 1;  // the length byte counts itself
  } else if (length > 1 && counted) {
    ++buffer[1];
  }
  buffer[length++] = value;
  return true;
}

bool BuildCommandFrame(std::uint8_t (&buffer)[TRukMox::BufferSize], std::int32_t& length,
                       std::uint8_t command, bool remote, bool omitTarget, std::int32_t count,
                       const std::uint8_t* payload) {
  length = 0;
  bool ok = AppendFrameByte(buffer, length, FrameStart, true);
  ok &= AppendFrameByte(buffer, length, 0, true);
  ok &= AppendFrameByte(buffer, length, command, true);
  if (!omitTarget) ok &= AppendFrameByte(buffer, length, remote ? 1 : 0, true);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t b = payload[i];
    if (b == EscapeByte || b == FrameStart) {
      ok &= AppendFrameByte(buffer, length, EscapeByte, false);
      ok &= AppendFrameByte(buffer, length, b == EscapeByte ? 0x00 : 0x01, true);
    } else {
      ok &= AppendFrameByte(buffer, length, b, true);
    }
  }
  return ok;
}

std::int32_t ReadName(char (&name)[ModuleNameSize], const ReplyView& reply, std::int32_t from) {
  std::memset(name, 0, sizeof name);
  std::int32_t k = from;
  while (k < reply.Length() && reply.Byte(k) != 0) {
    const std::uint8_t b = reply.Byte(k);
    const std::int32_t at = k - from;
    if (at < ModuleNameSize - 1 && b >= 0x20 && b <= 0x7E) name[at] = static_cast<char>(b);
    ++k;
  }
  return k;
}

namespace {

template <typename Record>
void ReadNameAndTail(Record& record, const ReplyView& reply, std::int32_t from) {
  const std::int32_t k = ReadName(record.Name, reply, from);
  record.PinProtected = reply.Byte(k + 1) == 1;
  for (int i = 0; i < 4; ++i) record.InfoTail[i] = reply.Byte(k + 2 + i);
}

template <typename Record>
void ReadVersion(Record& record, const ReplyView& reply) {
  record.VersionH = reply.Byte(0);
  record.VersionF = reply.Byte(1);
  record.VersionP = reply.Byte(2);
  record.VersionM = reply.Word(3);
  for (int i = 0; i < 5; ++i) record.InfoBytes[i] = reply.Byte(5 + i);
}

template <typename Record>
void ReadConfigCommon(Record& record, const ReplyView& reply) {
  record.ConfigByte = reply.Byte(1);
  record.ConfigScale = static_cast<float>(reply.Byte(3) * 0.1);
  record.ConfigProduct = static_cast<float>(reply.Byte(2)) * record.ConfigScale;
  record.BaudRate = static_cast<std::int32_t>(reply.Word(5) * 2);
  record.PowerLevel = static_cast<std::uint8_t>(TRukMox::PowerLevelOf(reply.Byte(7)));
}

}  // namespace

void FillLocalInfo(TLocalDeviceRecord& record, const ReplyView& reply) {
  ReadVersion(record, reply);
  record.Address = reply.Word(10);
  ReadNameAndTail(record, reply, 12);
}

void FillRemoteInfo(TRemoteDeviceRecord& record, const ReplyView& reply) {
  ReadVersion(record, reply);
  record.PeerAddress = reply.Word(10);
  record.Address = reply.Word(12);
  ReadNameAndTail(record, reply, 14);
}

void FillScanAnswer(TRemoteDeviceRecord& record, const ReplyView& reply, std::int32_t channel) {
  record.Address = reply.Word(0);
  record.Linked = reply.Byte(2) != 0;
  record.PeerAddress = record.Linked ? reply.Word(3) : 0xFFFF;
  ReadNameAndTail(record, reply, 5);
  record.Channel = channel;
}

void FillLocalConfig(TLocalDeviceRecord& record, const ReplyView& reply) {
  record.ConfigFlag = reply.Byte(0) != 1;
  ReadConfigCommon(record, reply);
}

void FillRemoteConfig(TRemoteDeviceRecord& record, const ReplyView& reply) {
  ReadConfigCommon(record, reply);
  record.ConfigFlag = reply.Byte(4) != 0;
  record.ConfigExtra = reply.Byte(8);
}

std::int32_t LevelOf(const ReplyView& reply) {
  return static_cast<std::int32_t>(reply.Word(0)) - 65535;
}

std::int32_t QuietestChannel(const std::uint8_t (&values)[RadioChannelCount], std::int32_t start) {
  std::int32_t best = (start + 3) % RadioChannelCount;
  std::uint8_t bestValue = 95;
  for (std::int32_t i = 0; i < RadioChannelCount; ++i) {
    const std::int32_t ch = (start + 3 + i) % RadioChannelCount;
    if (values[ch] < bestValue) {
      best = ch;
      bestValue = values[ch];
    }
  }
  return best;
}

std::int32_t RateIndexOf(std::int32_t rate) {
  for (int i = 0; i < ModuleRateCount; ++i) {
    if (ModuleRates[i] == rate) return i;
  }
  return DefaultBaudIndex;
}

}  // namespace rukmox::module
