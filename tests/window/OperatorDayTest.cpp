// What an operator hands on and keeps: the operations log (a change, a hop and an error, in the
// view and in its bounded file), the diagnostics block with both devices, Qt's own words in
// Italian, the keyboard back where it was after a menu, and what is remembered between runs.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "ConsolePage.h"
#include "MessageBoxSink.h"
#include "Remembered.h"
#include "ToolsWindow.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;
using rukmox::window::Remembered;
using rukmox::window::ToolsWindow;

namespace {

QString LogView(SimulatedWindow& w) {
  return w.Find<QPlainTextEdit>("ViewLog")->toPlainText();
}

}  // namespace

class OperatorDayTest : public QObject {
  Q_OBJECT

 private slots:
  void theLogHoldsAChangeAHopAndAnError() {
    QTemporaryDir state;
    SimulatedWindow w;
    QVERIFY(w.Start(Strong()));
    w.window->ImageLanguageClick(1);
    w.window->KeepLogIn(state.path());
    // A change.
    w.TypeAndEnter("EditNomeDongle", QStringLiteral("DESK-1"));
    // A hop: noise on the channel in use makes the module move the pair inside the next tick.
    Tick(w);
    w.sim->With([](World& world) { world.PinNoise(3, -60); });
    Tick(w);
    // An error: the dongle's name change gets no answer.
    w.SilenceNextReplies(12);
    w.TypeAndEnter("EditNomeDongle", QStringLiteral("DESK-2"));
    QVERIFY(!w.messages.messages.empty() && w.messages.messages.back().error);

    w.Find<QAction>("ActionOperationsLog")->trigger();
    QCOMPARE(w.window->Tools()->Tabs()->currentWidget()->objectName(), QStringLiteral("TabLog"));
    const QStringList lines = LogView(w).split('\n');
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "));
    for (const QString& line : lines) QVERIFY2(time.match(line).hasMatch(), qPrintable(line));
    const auto has = [&](const QString& part) {
      return std::any_of(lines.begin(), lines.end(),
                         [&](const QString& line) { return line.contains(part); });
    };
    QVERIFY2(has(QStringLiteral("Local device, Device Name \u2192 DESK-1")),
             qPrintable(lines.join('|')));
    const QRegularExpression hop(
        QStringLiteral("Channel 3 \u2192 \\d+: the link moved to a quieter channel"));
    QVERIFY2(std::any_of(lines.begin(), lines.end(),
                         [&](const QString& line) { return hop.match(line).hasMatch(); }),
             qPrintable(lines.join('|')));
    QVERIFY(w.Label("LabelStatus") != nullptr);
    QVERIFY2(has(QStringLiteral("Error: Unable to set the new name of the locale device. "
                                "(error word ")),
             qPrintable(lines.join('|')));
    // The file holds the same lines.
    QFile file(QDir(state.path()).filePath(QStringLiteral("operations.log")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()).trimmed(), LogView(w).trimmed());
  }

  void theLogNeverHoldsThePin() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->ImageLanguageClick(1);
    w.Edit("EditPin")->setText(QStringLiteral("7391"));
    w.window->ButtonChangePinClick();
    w.Find<QAction>("ActionOperationsLog")->trigger();
    QVERIFY2(LogView(w).contains(QStringLiteral("PIN of the local and remote devices")),
             qPrintable(LogView(w)));
    QVERIFY(!LogView(w).contains(QStringLiteral("7391")));
    QVERIFY(!w.window->Diagnostics().contains(QStringLiteral("7391")));
  }

  void theDiagnosticsHoldBothDevices() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->ImageLanguageClick(1);
    Tick(w);
    w.Find<QAction>("ActionCopyDiagnostics")->trigger();
    const QString text = QGuiApplication::clipboard()->text();
    QCOMPARE(text, w.window->Diagnostics());
    for (const QString& part :
         {QStringLiteral("Program: rukmox "), QStringLiteral(", Qt "),
          QStringLiteral("Dongle: ") + QString::fromStdString(w.sim->DonglePath()),
          QStringLiteral("Local device: version H"), QStringLiteral(", name RUKDONGLE, address "),
          QStringLiteral("Remote device: version H"), QStringLiteral(", name SENSOR-A, address "),
          QStringLiteral(", channel 3"), QStringLiteral("Link: linked, quality "),
          QStringLiteral("PIN: "), QStringLiteral("Last log lines:")})
      QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral(" in\n") + text));
  }

  void qtsOwnButtonsSpeakTheWindowsLanguage() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    const auto buttons = [] {
      auto box = rukmox::window::QuestionBox(nullptr, QStringLiteral("?"));
      return QStringList{box->button(QMessageBox::Yes)->text().remove('&'),
                         box->button(QMessageBox::No)->text().remove('&')};
    };
    QCOMPARE(buttons(), (QStringList{QStringLiteral("S\u00ec"), QStringLiteral("No")}));
    w.window->ImageLanguageClick(1);
    QCOMPARE(buttons(), (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    w.window->ImageLanguageClick(0);
    QCOMPARE(buttons(), (QStringList{QStringLiteral("S\u00ec"), QStringLiteral("No")}));
  }

  void closingAMenuGivesTheFocusBack() {
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    QVERIFY(w.ShowActive());
    QLineEdit* name = w.Edit("EditNomeMcu");
    name->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));
    auto* menu = w.Find<QMenu>("MenuTools");
    w.window->menuBar()->setActiveAction(menu->menuAction());
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));
    // The keyboard goes on where it was: typing reaches the field, the window stays open.
    const QString before = name->text();
    QTest::keyClick(QApplication::focusWidget(), 'x');
    QCOMPARE(name->text(), before + 'x');
    QVERIFY(w.window->isVisible());
  }

  void whatIsRememberedComesBackAtTheNextStart() {
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("rukmox.ini"));
    {
      Remembered remembered(store);
      SimulatedWindow w;
      QVERIFY(w.Start(Linked()));
      w.window->Remember(remembered);
      w.Find<QAction>("ActionConsole")->trigger();
      w.window->Tools()->setGeometry(QRect(120, 90, 1000, 640));
      w.Combo("ComboConsoleMode")->setCurrentIndex(1);
      w.Combo("ComboConsoleLineEnd")->setCurrentIndex(2);
      w.window->Tools()->close();
    }
    Remembered remembered(store);
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->Remember(remembered);
    ToolsWindow* tools = w.window->Tools();
    QCOMPARE(tools->Tabs()->currentWidget()->objectName(), QStringLiteral("TabConsole"));
    QCOMPARE(tools->size(), QSize(1000, 640));
    QCOMPARE(w.Combo("ComboConsoleMode")->currentIndex(), 1);
    QCOMPARE(w.Combo("ComboConsoleLineEnd")->currentIndex(), 2);
    // The language is not remembered: every start is Italian.
    QVERIFY(tools->windowTitle().contains(QStringLiteral("Strumenti")));
  }
};

QTEST_MAIN(OperatorDayTest)
#include "OperatorDayTest.moc"
