#include "KeyFilters.h"

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

bool NumericKey(char16_t& key) {
  return Filter(key, IsDigitCharacter);
}

bool NameKey(char16_t& key) {
  return Filter(key, IsNameCharacter);
}

}  // namespace rukmox::window
