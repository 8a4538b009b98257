#include "WindowWords.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rukmox::window {

QString WindowTitle() {
  return QStringLiteral("Ruk Wireless Communication");
}

QString WordText(Word word, int language) {
  const std::string_view text = ExtraText(word, language);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString WordText(Word word, int language, std::initializer_list<QString> values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const QString& value : values) texts.push_back(value.toStdString());
  std::vector<std::string_view> views(texts.begin(), texts.end());
  return QString::fromStdString(
      FillIn(ExtraText(word, language), std::span<const std::string_view>(views)));
}

}  // namespace rukmox::window
