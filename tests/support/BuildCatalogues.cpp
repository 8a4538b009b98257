// Linked into every test program: the texts come from the catalogues of the build tree, as they do
// for the programs run from it. Before any test runs, so that Italian is Italian everywhere.
#include "Languages.h"

namespace {

const bool kCataloguesTaken = [] {
  rukmox::UseCatalogueFolder(RUKMOX_BUILD_LOCALE_DIR);
  return true;
}();

}  // namespace
