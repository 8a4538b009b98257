// The Language menu: every language with a catalogue, each by its own name, so that an operator
// finds theirs whatever the window speaks now. Choosing one does what a flag's click does; the
// mark follows the language shown, whichever way it was chosen.
#pragma once

#include <QObject>

class QMenu;
class QMenuBar;

namespace rukmox::window {

class PageContext;

class LanguageMenu : public QObject {
  Q_OBJECT

 public:
  LanguageMenu(QMenuBar& bar, const PageContext& context, QObject* parent = nullptr);

  void ApplyCaptions(int language);
  void MarkChosen();  // the entry of the language shown
  QMenu* Menu() const { return menu_; }

 signals:
  void LanguageChosen(int language);

 private:
  const PageContext& context_;
  QMenu* menu_ = nullptr;
};

}  // namespace rukmox::window
