// The operations log: one line per thing the operator's window did or saw, each behind its time
// (HH:MM:SS), for the operator to read, copy and hand on. Property changes, PIN set or removed
// (never the PIN), channel moves with from and to (the module's own hops included), scans and
// what they found, connects and disconnects, programming phases and results, profiles applied,
// and every error message with its error word. The newest lines are kept in memory; when a
// folder is handed in, they are also kept in a bounded file there, written whole after each line,
// and the file before is kept once as "operations.log.1" when it grows past its bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rukmox::workflow {

class OperationsLog {
 public:
  static constexpr std::size_t kKeptLines = 2000;
  static constexpr std::size_t kFileBound = 256 * 1024;
  static constexpr const char* kFileName = "operations.log";
  static constexpr const char* kOlderFileName = "operations.log.1";

  // The time of day as "HH:MM:SS".
  using Clock = std::function<std::string()>;

  // `folder`: where the file is kept; empty keeps nothing on disk.
  explicit OperationsLog(std::string folder = {}, Clock clock = {});

  // Keeps the file in `folder` from now on, going on with the file a run before left there; the
  // lines so far go into it.
  void UseFolder(std::string folder);

  // Adds an event; its line is the time, a blank and the event.
  void Add(const std::string& event);
  const std::deque<std::string>& Lines() const { return lines_; }
  // The last `count` lines, oldest first.
  std::vector<std::string> Last(std::size_t count) const;
  // Called with each new line.
  void SetListener(std::function<void(const std::string&)> listener) {
    listener_ = std::move(listener);
  }
  // Why the file could not be written the last time, in English; none when it was.
  const std::optional<std::string>& FileTrouble() const { return fileTrouble_; }

  static std::string LocalTime();

 private:
  void Keep(const std::string& line);

  std::string folder_;
  Clock clock_;
  std::deque<std::string> lines_;
  std::string fileText_;  // what the file holds
  std::optional<std::string> fileTrouble_;
  std::function<void(const std::string&)> listener_;
};

}  // namespace rukmox::workflow
