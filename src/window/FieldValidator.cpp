#include "FieldValidator.h"

namespace rukmox::window {

FieldValidator::FieldValidator(Accepts accepts, QObject* parent)
    : QValidator(parent), accepts_(accepts) {}

QValidator::State FieldValidator::validate(QString& input, int& pos) const {
  QString kept;
  kept.reserve(input.size());
  int keptBeforeCursor = 0;
  for (int i = 0; i < input.size(); ++i) {
    if (!accepts_(input[i].unicode())) continue;
    kept.append(input[i]);
    if (i < pos) ++keptBeforeCursor;
  }
  input = kept;
  pos = keptBeforeCursor;
  return Acceptable;
}

}  // namespace rukmox::window
