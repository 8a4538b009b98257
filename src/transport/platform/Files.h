// Files that come from the user and go back to the user (profiles, scenarios, the link history,
// pictures of the window): read only when they are regular files and no longer than their kind
// allows, written whole or not at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace rukmox::platform {

// What kept a file from being read or written, in our terms.
enum class FileFault {
  None,
  NoName,      // the path is empty
  Missing,     // it, or a folder on its path, does not exist
  Permission,  // the system refused access
  IsDirectory,
  NotRegular,  // a device, a FIFO or a socket
  IsLink,      // a symbolic link where a file is to be written
  TooLarge,    // longer than the bound of its kind
  DiskFull,
  ReadOnly,  // a read-only file system
  Other,     // the system's own reason, in `error`
};

struct FileProblem {
  FileFault fault = FileFault::None;
  int error = 0;          // errno of the failed call, when there was one
  std::size_t limit = 0;  // TooLarge: the bound
};

// errno of a failed open, stat, write or rename, in our terms.
FileProblem ProblemOfError(int error);

// The whole content of the regular file `path`, if it holds at most `limit` bytes. Anything else
// (a directory, a device, a FIFO: none of them is waited on) is refused without being read.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit,
                                           FileProblem* problem);

// Puts `content` in `path` whole or leaves `path` as it was: written into a new file beside it,
// flushed to the disk, then renamed over it. Refuses a path that exists and is not a regular file
// (a link is not followed), keeps an existing file's mode and, where the system lets us, its owner,
// and touches no other name.
bool WriteWholeFile(const std::string& path, std::string_view content, FileProblem* problem);

// What is wrong, to follow the file's name: "it is a directory", "no space left on the disk", in
// `language` (0 Italian, 1 English).
std::string FileProblemText(const FileProblem& problem, int language);

}  // namespace rukmox::platform
