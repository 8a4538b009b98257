// The Language menu beside the flags, and the window in a language added from the template with
// gettext's tools alone (text.AddLanguage builds it, every message marked "[xx] ").
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <filesystem>

#include "Languages.h"
#include "MessageBoxSink.h"
#include "WindowFixture.h"

using namespace rukmox::window::test;

namespace {

QString PageCaption(QWidget* page) {
  auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
  return tabs->tabText(tabs->indexOf(page));
}

QStringList QuestionButtons() {
  auto box = rukmox::window::QuestionBox(nullptr, QStringLiteral("?"));
  return {box->button(QMessageBox::Yes)->text().remove('&'),
          box->button(QMessageBox::No)->text().remove('&')};
}

QStringList EntriesOf(const QMenu* menu) {
  QStringList entries;
  for (const QAction* action : menu->actions()) entries << action->text();
  return entries;
}

// Texts the window shows as they are in every language: values the module holds or the poll
// builds, and words the table leaves alone ("PIN", "Quality (0)", "Time: 0", the version "H0 -
// F0 - M0 - P0").
bool KeepsItsWordsInEveryLanguage(const QString& text) {
  static const QRegularExpression kFixed(
      QStringLiteral("^(PIN|Quality \\(-?\\d+\\)|Energy \\(-?\\d+\\)|Time: \\d+|"
                     "H\\d+ - F\\d+ - M\\d+ - P\\d+|[\\d\\s.,:%/()-]*)$"));
  return kFixed.match(text).hasMatch();
}

}  // namespace

class LanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { rukmox::UseCatalogueFolder(RUKMOX_BUILD_LOCALE_DIR); }

  void theMenuListsEachLanguageByItsOwnNameAndFollowsTheFlags() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    auto* menu = w.Find<QMenu>("MenuLanguage");
    QCOMPARE(menu->title(), QString("&Lingua"));
    QCOMPARE(EntriesOf(menu), (QStringList{"Italiano", "English"}));
    QVERIFY(w.Find<QAction>("ActionLanguage_it")->isChecked());

    w.Find<QAction>("ActionLanguage_en")->trigger();
    QCOMPARE(PageCaption(w.Find<QWidget>("TabDevices")),
             QString("Settings of the local/remote device"));
    QCOMPARE(menu->title(), QString("&Language"));
    QCOMPARE(EntriesOf(menu), (QStringList{"Italiano", "English"}));
    QVERIFY(w.Find<QAction>("ActionLanguage_en")->isChecked());

    // A flag moves the mark as the menu would.
    QTest::mouseClick(w.Find<QToolButton>("ImageIta"), Qt::LeftButton);
    QVERIFY(w.Find<QAction>("ActionLanguage_it")->isChecked());
    QVERIFY(!w.Find<QAction>("ActionLanguage_en")->isChecked());
    QCOMPARE(PageCaption(w.Find<QWidget>("TabDevices")),
             QString("Gestione dispositivo locale/remoto"));
  }

  void theMenuSitsBetweenTheToolsAndTheHelp() {
    SimulatedWindow w;
    w.StartWithoutDongle();
    QStringList menus;
    for (const QAction* entry : w.window->menuBar()->actions())
      menus << entry->menu()->objectName();
    QCOMPARE(menus, (QStringList{"MenuDongle", "MenuTools", "MenuLanguage", "MenuHelp"}));
  }

  // Qt's own words follow whatever language the menu chooses, where Qt has a translation for it;
  // where it has none they stay Qt's English.
  void qtsOwnWordsFollowEveryLanguageChosen() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const std::filesystem::path root = folder.path().toStdString();
    const std::filesystem::path added = RUKMOX_ADDED_LANGUAGE_CATALOGUES;
    // German from the marked catalogue: Qt has German, the window's words stay marked.
    for (auto [code, from] : std::initializer_list<std::pair<const char*, const char*>>{
             {"it", "it"}, {"xx", "xx"}, {"de", "xx"}}) {
      std::filesystem::create_directories(root / code / "LC_MESSAGES");
      std::filesystem::copy_file(added / from / "LC_MESSAGES" / "rukmox.mo",
                                 root / code / "LC_MESSAGES" / "rukmox.mo");
    }
    QVERIFY(rukmox::UseCatalogueFolder(root.string()).empty());
    SimulatedWindow w;
    w.StartWithoutDongle();
    QCOMPARE(QuestionButtons(), (QStringList{QStringLiteral("S\u00ec"), QStringLiteral("No")}));
    w.Find<QAction>("ActionLanguage_de")->trigger();
    QCOMPARE(QuestionButtons(), (QStringList{"Ja", "Nein"}));
    w.Find<QAction>("ActionLanguage_xx")->trigger();
    QCOMPARE(QuestionButtons(), (QStringList{"Yes", "No"}));
    w.Find<QAction>("ActionLanguage_it")->trigger();
    QCOMPARE(QuestionButtons(), (QStringList{QStringLiteral("S\u00ec"), QStringLiteral("No")}));
  }

  void anAddedLanguageCaptionsEveryControlAndFitsTheWindow() {
    QVERIFY(rukmox::UseCatalogueFolder(RUKMOX_ADDED_LANGUAGE_CATALOGUES).empty());
    SimulatedWindow w;
    QVERIFY(w.Start(Linked()));
    w.window->SetServiceMode(true);  // the programming groups and the delta-signal report too
    QVERIFY(w.ShowActive());
    auto* menu = w.Find<QMenu>("MenuLanguage");
    QCOMPARE(EntriesOf(menu), (QStringList{"Italiano", "English", "[xx] English"}));
    w.Find<QAction>("ActionLanguage_xx")->trigger();
    QVERIFY(w.Find<QAction>("ActionLanguage_xx")->isChecked());

    const QString mark = QStringLiteral("[xx] ");
    int captions = 0;
    const auto verify = [&](const QString& where, const QString& text) {
      if (text.isEmpty() || KeepsItsWordsInEveryLanguage(text)) return;
      ++captions;
      QVERIFY2(text.startsWith(mark), qPrintable(where + ": " + text));
    };
    // Hidden ones too (the scan's progress, the stop buttons): a control the captions miss keeps
    // the form's Italian.
    for (QLabel* label : w.window->findChildren<QLabel*>())
      verify(label->objectName(), label->text());
    for (QAbstractButton* button : w.window->findChildren<QAbstractButton*>())
      verify(button->objectName(), button->text());
    for (QGroupBox* group : w.window->findChildren<QGroupBox*>())
      verify(group->objectName(), group->title());
    for (QTabWidget* tabs : w.window->findChildren<QTabWidget*>())
      for (int page = 0; page < tabs->count(); ++page)
        verify(tabs->widget(page)->objectName(), tabs->tabText(page));
    auto* list = w.Find<QTableWidget>("ListDevice");
    for (int column = 0; column < list->columnCount(); ++column)
      verify(QStringLiteral("ListDevice column"), list->horizontalHeaderItem(column)->text());
    for (QAction* entry : w.window->menuBar()->actions()) {
      verify(entry->objectName(), entry->text());
      if (entry->menu() == menu) continue;  // the languages keep their own names
      for (QAction* action : entry->menu()->actions()) verify(action->objectName(), action->text());
    }
    QVERIFY2(captions > 30, qPrintable(QString::number(captions)));
    QVERIFY(w.Label("LabelStatus")
                ->text()
                .startsWith("[xx] Dongle in use: " + QString::fromStdString(w.sim->DonglePath())));

    // The window took its one size with every language in mind: the marked captions fit too,
    // and no page control hides a page's name behind scroll arrows.
    QCoreApplication::processEvents();
    for (QTabWidget* tabs : w.window->findChildren<QTabWidget*>())
      if (tabs->isVisible())
        QVERIFY2(tabs->tabBar()->width() >= tabs->tabBar()->sizeHint().width(),
                 qPrintable(tabs->objectName()));
    for (QWidget* control : w.window->findChildren<QWidget*>()) {
      const auto* button = qobject_cast<QAbstractButton*>(control);
      const auto* label = qobject_cast<QLabel*>(control);
      const QString text = button ? button->text() : label ? label->text() : QString();
      if (control->isVisible() && text.startsWith(mark))
        QVERIFY2(
            control->width() >= control->minimumSizeHint().width(),
            qPrintable(
                control->objectName() +
                QString(" %1 < %2").arg(control->width()).arg(control->minimumSizeHint().width())));
    }
  }

  void messagesComeInTheAddedLanguage() {
    QVERIFY(rukmox::UseCatalogueFolder(RUKMOX_ADDED_LANGUAGE_CATALOGUES).empty());
    SimulatedWindow w;
    QVERIFY(w.Start(DongleAlone()));
    QVERIFY(w.ShowActive());
    w.Timer()->stop();
    w.Find<QAction>("ActionLanguage_xx")->trigger();
    // The dongle stops answering; leaving its name field re-reads it.
    w.sim->With([](rukmox::sim::World& world) { world.dongle.silent = true; });
    w.Edit("EditNomeDongle")->setFocus();
    w.Combo("ComboPotenzaDongle")->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QCOMPARE(w.messages.messages.front().text,
             "[xx] Unable to load the parameters of the device. \n[xx] Error n. " +
                 QString::number(w.window->DeviceError()) + ".");
  }
};

QTEST_MAIN(LanguageTest)
#include "LanguageTest.moc"
