#include "StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace rukmox::platform {

void TakeClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() takes the lowest free number, which is this one: the ones below are taken by now.
    // Read-only, so that a write fails with EBADF, as it would on the closed descriptor.
    const int standIn = ::open("/dev/null", O_RDONLY);
    if (standIn >= 0 && standIn != fd) ::close(standIn);
  }
}

}  // namespace rukmox::platform
