#include "ProgrammingFile.h"

#include <algorithm>
#include <fstream>
#include <limits>

#include "Rukmoxprog.h"

namespace rukmox::programming {

namespace {

constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr std::uint8_t LineFeed = 0x0A;
constexpr std::size_t SizeFieldLength = 4;
constexpr std::size_t MaxFileSize = std::numeric_limits<std::int32_t>::max();

std::uint8_t UpperCase(std::uint8_t c) {
  return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

bool IsHexDigit(std::uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The width of a record type's address field in bytes; 0 for a type no S-record file holds.
int AddressBytes(std::uint8_t type) {
  switch (type) {
    case '0':  // header
    case '1':  // data
    case '5':  // record count
    case '9':  // end
      return 2;
    case '2':
    case '6':
    case '8':
      return 3;
    case '3':
    case '7':
      return 4;
    default:
      return 0;
  }
}

bool IsEndType(std::uint8_t type) {
  return type == '7' || type == '8' || type == '9';
}

}  // namespace

std::optional<std::vector<std::uint8_t>> MakeSizedBuffer(std::span<const std::uint8_t> fileBytes) {
  if (fileBytes.size() > MaxFileSize) return std::nullopt;
  const auto size = static_cast<std::uint32_t>(fileBytes.size());
  std::vector<std::uint8_t> block;
  block.reserve(SizeFieldLength + fileBytes.size());
  for (int shift = 0; shift < 32; shift += 8) block.push_back((size >> shift) & 0xFF);
  block.insert(block.end(), fileBytes.begin(), fileBytes.end());
  return block;
}

std::optional<std::vector<std::uint8_t>> ReadSizedBuffer(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size > MaxFileSize) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> block(SizeFieldLength + size);
  for (int i = 0; i < 4; ++i) block[i] = (size >> (8 * i)) & 0xFF;
  file.read(reinterpret_cast<char*>(block.data() + SizeFieldLength),
            static_cast<std::streamsize>(size));
  // A file that shrank while being read would leave zeros behind: refuse it rather than send them.
  if (file.gcount() != static_cast<std::streamsize>(size)) return std::nullopt;
  return block;
}

std::optional<std::span<const std::uint8_t>> SizedBufferData(
    std::span<const std::uint8_t> sizedBuffer) {
  if (sizedBuffer.size() < SizeFieldLength) return std::nullopt;
  std::uint32_t raw = 0;
  for (int i = 0; i < 4; ++i) raw |= std::uint32_t{sizedBuffer[i]} << (8 * i);
  const auto size = static_cast<std::int32_t>(raw);
  if (size < 0 || static_cast<std::size_t>(size) > sizedBuffer.size() - SizeFieldLength)
    return std::nullopt;
  return sizedBuffer.subspan(SizeFieldLength, static_cast<std::size_t>(size));
}

LineExtent LineAt(std::span<const std::uint8_t> data, std::size_t position) {
  LineExtent line;
  line.begin = std::min(position, data.size());
  std::size_t end = line.begin;
  while (end < data.size() && data[end] != CarriageReturn && data[end] != LineFeed) ++end;
  line.length = end - line.begin;
  if (end == data.size()) {
    line.next = end;
  } else if (data[end] == CarriageReturn && end + 1 < data.size() && data[end + 1] == LineFeed) {
    line.next = end + 2;
  } else {
    line.next = end + 1;
  }
  return line;
}

bool IsBlankLine(std::span<const std::uint8_t> line) {
  return std::all_of(line.begin(), line.end(),
                     [](std::uint8_t c) { return c == ' ' || c == '\t'; });
}

bool HeaderMatches(std::span<const std::uint8_t> data) {
  const LineExtent first = LineAt(data, 0);
  if (first.length < HeaderText.size()) return false;
  for (std::size_t i = 0; i < HeaderText.size(); ++i) {
    if (UpperCase(data[i]) != static_cast<std::uint8_t>(HeaderText[i])) return false;
  }
  return true;
}

RecordWalker::RecordWalker(std::span<const std::uint8_t> data)
    : data_(data), position_(LineAt(data, 0).next) {
  SkipBlankLines();
}

void RecordWalker::SkipBlankLines() {
  while (position_ < data_.size()) {
    const LineExtent line = LineAt(data_, position_);
    if (!IsBlankLine(data_.subspan(line.begin, line.length))) return;
    position_ = line.next;
  }
}

std::optional<RecordLine> RecordWalker::Next() {
  if (position_ >= data_.size()) return std::nullopt;
  const LineExtent line = LineAt(data_, position_);
  position_ = line.next;
  // Blank lines after a record count as consumed with it, so the last record reaches the end.
  SkipBlankLines();
  RecordLine record;
  record.number = ++number_;
  record.text = data_.subspan(line.begin, line.length);
  record.consumed = position_;
  return record;
}

int HexDigitValue(std::uint8_t c) {
  // Lower-case digits are taken as hexadecimal too; the header check ignores case as well.
  if (c >= 'a' && c <= 'f') return c - 0x57;
  const int value = static_cast<int>(c) - 0x30;
  return value <= 9 ? value : static_cast<int>(c) - 0x37;
}

std::size_t FrameLength(std::size_t lineLength) {
  return lineLength / 2 + 1;
}

bool CanFrame(std::span<const std::uint8_t> line) {
  return line.size() >= 2 && FrameLength(line.size()) <= FrameCapacity;
}

std::size_t LineToFrame(std::span<const std::uint8_t> line, std::span<std::uint8_t> frame) {
  if (!CanFrame(line) || FrameLength(line.size()) > frame.size()) return 0;
  frame[0] = line[0];
  frame[1] = line[1];
  std::size_t length = 2;
  for (std::size_t k = 1; k < line.size() / 2; ++k) {
    const int byte = 16 * HexDigitValue(line[2 * k]) + HexDigitValue(line[2 * k + 1]);
    frame[length++] = static_cast<std::uint8_t>(byte & 0xFF);
  }
  return length;
}

RecordCheck CheckRecordLines(std::span<const std::uint8_t> data) {
  RecordCheck check;
  RecordWalker walker(data);
  while (const auto record = walker.Next()) {
    check.records = record->number;
    if (check.firstUnframeable == 0 && !CanFrame(record->text))
      check.firstUnframeable = record->number;
  }
  return check;
}

bool HasRecordForm(std::span<const std::uint8_t> line) {
  // "S", type, and at least the count pair.
  if (line.size() < 4 || UpperCase(line[0]) != 'S' || line[1] < '0' || line[1] > '9') return false;
  const std::span<const std::uint8_t> pairs = line.subspan(2);
  if (pairs.size() % 2 != 0 || !std::all_of(pairs.begin(), pairs.end(), IsHexDigit)) return false;
  const int count = 16 * HexDigitValue(pairs[0]) + HexDigitValue(pairs[1]);
  return static_cast<std::size_t>(count) == pairs.size() / 2 - 1 && CanFrame(line);
}

FileCheck CheckFile(std::span<const std::uint8_t> data) {
  FileCheck check;
  const auto fail = [&check](std::int32_t result, FileFault fault) {
    check.result = result;
    check.fault = fault;
    return check;
  };
  if (data.empty()) return fail(ProgramEmpty, FileFault::NoData);
  if (!HeaderMatches(data)) return fail(ProgramWrongHeader, FileFault::WrongHeader);
  RecordWalker walker(data);
  bool ended = false;
  while (const auto record = walker.Next()) {
    check.records = record->number;
    const std::int32_t atFault = ProgramRecordBase + record->number;
    if (!HasRecordForm(record->text)) return fail(atFault, FileFault::NotARecord);
    const std::uint8_t type = record->text[1];
    check.type = type;
    const int addressBytes = AddressBytes(type);
    if (addressBytes == 0) return fail(atFault, FileFault::UnknownType);
    if (16 * HexDigitValue(record->text[2]) + HexDigitValue(record->text[3]) < addressBytes + 1)
      return fail(atFault, FileFault::TooShort);
    if (ended) return fail(atFault, FileFault::AfterEnd);
    ended = IsEndType(type);
  }
  if (check.records == 0) return fail(ProgramEmpty, FileFault::NoRecords);
  if (!ended) return fail(ProgramRecordBase + check.records, FileFault::NoEndRecord);
  check.type = 0;
  return check;
}

void UpperCaseRecordLetters(std::span<std::uint8_t> data) {
  RecordWalker walker(data);
  while (const auto record = walker.Next()) {
    if (record->text.empty()) continue;
    const auto at = static_cast<std::size_t>(record->text.data() - data.data());
    data[at] = UpperCase(data[at]);
  }
}

}  // namespace rukmox::programming
