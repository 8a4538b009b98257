// rukmoxctl. The environment is read here and nowhere below: where the catalogues are, and the
// locale, which chooses the language when --lang does not.
#include <cstdlib>
#include <iostream>
#include <string>

#include "CatalogueFolder.h"
#include "Languages.h"
#include "Rukmoxctl.h"
#include "platform/ProgramFile.h"

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = Variable("RUKMOX_LOCALE_DIR");
  rukmox::UseCatalogueFolder(!folder.empty()
                                 ? folder
                                 : rukmox::CatalogueFolder(rukmox::platform::ProgramFolder(),
                                                           rukmox::BuiltInCataloguePlaces()));
  const int language = rukmox::LanguageFromLocale(
      {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")});
  return rukmox::cli::RunRukmoxctl(argc, argv, std::cout, std::cerr, language);
}
