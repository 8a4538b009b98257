#include "JobProgress.h"

#include <cstdio>

#include "ExtraTexts.h"

namespace rukmox::workflow {

std::string JobPhaseText(const JobProgress& progress, int language) {
  switch (progress.phase) {
    case JobProgress::Phase::Preparing:
      return std::string(ExtraText(extra::PhasePreparing, language));
    case JobProgress::Phase::Searching:
      return FillIn(ExtraText(extra::PhaseSearching, language),
                    {std::to_string(progress.step), std::to_string(progress.steps)});
    case JobProgress::Phase::Writing:
      return FillIn(ExtraText(extra::PhaseWriting, language),
                    {std::to_string(progress.step), std::to_string(progress.steps)});
    case JobProgress::Phase::Reconnecting:
      return std::string(ExtraText(extra::PhaseReconnecting, language));
  }
  return {};
}

std::string JobFiguresText(const JobProgress& progress, int language) {
  if (progress.phase != JobProgress::Phase::Writing) return {};
  const std::string percent = std::to_string(progress.percent);
  if (!progress.left) return percent + " %";
  const long long seconds = progress.left->count();
  char left[32];
  std::snprintf(left, sizeof left, "%lld:%02lld", seconds / 60, seconds % 60);
  return FillIn(ExtraText(extra::ProgressLeft, language), {percent, left});
}

std::optional<std::chrono::seconds> TimeLeft(std::chrono::steady_clock::duration elapsed,
                                             std::int32_t done, std::int32_t total) {
  if (done <= 0 || total <= done)
    return done > 0 ? std::optional(std::chrono::seconds(0)) : std::nullopt;
  const auto perRecord = elapsed / done;
  return std::chrono::ceil<std::chrono::seconds>(perRecord * (total - done));
}

}  // namespace rukmox::workflow
