// The enciphered programming file: the sized buffer that carries it, its header line, the walk
// over its record lines and the frame each record line becomes. Bytes in, frames out; no I/O
// except reading the file from disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace rukmox::programming {

// "S0" and the ASCII codes of "ENCRYPTED_ECU_FILE_V_01.": the encipherment the boot loaders expect.
inline constexpr std::string_view HeaderText = "S0454E435259505445445F4543555F46494C455F565F30312E";

// A frame is at most this long, so a record line holds at most 399 characters.
inline constexpr std::size_t FrameCapacity = 200;

// ---- The sized buffer: the file's size as signed 32-bit little-endian, then its bytes.

// Nothing when the file is too large for the size field.
std::optional<std::vector<std::uint8_t>> MakeSizedBuffer(std::span<const std::uint8_t> fileBytes);

// Reads a whole file into a sized buffer; nothing when it cannot be read or is too large.
std::optional<std::vector<std::uint8_t>> ReadSizedBuffer(const std::filesystem::path& path);

// The file's bytes inside a sized buffer; nothing when the block is shorter than its size field
// says or the size is negative.
std::optional<std::span<const std::uint8_t>> SizedBufferData(
    std::span<const std::uint8_t> sizedBuffer);

// ---- Lines. A line ends at a carriage return, a line feed, or a carriage return and line feed
// together; the last line may have no line end.

struct LineExtent {
  std::size_t begin = 0;
  std::size_t length = 0;  // without the line end
  std::size_t next = 0;    // where the following line begins; the data's size at the end
};

LineExtent LineAt(std::span<const std::uint8_t> data, std::size_t position);

// Empty, or nothing but blanks and tabs: such a line carries no record.
bool IsBlankLine(std::span<const std::uint8_t> line);

// The first line starts with the 50 header characters, letter case aside; the rest of the line
// is not looked at.
bool HeaderMatches(std::span<const std::uint8_t> data);

struct RecordLine {
  std::int32_t number = 0;             // counted from 1 after the header line
  std::span<const std::uint8_t> text;  // without the line end
  std::size_t consumed =
      0;  // file bytes up to the next record line (or the end), line ends included
};

// Walks the record lines after the header line, in file order, skipping blank lines.
class RecordWalker {
 public:
  explicit RecordWalker(std::span<const std::uint8_t> data);
  std::optional<RecordLine> Next();

 private:
  void SkipBlankLines();

  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  std::int32_t number_ = 0;
};

// ---- Frames. Bytes 0 and 1 are the line's first two characters as they stand ("S" and the record
// type); then every pair of hexadecimal digits gives one byte. An odd last character is ignored.

// The value of a hexadecimal digit. Characters are not validated: anything else gives what the
// boot loader's own conversion gives (c - 0x30 up to 9, else c - 0x37).
int HexDigitValue(std::uint8_t c);

// a / 2 + 1 for a line of a characters.
std::size_t FrameLength(std::size_t lineLength);

// Whether the line can become a frame at all: two characters at least, a frame within the capacity.
bool CanFrame(std::span<const std::uint8_t> line);

// Writes the frame into `frame` and returns its length; 0 when the line cannot be framed or the
// frame does not fit `frame`.
std::size_t LineToFrame(std::span<const std::uint8_t> line, std::span<std::uint8_t> frame);

// What a look at every record line finds before anything is sent.
struct RecordCheck {
  std::int32_t records = 0;           // record lines after the header
  std::int32_t firstUnframeable = 0;  // number of the first line that cannot be framed, 0 if none
};

RecordCheck CheckRecordLines(std::span<const std::uint8_t> data);

// ---- The look at the whole file before a job touches any device, so that a file that cannot be
// programmed never leaves a device waiting in its boot loader. Record checksums and the
// enciphered contents are not looked at: they are the boot loader's business.

// Whether a record line has the form of an S-record: "S" in either case, a record-type digit,
// then pairs of hexadecimal digits in either case, the first pair counting the pairs after it;
// and its frame fits.
bool HasRecordForm(std::span<const std::uint8_t> line);

// What the look at the whole file found wrong, if anything.
enum class FileFault {
  None,
  NoData,       // the file is empty
  WrongHeader,  // the first line is not the header line
  NoRecords,    // nothing after the header line
  NotARecord,   // a record line without the form of an S-record
  UnknownType,  // a record type no S-record file holds (S4)
  TooShort,     // a count that leaves no room for the type's address and the checksum
  AfterEnd,     // a record after the end record
  NoEndRecord,  // the last record is not an end record (S7, S8, S9)
};

struct FileCheck {
  // ProgramOk when the file may go to a boot loader; otherwise the ProgramFile result that tells
  // why: ProgramEmpty, ProgramWrongHeader, or ProgramRecordBase + the number of the record line
  // at fault (the last one when the end record is missing).
  std::int32_t result = 0;
  FileFault fault = FileFault::None;
  std::int32_t records = 0;  // record lines after the header
  std::uint8_t type = 0;     // the record type character of the line at fault
};

// A file without its end record would leave the boot loader waiting for the rest, and one with a
// record after it would be refused after the device was erased.
FileCheck CheckFile(std::span<const std::uint8_t> data);

// Writes each record line's leading "s" as "S", the letter the boot loaders take.
void UpperCaseRecordLetters(std::span<std::uint8_t> data);

}  // namespace rukmox::programming
