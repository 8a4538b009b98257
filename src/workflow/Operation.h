// A long operation on the module (a scan, the spectrum sweeps, a programming job, a range test,
// the data console) advancing one step at a time, so that whoever runs it stays responsive
// between two steps: the window from a timer, a command in a plain loop. It tells its face what
// it does as it goes, and ends once.
#pragma once

#include <chrono>
#include <optional>

namespace rukmox::workflow {

class Operation {
 public:
  using Wait = std::chrono::milliseconds;

  virtual ~Operation() = default;

  // Runs one step. Returns how long to wait before the next one, or nothing once the operation
  // has ended; its face has then been told how it ended.
  virtual std::optional<Wait> Step() = 0;

  // Asks the operation to end at its next step, or at the next place where it can leave off (a
  // programming job: between two records).
  virtual void Stop() {}
};

// Runs `operation` to its end in the caller's thread, waiting between the steps as it asks.
void RunToEnd(Operation& operation);

}  // namespace rukmox::workflow
