#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace rukmox {

PseudoTerminal::~PseudoTerminal() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

bool PseudoTerminal::Open(std::string* error) {
  // Nothing half made is kept: the next Open starts afresh.
  auto fail = [&](const char* step) {
    if (error != nullptr) *error = std::string(step) + ": " + std::strerror(errno);
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
    slavePath_.clear();
    return false;
  };
  if (master_ >= 0) return true;
  // Neither end may leak into programs we start.
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return fail("posix_openpt");
  char name[PATH_MAX] = {};
  if (grantpt(master_) != 0) return fail("grantpt");
  if (ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
  // The terminal is the operator's alone: where new terminals are given to the tty group (mode
  // 620, a common default) a process of that group could write into the radio link. Done while the
  // slave is still locked, so that nobody opens it before.
  if (chmod(name, S_IRUSR | S_IWUSR) != 0) return fail("chmod");
  if (unlockpt(master_) != 0) return fail("unlockpt");
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) return fail("open");
  slavePath_ = name;
  termios raw{};
  if (tcgetattr(slave_, &raw) != 0) return fail("tcgetattr");
  cfmakeraw(&raw);
  cfsetispeed(&raw, B115200);
  cfsetospeed(&raw, B115200);
  raw.c_cflag |= CLOCAL | CREAD;
  if (tcsetattr(slave_, TCSANOW, &raw) != 0) return fail("tcsetattr");
  const int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");
  return true;
}

PseudoTerminal::Ready PseudoTerminal::WaitForMaster(int master, bool read, bool write,
                                                    std::chrono::milliseconds wait) {
  pollfd terminal{master, 0, 0};
  if (read) terminal.events |= POLLIN;
  if (write) terminal.events |= POLLOUT;
  Ready ready;
  if (poll(&terminal, 1, static_cast<int>(wait.count())) <= 0) return ready;
  ready.readable = (terminal.revents & POLLIN) != 0;
  ready.writable = (terminal.revents & POLLOUT) != 0;
  return ready;
}

long PseudoTerminal::ReadMaster(int master, void* into, std::size_t size) {
  return static_cast<long>(::read(master, into, size));
}

long PseudoTerminal::WriteMaster(int master, const void* from, std::size_t size) {
  return static_cast<long>(::write(master, from, size));
}

}  // namespace rukmox
