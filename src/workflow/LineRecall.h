// The lines sent from a console, for the operator to call back with Up and Down as a shell does:
// Up goes to older lines, Down to newer ones and, past the newest, back to what was being typed.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace rukmox::workflow {

class LineRecall {
 public:
  static constexpr std::size_t kKept = 100;

  // A line sent; the same line twice in a row is kept once, an empty one not at all.
  void Add(const std::string& line);
  // The line to show for Up or Down, given what the field holds now; nothing when there is no
  // older (or newer) line.
  std::optional<std::string> Up(const std::string& shown);
  std::optional<std::string> Down();

 private:
  std::deque<std::string> lines_;  // oldest first
  std::size_t position_ = 0;       // lines_.size(): at the line being typed
  std::string typed_;              // what was being typed when Up was first pressed
};

}  // namespace rukmox::workflow
