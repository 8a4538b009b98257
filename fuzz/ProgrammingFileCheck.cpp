// The programming file: the sized buffer, the header check, the walk over the record lines, the
// frame each becomes and the look at the whole file before a job. Any bytes at all must be walked
// to the end without reading past them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ProgrammingFile.h"

using namespace rukmox::programming;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  // As a caller hands it over: sized, and as raw data with a size field of the fuzzer's choosing.
  if (const auto sized = MakeSizedBuffer(bytes)) {
    const auto inner = SizedBufferData(*sized);
    if (!inner || inner->size() != size) __builtin_trap();
  }
  SizedBufferData(bytes);

  HeaderMatches(bytes);
  const RecordCheck check = CheckRecordLines(bytes);

  RecordWalker walker(bytes);
  std::int32_t walked = 0;
  std::size_t consumed = 0;
  std::uint8_t frame[FrameCapacity];
  while (const auto line = walker.Next()) {
    ++walked;
    if (line->number != walked) __builtin_trap();
    // How far the file is done after this line: it only moves on, and never past the end.
    if (line->consumed < consumed || line->consumed > size) __builtin_trap();
    consumed = line->consumed;
    const std::size_t length = LineToFrame(line->text, frame);
    if (length > FrameCapacity) __builtin_trap();
    if (CanFrame(line->text) != (length != 0)) __builtin_trap();
  }
  // The check looks at the same lines the walk sends.
  if (walked != check.records) __builtin_trap();
  if (walked > 0 && consumed != size) __builtin_trap();  // the last record reaches the end

  // The look before a job: a file it passes has an end record last and nothing the walk cannot
  // frame.
  const FileCheck file = CheckFile(bytes);
  if (file.result == 0 && (walked == 0 || check.firstUnframeable != 0 || file.records != walked))
    __builtin_trap();
  return 0;
}
