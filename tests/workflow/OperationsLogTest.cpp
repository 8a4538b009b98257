// The operations log's lines and its bounded file: one line per event behind its time, kept on
// across runs, rotated once past its bound, and never written through a link.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "OperationsLog.h"

namespace rukmox::workflow {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class OperationsLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(::testing::TempDir()) /
              ("rukmox-log-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  static std::string Noon() { return "12:00:00"; }

  fs::path folder_;
};

TEST_F(OperationsLogTest, OneLinePerEventBehindItsTimeInMemoryAndInTheFile) {
  OperationsLog log(folder_.string(), Noon);
  log.Add("first");
  log.Add("a message\nof two lines");
  EXPECT_EQ(log.Last(5),
            (std::vector<std::string>{"12:00:00 first", "12:00:00 a message of two lines"}));
  EXPECT_EQ(Read(folder_ / OperationsLog::kFileName),
            "12:00:00 first\n12:00:00 a message of two lines\n");
  // The next run goes on with the same file.
  OperationsLog next(folder_.string(), Noon);
  next.Add("second run");
  EXPECT_EQ(Read(folder_ / OperationsLog::kFileName),
            "12:00:00 first\n12:00:00 a message of two lines\n12:00:00 second run\n");
}

TEST_F(OperationsLogTest, TheFileStaysWithinItsBoundAndTheOneBeforeIsKeptOnce) {
  OperationsLog log(folder_.string(), Noon);
  const std::string event(20000, 'x');
  const std::size_t count = 3 * OperationsLog::kFileBound / event.size();
  for (std::size_t i = 0; i < count; ++i) log.Add(event);
  EXPECT_LE(fs::file_size(folder_ / OperationsLog::kFileName), OperationsLog::kFileBound);
  EXPECT_LE(fs::file_size(folder_ / OperationsLog::kOlderFileName), OperationsLog::kFileBound);
  EXPECT_GT(fs::file_size(folder_ / OperationsLog::kOlderFileName),
            OperationsLog::kFileBound - 2 * event.size());
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++files;
  EXPECT_EQ(files, 2u);
  EXPECT_EQ(log.Lines().size(), count);  // what the view shows is not cut by the file's bound
}

TEST_F(OperationsLogTest, ALinkInThePlaceOfTheFileIsNotFollowed) {
  fs::create_directories(folder_);
  const fs::path elsewhere = folder_ / "elsewhere";
  std::ofstream(elsewhere) << "keep\n";
  fs::create_symlink(elsewhere, folder_ / OperationsLog::kFileName);
  OperationsLog log(folder_.string(), Noon);
  log.Add("event");
  EXPECT_EQ(Read(elsewhere), "keep\n");
  EXPECT_TRUE(log.FileTrouble().has_value());
  EXPECT_EQ(log.Last(1), std::vector<std::string>{"12:00:00 event"});  // still shown
}

}  // namespace
}  // namespace rukmox::workflow
