// Where the window's operator messages go: modal boxes in the program, a record in the tests.
// Texts arrive complete, in the current language.
#pragma once

#include <QString>

namespace rukmox::window {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Error(const QString& text) = 0;
  virtual void Information(const QString& text) = 0;
  // A yes/no question; true for yes.
  virtual bool Question(const QString& text) = 0;
};

}  // namespace rukmox::window
