// A one-line progress bar for scans and programming, redrawn in place on a terminal. Off when the
// stream is not a terminal, so that logs and pipes get no carriage-return clutter.
#pragma once

#include <iosfwd>
#include <string>

namespace rukmox::cli {

class ProgressBar {
 public:
  ProgressBar(std::ostream& out, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool Enabled() const { return enabled_; }

  // Draws `done` of `total` (clamped) and a short note after the bar.
  void Show(long done, long total, const std::string& note);
  // Removes the bar, leaving the cursor at the start of an empty line.
  void Clear();

  // The bar's text without the leading carriage return: "[#####.....]  50%  note".
  static std::string Render(long done, long total, const std::string& note, int width = 30);

 private:
  std::ostream& out_;
  bool enabled_;
  bool drawn_ = false;
};

// Whether file descriptor `fd` is a terminal.
bool IsTerminal(int fd);

}  // namespace rukmox::cli
