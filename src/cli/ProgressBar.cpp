#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <ostream>

namespace rukmox::cli {

ProgressBar::ProgressBar(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}

ProgressBar::~ProgressBar() {
  Clear();
}

void ProgressBar::Show(long done, long total, const std::string& note) {
  if (!enabled_) return;
  // Erase to the end of the line: the note may be shorter than the last one.
  out_ << '\r' << Render(done, total, note) << "\x1b[K" << std::flush;
  drawn_ = true;
}

void ProgressBar::Clear() {
  if (!drawn_) return;
  out_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

std::string ProgressBar::Render(long done, long total, const std::string& note, int width) {
  if (total <= 0) total = 1;
  done = std::clamp(done, 0L, total);
  const long filled = done * width / total;
  std::string text = "[";
  text.append(static_cast<std::size_t>(filled), '#');
  text.append(static_cast<std::size_t>(width - filled), '.');
  text += "] ";
  const std::string percent = std::to_string(done * 100 / total) + "%";
  text.append(4 - std::min<std::size_t>(4, percent.size()), ' ');
  text += percent;
  if (!note.empty()) text += "  " + note;
  return text;
}

bool IsTerminal(int fd) {
  return isatty(fd) == 1;
}

}  // namespace rukmox::cli
