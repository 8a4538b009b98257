// Qt's own words (the buttons of the message boxes, the file dialogs, the edit fields' context
// menu) in the window's language, from the translations that come with Qt. English is Qt's own
// language and needs none.
#pragma once

#include <QTranslator>
#include <memory>

namespace rukmox::window {

class QtTexts {
 public:
  QtTexts() = default;
  ~QtTexts();
  QtTexts(const QtTexts&) = delete;
  QtTexts& operator=(const QtTexts&) = delete;

  // Installs Qt's translation for `language` (Languages.h) in place of the one before; false when
  // Qt has none for it on this machine (Qt's words then stay English).
  bool Use(int language);

 private:
  std::unique_ptr<QTranslator> installed_;
};

}  // namespace rukmox::window
