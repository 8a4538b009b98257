// How a page puts its words on its controls: a table of captions, each a string-table entry or
// one of the tool's own words, set on a control named in the table as its text (a group's title,
// a page's tab), its accessible name or its tool tip. Every page applies its table in the
// language shown, at the start and at each switch.
#pragma once

#include <QString>
#include <span>

#include "ExtraTexts.h"
#include "TextIds.h"

class QTabWidget;
class QWidget;

namespace rukmox::window {

struct Caption {
  enum class Role { Text, AccessibleName, ToolTip };

  constexpr Caption(const char* name, text::Id id, Role role = Role::Text)
      : control(name), tableId(id), role(role) {}
  constexpr Caption(const char* name, extra::Id word, Role role = Role::Text)
      : control(name), wordId(word), fromTable(false), role(role) {}

  const char* control;
  text::Id tableId = text::LanguageName;
  extra::Id wordId{};
  bool fromTable = true;
  Role role;
};

QString CaptionText(const Caption& caption, int language);

// The page control a page belongs to, or null.
QTabWidget* PageControlOf(QWidget* page);

// Sets `text` as the control's caption: a group's title, a button's or a label's text, the tab of
// a page in a page control.
void SetCaption(QWidget* control, const QString& text);

// Applies each caption to `page` itself or to its child of that name followed by `suffix`.
void ApplyCaptions(QWidget& page, std::span<const Caption> captions, int language,
                   const QString& suffix = QString());

}  // namespace rukmox::window
