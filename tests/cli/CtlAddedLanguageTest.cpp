// A language added from the template with gettext's tools alone (text.AddLanguage builds it, every
// message marked "[xx] "): rukmoxctl speaks it with --lang, without a change to its code.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "CtlFixture.h"

namespace rukmox::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class CtlAddedLanguageTest : public CtlTest {
 protected:
  ChildResult InTheAddedLanguage(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "xx"});
    ChildOptions options;
    options.environment = {std::string("RUKMOX_LOCALE_DIR=") + RUKMOX_ADDED_LANGUAGE_CATALOGUES};
    return Ctl(args, options);
  }
};

TEST_F(CtlAddedLanguageTest, InfoShowsEveryCaptionInTheAddedLanguage) {
  const ChildResult r = InTheAddedLanguage({"info"});
  ASSERT_EQ(r.status, 0) << r.err;
  int captions = 0;
  for (const std::string& line : Lines(r.out)) {
    if (line.empty()) continue;
    const std::size_t caption = line.find_first_not_of(' ');
    EXPECT_EQ(line.substr(caption, 5), "[xx] ") << line;
    ++captions;
  }
  EXPECT_EQ(captions, 16);  // two headings, seven lines of the dongle, seven of the remote
  // The values the module holds are the module's; the words around them are the language's.
  EXPECT_THAT(r.out, HasSubstr("RUKDONGLE"));
  EXPECT_THAT(r.out, HasSubstr("[xx] default (0dBm), level 14"));
}

TEST_F(CtlAddedLanguageTest, HelpAndUsageErrorsInTheAddedLanguage) {
  const ChildResult help = InTheAddedLanguage({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("[xx] Usage: rukmoxctl [[xx] OPTIONS] [xx] COMMAND"));
  EXPECT_THAT(help.out, HasSubstr("it, en, xx"));
  const ChildResult refused = InTheAddedLanguage({"reboot"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_THAT(refused.err, StartsWith("[xx] Unknown command \"reboot\""));
}

}  // namespace
}  // namespace rukmox::test
