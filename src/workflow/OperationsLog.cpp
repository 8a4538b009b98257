#include "OperationsLog.h"

#include <ctime>
#include <filesystem>

#include "platform/Files.h"

namespace rukmox::workflow {
namespace {

constexpr int kEnglish = 1;

}  // namespace

std::string OperationsLog::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

OperationsLog::OperationsLog(std::string folder, Clock clock)
    : clock_(clock ? std::move(clock) : Clock(LocalTime)) {
  UseFolder(std::move(folder));
}

void OperationsLog::UseFolder(std::string folder) {
  folder_ = std::move(folder);
  fileText_.clear();
  if (folder_.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(folder_, ignored);
  // A run goes on with the file of the run before, as far as it is one of ours.
  platform::FileProblem problem;
  if (auto before = platform::ReadRegularFile((std::filesystem::path(folder_) / kFileName).string(),
                                              kFileBound, &problem))
    fileText_ = std::move(*before);
  for (const std::string& line : lines_) Keep(line);
}

void OperationsLog::Add(const std::string& event) {
  // One event, one line: a message's own line breaks stay inside it.
  std::string line = clock_() + " ";
  for (char c : event) line += (c == '\n' || c == '\r') ? ' ' : c;
  lines_.push_back(line);
  if (lines_.size() > kKeptLines) lines_.pop_front();
  Keep(line);
  if (listener_) listener_(line);
}

std::vector<std::string> OperationsLog::Last(std::size_t count) const {
  const std::size_t from = lines_.size() > count ? lines_.size() - count : 0;
  return std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end());
}

void OperationsLog::Keep(const std::string& line) {
  if (folder_.empty()) return;
  const std::filesystem::path folder(folder_);
  platform::FileProblem problem;
  if (fileText_.size() + line.size() + 1 > kFileBound) {
    // The full file becomes the older one; the one before that goes.
    if (!platform::WriteWholeFile((folder / kOlderFileName).string(), fileText_, &problem)) {
      fileTrouble_ = platform::FileProblemText(problem, kEnglish);
      return;
    }
    fileText_.clear();
  }
  fileText_ += line + "\n";
  if (platform::WriteWholeFile((folder / kFileName).string(), fileText_, &problem))
    fileTrouble_.reset();
  else
    fileTrouble_ = platform::FileProblemText(problem, kEnglish);
}

}  // namespace rukmox::workflow
