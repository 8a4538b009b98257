// The files layer on Windows: what stands at a name and is no regular file is neither read nor
// replaced, and a file is replaced whole, keeping its access list.
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "FileFolderFixture.h"
#include "NamedRows.h"
#include "platform/Files.h"

namespace rukmox::platform {
namespace {

namespace fs = std::filesystem;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

class FilesWin32Test : public test::FileFolderTest {};

struct RefusedReadCase {
  const char* name;
  std::function<std::string(const std::string& folder)> make;  // returns the path to read
  FileFault fault;
};

class RefusedReadTest : public FilesWin32Test,
                        public ::testing::WithParamInterface<RefusedReadCase> {};

// Nothing but a regular file within its bound is read, and no device is opened or waited on.
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
    ::testing::Values(
        RefusedReadCase{"NoName", [](const std::string&) { return std::string(); },
                        FileFault::NoName},
        RefusedReadCase{"Missing", [](const std::string& d) { return d + "\\none.json"; },
                        FileFault::Missing},
        RefusedReadCase{"MissingFolder", [](const std::string& d) { return d + "\\no\\p.json"; },
                        FileFault::Missing},
        RefusedReadCase{"Directory", [](const std::string& d) { return d; },
                        FileFault::IsDirectory},
        RefusedReadCase{"NulDevice", [](const std::string&) { return std::string("NUL"); },
                        FileFault::NotRegular},
        // A device name is one in every folder and with any extension.
        RefusedReadCase{"SerialPortName", [](const std::string& d) { return d + "\\com1.json"; },
                        FileFault::NotRegular},
        RefusedReadCase{"PipeWithoutClient",
                        [](const std::string&) {
                          const std::wstring name = L"\\\\.\\pipe\\rukmox-files-" +
                                                    std::to_wstring(GetCurrentProcessId());
                          // Left open to the end of the program: a client would be served.
                          CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, 0, 1, 0, 0, 0,
                                           nullptr);
                          return fs::path(name).string();
                        },
                        FileFault::NotRegular},
        RefusedReadCase{"OneByteTooMany",
                        [](const std::string& d) {
                          const std::string path = d + "\\long.json";
                          std::ofstream(path) << std::string(17, 'x');
                          return path;
                        },
                        FileFault::TooLarge}),
    test::RowName());

TEST_F(FilesWin32Test, ReadsARegularFileUpToItsBound) {
  Put(At("full.json"), std::string(16, 'x'));
  FileProblem problem;
  const auto text = ReadRegularFile(At("full.json"), 16, &problem);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, std::string(16, 'x'));
  EXPECT_EQ(problem.fault, FileFault::None);
}

TEST_F(FilesWin32Test, WritesANewFileAndNothingElse) {
  FileProblem problem;
  ASSERT_TRUE(WriteWholeFile(At("new.json"), "{}\n", &problem)) << FileProblemText(problem, 1);
  EXPECT_EQ(Content(At("new.json")), "{}\n");
  EXPECT_EQ(Names(), std::set<std::string>{"new.json"});
}

// The C library's rename refuses an existing target on Windows; the replacement may not.
TEST_F(FilesWin32Test, ReplacesAFileWhole) {
  Put(At("kept.json"), "old and longer");
  FileProblem problem;
  ASSERT_TRUE(WriteWholeFile(At("kept.json"), "new", &problem)) << FileProblemText(problem, 1);
  EXPECT_EQ(Content(At("kept.json")), "new");
  EXPECT_EQ(Names(), std::set<std::string>{"kept.json"});
}

// A name given with forward slashes, as users of both systems type them, is the same name.
TEST_F(FilesWin32Test, TakesForwardSlashes) {
  std::string path = At("slashes.json");
  for (char& c : path)
    if (c == '\\') c = '/';
  ASSERT_TRUE(WriteWholeFile(path, "{}", nullptr));
  ASSERT_TRUE(WriteWholeFile(path, "{ }", nullptr));
  EXPECT_EQ(Content(At("slashes.json")), "{ }");
  EXPECT_EQ(Names(), std::set<std::string>{"slashes.json"});
}

