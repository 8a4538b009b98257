// The languages the programs speak. Every text is written in English where it is defined (the
// string table, the tool's own words, the help); English needs no catalogue. Every other language
// is a gettext catalogue compiled by the build: <folder>/<code>/LC_MESSAGES/rukmox.mo. A text a
// catalogue lacks comes in English.
//
// Languages are numbered as the string table numbers its blocks: 0 Italian, 1 English, then every
// other language with a catalogue, in the order of their codes. The program's main names the
// folder once at start; until then, and for Italian without a catalogue, the texts are English.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rukmox {

inline constexpr int LanguageItalian = 0;
inline constexpr int LanguageEnglish = 1;

// The name of the catalogues' files, without ".mo".
inline constexpr std::string_view kCatalogueDomain = "rukmox";

// What a catalogue knows a text by: the English text, and the context that tells apart texts
// English spells alike.
struct MessageKey {
  std::string_view context;
  std::string_view english;
};

struct CatalogueProblem {
  std::string code;  // the language whose catalogue it is
  std::string why;   // names the file
};

// Takes the catalogues in `folder` in place of any taken before; views of texts handed out until
// then are no longer valid. A catalogue that cannot be read is left out (its language with it,
// but for Italian, which is always there) and returned with the reason.
std::vector<CatalogueProblem> UseCatalogueFolder(const std::string& folder);

// Why the catalogue of `code` was left out at the last UseCatalogueFolder; empty when it was not.
std::string UnreadableCatalogue(std::string_view code);

int LanguageCount();
// "it", "en", "de", "pt_BR"...; empty for a number that is no language.
std::string LanguageCode(int language);
// The number of the language with exactly this code.
std::optional<int> LanguageOf(std::string_view code);
// The language's name for itself (entry 0 of the string table in it), else its code.
std::string LanguageName(int language);
// The codes of every language, in their order: "it, en, de".
std::string LanguageList();

// `english`, told apart by `context`, in `language`: the catalogue's translation, else `english`
// itself (also for a number that is no language). The view stays valid until the folder changes.
std::string_view Translate(int language, std::string_view context, std::string_view english);

// The locale variables as the program found them at start; empty when unset.
struct LocaleVariables {
  std::string language;    // LANGUAGE: a colon-separated list of preferences
  std::string lcAll;       // LC_ALL
  std::string lcMessages;  // LC_MESSAGES
  std::string lang;        // LANG
};

// The language the locale asks for, chosen as gettext chooses: the first of LC_ALL, LC_MESSAGES
// and LANG that is set names the locale; unless that is the C locale, which asks for the
// untranslated texts, LANGUAGE's entries come before it. Each is tried as "ll_CC@variant", "ll_CC",
// "ll@variant" and "ll". English when none names a language with a catalogue.
int LanguageFromLocale(const LocaleVariables& locale);

}  // namespace rukmox
