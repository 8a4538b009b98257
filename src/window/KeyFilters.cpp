#include "KeyFilters.h"

#include <QKeyEvent>

#include "FieldText.h"

namespace rukmox::window {
namespace {

bool IsEditingKey(char16_t key) {
  return key == KeyBackspace || key == KeyEscape;
}

// Lets `key` through when `accept` holds for it, answers whether it was Enter.
template <typename Accept>
bool Filter(char16_t& key, Accept accept) {
  if (key == KeyEnter) return true;
  if (!IsEditingKey(key) && !accept(key)) key = KeyNone;
  return false;
}

}  // namespace

std::optional<char16_t> TypedCharacter(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
      return std::nullopt;
    default:
      break;
  }
  if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return std::nullopt;
  const QString text = key.text();
  if (text.isEmpty()) return std::nullopt;
  return text.size() == 1 ? text.at(0).unicode() : char16_t{0xFFFF};
}

bool NumericKey(char16_t& key) {
  return Filter(key, IsDigitCharacter);
}

bool NameKey(char16_t& key) {
  return Filter(key, IsNameCharacter);
}

}  // namespace rukmox::window
