// Every catalogue the build compiled, held to what the programs ask of it: every text translated
// with the places of its English text, and the string table's rules (its entries, the 254
// characters that arrive through a narrow buffer, the narrow code page the language names).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CatalogueFiles.h"
#include "ExtraTexts.h"
#include "HelpTexts.h"
#include "MessageCatalogue.h"
#include "StringTable.h"
#include "TextIds.h"

namespace rukmox {
namespace {

struct Compiled {
  std::string code;
  MessageCatalogue catalogue;
};

// The catalogues of the build tree, one for each po/LL.po.
std::vector<Compiled> BuiltCatalogues() {
  std::vector<Compiled> all;
  for (const auto& po : std::filesystem::directory_iterator(RUKMOX_PO_DIR)) {
    if (po.path().extension() != ".po") continue;
    const std::string code = po.path().stem().string();
    const auto file = rukmox::test::CatalogueIn(RUKMOX_BUILD_LOCALE_DIR, code);
    std::string why;
    auto catalogue = MessageCatalogue::FromFile(file.string(), &why);
    EXPECT_TRUE(catalogue) << why;
    if (catalogue) all.push_back({code, std::move(*catalogue)});
  }
  return all;
}

// Every text the programs look up, by what the catalogues know it by.
std::vector<MessageKey> EveryText() {
  std::vector<MessageKey> keys;
  for (int id = 0; id < kTextBlockSize; ++id)
    if (!TextKey(id).english.empty()) keys.push_back(TextKey(id));
  for (int id = 0; id < extra::Count; ++id)
    keys.push_back(ExtraTextKey(static_cast<extra::Id>(id)));
  for (int id = 0; id < help::Count; ++id) keys.push_back(HelpTextKey(static_cast<help::Id>(id)));
  return keys;
}

// The places "%1".."%9" a text carries, each as often as it occurs.
std::multiset<char> PlacesOf(std::string_view text) {
  std::multiset<char> places;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') places.insert(text[i + 1]);
  return places;
}

std::size_t CharactersIn(std::string_view utf8) {
  std::size_t count = 0;
  for (const char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

// Whether the Windows code page `codePage` ("1252") holds every character of `utf8`.
bool CodePageHolds(const std::string& codePage, const std::string& utf8) {
  const iconv_t convert = iconv_open(std::string("CP").append(codePage).c_str(), "UTF-8");
  if (convert == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "no code page " << codePage << " known to iconv";
    return false;
  }
  std::string in = utf8;
  std::string out(4 * in.size() + 1, '\0');
  char* inPointer = in.data();
  char* outPointer = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t done = iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft);
  iconv_close(convert);
  return done != static_cast<std::size_t>(-1) && inLeft == 0;
}

TEST(CataloguesTest, EveryLanguageOfThePoFolderIsBuilt) {
  const auto built = BuiltCatalogues();
  std::set<std::string> codes;
  for (const Compiled& c : built) codes.insert(c.code);
  EXPECT_TRUE(codes.contains("it"));
}

TEST(CataloguesTest, EveryTextIsTranslatedWithThePlacesOfItsEnglishText) {
  for (const Compiled& c : BuiltCatalogues()) {
    for (const MessageKey& key : EveryText()) {
      SCOPED_TRACE(c.code + ": " + std::string(key.context));
      const auto text = c.catalogue.Find(key.context, key.english);
      ASSERT_TRUE(text) << "no translation of \"" << key.english << "\"";
      EXPECT_EQ(PlacesOf(*text), PlacesOf(key.english)) << *text;
    }
  }
}

TEST(CataloguesTest, StringTableTranslationsKeepTheTablesRules) {
  for (const Compiled& c : BuiltCatalogues()) {
    SCOPED_TRACE(c.code);
    const auto entry = [&c](int id) {
      return std::string(c.catalogue.Find(TextKey(id).context, TextKey(id).english).value_or(""));
    };
    EXPECT_EQ(entry(text::LanguageNumber), "1");
    const std::string codePage = entry(text::CodePage);
    for (int id = 0; id < kTextBlockSize; ++id) {
      SCOPED_TRACE(id);
      const std::string text = entry(id);
      EXPECT_LE(CharactersIn(text), 254u);
      EXPECT_TRUE(CodePageHolds(codePage, text)) << text;
      EXPECT_TRUE(PlacesOf(text).empty()) << text;
    }
  }
}

// Words English spells alike keep apart in the catalogues only by their contexts.
TEST(CataloguesTest, EveryTextHasAContextOfItsOwn) {
  std::set<std::string_view> contexts;
  for (const MessageKey& key : EveryText())
    EXPECT_TRUE(contexts.insert(key.context).second) << key.context;
}

}  // namespace
}  // namespace rukmox
