// One pseudo-terminal the simulator serves: the master end is ours, the slave path is what a
// program opens. We keep a slave descriptor open ourselves, so that the line keeps its settings
// and does not hang up between two programs.
#pragma once

#include <termios.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "World.h"

namespace rukmox::sim {

class PtyEndpoint {
 public:
  PtyEndpoint() = default;
  ~PtyEndpoint() { Close(); }
  PtyEndpoint(const PtyEndpoint&) = delete;
  PtyEndpoint& operator=(const PtyEndpoint&) = delete;

  // Opens a raw line at `baud`; false with the reason when the system has no pseudo-terminal.
  bool Open(std::uint32_t baud, std::string* error);
  void Close();
  bool IsOpen() const { return master_ >= 0; }
  int master() const { return master_; }
  const std::string& path() const { return path_; }

  // The rate the program on the slave side set (the master reports the slave's settings).
  std::uint32_t LineBaud() const;
  // Time one byte takes on the line: 10 bits at the line's rate.
  Clock::duration ByteTime() const;

  // Reads whatever is waiting; false when the line is gone.
  bool ReadAvailable(Bytes* out);

  // Queues bytes to leave no earlier than `at`, one byte time apart when `paced`.
  void Send(const Bytes& bytes, Clock::time_point at, bool paced);
  // Writes what is due; returns when the next byte is due, if any are waiting.
  std::optional<Clock::time_point> Flush(Clock::time_point now);

 private:
  struct Pending {
    Clock::time_point due;
    std::uint8_t byte;
  };
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::deque<Pending> out_;
};

}  // namespace rukmox::sim
