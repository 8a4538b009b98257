#include "LanguageMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "Languages.h"
#include "PageContext.h"
#include "WindowWords.h"

namespace rukmox::window {

LanguageMenu::LanguageMenu(QMenuBar& bar, const PageContext& context, QObject* parent)
    : QObject(parent), context_(context), menu_(bar.addMenu(QString())) {
  menu_->setObjectName(QStringLiteral("MenuLanguage"));
  auto* choices = new QActionGroup(menu_);
  choices->setExclusive(true);
  for (int language = 0; language < LanguageCount(); ++language) {
    QAction* choice = menu_->addAction(QString::fromStdString(LanguageName(language)));
    choice->setObjectName(QStringLiteral("ActionLanguage_") +
                          QString::fromStdString(LanguageCode(language)));
    choice->setCheckable(true);
    choice->setData(language);
    choices->addAction(choice);
    connect(choice, &QAction::triggered, this, [this, language] { emit LanguageChosen(language); });
  }
}

void LanguageMenu::ApplyCaptions(int language) {
  menu_->setTitle(WordText(Word::LanguageMenu, language));
}

void LanguageMenu::MarkChosen() {
  for (QAction* choice : menu_->actions())
    choice->setChecked(choice->data().toInt() == context_.Language());
}

}  // namespace rukmox::window
