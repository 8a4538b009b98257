#include "StringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "NamedRows.h"

namespace rukmox {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::RowName;

struct TextCase {
  const char* name;
  int id;
  int language;
  std::string expected;
};

class LoadTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(LoadTextTest, GivesTheEntryOfTheLanguageBlockByteForByte) {
  const TextCase& c = GetParam();
  EXPECT_EQ(LoadText(c.id, c.language), c.expected);
}

// Written out byte by byte on purpose: a trailing blank, the ellipsis or the no-break space that
// went missing in the table must show here.
INSTANTIATE_TEST_SUITE_P(
    Samples, LoadTextTest,
    ::testing::Values(
        TextCase{"ItalianLanguageName", 0, LanguageItalian, "Italiano"},
        TextCase{"EnglishLanguageName", 0, LanguageEnglish, "English"},
        TextCase{"ItalianLoadErrorKeepsTrailingBlank", 5, LanguageItalian,
                 "Impossibile caricare i parametri del dispositivo. \nErrore n. "},
        TextCase{"EnglishLoadErrorKeepsTrailingBlank", 5, LanguageEnglish,
                 "Unable to load the parameters of the device. \nError n. "},
        TextCase{"EnglishLocaleTypoKept", 6, LanguageEnglish,
                 "Unable to set the new name of the locale device."},
        TextCase{"ItalianRemoteLoadError", 10, LanguageItalian,
                 "Impossibile caricare i parametri del dispositivo remoto. \nErrore n. "},
        TextCase{"EnglishRemoteLoadError", 10, LanguageEnglish,
                 "Unable to load the parameters of the remote device. \nError n. "},
        TextCase{"ItalianPinChangeCode", 18, LanguageItalian,
                 "Impossibile cambiare il pin corrente. \nErrore: "},
        TextCase{"EnglishPinChangeCode", 18, LanguageEnglish,
                 "Unable to change the current pin. \nError: "},
        TextCase{"ItalianPinRemoveCode", 22, LanguageItalian,
                 "Impossibile rimuovere il pin corrente. \nErrore n. "},
        TextCase{"EnglishPinRemoveCode", 22, LanguageEnglish,
                 "Unable to remove the current pin. \nError n. "},
        TextCase{"ItalianChannelPrefixHasBlank", 26, LanguageItalian, "Canale "},
        TextCase{"EnglishChannelPrefixHasNone", 26, LanguageEnglish, "Channel"},
        TextCase{"ItalianFoundPrefix", 27, LanguageItalian, "Sono stati individuati "},
        TextCase{"EnglishFoundPrefix", 27, LanguageEnglish, "Have been identified "},
        TextCase{"ItalianFoundSuffixOrdinaryBlank", 28, LanguageItalian, " dispositivi remoti."},
        TextCase{"EnglishFoundSuffixNoBreakSpace", 28, LanguageEnglish,
                 "\xC2\xA0"
                 "remote devices."},
        TextCase{"ItalianNothingFoundTypoKept", 29, LanguageItalian,
                 "Nessun dispostivo remoto individuato."},
        TextCase{"ItalianEncryptionAccent", 38, LanguageItalian,
                 "Errata modalit\xC3\xA0 di criptatura."},
        TextCase{"ItalianRecordPrefix", 41, LanguageItalian,
                 "Errore nella programmazione del record n. "},
        TextCase{"EnglishRecordPrefix", 41, LanguageEnglish, "Programming error in the record n. "},
        TextCase{"EnglishMcuLocate", 47, LanguageEnglish,
                 "Unable to locate a mcu device to be programmed."},
        TextCase{"ItalianPropertiesAccent", 53, LanguageItalian, "Propriet\xC3\xA0"},
        TextCase{"ItalianBrowseEllipsis", 60, LanguageItalian, "Sfoglia\xE2\x80\xA6"},
        TextCase{"EnglishBrowseThreeDots", 60, LanguageEnglish, "Browse..."},
        TextCase{"LastItalian", 87, LanguageItalian, "Interrompi"},
        TextCase{"LastEnglish", 87, LanguageEnglish, "Stop"},
        TextCase{"EmptyEntryItalian", 4, LanguageItalian, ""},
        TextCase{"EmptyEntryEnglish", 35, LanguageEnglish, ""},
        TextCase{"NegativeId", -1, LanguageItalian, ""},
        TextCase{"IdOfTheEnglishBlockInItalian", 88, LanguageItalian, ""},
        TextCase{"IdPastBothBlocks", 88, LanguageEnglish, ""},
        TextCase{"HugeId", 1 << 30, LanguageEnglish, ""}, TextCase{"UnknownLanguage", 5, 2, ""},
        TextCase{"NegativeLanguage", 5, -1, ""}),
    RowName());

TEST(StringTableTest, BothBlocksHaveTheirEmptyEntriesInTheSamePlaces) {
  // A row lost or doubled in either block shifts every later text; the empty rows pin the layout.
  const std::set<int> empty = {4, 15, 25, 35, 48, 61, 68, 77};
  for (int id = 0; id < kTextBlockSize; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(TextEntry(id).empty(), empty.contains(id));
    EXPECT_EQ(TextEntry(id + kTextBlockSize).empty(), empty.contains(id));
  }
  EXPECT_EQ(TextEntry(kTextEntryCount), "");
  EXPECT_EQ(TextEntry(-1), "");
}

TEST(StringTableTest, EveryTextIsUtf8ThatCodePage1252CanHold) {
  // Beyond ASCII the texts use only à, the ellipsis and the no-break space.
  for (int entry = 0; entry < kTextEntryCount; ++entry) {
    std::string_view text = TextEntry(entry);
    for (std::size_t i = 0; i < text.size();) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (byte < 0x80) {
        ++i;
      } else if (text.substr(i, 2) == "\xC3\xA0" || text.substr(i, 2) == "\xC2\xA0") {
        i += 2;
      } else if (text.substr(i, 3) == "\xE2\x80\xA6") {
        i += 3;
      } else {
        ADD_FAILURE() << "entry " << entry << " has an unexpected byte at " << i;
        break;
      }
    }
  }
}

}  // namespace
}  // namespace rukmox
