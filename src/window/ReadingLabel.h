// A label whose text changes asks its layout to look again; inside the nested tab pages that
// request climbs to the outermost page, and every page on the way repaints itself whole. Labels
// that show readings many times a second (the poll tick's, the sweeps') get a size of their own,
// wide enough for any text of theirs, and the request stops at them.
#pragma once

#include <QLabel>
#include <QString>

namespace rukmox::window {

inline void FixReadingLabelSize(QLabel& label, const QString& widestText) {
  const QSize hint = label.sizeHint();
  const int margins = hint.width() - label.fontMetrics().horizontalAdvance(label.text());
  label.setFixedSize(label.fontMetrics().horizontalAdvance(widestText) + margins, hint.height());
}

}  // namespace rukmox::window
