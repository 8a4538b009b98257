// The module wire format without any I/O: command frames built into a fixed buffer, and reply data
// read at fixed positions. TRukMox keeps the buffers; these functions only fill and read them.
#pragma once

#include <cstdint>

#include "Rukmox.h"

namespace rukmox::module {

inline constexpr std::uint8_t FrameStart = 0xF0;
inline constexpr std::uint8_t EscapeByte = 0xEF;
inline constexpr std::uint8_t ReplyMarker = 0x64;
inline constexpr std::int32_t MinReplyLength = 2;
inline constexpr std::int32_t MaxReplyLength = TRukMox::BufferSize;
inline constexpr std::int32_t MaxPayload =
    TRukMox::BufferSize;                             // larger counts are refused at once
inline constexpr std::uint8_t AddressPrefix = 0xEC;  // first payload byte of command 22

// One byte into the frame buffer. The second byte appended is the length byte and starts at 1;
// every counted byte after it adds 1 to it. False when the buffer is full.
bool AppendFrameByte(std::uint8_t (&buffer)[TRukMox::BufferSize], std::int32_t& length,
                     std::uint8_t value, bool counted);

// Start byte, length, command, target (unless omitted) and the escaped payload. False when the
// frame does not fit; the buffer then holds what did fit.
bool BuildCommandFrame(std::uint8_t (&buffer)[TRukMox::BufferSize], std::int32_t& length,
                       std::uint8_t command, bool remote, bool omitTarget, std::int32_t count,
                       const std::uint8_t* payload);

// Reply data as the readers see them: a position at or beyond the reply's length reads as 0, so
// that a short reply never passes off bytes of an earlier one as its own.
class ReplyView {
 public:
  ReplyView(const std::uint8_t* data, std::int32_t length) : data_(data), length_(length) {}
  std::int32_t Length() const { return length_; }
  std::uint8_t Byte(std::int32_t position) const {
    return position >= 0 && position < length_ ? data_[position] : 0;
  }
  std::uint32_t Word(std::int32_t position) const {
    return Byte(position) + 256u * Byte(position + 1);
  }

 private:
  const std::uint8_t* data_;
  std::int32_t length_;
};

// Copies a zero-terminated name starting at `from`: printable bytes (20..7E) are kept, others
// leave a zero. At most 9 are stored; the scan goes on to the terminating zero (or the end of the
// reply), whose position is returned.
std::int32_t ReadName(char (&name)[ModuleNameSize], const ReplyView& reply, std::int32_t from);

// Reply of command 1 from the local module.
void FillLocalInfo(TLocalDeviceRecord& record, const ReplyView& reply);
// Reply of command 1 from the remote module.
void FillRemoteInfo(TRemoteDeviceRecord& record, const ReplyView& reply);
// One answer to a scan request (command 6), heard on `channel`.
void FillScanAnswer(TRemoteDeviceRecord& record, const ReplyView& reply, std::int32_t channel);
// Reply of command 5.
void FillLocalConfig(TLocalDeviceRecord& record, const ReplyView& reply);
void FillRemoteConfig(TRemoteDeviceRecord& record, const ReplyView& reply);

// A 16-bit link-quality or energy reading in dBm: the raw value minus 65535.
std::int32_t LevelOf(const ReplyView& reply);

// The channel AdaptChannel moves to: the smallest value in the order start+3, start+4, ... (mod
// 16), the first one met on a tie; start+3 when no channel is below 95.
std::int32_t QuietestChannel(const std::uint8_t (&values)[RadioChannelCount], std::int32_t start);

// Index of a rate in the module rate table; any other rate gives 5.
std::int32_t RateIndexOf(std::int32_t rate);

}  // namespace rukmox::module
