// Where a program finds its catalogues: in the build tree when it runs from there, else where the
// installation put them beside it (<prefix>/share/locale for <prefix>/bin), so that an installed
// tree moved elsewhere still finds them.
#pragma once

#include <string>

namespace rukmox {

struct CataloguePlaces {
  std::string buildTree;             // the build tree the program was built in
  std::string buildCatalogues;       // its catalogue folder
  std::string installedFromProgram;  // the installed catalogue folder, from the programs' folder
};

// The places of this build.
CataloguePlaces BuiltInCataloguePlaces();

// The catalogue folder for a program in `programFolder` (absolute).
std::string CatalogueFolder(const std::string& programFolder, const CataloguePlaces& places);

}  // namespace rukmox
