// rukmoxctl. The environment is read here and nowhere below: where the catalogues are, and the
// locale, which chooses the language when --lang does not.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "CatalogueFolder.h"
#include "ExtraTexts.h"
#include "Languages.h"
#include "Rukmoxctl.h"
#include "platform/ProgramFile.h"
#include "platform/StandardStreams.h"

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything is opened: a dongle must never become our standard output.
  rukmox::platform::TakeClosedStandardStreams();
  const std::string folder = Variable("RUKMOX_LOCALE_DIR");
  rukmox::UseCatalogueFolder(!folder.empty()
                                 ? folder
                                 : rukmox::CatalogueFolder(rukmox::platform::ProgramFolder(),
                                                           rukmox::BuiltInCataloguePlaces()));
  const int language = rukmox::LanguageFromLocale(
      {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")});
  const int status = rukmox::cli::RunRukmoxctl(argc, argv, std::cout, std::cerr, language);
  // Everything was flushed and checked by now; only the close itself can still fail.
  if (std::fclose(stdout) != 0 && status == 0) {
    const std::string why = rukmox::FillIn(
        rukmox::ExtraText(rukmox::extra::OutputUnwritable, language), {std::strerror(errno)});
    std::fprintf(stderr, "rukmoxctl: %s\n", why.c_str());
    return 1;
  }
  return status;
}
