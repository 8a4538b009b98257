// The tools window: the Tools menu opens it on each tab, it grows and its charts and views grow
// with it while the main window keeps its fixed size; the range test's figures go to the
// clipboard, and the console clears, saves, stamps and calls back its lines.
#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include "ConsolePage.h"
#include "ToolsWindow.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::window::ToolsWindow;
using rukmox::window::TRukMoxFormLight;

namespace {

constexpr int kEchoWaitMs = 10000;

ToolsWindow* Tools(SimulatedWindow& w) {
  return w.window->Tools();
}

QString CurrentTab(SimulatedWindow& w) {
  return Tools(w)->Tabs()->currentWidget()->objectName();
}

// Lets the layouts follow a new size, as a window manager's resize would.
void ResizeTools(SimulatedWindow& w, QSize size) {
  Tools(w)->resize(size);
  QApplication::processEvents();
}

QString View(SimulatedWindow& w) {
  return w.Find<QPlainTextEdit>("ViewConsole")->toPlainText();
}

void StartConsole(SimulatedWindow& w) {
  w.window->ImageLanguageClick(1);
  w.Find<QAction>("ActionConsole")->trigger();
  w.Find<QAbstractButton>("ButtonConsole")->click();
  QVERIFY(w.window->ConsoleRunning());
}

// Sends a line and waits for its echo (the simulated host sends back what it gets).
void SendAndWaitForEcho(SimulatedWindow& w, const QString& line) {
  QLineEdit* edit = w.Edit("EditConsoleLine");
  edit->setText(line);
  // The line and its CR LF.
  const auto expected = w.window->ConsoleCounts().fromRemote + line.size() + 2;
  QTest::keyClick(edit, Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(w.window->ConsoleCounts().fromRemote >= expected, kEchoWaitMs);
}

}  // namespace

class ToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void eachMenuEntryOpensTheToolsWindowOnItsTab_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("caption");
    QTest::newRow("link history") << "ActionLinkHistory"
                                  << "TabHistory"
                                  << "Link history";
    QTest::newRow("range test") << "ActionRangeTest"
                                << "TabRange"
                                << "Range test";
    QTest::newRow("console") << "ActionConsole"
                             << "TabConsole"
                             << "Console";
  }
  void eachMenuEntryOpensTheToolsWindowOnItsTab() {
    QFETCH(QString, action);
    QFETCH(QString, tab);
    QFETCH(QString, caption);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->ImageLanguageClick(1);
    w.window->show();
    QVERIFY(!Tools(w)->isVisible());
    w.Find<QAction>(action.toLatin1().constData())->trigger();
    QVERIFY(Tools(w)->isVisible());
    QCOMPARE(CurrentTab(w), tab);
    QTabWidget* tabs = Tools(w)->Tabs();
    QCOMPARE(tabs->tabText(tabs->currentIndex()), caption);
    QVERIFY(Tools(w)->windowTitle().contains(QStringLiteral("Tools")));
    QVERIFY(Tools(w)->isWindow());
    // The pages are no longer in the main window's fixed form.
    QVERIFY(w.Find<QWidget>(tab.toLatin1().constData())->window() == Tools(w));
  }

  void theToolsWindowIsInItalianInTheItalianWindow() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(Tools(w)->windowTitle().contains(QStringLiteral("Strumenti")));
    w.window->ImageLanguageClick(1);
    QVERIFY(Tools(w)->windowTitle().contains(QStringLiteral("Tools")));
  }

  void theChartsAndTheViewGrowWithTheWindow_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("view");
    QTest::newRow("history chart") << "ActionLinkHistory"
                                   << "ChartHistory";
    QTest::newRow("range chart") << "ActionRangeTest"
                                 << "ChartRange";
    QTest::newRow("console view") << "ActionConsole"
                                  << "ViewConsole";
  }
  void theChartsAndTheViewGrowWithTheWindow() {
    QFETCH(QString, action);
    QFETCH(QString, view);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    const QSize mainSize = w.window->size();
    w.Find<QAction>(action.toLatin1().constData())->trigger();
    ResizeTools(w, QSize(640, 400));
    auto* shown = w.Find<QWidget>(view.toLatin1().constData());
    const QSize small = shown->size();
    ResizeTools(w, QSize(1280, 800));
    const QSize large = shown->size();
    QVERIFY2(large.width() >= small.width() + 500 && large.height() >= small.height() + 300,
             qPrintable(QStringLiteral("%1x%2 -> %3x%4")
                            .arg(small.width())
                            .arg(small.height())
                            .arg(large.width())
                            .arg(large.height())));
    // Maximised it takes what the screen has; the main window stays as it is.
    QVERIFY(Tools(w)->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(Tools(w)->minimumSize() != Tools(w)->maximumSize());
    Tools(w)->showMaximized();
    QTRY_VERIFY(Tools(w)->isMaximized());
    QCOMPARE(w.window->size(), mainSize);
    QCOMPARE(w.window->minimumSize(), w.window->maximumSize());
  }

  void escapeClosesTheToolsWindowAlone() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    w.Find<QAction>("ActionLinkHistory")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(Tools(w)));
    QTest::keyClick(w.Find<QWidget>("ButtonHistoryPause"), Qt::Key_Escape);
    QVERIFY(!Tools(w)->isVisible());
    QVERIFY(w.window->isVisible());
  }

  void copyPutsTheSummaryAndEveryPingOnTheClipboard() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->ImageLanguageClick(1);
    w.Find<QAction>("ActionRangeTest")->trigger();
    w.Find<QSpinBox>("SpinRangeCount")->setValue(4);
    w.window->ButtonRangeTestClick();
    QVERIFY(w.WaitForOperation());
    QGuiApplication::clipboard()->clear();
    w.Find<QAbstractButton>("ButtonRangeCopy")->click();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 5, qPrintable(lines.join('|')));
    QVERIFY(lines[0].startsWith(QStringLiteral("4 sent, 4 answered, 0 lost")));
    const QRegularExpression ping(QStringLiteral("^(\\d)/4 answered in [0-9.]+ ms"));
    int pings = 0;
    for (const QString& line : lines)
      if (auto match = ping.match(line); match.hasMatch())
        QCOMPARE(match.captured(1).toInt(), ++pings);
    QCOMPARE(pings, 4);
  }

  void theConsoleClearsSavesStampsAndRecalls() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    StartConsole(w);
    SendAndWaitForEcho(w, QStringLiteral("first"));
    w.Find<QCheckBox>("CheckConsoleTimestamps")->setChecked(true);
    SendAndWaitForEcho(w, QStringLiteral("second"));
    const QStringList lines = View(w).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("> first"));
    const QRegularExpression stamped(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\] "));
    QVERIFY(!stamped.match(lines.value(1)).hasMatch());
    QVERIFY2(stamped.match(lines.value(2)).hasMatch() && lines.value(2).endsWith("> second"),
             qPrintable(lines.join('|')));
    QVERIFY2(stamped.match(lines.value(3)).hasMatch(), qPrintable(lines.join(QChar(0x7C))));

    // Up calls back the lines sent, newest first; Down comes back to what was being typed.
    QLineEdit* edit = w.Edit("EditConsoleLine");
    edit->setText(QStringLiteral("typing"));
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("second"));
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("first"));
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("first"));
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->text(), QStringLiteral("typing"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("console.txt"));
    QVERIFY(w.window->findChild<rukmox::window::ConsolePage*>()->SaveText(path));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()).trimmed(), View(w).trimmed());

    w.Find<QAbstractButton>("ButtonConsoleClear")->click();
    QVERIFY(View(w).isEmpty());
    // A file that cannot be written is told, naming it.
    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/console.txt"));
    QVERIFY(!w.window->findChild<rukmox::window::ConsolePage*>()->SaveText(nowhere));
    QVERIFY(!w.messages.messages.empty() && w.messages.messages.back().error);
    QVERIFY(w.messages.messages.back().text.contains(nowhere));
  }
};

QTEST_MAIN(ToolsTest)
#include "ToolsTest.moc"
