#include "Languages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "CatalogueFiles.h"
#include "CatalogueFolder.h"
#include "ExtraTexts.h"
#include "NamedRows.h"
#include "StringTable.h"
#include "TextIds.h"

namespace rukmox {
namespace {

using rukmox::test::CatalogueIn;
using rukmox::test::CompileCatalogue;
using rukmox::test::PoHeader;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;
using rukmox::test::TempFolder;
using ::testing::HasSubstr;

// A catalogue that names its language and translates one message.
std::string Catalogue(const std::string& name, const std::string& extra = "") {
  return PoHeader() + "msgctxt \"entry 0\"\nmsgid \"English\"\nmsgstr \"" + name + "\"\n\n" + extra;
}

// A folder of catalogues of its own; the test program's own catalogues come back afterwards.
class CatalogueFolderTest : public ::testing::Test {
 protected:
  void TearDown() override { UseCatalogueFolder(RUKMOX_BUILD_LOCALE_DIR); }

  void Add(const std::string& code, const std::string& po) {
    CompileCatalogue(po, CatalogueIn(folder_.Path(), code));
  }
  std::vector<CatalogueProblem> Use() { return UseCatalogueFolder(folder_.Path().string()); }

  TempFolder folder_;
};

TEST_F(CatalogueFolderTest, ItalianAndEnglishComeFirstThenTheOthersByCode) {
  Add("pt_BR", Catalogue("Português"));
  Add("de", Catalogue("Deutsch"));
  Add("it", Catalogue("Italiano"));
  Add("nl", PoHeader());  // names itself nowhere
  // Another program's catalogue and a stray file are no languages of ours.
  rukmox::test::WriteFile(CatalogueIn(folder_.Path(), "fr").parent_path() / "other.mo", "x");
  rukmox::test::WriteFile(folder_.Path() / "README", "x");

  EXPECT_TRUE(Use().empty());
  EXPECT_EQ(LanguageList(), "it, en, de, nl, pt_BR");
  EXPECT_EQ(LanguageOf("de"), 2);
  EXPECT_EQ(LanguageOf("fr"), std::nullopt);
  EXPECT_EQ(LanguageName(LanguageItalian), "Italiano");
  EXPECT_EQ(LanguageName(LanguageEnglish), "English");
  EXPECT_EQ(LanguageName(*LanguageOf("pt_BR")), "Português");
  EXPECT_EQ(LanguageName(*LanguageOf("nl")), "nl");
  EXPECT_EQ(LanguageCode(5), "");
}

TEST_F(CatalogueFolderTest, AnUnreadableCatalogueIsLeftOutAndNamed) {
  Add("de", Catalogue("Deutsch"));
  rukmox::test::WriteFile(CatalogueIn(folder_.Path(), "xx"),
                          "This is a text file, not a message catalogue.");
  rukmox::test::WriteFile(CatalogueIn(folder_.Path(), "it"), "");

  const auto problems = Use();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].code, "it");
  EXPECT_EQ(problems[1].code, "xx");
  EXPECT_THAT(problems[1].why, HasSubstr(CatalogueIn(folder_.Path(), "xx").string()));
  EXPECT_EQ(LanguageOf("xx"), std::nullopt);
  EXPECT_THAT(UnreadableCatalogue("xx"), HasSubstr("no .mo magic number"));
  EXPECT_EQ(UnreadableCatalogue("de"), "");
  // Italian keeps its number, in English words rather than none.
  EXPECT_EQ(LanguageList(), "it, en, de");
  EXPECT_EQ(LoadText(text::LocalNameFailed, LanguageItalian),
            "Unable to set the new name of the locale device.");
  EXPECT_EQ(LanguageName(LanguageItalian), "it");
}

TEST_F(CatalogueFolderTest, WithoutAFolderTheTextsAreEnglish) {
  EXPECT_TRUE(UseCatalogueFolder((folder_.Path() / "missing").string()).empty());
  EXPECT_EQ(LanguageList(), "it, en");
  EXPECT_EQ(LoadText(text::ChannelPrefix, LanguageItalian), "Channel");
  EXPECT_EQ(ExtraText(extra::NotLinked, LanguageItalian), "not linked");
}

TEST_F(CatalogueFolderTest, ATextTheCatalogueLacksComesInEnglishAndEmptyEntriesStayEmpty) {
  Add("de", Catalogue("Deutsch",
                      "msgctxt \"entry 6\"\n"
                      "msgid \"Unable to set the new name of the locale device.\"\n"
                      "msgstr \"Der neue Name wurde nicht gesetzt.\"\n"));
  ASSERT_TRUE(Use().empty());
  const int german = *LanguageOf("de");
  EXPECT_EQ(LoadText(text::LocalNameFailed, german), "Der neue Name wurde nicht gesetzt.");
  EXPECT_EQ(LoadText(text::LocalAddressFailed, german),
            "Unable to set the new address of the local device.");
  EXPECT_EQ(ExtraText(extra::NotLinked, german), "not linked");
  for (const int empty : {4, 15, 25, 35, 48, 61, 68, 77})
    for (const int language : {LanguageItalian, LanguageEnglish, german})
      EXPECT_EQ(LoadText(empty, language), "") << empty << " " << language;
}

