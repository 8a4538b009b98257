// Writing a programming file taken one record at a time. TRukMoxProg's ProgramFile runs one to its
// end; a caller that must stay responsive between two records (a window) steps one itself, and
// the boot loader gets exactly the same frames in the same order. A record boundary is also where
// a caller may leave off: the device then waits in its boot loader for a file written whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "ProgrammingFile.h"

class TRukMoxProg;

namespace rukmox::programming {

class ProgramRun {
 public:
  // `sizedBuffer` is ProgramFile's sized buffer; it must outlive the run.
  ProgramRun(TRukMoxProg& programmer, std::span<const std::uint8_t> sizedBuffer);

  bool Done() const { return result_.has_value(); }
  // One of the Program* results, once Done.
  std::int32_t Result() const { return result_.value_or(0); }

  // The first step looks at the whole file and gets the boot loader ready to take it (progress
  // 0); each further step sends one record (progress after it). A step after the end does
  // nothing.
  void Step();

 private:
  void Begin();
  void SendNextRecord();
  // The programmer's stop request, asked before the erase and before each record; ends the run
  // with ProgramStopped when it says yes.
  bool StopAsked();

  TRukMoxProg& programmer_;
  std::span<const std::uint8_t> sizedBuffer_;
  std::span<const std::uint8_t> data_;
  std::optional<RecordWalker> records_;
  std::optional<std::int32_t> result_;
};

}  // namespace rukmox::programming
