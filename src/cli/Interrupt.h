// Ctrl-C during a long operation (monitor, spectrum, scan, ping) asks it to stop: the step in
// progress is finished and reported, then the run ends.
#pragma once

namespace rukmox::cli {

class InterruptScope {
 public:
  InterruptScope();  // clears the request and catches SIGINT until destruction
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

  static bool Requested();
};

}  // namespace rukmox::cli
