// Runs the rukmox-sim program as a user would and talks to the line it prints.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "SimLine.h"

extern char** environ;

namespace rukmox::sim {
namespace {

using test::Bytes;
using test::SimLine;

std::string ProgramPath() {
  const char* path = std::getenv("RUKMOX_SIM_PROGRAM");
  return path ? path : RUKMOX_SIM_PROGRAM;
}

// The program with its stdout and stderr on pipes.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    args.insert(args.begin(), ProgramPath());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = fdopen(out[0], "r");
    err_ = err[0];
  }
  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_) fclose(out_);
    if (err_ >= 0) close(err_);
  }

  bool started() const { return pid_ > 0 && out_; }
  std::string Line() {
    char buf[4096];
    if (!fgets(buf, sizeof buf, out_)) return {};
    std::string s(buf);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }
  std::string Errors() {
    std::string s;
    char buf[512];
    ssize_t n;
    while ((n = read(err_, buf, sizeof buf)) > 0) s.append(buf, static_cast<std::size_t>(n));
    return s;
  }
  // Sends `signal` (0: none) and returns the exit status, -1 if it did not exit normally.
  int Finish(int signal) {
    if (signal) kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  int err_ = -1;
};

TEST(ProgramTest, PrintsItsPathsAndAnswersOnTheDongleLine) {
  Program program({});
  ASSERT_TRUE(program.started());
  const std::string dongle = program.Line();
  const std::string ports = program.Line();
  ASSERT_EQ(dongle.rfind("dongle=", 0), 0u) << dongle;
  ASSERT_EQ(ports.rfind("ports=", 0), 0u) << ports;
  EXPECT_NE(ports.find(':'), std::string::npos) << "the default scenario has two ports";

  SimLine line(dongle.substr(7), B115200);
  ASSERT_TRUE(line.ok());
  EXPECT_EQ(line.Exchange({0xF0, 0x04, 0x03, 0x00, 0x0F}), (Bytes{0x64, 0x02}));
  EXPECT_EQ(line.Exchange({0xF0, 0x03, 0x0C, 0x00}), (Bytes{0x64, 0x03, 0x0F}));
  EXPECT_EQ(program.Finish(SIGTERM), 0);
}

TEST(ProgramTest, StopsOnInterrupt) {
  Program program({});
  ASSERT_TRUE(program.started());
  program.Line();
  EXPECT_EQ(program.Finish(SIGINT), 0);
}

TEST(ProgramTest, BadScenarioFileExitsWithStatusTwoAndNamesTheField) {
  const std::string path = testing::TempDir() + "program_test_bad.json";
  std::ofstream(path) << R"({"remotes": [{"channel": 16}]})";
  Program program({"--scenario", path});
  ASSERT_TRUE(program.started());
  EXPECT_EQ(program.Finish(0), 2);
  const std::string errors = program.Errors();
  EXPECT_NE(errors.find(path), std::string::npos) << errors;
  EXPECT_NE(errors.find("remotes[0].channel"), std::string::npos) << errors;
  std::remove(path.c_str());
}

TEST(ProgramTest, MissingScenarioFileExitsWithStatusTwo) {
  Program program({"--scenario", "/nonexistent/scenario.json"});
  ASSERT_TRUE(program.started());
  EXPECT_EQ(program.Finish(0), 2);
  EXPECT_NE(program.Errors().find("/nonexistent/scenario.json"), std::string::npos);
}

}  // namespace
}  // namespace rukmox::sim
