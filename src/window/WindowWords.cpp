#include "WindowWords.h"

namespace rukmox::window {

QString WindowTitle() {
  return QStringLiteral("Ruk Wireless Communication");
}

QString WordText(Word word, int language) {
  const std::string_view text = ExtraText(word, language);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace rukmox::window
