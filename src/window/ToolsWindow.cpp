#include "ToolsWindow.h"

#include <QKeyEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "WindowWords.h"

namespace rukmox::window {

ToolsWindow::ToolsWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("ToolsWindow"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("ToolsTabs"));
  layout->addWidget(tabs_);
  resize(kFirstSize);
}

void ToolsWindow::AddPage(QWidget* page) {
  tabs_->addTab(page, QString());
}

void ToolsWindow::Open(QWidget* page) {
  if (tabs_->indexOf(page) >= 0) tabs_->setCurrentWidget(page);
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void ToolsWindow::ApplyCaptions(int language) {
  const QString title = WordText(Word::ToolsTitle, language);
  setWindowTitle(title);
  setAccessibleName(title);
  tabs_->setAccessibleName(title);
}

void ToolsWindow::keyPressEvent(QKeyEvent* event) {
  // Escape closes this window, never the main one.
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace rukmox::window
