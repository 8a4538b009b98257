// What a programming file holds, for the operator to check before a device is touched: its
// record lines, the data bytes of its data records and the addresses they cover. The S-record
// fields read here (type, length and address) stand outside the encipherment; the data stays
// enciphered and is not looked at.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace rukmox::programming {

struct FileSummary {
  std::int32_t records = 0;    // record lines after the header, as the job counts them
  std::int64_t dataBytes = 0;  // data bytes of the S1, S2 and S3 records
  // The first and the last address the data records write; none without data.
  std::optional<std::uint32_t> firstAddress;
  std::optional<std::uint32_t> lastAddress;
  int addressDigits = 4;  // 4, 6 or 8: the widest address field of the file
};

// `data` is the file's bytes (the sized buffer without its size field). A record line that does
// not have the form of an S-record counts as a record and adds nothing else.
FileSummary SummariseFile(std::span<const std::uint8_t> data);

}  // namespace rukmox::programming
