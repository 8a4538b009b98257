// Files on Linux: open/fstat/read, and mkostemp/fsync/rename for writing.
#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace rukmox::platform {
namespace {

FileProblem FaultOf(const struct stat& node) {
  FileProblem problem;
  if (S_ISDIR(node.st_mode))
    problem.fault = FileFault::IsDirectory;
  else if (S_ISLNK(node.st_mode))
    problem.fault = FileFault::IsLink;
  else if (!S_ISREG(node.st_mode))
    problem.fault = FileFault::NotRegular;
  return problem;
}

template <typename T>
T Fail(FileProblem* out, const FileProblem& problem, T result) {
  if (out != nullptr) *out = problem;
  return result;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close (a full disk on some file systems) can be seen.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The folder of `path` and the name in it.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The owner can only be kept by a user allowed to give files away (root writing a user's file);
// anyone else keeps at least the group where allowed, and owns the new file.
bool KeepOwner(int fd, const struct stat& old) {
  return ::fchown(fd, old.st_uid, old.st_gid) == 0 ||
         ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

mode_t NewFileMode() {
  // What a file created the usual way would get. One thread: reading the mask by setting it back
  // is safe here.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit,
                                           FileProblem* problem) {
  if (path.empty()) return Fail(problem, {FileFault::NoName}, std::optional<std::string>());
  // Non-blocking, so that opening a FIFO does not wait for a writer; it is refused below.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail(problem, ProblemOfError(errno), std::optional<std::string>());
  Descriptor file(fd);
  struct stat node {};
  if (::fstat(fd, &node) != 0)
    return Fail(problem, ProblemOfError(errno), std::optional<std::string>());
  if (const FileProblem kind = FaultOf(node); kind.fault != FileFault::None)
    return Fail(problem, kind, std::optional<std::string>());
  FileProblem tooLarge{FileFault::TooLarge, 0, limit};
  if (static_cast<unsigned long long>(node.st_size) > limit)
    return Fail(problem, tooLarge, std::optional<std::string>());

  // Read to the end rather than trust the size: the file may grow (or be one of the files that
  // report no size) while we read, and one byte past the bound is enough to know.
  std::string content;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(problem, ProblemOfError(errno), std::optional<std::string>());
    if (n == 0) break;
    content.append(buffer.data(), static_cast<std::size_t>(n));
    if (content.size() > limit) return Fail(problem, tooLarge, std::optional<std::string>());
  }
  if (problem != nullptr) *problem = {};
  return content;
}

bool WriteWholeFile(const std::string& path, std::string_view content, FileProblem* problem) {
  if (path.empty()) return Fail(problem, {FileFault::NoName}, false);
  struct stat old {};
  bool exists = false;
  if (::lstat(path.c_str(), &old) == 0) {
    if (const FileProblem kind = FaultOf(old); kind.fault != FileFault::None)
      return Fail(problem, kind, false);
    exists = true;
  } else if (errno != ENOENT) {
    return Fail(problem, ProblemOfError(errno), false);
  }

  // A name of our own making in the same folder, created exclusively: whatever another party put
  // there (a link above all) makes mkstemp choose another name, it is never written through.
  const auto [folder, name] = SplitPath(path);
  if (name.empty()) return Fail(problem, {FileFault::IsDirectory}, false);
  std::string temporary = folder + "/." + name + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return Fail(problem, ProblemOfError(errno), false);
  Descriptor file(fd);
  const auto discard = [&](int error) {
    ::unlink(temporary.c_str());
    return Fail(problem, ProblemOfError(error), false);
  };

  if (exists) {
    // A file the operator kept private stays private; failing to keep its owner is no reason
    // to fail the write.
    KeepOwner(fd, old);
    if (::fchmod(fd, old.st_mode & 07777) != 0) return discard(errno);
  } else if (::fchmod(fd, NewFileMode()) != 0) {
    return discard(errno);
  }
  if (!WriteAll(fd, content)) return discard(errno);
  if (::fsync(fd) != 0) return discard(errno);
  if (file.Close() != 0) return discard(errno);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return discard(errno);

  // The rename itself reaches the disk with the folder.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  if (problem != nullptr) *problem = {};
  return true;
}

}  // namespace rukmox::platform
