#include "LineRecall.h"

namespace rukmox::workflow {

void LineRecall::Add(const std::string& line) {
  if (!line.empty() && (lines_.empty() || lines_.back() != line)) {
    lines_.push_back(line);
    if (lines_.size() > kKept) lines_.pop_front();
  }
  position_ = lines_.size();
  typed_.clear();
}

std::optional<std::string> LineRecall::Up(const std::string& shown) {
  if (position_ == 0) return std::nullopt;
  if (position_ == lines_.size()) typed_ = shown;
  return lines_[--position_];
}

std::optional<std::string> LineRecall::Down() {
  if (position_ >= lines_.size()) return std::nullopt;
  ++position_;
  return position_ == lines_.size() ? typed_ : lines_[position_];
}

}  // namespace rukmox::workflow
