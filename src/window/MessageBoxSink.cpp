#include "MessageBoxSink.h"

#include <QMessageBox>

#include "WindowWords.h"

namespace rukmox::window {
namespace {

void Show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, WindowTitle(), text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void MessageBoxSink::Error(const QString& text) {
  Show(parent_, QMessageBox::Critical, text);
}

void MessageBoxSink::Information(const QString& text) {
  Show(parent_, QMessageBox::Information, text);
}

std::unique_ptr<QMessageBox> QuestionBox(QWidget* parent, const QString& text) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, WindowTitle(), text,
                                           QMessageBox::Yes | QMessageBox::No, parent);
  box->setDefaultButton(QMessageBox::No);
  return box;
}

bool MessageBoxSink::Question(const QString& text) {
  return QuestionBox(parent_, text)->exec() == QMessageBox::Yes;
}

}  // namespace rukmox::window
