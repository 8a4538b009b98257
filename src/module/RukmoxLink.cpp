// The link layer: building command frames and exchanging one command for one reply.
#include <algorithm>

#include "ModuleFrame.h"
#include "Rukmox.h"

using namespace rukmox::module;

bool TRukMox::AppendByte(std::uint8_t value, bool counted) {
  return AppendFrameByte(TxBuffer, TxLength, value, counted);
}

bool TRukMox::BuildFrame(std::uint8_t command, bool remote, bool omitTarget, std::int32_t count,
                         const std::uint8_t* payload) {
  if (count < 0 || count > MaxPayload || (count > 0 && payload == nullptr)) return false;
  return BuildCommandFrame(TxBuffer, TxLength, command, remote, omitTarget, count, payload);
}

bool TRukMox::AppendReplyByte(std::uint8_t value) {
  if (RxLength < 0 || RxLength >= BufferSize) return false;
  RxBuffer[RxLength++] = value;
  return true;
}

std::int32_t TRukMox::Exchange(std::uint8_t command, bool remote, bool skipLinkCheck, bool noReply,
                               std::int32_t count, const std::uint8_t* payload) {
  if (remote && !skipLinkCheck && (Current == nullptr || !Current->Linked)) return -1;
  if (count < 0 || count > MaxPayload || (count > 0 && payload == nullptr)) return -1;
  TxLength = 0;
  RxLength = 0;
  ClearError();
  if (!BuildFrame(command, remote, noReply, count, payload)) return -1;
  // The link layer moves its bytes with the plain USB channel, not with the data channel.
  if (!TRukFtdi::Write(TxBuffer, static_cast<std::uint32_t>(TxLength), 0)) return -1;
  if (noReply) return TxLength;

  std::uint8_t b = 0;
  if (!TRukFtdi::Read(&b, 1, 0) || b != ReplyMarker) return -1;
  std::uint8_t length = 0;
  if (!TRukFtdi::Read(&length, 1, 0) || length > MaxReplyLength || length < MinReplyLength) {
    return -1;
  }
  // One byte at a time, so a failed reply costs at most one read time-out.
  for (int i = 0; i < length - 2; ++i) {
    if (!TRukFtdi::Read(&b, 1, 0) || !AppendReplyByte(b)) return -1;
  }
  return TxLength;
}

std::int32_t TRukMox::Exchange(std::uint8_t command, Target target,
                               std::span<const std::uint8_t> payload, ExchangeFlags flags) {
  const auto has = [flags](ExchangeFlags flag) {
    return (static_cast<std::uint8_t>(flags) & static_cast<std::uint8_t>(flag)) != 0;
  };
  // A payload too long for the count is refused like any other count beyond the buffer.
  const auto count =
      static_cast<std::int32_t>(std::min<std::size_t>(payload.size(), MaxPayload + 1));
  return Exchange(command, target == Target::Remote, has(ExchangeFlags::SkipLinkCheck),
                  has(ExchangeFlags::NoReply), count, payload.data());
}
