// A folder of its own for each test of the files layer, made empty before the test and removed
// after it, and what the tests look at in it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace rukmox::test {

class FileFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info->name();
    for (char& c : name)
      if (c == '/') c = '-';  // the row of a table test
    // CTest runs the cases side by side, each in a process of its own.
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = std::filesystem::temp_directory_path() /
              ("rukmox-files-" + std::to_string(stamp) + "-" + name);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    // A file made read-only would keep its folder on Windows.
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ignored))
      if (entry.is_regular_file(ignored) && !entry.is_symlink(ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string At(const std::string& name) const { return (folder_ / name).string(); }
  static void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      names.insert(entry.path().filename().string());
    return names;
  }

  std::filesystem::path folder_;
};

}  // namespace rukmox::test
