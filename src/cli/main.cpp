// rukmoxctl. The environment is read here and nowhere below: where the catalogues are.
#include <cstdlib>
#include <iostream>
#include <string>

#include "CatalogueFolder.h"
#include "Languages.h"
#include "Rukmoxctl.h"
#include "platform/ProgramFile.h"

int main(int argc, char** argv) {
  const char* folder = std::getenv("RUKMOX_LOCALE_DIR");
  rukmox::UseCatalogueFolder(folder != nullptr && *folder != '\0'
                                 ? std::string(folder)
                                 : rukmox::CatalogueFolder(rukmox::platform::ProgramFolder(),
                                                           rukmox::BuiltInCataloguePlaces()));
  return rukmox::cli::RunRukmoxctl(argc, argv, std::cout, std::cerr);
}
