// How far a programming job has got, for its face to show beside its bar: the phase in words
// (preparing the device, looking for its boot loader on port k of n, writing record i of n,
// reconnecting), the percentage and, once records go out, the time left.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace rukmox::workflow {

struct JobProgress {
  enum class Phase { Preparing, Searching, Writing, Reconnecting };
  Phase phase = Phase::Preparing;
  std::int32_t step = 0;   // the port tried or the record being written, from 1
  std::int32_t steps = 0;  // ports searched or records in the file
  std::int32_t percent = 0;
  std::optional<std::chrono::seconds> left;  // while writing, once a record has gone out
};

// The phase in words.
std::string JobPhaseText(const JobProgress& progress, int language);
// "42 % — 1:05 left" while writing; empty before.
std::string JobFiguresText(const JobProgress& progress, int language);

// The time left to write `total` records when `done` of them took `elapsed`; nothing before the
// first one.
std::optional<std::chrono::seconds> TimeLeft(std::chrono::steady_clock::duration elapsed,
                                             std::int32_t done, std::int32_t total);

}  // namespace rukmox::workflow
