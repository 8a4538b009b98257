// The Language menu: every language with a catalogue, each by its own name, so that an operator
// finds theirs whatever the window speaks now. Choosing one does what a flag's click does; the
// mark follows the language whichever way it was chosen.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "Languages.h"
#include "Rukmoxlight.h"
#include "WindowWords.h"

namespace rukmox::window {

void TRukMoxFormLight::BuildLanguageMenu() {
  languageMenu_ = menuBar()->addMenu(QString());
  languageMenu_->setObjectName(QStringLiteral("MenuLanguage"));
  auto* choices = new QActionGroup(languageMenu_);
  choices->setExclusive(true);
  for (int language = 0; language < LanguageCount(); ++language) {
    QAction* choice = languageMenu_->addAction(QString::fromStdString(LanguageName(language)));
    choice->setObjectName(QStringLiteral("ActionLanguage_") +
                          QString::fromStdString(LanguageCode(language)));
    choice->setCheckable(true);
    choice->setData(language);
    choices->addAction(choice);
    connect(choice, &QAction::triggered, this, [this, language] { ImageLanguageClick(language); });
  }
}

void TRukMoxFormLight::ApplyLanguageMenuCaptions(int language) {
  languageMenu_->setTitle(WordText(Word::LanguageMenu, language));
}

void TRukMoxFormLight::MarkLanguageChosen() {
  for (QAction* choice : languageMenu_->actions())
    choice->setChecked(choice->data().toInt() == Language);
}

}  // namespace rukmox::window
