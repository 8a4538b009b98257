// Another program holding a device's lock, as serial programs do: a child process that opens the
// path, takes its flock and keeps it until the holder is destroyed.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace rukmox::test {

class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      // Only async-signal-safe calls here: the test process may run other threads.
      close(ready[0]);
      const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      const char held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
      [[maybe_unused]] const ssize_t told = write(ready[1], &held, 1);
      if (held == 0) _exit(1);
      for (;;) pause();
    }
    close(ready[1]);
    char held = 0;
    if (pid_ > 0 && read(ready[0], &held, 1) == 1) held_ = held == 1;
    close(ready[0]);
  }
  ~LockHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool Held() const { return held_; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

}  // namespace rukmox::test
