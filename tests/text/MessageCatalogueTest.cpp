#include "MessageCatalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "CatalogueFiles.h"
#include "NamedRows.h"

namespace rukmox {
namespace {

using rukmox::test::CompileCatalogue;
using rukmox::test::PoHeader;
using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using rukmox::test::ReadFile;
using rukmox::test::RowName;
using rukmox::test::TempFolder;
using ::testing::HasSubstr;

// Words alike in English with different translations, a message without context, one that
// begins with a no-break space, one left untranslated, one marked fuzzy and a plural one.
const std::string kMessages = PoHeader() + R"(
msgctxt "PinNone"
msgid "none"
msgstr "nessuno"

msgctxt "ConsoleNoLineEnd"
msgid "none"
msgstr "nessuna"

msgid "plain"
msgstr "semplice"

msgid "untranslated"
msgstr ""

#, fuzzy
msgid "unsure"
msgstr "incerto"

msgid "one file"
msgid_plural "%1 files"
msgstr[0] "un file"
msgstr[1] "%1 file"
)" + "msgctxt \"entry 28\"\nmsgid \"\u00A0remote devices.\"\nmsgstr \" dispositivi remoti.\"\n";

std::string Compiled(const std::string& po, const std::string& options = "--check") {
  TempFolder folder;
  const auto mo = folder.Path() / "test.mo";
  CompileCatalogue(po, mo, options);
  return ReadFile(mo);
}

class ByteOrderTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ByteOrderTest, FindsWhatMsgfmtWroteByContextAndEnglishText) {
  const std::string bytes = Compiled(kMessages, std::string("--endianness=") + GetParam());
  std::string why;
  const auto catalogue = MessageCatalogue::FromBytes(bytes, &why);
  ASSERT_TRUE(catalogue) << why;
  EXPECT_EQ(catalogue->Find("PinNone", "none"), "nessuno");
  EXPECT_EQ(catalogue->Find("ConsoleNoLineEnd", "none"), "nessuna");
  EXPECT_EQ(catalogue->Find("", "none"), std::nullopt);
  EXPECT_EQ(catalogue->Find("", "plain"), "semplice");
  EXPECT_EQ(catalogue->Find("PinNone", "plain"), std::nullopt);
  EXPECT_EQ(catalogue->Find("entry 28", "\u00A0remote devices."), " dispositivi remoti.");
  // msgfmt leaves out what no translator has finished; the reader must not make it empty text.
  EXPECT_EQ(catalogue->Find("", "untranslated"), std::nullopt);
  EXPECT_EQ(catalogue->Find("", "unsure"), std::nullopt);
  EXPECT_EQ(catalogue->Find("", "one file"), "un file");
  EXPECT_EQ(catalogue->Size(), 5u);
  EXPECT_EQ(catalogue->HeaderField("Content-Type"), "text/plain; charset=UTF-8");
  EXPECT_EQ(catalogue->HeaderField("Language"), "xx");
  EXPECT_EQ(catalogue->HeaderField("Lang"), "");
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ByteOrderTest, ::testing::Values("little", "big"),
                         [](const auto& info) { return std::string(info.param); });

// The little-endian 32-bit word at `offset`, as msgfmt writes on this machine.
std::uint32_t WordAt(const std::string& bytes, std::size_t offset) {
  std::uint32_t word = 0;
  for (int i = 3; i >= 0; --i)
    word = (word << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
  return word;
}

void SetWord(std::string& bytes, std::size_t offset, std::uint32_t word) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(word >> (8 * i));
}

// Offsets into the header of seven words and the two tables of (length, offset) descriptors.
constexpr std::size_t kRevision = 4;
constexpr std::size_t kCount = 8;
std::size_t Original(const std::string& bytes, std::size_t message) {
  return WordAt(bytes, 12) + 8 * message;
}
std::size_t Translation(const std::string& bytes, std::size_t message) {
  return WordAt(bytes, 16) + 8 * message;
}

struct DamageCase {
  const char* name;
  std::function<void(std::string&)> damage;
  std::string why;
};

class DamagedCatalogueTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedCatalogueTest, IsRefusedWholeWithTheReason) {
  std::string bytes = Compiled(kMessages);
  GetParam().damage(bytes);
  std::string why;
  EXPECT_FALSE(MessageCatalogue::FromBytes(bytes, &why));
  EXPECT_THAT(why, HasSubstr(GetParam().why));
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, DamagedCatalogueTest,
    ::testing::Values(
        DamageCase{"Empty", [](std::string& b) { b.clear(); }, "too short"},
        DamageCase{"NotACatalogue",
                   [](std::string& b) { b = "Project-Id-Version: a text file, not a catalogue"; },
                   "no .mo magic number"},
        DamageCase{"NewerRevision", [](std::string& b) { SetWord(b, kRevision, 0x20000); },
                   "revision 2.0"},
        DamageCase{"CountPastTheEnd", [](std::string& b) { SetWord(b, kCount, 0xFFFFFFFF); },
                   "reach past its end"},
        DamageCase{"StringPastTheEnd",
                   [](std::string& b) {
                     SetWord(b, Original(b, 1) + 4, static_cast<std::uint32_t>(b.size()));
                   },
                   "message 1 reaches past the end"},
        DamageCase{"HugeLength", [](std::string& b) { SetWord(b, Translation(b, 2), 0xFFFFFFFF); },
                   "message 2 reaches past the end"},
        DamageCase{"Truncated", [](std::string& b) { b.resize(b.size() - 4); },
                   "reaches past the end"},
        DamageCase{"TerminatorOverwritten",
                   [](std::string& b) {
                     const std::size_t d = Original(b, 1);
                     b[WordAt(b, d + 4) + WordAt(b, d)] = 'x';
                   },
                   "not terminated"},
        DamageCase{"TranslationNotUtf8",
                   [](std::string& b) { b[WordAt(b, Translation(b, 1) + 4)] = '\xFF'; },
                   "message 1 is not UTF-8"},
        DamageCase{"SameMessageTwice",
                   [](std::string& b) {
                     for (std::size_t i = 0; i < 8; ++i) {
                       b[Original(b, 2) + i] = b[Original(b, 1) + i];
                       b[Translation(b, 2) + i] = b[Translation(b, 1) + i];
                     }
                   },
                   "comes twice"}),
    RowName());

// The texts go to the window and the terminal as UTF-8; a catalogue in another character set
// would show garbage instead of its accented letters.
TEST(MessageCatalogueTest, ACatalogueInAnotherCharacterSetIsRefused) {
  const std::string po = PoHeader("ISO-8859-1") + "msgid \"Properties\"\nmsgstr \"Propriet\xE0\"\n";
  std::string why;
  EXPECT_FALSE(MessageCatalogue::FromBytes(Compiled(po), &why));
  EXPECT_THAT(why, HasSubstr("iso-8859-1"));
}

TEST(MessageCatalogueTest, FilesAreReadWholeOrRefusedWithTheirName) {
  TempFolder folder;
  const auto good = folder.Path() / "good.mo";
  CompileCatalogue(kMessages, good);
  std::string why;
  const auto catalogue = MessageCatalogue::FromFile(good.string(), &why);
  ASSERT_TRUE(catalogue) << why;
  EXPECT_EQ(catalogue->Find("", "plain"), "semplice");

  const auto missing = folder.Path() / "missing.mo";
  EXPECT_FALSE(MessageCatalogue::FromFile(missing.string(), &why));
  EXPECT_THAT(why, HasSubstr(missing.string()));

  EXPECT_FALSE(MessageCatalogue::FromFile(folder.Path().string(), &why));
  EXPECT_THAT(why, HasSubstr("is not a regular file"));

  // Read no further than the limit, whatever the file holds.
  const auto huge = folder.Path() / "huge.mo";
  rukmox::test::WriteFile(huge, "");
  std::filesystem::resize_file(huge, MessageCatalogue::kMaxFileSize + 1);
  EXPECT_FALSE(MessageCatalogue::FromFile(huge.string(), &why));
  EXPECT_THAT(why, HasSubstr("too large"));
}

}  // namespace
}  // namespace rukmox
