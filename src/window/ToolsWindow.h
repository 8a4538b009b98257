// The tools window: a window of our own, beside the fixed main window, that holds what the main
// window has no room for (the link history, the range test, the data console and the operations
// log) as tabs. It can be resized and maximised, and its charts and views grow with it. It belongs
// to the main window: it closes with it, and Escape in it closes only the tools window.
#pragma once

#include <QWidget>

class QTabWidget;

namespace rukmox::window {

class Remembered;

class ToolsWindow : public QWidget {
  Q_OBJECT

 public:
  // The size it opens with the first time.
  static constexpr QSize kFirstSize{900, 560};

  explicit ToolsWindow(QWidget* owner);

  // Adds a page as the next tab; its caption comes from the page's own caption table.
  void AddPage(QWidget* page);
  // Shows the window on `page`'s tab and brings it to the front.
  void Open(QWidget* page);
  QTabWidget* Tabs() const { return tabs_; }
  void ApplyCaptions(int language);
  // Restores its size, place and tab from `remembered`, and keeps them there as they change.
  void Remember(Remembered& remembered);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void KeepGeometry();

  QTabWidget* tabs_ = nullptr;
  Remembered* remembered_ = nullptr;
};

}  // namespace rukmox::window
