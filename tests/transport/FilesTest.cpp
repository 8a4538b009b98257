#include "platform/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "FileFolderFixture.h"
#include "NamedRows.h"
#include "platform/JsonText.h"

namespace rukmox::platform {
namespace {

namespace fs = std::filesystem;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

class FilesTest : public test::FileFolderTest {
 protected:
  static mode_t ModeOf(const std::string& path) {
    struct stat node {};
    ::lstat(path.c_str(), &node);
    return node.st_mode & 07777;
  }
};

struct RefusedReadCase {
  const char* name;
  std::function<std::string(const std::string& folder)> make;  // returns the path to read
  FileFault fault;
};

class RefusedReadTest : public FilesTest, public ::testing::WithParamInterface<RefusedReadCase> {};

// Nothing but a regular file within its bound is read, and nothing is waited on.
TEST_P(RefusedReadTest, RefusesAtOnceWithTheReason) {
  const std::string path = GetParam().make(folder_.string());
  FileProblem problem;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReadRegularFile(path, 16, &problem));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(problem.fault, GetParam().fault);
  EXPECT_FALSE(FileProblemText(problem, 1).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedReadTest,
    ::testing::Values(RefusedReadCase{"NoName", [](const std::string&) { return std::string(); },
                                      FileFault::NoName},
                      RefusedReadCase{"Missing",
                                      [](const std::string& d) { return d + "/none.json"; },
                                      FileFault::Missing},
                      RefusedReadCase{"Directory", [](const std::string& d) { return d; },
                                      FileFault::IsDirectory},
                      RefusedReadCase{"EndlessDevice",
                                      [](const std::string&) { return std::string("/dev/zero"); },
                                      FileFault::NotRegular},
                      RefusedReadCase{"FifoWithoutWriter",
                                      [](const std::string& d) {
                                        const std::string fifo = d + "/fifo";
                                        ::mkfifo(fifo.c_str(), 0600);
                                        return fifo;
                                      },
                                      FileFault::NotRegular},
                      RefusedReadCase{"OneByteTooMany",
                                      [](const std::string& d) {
                                        const std::string path = d + "/long.json";
                                        std::ofstream(path) << std::string(17, 'x');
                                        return path;
                                      },
                                      FileFault::TooLarge}),
    test::RowName());

TEST_F(FilesTest, ReadsARegularFileUpToItsBound) {
  Put(At("full.json"), std::string(16, 'x'));
  FileProblem problem;
  const auto text = ReadRegularFile(At("full.json"), 16, &problem);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, std::string(16, 'x'));
  EXPECT_EQ(problem.fault, FileFault::None);
}

TEST_F(FilesTest, TooLargeNamesTheBound) {
  const FileProblem problem{FileFault::TooLarge, 0, 65536};
  EXPECT_EQ(FileProblemText(problem, 1),
            "it is larger than 65536 bytes, too large for a file of its kind");
}

TEST_F(FilesTest, WritesANewFileWithTheUsualMode) {
  FileProblem problem;
  ASSERT_TRUE(WriteWholeFile(At("new.json"), "{}\n", &problem)) << FileProblemText(problem, 1);
  EXPECT_EQ(Content(At("new.json")), "{}\n");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(ModeOf(At("new.json")), 0666 & ~mask);
  EXPECT_EQ(Names(), std::set<std::string>{"new.json"});
}

TEST_F(FilesTest, ReplacesAFileAndKeepsItsMode) {
  Put(At("kept.json"), "old and longer");
  ::chmod(At("kept.json").c_str(), 0600);
  ASSERT_TRUE(WriteWholeFile(At("kept.json"), "new", nullptr));
  EXPECT_EQ(Content(At("kept.json")), "new");
  EXPECT_EQ(ModeOf(At("kept.json")), 0600u);
}

TEST_F(FilesTest, KeepsTheOwnerWhereAllowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  Put(At("theirs.json"), "old");
  ASSERT_EQ(::chown(At("theirs.json").c_str(), 65534, 65534), 0);
  ASSERT_TRUE(WriteWholeFile(At("theirs.json"), "new", nullptr));
  struct stat node {};
  ASSERT_EQ(::stat(At("theirs.json").c_str(), &node), 0);
  EXPECT_EQ(node.st_uid, 65534u);
  EXPECT_EQ(node.st_gid, 65534u);
}

// A link planted where an older writer put its temporary file is neither followed nor removed,
// and the file it points to stays as it was.
TEST_F(FilesTest, APlantedLinkIsNeitherFollowedNorTouched) {
  Put(At("victim"), "precious");
  fs::create_symlink(At("victim"), At("profile.json.tmp"));
  ASSERT_TRUE(WriteWholeFile(At("profile.json"), "{}", nullptr));
  EXPECT_EQ(Content(At("victim")), "precious");
  EXPECT_TRUE(fs::is_symlink(At("profile.json.tmp")));
  EXPECT_EQ(Names(), (std::set<std::string>{"victim", "profile.json.tmp", "profile.json"}));
}

struct RefusedTargetCase {
  const char* name;
  std::function<void(const std::string& path, const std::string& folder)> make;
  FileFault fault;
};

class RefusedTargetTest : public FilesTest,
                          public ::testing::WithParamInterface<RefusedTargetCase> {};

// What stands at the name and is no regular file stays what it is.
TEST_P(RefusedTargetTest, IsLeftAsItWas) {
  const std::string path = At("target");
  GetParam().make(path, folder_.string());
  const std::set<std::string> before = Names();
  struct stat old {};
  ::lstat(path.c_str(), &old);
  FileProblem problem;
  EXPECT_FALSE(WriteWholeFile(path, "{}", &problem));
  EXPECT_EQ(problem.fault, GetParam().fault);
  struct stat now {};
  ::lstat(path.c_str(), &now);
  EXPECT_EQ(now.st_mode, old.st_mode);
  EXPECT_EQ(now.st_ino, old.st_ino);
  EXPECT_EQ(Names(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedTargetTest,
    ::testing::Values(
        RefusedTargetCase{
            "Fifo", [](const std::string& p, const std::string&) { ::mkfifo(p.c_str(), 0600); },
            FileFault::NotRegular},
        RefusedTargetCase{"Directory",
                          [](const std::string& p, const std::string&) { fs::create_directory(p); },
                          FileFault::IsDirectory},
        RefusedTargetCase{"LinkToAFile",
                          [](const std::string& p, const std::string& d) {
                            std::ofstream(d + "/elsewhere") << "x";
                            fs::create_symlink(d + "/elsewhere", p);
                          },
                          FileFault::IsLink}),
    test::RowName());

TEST_F(FilesTest, ADeviceNodeStaysADevice) {
  FileProblem problem;
  EXPECT_FALSE(WriteWholeFile("/dev/null", "{}", &problem));
  EXPECT_EQ(problem.fault, FileFault::NotRegular);
  struct stat node {};
  ASSERT_EQ(::stat("/dev/null", &node), 0);
  EXPECT_TRUE(S_ISCHR(node.st_mode));
}

TEST_F(FilesTest, AFailedWriteLeavesNothingBehind) {
  FileProblem problem;
  EXPECT_FALSE(WriteWholeFile(At("no-such-folder/profile.json"), "{}", &problem));
  EXPECT_EQ(problem.fault, FileFault::Missing);
  EXPECT_FALSE(WriteWholeFile("", "{}", &problem));
  EXPECT_EQ(problem.fault, FileFault::NoName);
  EXPECT_TRUE(Names().empty());
}

struct StrictJsonCase {
  const char* name;
  std::string text;
  JsonProblem::Kind kind;
  std::string detail;  // the path of a repeated key, or part of the parser's account
};

class StrictJsonTest : public ::testing::TestWithParam<StrictJsonCase> {};

TEST_P(StrictJsonTest, RefusesWithWhereAndWhy) {
  JsonProblem problem;
  EXPECT_FALSE(ParseStrictJson(GetParam().text, &problem));
  EXPECT_EQ(problem.kind, GetParam().kind);
  if (problem.kind == JsonProblem::Kind::KeyTwice)
    EXPECT_EQ(problem.detail, GetParam().detail);
  else
    EXPECT_NE(problem.detail.find(GetParam().detail), std::string::npos) << problem.detail;
}

INSTANTIATE_TEST_SUITE_P(
    Json, StrictJsonTest,
    ::testing::Values(
        StrictJsonCase{"JunkAfterANul", std::string("{}\0junk", 7), JsonProblem::Kind::NotJson,
                       "NUL byte at offset 2"},
        StrictJsonCase{"JunkAfterTheValue", "{} x", JsonProblem::Kind::NotJson, "parse error"},
        StrictJsonCase{"KeyTwiceAtTheTop", R"({"a": 1, "a": 2})", JsonProblem::Kind::KeyTwice, "a"},
        StrictJsonCase{"KeyTwiceInAnArrayElement",
                       R"({"remotes": [{"name": "A"}, 7, {"name": "B", "name": "C"}]})",
                       JsonProblem::Kind::KeyTwice, "remotes[2].name"},
        StrictJsonCase{"KeyTwiceDeepInObjects", R"({"ports": [{"boot": {"x": [], "x": 1}}]})",
                       JsonProblem::Kind::KeyTwice, "ports[0].boot.x"}),
    test::RowName());

TEST(StrictJson, EqualKeysInDifferentObjectsAreFine) {
  EXPECT_TRUE(ParseStrictJson(R"({"a": {"n": 1}, "b": [{"n": 2}, {"n": 3}]})", nullptr));
}

}  // namespace
}  // namespace rukmox::platform
