#include "Trace.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <ostream>

#include "DeviceObjects.h"

namespace rukmox::cli {

FrameTrace::FrameTrace(std::ostream& out, std::string channel, bool maskPins, Clock clock)
    : out_(out), channel_(std::move(channel)), maskPins_(maskPins), clock_(std::move(clock)) {}

FrameTrace::~FrameTrace() {
  Flush();
}

void FrameTrace::Sent(const std::uint8_t* bytes, std::size_t count) {
  Flush();
  std::vector<std::uint8_t> frame(bytes, bytes + count);
  std::size_t maskFrom = frame.size();
  lastCommandReadsPin_ = false;
  if (maskPins_) {
    maskFrom = PinOffsetOfCommand(frame);
    lastCommandReadsPin_ = frame.size() >= 3 && frame[0] == 0xF0 && frame[2] == kReadPinCommand;
  }
  Write('>', frame, maskFrom, clock_(), nullptr);
}

void FrameTrace::Received(const std::uint8_t* bytes, std::size_t count, bool complete) {
  if (received_.empty() && count > 0) receivedStamp_ = clock_();
  received_.insert(received_.end(), bytes, bytes + count);
  if (!complete) {
    if (received_.empty()) receivedStamp_ = clock_();
    // The reply data of a read-PIN command start after the marker and the length byte.
    const std::size_t maskFrom = lastCommandReadsPin_ ? 2 : received_.size();
    Write('<', received_, maskFrom, receivedStamp_, "(time-out)");
    received_.clear();
  }
}

void FrameTrace::Flush() {
  if (received_.empty()) return;
  const std::size_t maskFrom = lastCommandReadsPin_ ? 2 : received_.size();
  Write('<', received_, maskFrom, receivedStamp_, nullptr);
  received_.clear();
}

void FrameTrace::Write(char direction, const std::vector<std::uint8_t>& bytes, std::size_t maskFrom,
                       const std::string& stamp, const char* note) {
  out_ << stamp << ' ' << channel_ << ' ' << direction;
  if (!bytes.empty()) out_ << ' ' << HexLine(bytes, maskFrom);
  if (note != nullptr) out_ << ' ' << note;
  out_ << '\n' << std::flush;
}

std::string FrameTrace::WallClock() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis));
  return text;
}

std::string HexLine(const std::vector<std::uint8_t>& bytes, std::size_t maskFrom) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string line;
  line.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) line += ' ';
    if (i >= maskFrom) {
      line += "**";
    } else {
      line += kDigits[bytes[i] >> 4];
      line += kDigits[bytes[i] & 0x0F];
    }
  }
  return line;
}

std::size_t PinOffsetOfCommand(const std::vector<std::uint8_t>& frame) {
  // F0, length, command, target, then the payload: the old PIN and the new one.
  constexpr std::size_t kPayloadOffset = 4;
  if (frame.size() > 2 && frame[0] == 0xF0 && frame[2] == kSetPinCommand) return kPayloadOffset;
  return frame.size();
}

TracingD2xxLibrary::TracingD2xxLibrary(std::unique_ptr<platform::D2xxLibrary> inner,
                                       FrameTrace& trace)
    : inner_(std::move(inner)), trace_(&trace) {
  entries_ = inner_->Entries();
  // Each wrapper calls the inner library's own entry (kept with it) and reports to this trace, so
  // two tracing libraries never share anything. A missing entry stays missing: the transport
  // checks every entry itself.
  FrameTrace* sink = trace_;
  if (auto write = entries_.FT_W32_WriteFile) {
    entries_.FT_W32_WriteFile = [write, sink](FT_HANDLE handle, LPVOID buffer, DWORD size,
                                              LPDWORD written, void* overlapped) {
      const BOOL ok = write(handle, buffer, size, written, overlapped);
      const DWORD count = ok && written != nullptr ? *written : 0;
      sink->Sent(static_cast<const std::uint8_t*>(buffer), count);
      return ok;
    };
  }
  if (auto read = entries_.FT_W32_ReadFile) {
    entries_.FT_W32_ReadFile = [read, sink](FT_HANDLE handle, LPVOID buffer, DWORD size,
                                            LPDWORD returned, void* overlapped) {
      const BOOL ok = read(handle, buffer, size, returned, overlapped);
      const DWORD count = ok && returned != nullptr ? *returned : 0;
      sink->Received(static_cast<const std::uint8_t*>(buffer), count, ok && count == size);
      return ok;
    };
  }
  if (auto closeHandle = entries_.FT_W32_CloseHandle) {
    entries_.FT_W32_CloseHandle = [closeHandle, sink](FT_HANDLE handle) {
      sink->Flush();
      return closeHandle(handle);
    };
  }
}

TracingD2xxLibrary::~TracingD2xxLibrary() {
  trace_->Flush();
}

TracingProg::TracingProg(FrameTrace& trace, std::int32_t port, std::int32_t baudIndex,
                         std::int32_t* errorWord, const platform::TransportSettings& settings)
    : TRukMoxProg(nullptr, port, baudIndex, errorWord, workflow::DeviceOptionFlag,
                  workflow::DeviceControlMode, workflow::DeviceControlMode, settings),
      trace_(trace) {}

bool TracingProg::Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout) {
  const bool ok = TRukMoxProg::Read(buffer, count, firstByteTimeout);
  // A failed read does not say how many bytes came; show none of them.
  trace_.Received(static_cast<const std::uint8_t*>(buffer), ok ? count : 0, ok);
  return ok;
}

bool TracingProg::Write(const void* buffer, std::uint32_t count, std::int32_t flags) {
  const bool ok = TRukMoxProg::Write(buffer, count, flags);
  if (ok) trace_.Sent(static_cast<const std::uint8_t*>(buffer), count);
  return ok;
}

void TracingProg::Close() {
  trace_.Flush();
  TRukMoxProg::Close();
}

}  // namespace rukmox::cli
