// Catalogues for the tests, made as translators make them: a .po text compiled by msgfmt into a
// private folder that goes away with the test.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace rukmox::test {

// The header every .po text of the tests starts with; UTF-8 unless the test says otherwise.
inline std::string PoHeader(const std::string& charset = "UTF-8") {
  return "msgid \"\"\nmsgstr \"\"\n"
         "\"Project-Id-Version: rukmox\\n\"\n"
         "\"PO-Revision-Date: 2026-01-01 00:00+0000\\n\"\n"
         "\"Last-Translator: a test\\n\"\n"
         "\"Language-Team: none\\n\"\n"
         "\"Language: xx\\n\"\n"
         "\"MIME-Version: 1.0\\n\"\n"
         "\"Content-Type: text/plain; charset=" +
         charset +
         "\\n\"\n"
         "\"Content-Transfer-Encoding: 8bit\\n\"\n"
         "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n\n";
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rukmox-text-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Compiles `po` (a .po text) with msgfmt into `mo`; `options` go to msgfmt as they are. Fails the
// test when msgfmt refuses the text.
inline void CompileCatalogue(const std::string& po, const std::filesystem::path& mo,
                             const std::string& options = "--check") {
  const std::filesystem::path source = mo.string() + ".po";
  WriteFile(source, po);
  const std::string command = std::string(RUKMOX_MSGFMT) + " " + options + " --output-file='" +
                              mo.string() + "' '" + source.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The catalogue of language `code` in a catalogue folder, as the build lays them out.
inline std::filesystem::path CatalogueIn(const std::filesystem::path& folder,
                                         const std::string& code) {
  return folder / code / "LC_MESSAGES" / "rukmox.mo";
}

}  // namespace rukmox::test
