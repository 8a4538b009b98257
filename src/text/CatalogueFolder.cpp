#include "CatalogueFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace rukmox {
namespace {

bool IsWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
  const auto [end, unused] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
  (void)unused;
  return end == outer.end();
}

// The path as the system resolves it, so that a link on the way does not hide the build tree.
std::filesystem::path Resolved(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::path(path).lexically_normal() : resolved;
}

}  // namespace

CataloguePlaces BuiltInCataloguePlaces() {
  return {RUKMOX_BUILD_TREE, RUKMOX_BUILD_LOCALE_DIR, RUKMOX_LOCALE_FROM_BINDIR};
}

std::string CatalogueFolder(const std::string& programFolder, const CataloguePlaces& places) {
  const std::filesystem::path program = Resolved(programFolder);
  if (!places.buildTree.empty() && IsWithin(program, Resolved(places.buildTree)))
    return places.buildCatalogues;
  return (program / places.installedFromProgram).lexically_normal().string();
}

}  // namespace rukmox
