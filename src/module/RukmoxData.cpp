// The transparent data channel: writes go to the remote module's host as data frames, reads are
// whatever arrives on the USB channel.
#include <chrono>
#include <cstring>
#include <thread>

#include "Rukmox.h"

namespace {
constexpr std::int32_t AdaptFlagMask = 0xFF;
constexpr std::int32_t KeepSequenceFlag = 0x8000;
constexpr auto ChunkPause = std::chrono::milliseconds(30);
}  // namespace

bool TRukMox::Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout) {
  return TRukFtdi::Read(buffer, count, firstByteTimeout);
}

void TRukMox::AdvanceSequenceNumber() {
  ++SequenceNumber;  // wraps to 0, which no frame may carry
  if (SequenceNumber == 0) SequenceNumber = 1;
}

bool TRukMox::SendChunk(const std::uint8_t* data, std::uint32_t count) {
  ChunkBuffer[0] = SequenceNumber;
  if (count > 0) std::memcpy(ChunkBuffer + 1, data, count);
  return Exchanged(
      Exchange(CmdData, Target::Remote, {ChunkBuffer, count + 1}, ExchangeFlags::NoReply));
}

bool TRukMox::Write(const void* buffer, std::uint32_t count, std::int32_t flags) {
  if (count > 0 && buffer == nullptr) return false;
  if ((flags & AdaptFlagMask) != 0) {
    if (!AdaptChannel()) return false;
    if ((flags & KeepSequenceFlag) == 0) AdvanceSequenceNumber();
  } else {
    AdvanceSequenceNumber();
  }
  const auto* data = static_cast<const std::uint8_t*>(buffer);
  if (count <= MaxChunk) return SendChunk(data, count);

  // Several frames in a row: the replies of the remote host may already be arriving and must not
  // be discarded by the next chunk's write.
  PurgeBeforeWrite = false;
  for (std::uint32_t offset = 0; offset < count; offset += MaxChunk) {
    AdvanceSequenceNumber();
    const std::uint32_t size = std::min<std::uint32_t>(MaxChunk, count - offset);
    if (!SendChunk(data + offset, size)) {
      PurgeBeforeWrite = true;
      return false;
    }
    std::this_thread::sleep_for(ChunkPause);
  }
  PurgeBeforeWrite = true;
  return true;
}