TEST_F(CatalogueFolderTest, ALongTranslationArrivesCutAt254Characters) {
  std::string longText;
  for (int i = 0; i < 300; ++i) longText += "\xC3\xA0";  // à: one character, two bytes
  Add("de", Catalogue("Deutsch",
                      "msgctxt \"entry 7\"\nmsgid \"Can not reconnect the remote "
                      "device.\"\nmsgstr \"" +
                          longText + "\"\n"));
  ASSERT_TRUE(Use().empty());
  EXPECT_EQ(LoadText(text::ReconnectFailed, *LanguageOf("de")), longText.substr(0, 2 * 254));
}

struct LocaleCase {
  const char* name;
  LocaleVariables locale;
  std::string code;
};

class LocaleTest : public CatalogueFolderTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(LocaleTest, ChoosesAsGettextDoes) {
  for (const char* code : {"it", "de", "pt_BR", "sr@latin"}) Add(code, Catalogue(code));
  ASSERT_TRUE(Use().empty());
  EXPECT_EQ(LanguageCode(LanguageFromLocale(GetParam().locale)), GetParam().code);
}

// Fields: LANGUAGE, LC_ALL, LC_MESSAGES, LANG.
INSTANTIATE_TEST_SUITE_P(
    Languages, LocaleTest,
    ::testing::Values(
        LocaleCase{"NothingSet", {}, "en"}, LocaleCase{"Lang", {"", "", "", "it_IT.UTF-8"}, "it"},
        LocaleCase{"LcAllBeforeTheOthers", {"", "de_DE.UTF-8", "it_IT", "it_IT"}, "de"},
        LocaleCase{"LcMessagesBeforeLang", {"", "", "it_IT.UTF-8", "en_GB.UTF-8"}, "it"},
        LocaleCase{
            "LanguageListFirstWithACatalogue", {"fr:pt_BR:de", "", "", "de_DE.UTF-8"}, "pt_BR"},
        LocaleCase{"LanguageListBeforeTheLocale", {"de", "", "", "it_IT.UTF-8"}, "de"},
        LocaleCase{"LanguageListNoneAvailable", {"fr:es", "", "", "it_IT.UTF-8"}, "it"},
        // The C locale asks for the untranslated texts: LC_ALL=C is how scripts say so.
        LocaleCase{"CLocaleOverLanguage", {"it", "C", "", "it_IT.UTF-8"}, "en"},
        LocaleCase{"CUtf8IsTheCLocale", {"de", "", "", "C.UTF-8"}, "en"},
        LocaleCase{"LanguageWithoutALocale", {"it", "", "", ""}, "en"},
        LocaleCase{"CountryFallsBackToLanguage", {"", "", "", "de_AT.UTF-8"}, "de"},
        LocaleCase{"NoCatalogueForLanguage", {"", "", "", "pt_PT.UTF-8"}, "en"},
        LocaleCase{"VariantKept", {"", "", "", "sr_RS.UTF-8@latin"}, "sr@latin"},
        LocaleCase{"English", {"", "", "", "en_US.UTF-8"}, "en"}),
    RowName());

struct FolderCase {
  const char* name;
  std::string program;
  std::string catalogues;
};

class ProgramFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ProgramFolderTest, BuildTreeOrBesideTheInstalledPrograms) {
  const CataloguePlaces places{"/src/rukmox/build/debug", "/src/rukmox/build/debug/locale",
                               "../share/locale"};
  EXPECT_EQ(CatalogueFolder(GetParam().program, places), GetParam().catalogues);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, ProgramFolderTest,
    ::testing::Values(FolderCase{"InTheBuildTree", "/src/rukmox/build/debug/src/cli",
                                 "/src/rukmox/build/debug/locale"},
                      FolderCase{"Installed", "/opt/rukmox/bin", "/opt/rukmox/share/locale"},
                      FolderCase{"InstalledThroughADotDot", "/opt/rukmox/lib/../bin",
                                 "/opt/rukmox/share/locale"},
                      // A folder whose name only begins like the build tree's lies outside it.
                      FolderCase{"BesideTheBuildTree", "/src/rukmox/build/debug-old/bin",
                                 "/src/rukmox/build/debug-old/share/locale"}),
    RowName());

}  // namespace
}  // namespace rukmox
