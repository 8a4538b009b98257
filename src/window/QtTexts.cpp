#include "QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace rukmox::window {

QtTexts::~QtTexts() {
  if (installed_) QCoreApplication::removeTranslator(installed_.get());
}

bool QtTexts::Use(int language) {
  if (installed_) {
    QCoreApplication::removeTranslator(installed_.get());
    installed_.reset();
  }
  if (language != 0) return true;
  auto italian = std::make_unique<QTranslator>();
  if (!italian->load(QStringLiteral("qtbase_it"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  QCoreApplication::installTranslator(italian.get());
  installed_ = std::move(italian);
  return true;
}

}  // namespace rukmox::window
