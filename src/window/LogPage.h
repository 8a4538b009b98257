// The operations log as the tools window shows it: every line so far, the newest at the bottom,
// to select and copy, or to copy or save whole as text.
#pragma once

#include <QWidget>
#include <memory>

#include "PageContext.h"

namespace Ui {
class LogPage;
}

namespace rukmox::window {

class LogPage : public QWidget {
  Q_OBJECT

 public:
  explicit LogPage(PageContext& context, QWidget* parent = nullptr);
  ~LogPage() override;

  void ApplyCaptions(int language);
  // The whole log as text, a line each.
  QString Text() const;

  // The handlers: copy the whole log, save it as text (false, after telling the operator, when
  // the file cannot be written).
  void Copy();
  void Save();
  bool SaveText(const QString& path);

 private:
  void Append(const std::string& line);

  PageContext& context_;
  std::unique_ptr<Ui::LogPage> form_;
};

}  // namespace rukmox::window
