#include "QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "Languages.h"

namespace rukmox::window {

QtTexts::~QtTexts() {
  if (installed_) QCoreApplication::removeTranslator(installed_.get());
}

bool QtTexts::Use(int language) {
  if (installed_) {
    QCoreApplication::removeTranslator(installed_.get());
    installed_.reset();
  }
  if (language == LanguageEnglish) return true;
  const std::string code = LanguageCode(language);
  if (code.empty()) return false;
  // "qtbase_pt_BR" falls back to "qtbase_pt" on its own.
  auto translation = std::make_unique<QTranslator>();
  if (!translation->load(QStringLiteral("qtbase_") + QString::fromStdString(code),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  QCoreApplication::installTranslator(translation.get());
  installed_ = std::move(translation);
  return true;
}

}  // namespace rukmox::window
