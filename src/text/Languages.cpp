#include "Languages.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "MessageCatalogue.h"
#include "StringTable.h"
#include "TextIds.h"

namespace rukmox {
namespace {

struct Language {
  std::string code;
  std::optional<MessageCatalogue> catalogue;
};

std::vector<CatalogueProblem>& Problems() {
  static std::vector<CatalogueProblem> problems;
  return problems;
}

// Italian and English hold the string table's block numbers whether or not a catalogue is found.
std::vector<Language>& Registry() {
  static std::vector<Language> languages = [] {
    std::vector<Language> builtIn(2);
    builtIn[LanguageItalian].code = "it";
    builtIn[LanguageEnglish].code = "en";
    return builtIn;
  }();
  return languages;
}

// Folder names that can be a language code: "de", "pt_BR", "sr@latin".
bool IsLanguageCode(std::string_view name) {
  if (name.empty() || name.front() == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '@' || c == '-' || c == '.';
  });
}

std::vector<std::string> SplitColons(std::string_view list) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) entries.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

// "ll_CC.codeset@variant" without its codeset, in the order gettext tries the forms.
std::vector<std::string> FormsOf(std::string_view locale) {
  std::string_view variant;
  if (const std::size_t at = locale.find('@'); at != std::string_view::npos) {
    variant = locale.substr(at);
    locale = locale.substr(0, at);
  }
  if (const std::size_t dot = locale.find('.'); dot != std::string_view::npos)
    locale = locale.substr(0, dot);
  std::vector<std::string> forms;
  const std::string_view language = locale.substr(0, locale.find('_'));
  for (const std::string_view base : {locale, language}) {
    if (!variant.empty()) forms.push_back(std::string(base) + std::string(variant));
    forms.emplace_back(base);
  }
  forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
  return forms;
}

bool IsCLocale(std::string_view locale) {
  return locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C." ||
         locale.substr(0, 2) == "C@";
}

}  // namespace

std::vector<CatalogueProblem> UseCatalogueFolder(const std::string& folder) {
  std::vector<Language>& languages = Registry();
  languages.resize(2);
  for (Language& language : languages) language.catalogue.reset();

  std::vector<CatalogueProblem>& problems = Problems();
  problems.clear();
  std::error_code error;
  std::vector<std::string> codes;
  // A folder that is missing or unreadable holds no catalogue; English and Italian remain.
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string code = entry->path().filename().string();
    if (IsLanguageCode(code)) codes.push_back(code);
  }
  std::sort(codes.begin(), codes.end());

  const std::string fileName = std::string(kCatalogueDomain) + ".mo";
  for (const std::string& code : codes) {
    const std::filesystem::path file =
        std::filesystem::path(folder) / code / "LC_MESSAGES" / fileName;
    if (!std::filesystem::exists(file, error)) continue;  // a folder of another program's
    std::string why;
    auto catalogue = MessageCatalogue::FromFile(file.string(), &why);
    if (!catalogue) {
      problems.push_back({code, why});
      continue;
    }
    if (const auto known = LanguageOf(code)) {
      languages[static_cast<std::size_t>(*known)].catalogue = std::move(catalogue);
    } else {
      languages.push_back({code, std::move(catalogue)});
    }
  }
  return problems;
}

std::string UnreadableCatalogue(std::string_view code) {
  for (const CatalogueProblem& problem : Problems())
    if (problem.code == code) return problem.why;
  return {};
}

int LanguageCount() {
  return static_cast<int>(Registry().size());
}

std::string LanguageCode(int language) {
  if (language < 0 || language >= LanguageCount()) return {};
  return Registry()[static_cast<std::size_t>(language)].code;
}

std::optional<int> LanguageOf(std::string_view code) {
  const std::vector<Language>& languages = Registry();
  for (std::size_t i = 0; i < languages.size(); ++i)
    if (languages[i].code == code) return static_cast<int>(i);
  return std::nullopt;
}

std::string LanguageName(int language) {
  if (language < 0 || language >= LanguageCount()) return {};
  const Language& entry = Registry()[static_cast<std::size_t>(language)];
  const MessageKey key = TextKey(text::LanguageName);
  if (entry.catalogue)
    if (const auto name = entry.catalogue->Find(key.context, key.english))
      return std::string(*name);
  // Without a name of its own a language would call itself "English".
  return language == LanguageEnglish ? std::string(key.english) : entry.code;
}

std::string LanguageList() {
  std::string list;
  for (const Language& language : Registry()) {
    if (!list.empty()) list += ", ";
    list += language.code;
  }
  return list;
}

std::string_view Translate(int language, std::string_view context, std::string_view english) {
  if (language < 0 || language >= LanguageCount()) return english;
  const Language& entry = Registry()[static_cast<std::size_t>(language)];
  if (!entry.catalogue) return english;
  return entry.catalogue->Find(context, english).value_or(english);
}

int LanguageFromLocale(const LocaleVariables& locale) {
  std::string_view named;
  for (const std::string* variable : {&locale.lcAll, &locale.lcMessages, &locale.lang}) {
    if (!variable->empty()) {
      named = *variable;
      break;
    }
  }
  if (named.empty() || IsCLocale(named)) return LanguageEnglish;
  std::vector<std::string> wishes = SplitColons(locale.language);
  wishes.emplace_back(named);
  for (const std::string& wish : wishes)
    for (const std::string& form : FormsOf(wish))
      if (const auto language = LanguageOf(form)) return *language;
  return LanguageEnglish;
}

}  // namespace rukmox
