// --trace: every frame sent to and received from a device, time-stamped, in hex, on the error
// stream. PINs never appear: the payload of a set-PIN command and the reply to a read-PIN command
// are written as "**".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "Rukmoxprog.h"
#include "platform/D2xxLibrary.h"

namespace rukmox::cli {

// Module command codes whose PIN bytes are masked.
inline constexpr std::uint8_t kSetPinCommand = 35;
inline constexpr std::uint8_t kReadPinCommand = 36;

// Collects the bytes of one channel into lines: each write is one line, the reads that follow it
// are gathered into the next line until the next write (or Flush). Knows where a module frame
// carries a PIN when `maskPins` is set.
class FrameTrace {
 public:
  using Clock = std::function<std::string()>;

  FrameTrace(std::ostream& out, std::string channel, bool maskPins, Clock clock = WallClock);
  ~FrameTrace();
  FrameTrace(const FrameTrace&) = delete;
  FrameTrace& operator=(const FrameTrace&) = delete;

  void Sent(const std::uint8_t* bytes, std::size_t count);
  // `complete` false: the read ended short (a time-out); the line is closed with a note.
  void Received(const std::uint8_t* bytes, std::size_t count, bool complete);
  void Flush();

  // "HH:MM:SS.mmm" local time.
  static std::string WallClock();

 private:
  void Write(char direction, const std::vector<std::uint8_t>& bytes, std::size_t maskFrom,
             const std::string& stamp, const char* note);

  std::ostream& out_;
  std::string channel_;
  bool maskPins_;
  Clock clock_;
  std::vector<std::uint8_t> received_;
  std::string receivedStamp_;
  bool lastCommandReadsPin_ = false;
};

// Hex bytes separated by blanks; from `maskFrom` on every byte shows as "**".
std::string HexLine(const std::vector<std::uint8_t>& bytes, std::size_t maskFrom);

// Where the PIN starts in a command frame (after start, length, command and target bytes), or
// the frame's size when it carries none.
std::size_t PinOffsetOfCommand(const std::vector<std::uint8_t>& frame);

// The D2XX entry points of `inner` with writes, reads and closes reported to `trace`, which must
// outlive the library.
class TracingD2xxLibrary : public platform::D2xxLibrary {
 public:
  TracingD2xxLibrary(std::unique_ptr<platform::D2xxLibrary> inner, FrameTrace& trace);
  ~TracingD2xxLibrary() override;
  bool Loaded() const override { return inner_->Loaded(); }

 private:
  std::unique_ptr<platform::D2xxLibrary> inner_;
  FrameTrace* trace_;
};

// The programming object with its serial traffic reported to `trace`.
class TracingProg : public TRukMoxProg {
 public:
  TracingProg(FrameTrace& trace, std::int32_t port, std::int32_t baudIndex, std::int32_t* errorWord,
              const platform::TransportSettings& settings);
  bool Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout) override;
  bool Write(const void* buffer, std::uint32_t count, std::int32_t flags) override;
  void Close() override;

 private:
  FrameTrace& trace_;
};

}  // namespace rukmox::cli
