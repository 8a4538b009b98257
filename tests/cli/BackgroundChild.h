// A program started as a child process that the test talks to while it runs: read its first
// lines, do something, interrupt it, then collect the rest as RunChild would. A child that
// outlives a deadline is killed, so a hang fails the test instead of stopping the suite.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace rukmox::test {

class BackgroundChild {
 public:
  BackgroundChild(const std::string& program, const std::vector<std::string>& args) {
    const SpawnedChild child = SpawnChild(program, args);
    pid_ = child.pid;
    fds_[0] = {child.out, POLLIN, 0};
    fds_[1] = {child.err, POLLIN, 0};
  }

  ~BackgroundChild() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      Reap();
    }
    CloseAll();
  }
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;

  bool Started() const { return pid_ > 0; }
  // The signal that ended the child, once Finish saw it end that way; 0 otherwise.
  int KilledBy() const { return killedBy_; }

  // The first line of standard output (without its line feed), or nothing when the child
  // printed none within `deadline`.
  std::optional<std::string> FirstLine(std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      const auto feed = result_.out.find('\n');
      if (feed != std::string::npos) return result_.out.substr(0, feed);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !Collect(left)) return std::nullopt;
    }
  }

  // True once the child closed its output (it ended) within `wait`.
  bool EndsWithin(std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (!Collect(std::max(left, std::chrono::milliseconds(0)))) return true;
      if (left.count() <= 0) return false;
    }
  }

  void Interrupt() { Signal(SIGINT); }
  void Signal(int signal) {
    if (pid_ > 0 && !reaped_) kill(pid_, signal);
  }
  pid_t Pid() const { return pid_; }

  // Everything the child printed and its exit status, once it ended (killed after `deadline`).
  ChildResult Finish(std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        result_.timedOut = true;
        if (pid_ > 0) kill(pid_, SIGKILL);
        break;
      }
      if (!Collect(left)) break;
    }
    CloseAll();
    const int status = Reap();
    if (!result_.timedOut && WIFEXITED(status)) result_.status = WEXITSTATUS(status);
    if (!result_.timedOut && WIFSIGNALED(status)) killedBy_ = WTERMSIG(status);
    return result_;
  }

 private:
  // Reads what is there within `wait`; false once both streams are closed.
  bool Collect(std::chrono::milliseconds wait) {
    if (fds_[0].fd < 0 && fds_[1].fd < 0) return false;
    const int ready = poll(fds_, 2, static_cast<int>(wait.count()));
    if (ready <= 0) return ready == 0 || errno == EINTR;
    std::string* sinks[2] = {&result_.out, &result_.err};
    for (int i = 0; i < 2; ++i) {
      if (fds_[i].fd < 0 || fds_[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds_[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds_[i].fd);
        fds_[i].fd = -1;
      }
    }
    return true;
  }

  int Reap() {
    int status = 0;
    if (pid_ > 0 && !reaped_) {
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      reaped_ = true;
    }
    return status;
  }

  void CloseAll() {
    for (pollfd& p : fds_) {
      if (p.fd >= 0) close(p.fd);
      p.fd = -1;
    }
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  int killedBy_ = 0;
  pollfd fds_[2] = {{-1, 0, 0}, {-1, 0, 0}};
  ChildResult result_;
};

}  // namespace rukmox::test
