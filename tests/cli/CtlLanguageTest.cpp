// The language rukmoxctl speaks: the locale's unless --lang says otherwise, from the catalogues
// of the build tree, of an installed tree, or of the folder RUKMOX_LOCALE_DIR names.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CtlFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using ::testing::HasSubstr;

namespace fs = std::filesystem;

const std::string kItalian = "Comando sconosciuto \"reboot\"";
const std::string kEnglish = "Unknown command \"reboot\"";

struct LocaleCase {
  const char* name;
  std::vector<std::string> environment;
  std::vector<std::string> options;
  std::string says;
};

class CtlLocaleTest : public CtlTest, public ::testing::WithParamInterface<LocaleCase> {};

// A usage error needs no device: the words alone show the language.
TEST_P(CtlLocaleTest, SpeaksTheLanguageTheLocaleOrLangChooses) {
  std::vector<std::string> args = GetParam().options;
  args.push_back("reboot");
  ChildOptions options;
  options.environment = GetParam().environment;
  const ChildResult r = RunCtlRaw(args, options);
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, CtlLocaleTest,
    ::testing::Values(
        LocaleCase{"NoLocaleIsEnglish", {}, {}, kEnglish},
        LocaleCase{"ItalianLocale", {"LANG=it_IT.UTF-8"}, {}, kItalian},
        LocaleCase{"LangOverridesTheLocale", {"LANG=it_IT.UTF-8"}, {"--lang", "en"}, kEnglish},
        LocaleCase{"LangWithEqualsSign", {}, {"--lang=it"}, kItalian},
        LocaleCase{"LanguageListBeforeLang", {"LANGUAGE=fr:it", "LANG=de_DE.UTF-8"}, {}, kItalian},
        // Scripts ask for the untranslated texts with LC_ALL=C.
        LocaleCase{
            "CLocaleIsEnglish", {"LANGUAGE=it", "LC_ALL=C", "LANG=it_IT.UTF-8"}, {}, kEnglish},
        LocaleCase{"LocaleWithoutCatalogueIsEnglish", {"LANG=de_DE.UTF-8"}, {}, kEnglish}),
    RowName());

TEST_F(CtlTest, HelpAndUsageErrorsInTheLanguageChosen) {
  const ChildResult help = RunCtlRaw({"--lang", "it", "scan", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("Uso: rukmoxctl scan [OPZIONI]"));
  EXPECT_THAT(help.out, HasSubstr("cerca dispositivi remoti sui canali da FIRST a LAST"));
  const ChildResult refused = RunCtlRaw({"--lang", "it", "channel", "16"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_THAT(refused.err, HasSubstr("deve essere un numero da 0 a 15, non \"16\""));
  EXPECT_THAT(refused.err, HasSubstr("Eseguire con --help per maggiori informazioni."));
}

// A folder of catalogues of the test's own: a copy of the build tree's, and what the test adds.
class CtlCatalogueFolderTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    char pattern[] = "/tmp/rukmox-locale-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fs::create_directories(Catalogues());
    fs::copy(RUKMOX_BUILD_LOCALE_DIR, Catalogues(), fs::copy_options::recursive);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  fs::path Catalogues() const { return folder_ / "share" / "locale"; }

  fs::path folder_;
};

TEST_F(CtlCatalogueFolderTest, ALanguageWhoseCatalogueCannotBeReadIsRefusedWithTheReason) {
  const fs::path broken = Catalogues() / "xx" / "LC_MESSAGES" / "rukmox.mo";
  fs::create_directories(broken.parent_path());
  std::ofstream(broken) << "This is a text file, not a message catalogue.";
  ChildOptions options;
  options.environment = {std::string("RUKMOX_LOCALE_DIR=").append(Catalogues().string())};

  const ChildResult unreadable = Ctl({"--lang", "xx", "info"}, options);
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_THAT(unreadable.err, HasSubstr(broken.string() + ": not a message catalogue"));
  const ChildResult unknown = Ctl({"--lang", "yy", "info"}, options);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("there is no catalogue for \"yy\"; the languages are it, en"));
  // The other languages are still there.
  EXPECT_EQ(Ctl({"--lang", "it", "channel"}, options).out, "Canale 3\n");
}

// Installed as <prefix>/bin/rukmoxctl, it finds <prefix>/share/locale, wherever the prefix is.
TEST_F(CtlCatalogueFolderTest, AnInstalledProgramFindsTheCataloguesBesideIt) {
  const fs::path program = folder_ / "bin" / "rukmoxctl";
  fs::create_directories(program.parent_path());
  fs::copy_file(RUKMOXCTL_PROGRAM, program);
  fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
  const ChildResult r = RunChild(program.string(), {"--lang", "it", "reboot"});
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, HasSubstr(kItalian));
}

}  // namespace
}  // namespace rukmox::test
