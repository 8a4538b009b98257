// What a programming job is about to do, told before anything is sent: the file, its record lines
// and data bytes, the addresses they cover, and the target with the version it runs now. The
// window asks the operator with it; rukmoxctl prints it before it starts (and stops there on a
// dry run).
#pragma once

#include <optional>
#include <string>

#include "FileSummary.h"
#include "Notice.h"
#include "ProgrammingJob.h"
#include "Rukmox.h"

namespace rukmox::workflow {

struct ProgrammingPreview {
  std::string path;
  programming::FileSummary file;
  ProgrammingTarget target = ProgrammingTarget::Dongle;
  std::optional<std::string> remoteName;  // the linked remote's name and address, for the MCU
  std::optional<std::uint32_t> remoteAddress;
  std::optional<std::string> version;  // as the panels show it; none when it cannot be read
};

// Looks at the file and at what the module knows of the target, sending nothing. A file the job
// would refuse gives the job's own refusal instead.
struct PreviewResult {
  std::optional<Notice> refusal;
  ProgrammingPreview preview;
};
PreviewResult PreviewProgramming(TRukMox* device, ProgrammingTarget target,
                                 const std::string& path);

// The summary's lines, and the question that the window asks before it starts the job.
std::string PreviewSummaryText(const ProgrammingPreview& preview, int language);
std::string PreviewQuestionText(const ProgrammingPreview& preview, int language);

// The target's version as the panels show it, when the module knows it: the dongle's, or the
// linked remote's for the MCU.
std::optional<std::string> TargetVersion(TRukMox* device, ProgrammingTarget target);

// "Version: H1 - F2 - M300 - P4 → H1 - F2 - M301 - P4", after a job's success.
std::string VersionChangeText(const std::optional<std::string>& before,
                              const std::optional<std::string>& after, int language);

}  // namespace rukmox::workflow
