// Text that reaches a field other than by typing (pasting, dropping) passes the same filter as the
// keys: characters the field's key filter refuses are dropped, the rest are kept in order.
#pragma once

#include <QValidator>

namespace rukmox::window {

class FieldValidator : public QValidator {
 public:
  using Accepts = bool (*)(char32_t);
  FieldValidator(Accepts accepts, QObject* parent);

  State validate(QString& input, int& pos) const override;

 private:
  Accepts accepts_;
};

}  // namespace rukmox::window
