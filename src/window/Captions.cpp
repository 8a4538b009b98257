#include "Captions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

#include "StringTable.h"
#include "WindowWords.h"

namespace rukmox::window {
QTabWidget* PageControlOf(QWidget* page) {
  // A page's parent is the page control's stack.
  QWidget* stack = page->parentWidget();
  auto* tabs = stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  return tabs != nullptr && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

QString CaptionText(const Caption& caption, int language) {
  if (caption.fromTable) return QString::fromStdString(rukmox::LoadText(caption.tableId, language));
  return WordText(caption.wordId, language);
}

void SetCaption(QWidget* control, const QString& text) {
  if (auto* group = qobject_cast<QGroupBox*>(control))
    group->setTitle(text);
  else if (auto* button = qobject_cast<QAbstractButton*>(control))
    button->setText(text);
  else if (auto* label = qobject_cast<QLabel*>(control))
    label->setText(text);
  else if (QTabWidget* tabs = PageControlOf(control))
    tabs->setTabText(tabs->indexOf(control), text);
}

void ApplyCaptions(QWidget& page, std::span<const Caption> captions, int language,
                   const QString& suffix) {
  for (const Caption& caption : captions) {
    const QString name = QString::fromLatin1(caption.control) + suffix;
    QWidget* control = page.objectName() == name ? &page : page.findChild<QWidget*>(name);
    if (control == nullptr) continue;
    const QString text = CaptionText(caption, language);
    switch (caption.role) {
      case Caption::Role::Text:
        SetCaption(control, text);
        break;
      case Caption::Role::AccessibleName:
        control->setAccessibleName(text);
        break;
      case Caption::Role::ToolTip:
        control->setToolTip(text);
        break;
    }
  }
}

}  // namespace rukmox::window