// The access list as the system reports it: whether it is protected from the folder's, and its
// entries.
std::pair<bool, std::string> AccessList(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  if (GetNamedSecurityInfoW(fs::path(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return {false, "unreadable"};
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  std::string entries;
  if (dacl != nullptr)
    entries.assign(reinterpret_cast<const char*>(dacl + 1), dacl->AclSize - sizeof(ACL));
  LocalFree(descriptor);
  return {(control & SE_DACL_PROTECTED) != 0, entries};
}

// A file the operator made private stays private: the replacement has the old access list.
TEST_F(FilesWin32Test, KeepsAPrivateAccessList) {
  Put(At("private.json"), "old");
  std::wstring path = fs::path(At("private.json")).wstring();
  // Full control for the owner alone, nothing inherited.
  PSECURITY_DESCRIPTOR wanted = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;OW)", SDDL_REVISION_1, &wanted, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  GetSecurityDescriptorDacl(wanted, &present, &acl, &defaulted);
  SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, acl, nullptr);
  LocalFree(wanted);
  Put(At("plain.json"), "");
  const auto before = AccessList(At("private.json"));
  // Wine takes the list and reports one made from the Unix mode.
  if (before == AccessList(At("plain.json"))) GTEST_SKIP() << "no access lists here";

  ASSERT_TRUE(WriteWholeFile(At("private.json"), "new", nullptr));
  EXPECT_EQ(Content(At("private.json")), "new");
  EXPECT_EQ(AccessList(At("private.json")), before);
}

struct RefusedTargetCase {
  const char* name;
  std::function<bool(const std::string& path)> make;  // false: this system cannot make it
  FileFault fault;
};

class RefusedTargetTest : public FilesWin32Test,
                          public ::testing::WithParamInterface<RefusedTargetCase> {};

// What stands at the name and is no regular file we may replace stays what it is.
TEST_P(RefusedTargetTest, IsLeftAsItWas) {
  const std::string path = At("target");
  if (!GetParam().make(path)) GTEST_SKIP() << "cannot be made here: " << GetLastError();
  const std::set<std::string> before = Names();
  const DWORD attributes = GetFileAttributesA(path.c_str());
  FileProblem problem;
  EXPECT_FALSE(WriteWholeFile(path, "{}", &problem));
  EXPECT_EQ(problem.fault, GetParam().fault);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes);
  EXPECT_EQ(Names(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedTargetTest,
    ::testing::Values(
        RefusedTargetCase{"Directory", [](const std::string& p) { return fs::create_directory(p); },
                          FileFault::IsDirectory},
        // Creating one needs the right to, or Windows' developer mode.
        RefusedTargetCase{"LinkToAFile",
                          [](const std::string& p) {
                            std::ofstream(p + ".elsewhere") << "x";
                            CreateSymbolicLinkA(p.c_str(), (p + ".elsewhere").c_str(),
                                                0x2 /* unprivileged */);
                            const DWORD made = GetFileAttributesA(p.c_str());
                            return made != INVALID_FILE_ATTRIBUTES &&
                                   (made & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                          },
                          FileFault::IsLink},
        // Windows will not move a file over a read-only one.
        RefusedTargetCase{"ReadOnlyFile",
                          [](const std::string& p) {
                            std::ofstream(p) << "x";
                            return SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
                          },
                          FileFault::Permission}),
    test::RowName());

TEST_F(FilesWin32Test, ADeviceNameIsNeverWritten) {
  for (const std::string& device : {std::string("NUL"), std::string("CON"), At("aux.json")}) {
    FileProblem problem;
    EXPECT_FALSE(WriteWholeFile(device, "{}", &problem)) << device;
    EXPECT_EQ(problem.fault, FileFault::NotRegular) << device;
  }
  EXPECT_TRUE(Names().empty());
}

TEST_F(FilesWin32Test, AFailedWriteLeavesNothingBehind) {
  FileProblem problem;
  EXPECT_FALSE(WriteWholeFile(At("no-such-folder\\profile.json"), "{}", &problem));
  EXPECT_EQ(problem.fault, FileFault::Missing);
  EXPECT_FALSE(WriteWholeFile("", "{}", &problem));
  EXPECT_EQ(problem.fault, FileFault::NoName);
  EXPECT_FALSE(WriteWholeFile(At("folder\\"), "{}", &problem));
  EXPECT_EQ(problem.fault, FileFault::IsDirectory);
  EXPECT_TRUE(Names().empty());
}

}  // namespace
}  // namespace rukmox::platform
