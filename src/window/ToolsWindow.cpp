#include "ToolsWindow.h"

#include <QKeyEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Remembered.h"
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

void ToolsWindow::Remember(Remembered& remembered) {
  remembered_ = nullptr;  // what is restored now is not written back
  const QByteArray geometry = remembered.ToolsGeometry();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  const QString tab = remembered.ToolsTab();
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->widget(i)->objectName() == tab) tabs_->setCurrentIndex(i);
  remembered_ = &remembered;
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (remembered_ != nullptr && index >= 0)
      remembered_->SetToolsTab(tabs_->widget(index)->objectName());
  });
}

void ToolsWindow::KeepGeometry() {
  if (remembered_ != nullptr) remembered_->SetToolsGeometry(saveGeometry());
}

void ToolsWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible()) KeepGeometry();
}

void ToolsWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) KeepGeometry();
}

void ToolsWindow::hideEvent(QHideEvent* event) {
  KeepGeometry();
  QWidget::hideEvent(event);
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
