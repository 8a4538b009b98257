// What went wrong with a file, in our terms and in words: the same on every system.
#include <cerrno>
#include <cstring>

#include "ExtraTexts.h"
#include "Files.h"

namespace rukmox::platform {

FileProblem ProblemOfError(int error) {
  FileProblem problem;
  problem.error = error;
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      problem.fault = FileFault::Missing;
      break;
    case EACCES:
    case EPERM:
      problem.fault = FileFault::Permission;
      break;
    case EISDIR:
      problem.fault = FileFault::IsDirectory;
      break;
    case ELOOP:
      problem.fault = FileFault::IsLink;
      break;
    case ENOSPC:
#ifdef EDQUOT  // not in the Windows C library
    case EDQUOT:
#endif
      problem.fault = FileFault::DiskFull;
      break;
    case EROFS:
      problem.fault = FileFault::ReadOnly;
      break;
    default:
      problem.fault = FileFault::Other;
      break;
  }
  return problem;
}

std::string FileProblemText(const FileProblem& problem, int language) {
  const auto text = [language](extra::Id id) { return std::string(ExtraText(id, language)); };
  switch (problem.fault) {
    case FileFault::None:
      return {};
    case FileFault::NoName:
      return text(extra::FileNoName);
    case FileFault::Missing:
      return text(extra::FileMissing);
    case FileFault::Permission:
      return text(extra::FileNoPermission);
    case FileFault::IsDirectory:
      return text(extra::FileIsDirectory);
    case FileFault::NotRegular:
      return text(extra::FileNotRegular);
    case FileFault::IsLink:
      return text(extra::FileIsLink);
    case FileFault::TooLarge:
      return FillIn(text(extra::FileTooLarge), {std::to_string(problem.limit)});
    case FileFault::DiskFull:
      return text(extra::FileDiskFull);
    case FileFault::ReadOnly:
      return text(extra::FileReadOnly);
    case FileFault::Other:
      break;
  }
  return std::strerror(problem.error);
}

}  // namespace rukmox::platform
