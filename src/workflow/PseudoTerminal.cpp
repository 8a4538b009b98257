#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
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
  auto fail = [&](const char* step) {
    if (error != nullptr) *error = std::string(step) + ": " + std::strerror(errno);
    return false;
  };
  if (master_ >= 0) return true;
  int master = -1;
  int slave = -1;
  char name[PATH_MAX] = {};
  termios raw{};
  cfmakeraw(&raw);
  cfsetispeed(&raw, B115200);
  cfsetospeed(&raw, B115200);
  raw.c_cflag |= CLOCAL | CREAD;
  if (openpty(&master, &slave, name, &raw, nullptr) != 0) return fail("openpty");
  master_ = master;
  slave_ = slave;
  slavePath_ = name;
  // Neither end may leak into programs we start.
  if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(slave_, F_SETFD, FD_CLOEXEC) != 0)
    return fail("fcntl");
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
