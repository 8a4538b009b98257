// The program's messages: a modal box titled like the window, with one OK button and the error or
// information icon (a question has Yes and No, No the default); the handler goes on once the
// operator has closed it.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "MessageSink.h"

class QMessageBox;

namespace rukmox::window {

// The question box, Yes and No in Qt's words for the language installed, No the default.
std::unique_ptr<QMessageBox> QuestionBox(QWidget* parent, const QString& text);

class MessageBoxSink : public MessageSink {
 public:
  // Boxes are centred on `parent` once it is set; before that (messages of the window's own
  // construction) on the screen.
  void SetParent(QWidget* parent) { parent_ = parent; }

  void Error(const QString& text) override;
  void Information(const QString& text) override;
  bool Question(const QString& text) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace rukmox::window
