// Runs a program as a child process and collects its standard output, standard error and exit
// status. A child that outlives its deadline is killed, so a hang fails the test instead of
// stopping the suite.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace rukmox::test {

struct ChildResult {
  int status = -1;  // exit status; -1 when killed or not started
  std::string out;
  std::string err;
  bool timedOut = false;
};

// The environment of this process without the variables that choose devices, so that only the
// options on the command line do.
inline std::vector<std::string> CleanEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("RUKMOX_DONGLE=", 0) == 0 || entry.rfind("RUKMOX_PORTS=", 0) == 0 ||
        entry.rfind("RUKMOX_D2XX=", 0) == 0)
      continue;
    env.push_back(entry);
  }
  return env;
}

struct ChildOptions {
  std::chrono::seconds deadline{60};
  // Standard error goes to this terminal (a pseudo-terminal's slave) instead of a pipe.
  std::string stderrTerminal;
  // SIGINT after this long, as Ctrl-C would send it; zero: never.
  std::chrono::milliseconds interruptAfter{0};
  // Standard output goes to this file (such as /dev/full) instead of a pipe, or is closed (`>&-`).
  std::string stdoutFile;
  bool stdoutClosed = false;
  // Variables added to the clean environment, "NAME=value".
  std::vector<std::string> environment;
};

// A started child: its process id and the read ends of its standard output and error.
struct SpawnedChild {
  pid_t pid = -1;  // -1 when it could not be started; both descriptors are then closed
  int out = -1;
  int err = -1;  // -1 when standard error goes to a terminal
};

// Starts `program` with `args` and the clean environment; standard input reads /dev/null,
// standard output and error go to pipes (error to `stderrTerminal` when one is named).
inline SpawnedChild SpawnChild(const std::string& program, const std::vector<std::string>& args,
                               const std::string& stderrTerminal = {},
                               const ChildOptions& options = {}) {
  SpawnedChild child;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return child;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return child;
  }
  std::vector<std::string> argStore{program};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStore = CleanEnvironment();
  envStore.insert(envStore.end(), options.environment.begin(), options.environment.end());
  std::vector<char*> envp;
  for (auto& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  child.pid = fork();
  if (child.pid == 0) {
    if (!options.stdoutFile.empty()) {
      const int file = open(options.stdoutFile.c_str(), O_WRONLY | O_CLOEXEC);
      if (file >= 0) dup2(file, STDOUT_FILENO);
    } else {
      dup2(outPipe[1], STDOUT_FILENO);
    }
    const int terminal =
        stderrTerminal.empty() ? -1 : open(stderrTerminal.c_str(), O_RDWR | O_NOCTTY);
    dup2(terminal >= 0 ? terminal : errPipe[1], STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (devNull > STDERR_FILENO) close(devNull);
    if (options.stdoutClosed) close(STDOUT_FILENO);  // last: nothing opened here may take it
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (child.pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return child;
  }
  child.out = outPipe[0];
  child.err = errPipe[0];
  return child;
}

inline ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                            const ChildOptions& options = {}) {
  ChildResult result;
  const SpawnedChild child = SpawnChild(program, args, options.stderrTerminal, options);
  const pid_t pid = child.pid;
  if (pid < 0) return result;

  const auto started = std::chrono::steady_clock::now();
  const auto end = started + options.deadline;
  bool interrupted = options.interruptAfter.count() == 0;
  pollfd fds[2] = {{child.out, POLLIN, 0}, {child.err, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    int wait = static_cast<int>(left);
    if (!interrupted) {
      const auto until = std::chrono::duration_cast<std::chrono::milliseconds>(
                             started + options.interruptAfter - std::chrono::steady_clock::now())
                             .count();
      if (until <= 0) {
        kill(pid, SIGINT);
        interrupted = true;
        continue;
      }
      wait = std::min<int>(wait, static_cast<int>(until));
    }
    const int ready = poll(fds, 2, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& p : fds)
    if (p.fd >= 0) close(p.fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timedOut && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

}  // namespace rukmox::test
