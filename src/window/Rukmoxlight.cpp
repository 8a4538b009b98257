#include "Rukmoxlight.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <array>
#include <map>

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSysInfo>
#include "Captions.h"
#include "ConsolePage.h"
#include "DevicePanel.h"
#include "Diagnostics.h"
#include "LanguageMenu.h"
#include "Languages.h"
#include "LinkHistoryPage.h"
#include "LinkMonitorPage.h"
#include "LogPage.h"
#include "NetworkPage.h"
#include "PageContext.h"
#include "PinPage.h"
#include "ProfileActions.h"
#include "QtTexts.h"
#include "RangeTestPage.h"
#include "SpectrumPage.h"
#include "StringTable.h"
#include "ToolsWindow.h"
#include "WindowWords.h"
#include "ui_Rukmoxlight.h"

// The artwork lives in this static library; a program linking it must register it explicitly.
static void InitArtwork() {
  Q_INIT_RESOURCE(Artwork);
}

namespace rukmox::window {
namespace {

constexpr int kPollIntervalMs = std::chrono::milliseconds(workflow::PollInterval).count();

// The captions of the window's own frames; each page has its own.
constexpr std::array<Caption, 3> kCaptions = {{
    {"TabDevices", text::TabDevicesCaption},
    {"TabSettingsDongle", text::LocalDeviceCaption},
    {"TabSettingsMcu", text::RemoteDeviceCaption},
}};

}  // namespace

TRukMoxFormLight::TRukMoxFormLight(const ModuleMaker& makeModule, MessageSink& messages,
                                   DonglePlace place, QWidget* parent)
    : QMainWindow(parent),
      messages_(messages),
      place_(std::move(place)),
      form_(std::make_unique<Ui::RukMoxFormLight>()),
      qtTexts_(std::make_unique<QtTexts>()) {
  InitArtwork();
  form_->setupUi(this);
  setWindowTitle(WindowTitle());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  TimerUpdate = new QTimer(this);
  TimerUpdate->setObjectName(QStringLiteral("TimerUpdate"));
  TimerUpdate->setSingleShot(true);  // each tick starts the next one when it ends
  TimerUpdate->setInterval(kPollIntervalMs);
  connect(TimerUpdate, &QTimer::timeout, this, &TRukMoxFormLight::TimerUpdateTimer);
  stepTimer_ = new QTimer(this);
  stepTimer_->setObjectName(QStringLiteral("TimerOperation"));
  stepTimer_->setSingleShot(true);
  connect(stepTimer_, &QTimer::timeout, this, [this] { session_->StepOperation(); });
  statusLabel_ = new QLabel(form_->StatusLine);
  statusLabel_->setObjectName(QStringLiteral("LabelStatus"));
  statusLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  form_->StatusLine->addWidget(statusLabel_, 1);

  session_ = std::make_unique<workflow::DeviceSession>(makeModule,
                                                       static_cast<workflow::SessionFace&>(*this));
  session_->Log().Add(
      WordText(Word::LogStarted, 0, {QStringLiteral(RUKMOX_VERSION), DongleWhere()}).toStdString());
  context_ = std::make_unique<PageContext>(*session_, messages_, lock_);
  BuildPages();
  BuildMenus();
  {
    // The only attempt to reach the dongle, but for the operator's Reconnect and the programming
    // jobs; the poll timer starts when it has ended.
    const workflow::DeviceSession::Exchange start(*session_);
    if (!session_->IsOpen()) session_->Open();
    LoadLocal();
    LoadRemote();
  }
  FixSizeAndCentre();
  context_->SetLanguage(0);  // Italian
  ApplyLanguage();
  // Escape anywhere in the window reaches the window before the control that has the focus.
  qApp->installEventFilter(this);
}

TRukMoxFormLight::~TRukMoxFormLight() {
  qApp->removeEventFilter(this);
  // The pages go with the window's widgets, after this: what their removal signals is not ours.
  disconnect(form_->PageControl, nullptr, this, nullptr);
  // The operation goes before its page; the module is closed and released. The log page goes
  // after the session's log: it no longer listens.
  session_->Log().SetListener(nullptr);
  session_.reset();
}

void TRukMoxFormLight::BuildPages() {
  PageContext& context = *context_;
  Ui::RukMoxFormLight& f = *form_;
  using workflow::ProgrammingTarget;
  localPanel_ = new DevicePanel(DevicePanel::Device::Local, context, f.TabSettingsDongle);
  dongleProgramming_ =
      new ProgrammingGroup(ProgrammingTarget::Dongle, context, f.TabSettingsDongle);
  remotePanel_ = new DevicePanel(DevicePanel::Device::Remote, context, f.TabSettingsMcu);
  mcuProgramming_ = new ProgrammingGroup(ProgrammingTarget::Mcu, context, f.TabSettingsMcu);
  f.DongleLayout->addWidget(localPanel_);
  f.DongleLayout->addWidget(dongleProgramming_);
  f.McuLayout->addWidget(remotePanel_);
  f.McuLayout->addWidget(mcuProgramming_);

  linkPage_ = new LinkMonitorPage(context);
  historyPage_ = new LinkHistoryPage(context);
  rangePage_ = new RangeTestPage(context);
  consolePage_ = new ConsolePage(context);
  f.PageLink->addTab(linkPage_, QString());
  // What the fixed window has no room for lives in the tools window.
  tools_ = new ToolsWindow(this);
  logPage_ = new LogPage(context);
  for (QWidget* page :
       std::initializer_list<QWidget*>{historyPage_, rangePage_, consolePage_, logPage_})
    tools_->AddPage(page);
  pinPage_ = new PinPage(context);
  f.PagePin->addTab(pinPage_, QString());
  networkPage_ = new NetworkPage(context);
  spectrumPage_ = new SpectrumPage(context);
  f.PageControl->addTab(networkPage_, QString());
  f.PageControl->addTab(spectrumPage_, QString());
  profiles_ = new ProfileActions(context, this);

  // The keyboard goes through the panels in their order.
  for (auto [from, to] :
       std::initializer_list<std::pair<QWidget*, QWidget*>>{{localPanel_, dongleProgramming_},
                                                            {dongleProgramming_, remotePanel_},
                                                            {remotePanel_, mcuProgramming_}})
    setTabOrder(from, to);

  // What one page changes on a device, the others show.
  const auto follow = [this](auto* page) {
    connect(page, &std::remove_pointer_t<decltype(page)>::ReadAgain, this,
            [this](ReRead devices) { ReadAgain(devices); });
  };
  follow(localPanel_);
  follow(remotePanel_);
  follow(dongleProgramming_);
  follow(mcuProgramming_);
  follow(linkPage_);
  follow(pinPage_);
  follow(networkPage_);
  follow(profiles_);
  for (ProgrammingGroup* group : {dongleProgramming_, mcuProgramming_}) {
    connect(group, &ProgrammingGroup::DevicesReleased, this,
            [this](ReRead devices) { Release(devices); });
    connect(group, &ProgrammingGroup::Progressed, this, &TRukMoxFormLight::ProgrammingProgress);
  }
  connect(linkPage_, &LinkMonitorPage::LanguageChosen, this, &TRukMoxFormLight::ImageLanguageClick);
  connect(f.PageControl, &QTabWidget::currentChanged, this, [this](int index) {
    if (form_->PageControl->widget(index) == networkPage_) TabScansioneShow();
  });
  connect(spectrumPage_, &SpectrumPage::SweepDrawn, this, &TRukMoxFormLight::SweepDrawn);
  connect(rangePage_, &RangeTestPage::StepShown, this, &TRukMoxFormLight::RangeStepShown);
  connect(consolePage_, &ConsolePage::Received, this, &TRukMoxFormLight::ConsoleReceived);
}

void TRukMoxFormLight::BuildMenus() {
  QMenu* menu = menuBar()->addMenu(QString());
  menu->setObjectName(QStringLiteral("MenuDongle"));
  reconnectAction_ = menu->addAction(QString());
  reconnectAction_->setObjectName(QStringLiteral("ActionReconnect"));
  reconnectAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  reconnectAction_->setShortcutContext(Qt::WindowShortcut);
  connect(reconnectAction_, &QAction::triggered, this, &TRukMoxFormLight::Reconnect);
  menu->addSeparator();
  saveProfileAction_ = menu->addAction(QString());
  saveProfileAction_->setObjectName(QStringLiteral("ActionSaveProfile"));
  connect(saveProfileAction_, &QAction::triggered, this, [this] { profiles_->AskAndSave(this); });
  applyProfileAction_ = menu->addAction(QString());
  applyProfileAction_->setObjectName(QStringLiteral("ActionApplyProfile"));
  connect(applyProfileAction_, &QAction::triggered, this, [this] { profiles_->AskAndApply(this); });
  // Reopening the module or changing it under a running operation would pull it from under it.
  lock_.Add(reconnectAction_);
  lock_.Add(applyProfileAction_);

  QMenu* tools = menuBar()->addMenu(QString());
  tools->setObjectName(QStringLiteral("MenuTools"));
  for (auto [name, page] :
       std::initializer_list<std::pair<const char*, QWidget*>>{{"ActionLinkHistory", historyPage_},
                                                               {"ActionRangeTest", rangePage_},
                                                               {"ActionConsole", consolePage_},
                                                               {"ActionOperationsLog", logPage_}}) {
    QAction* action = tools->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, page] { tools_->Open(page); });
  }

  // The languages between the tools and the help, where the operator finds them in any language.
  languageMenu_ = new LanguageMenu(*menuBar(), *context_, this);
  connect(languageMenu_, &LanguageMenu::LanguageChosen, this,
          &TRukMoxFormLight::ImageLanguageClick);

  QMenu* help = menuBar()->addMenu(QString());
  help->setObjectName(QStringLiteral("MenuHelp"));
  QAction* diagnostics = help->addAction(QString());
  diagnostics->setObjectName(QStringLiteral("ActionCopyDiagnostics"));
  connect(diagnostics, &QAction::triggered, this, &TRukMoxFormLight::CopyDiagnostics);
  QAction* about = help->addAction(QString());
  about->setObjectName(QStringLiteral("ActionAbout"));
  connect(about, &QAction::triggered, this, &TRukMoxFormLight::About);
  for (QMenu* each : {menu, tools, languageMenu_->Menu(), help}) KeepFocusAround(each);

  serviceModeAction_ = new QAction(this);
  serviceModeAction_->setObjectName(QStringLiteral("ActionServiceMode"));
  serviceModeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  serviceModeAction_->setShortcutContext(Qt::WindowShortcut);
  addAction(serviceModeAction_);  // a shortcut only: no menu offers it to the operator
  connect(serviceModeAction_, &QAction::triggered, this, [this] { SetServiceMode(!serviceMode_); });
}

void TRukMoxFormLight::KeepFocusAround(QMenu* menu) {
  connect(menu, &QMenu::aboutToShow, this, [this] {
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus->window() == this && focus != menuBar()) focusBeforeMenu_ = focus;
  });
  connect(menu, &QMenu::aboutToHide, this, [this] {
    // After the menu has gone (and an action chosen in it has run), unless the keyboard has found
    // a control of its own meanwhile.
    QTimer::singleShot(0, this, [this] {
      QWidget* focus = QApplication::focusWidget();
      const bool lost = focus == nullptr || focus == menuBar() || focus == this;
      if (!lost || !focusBeforeMenu_ || !focusBeforeMenu_->isEnabled() ||
          !focusBeforeMenu_->isVisible() || QApplication::activeModalWidget() != nullptr)
        return;
      activateWindow();
      focusBeforeMenu_->setFocus(Qt::OtherFocusReason);
    });
  });
}

void TRukMoxFormLight::FixSizeAndCentre() {
  FitToContents();
  const QSize size = this->size();
  if (QScreen* display = screen())
    move(display->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}

void TRukMoxFormLight::FitToContents() {
  // Large enough for the captions of every language, so a switch never squeezes a control.
  ensurePolished();
  linkPage_->FixReadingSizes();
  spectrumPage_->FixReadingSizes();
  const auto applyEverywhere = [this](int language) {
    ApplyCaptions(language);
    // Before the first show no layout passes a new caption's size up by itself.
    for (QWidget* control : findChildren<QWidget*>()) control->updateGeometry();
    for (QLayout* layout : findChildren<QLayout*>()) layout->invalidate();  // pages added late
  };
  // A page control shows scroll arrows rather than ask for the room of its captions: it gets the
  // room of its longest tabs first, so that a long language does not hide a page's name.
  std::map<QTabWidget*, int> tabWidths;
  for (int language = 0; language < LanguageCount(); ++language) {
    applyEverywhere(language);
    for (QTabWidget* tabs : findChildren<QTabWidget*>()) {
      int& width = tabWidths[tabs];
      width = std::max(width, tabs->tabBar()->sizeHint().width());
    }
  }
  for (const auto& [tabs, width] : tabWidths) tabs->setMinimumWidth(width);
  QSize size;
  for (int language = 0; language < LanguageCount(); ++language) {
    applyEverywhere(language);
    size = size.expandedTo(sizeHint());
  }
  setFixedSize(size);
}

void TRukMoxFormLight::ApplyLanguage() {
  ApplyCaptions(context_->Language());
  languageMenu_->MarkChosen();
  qtTexts_->Use(context_->Language());
  session_->SetLogLanguage(context_->Language());
  // The status line is ours, not the table's; it follows the language all the same.
  ShowStatusLine();
}

void TRukMoxFormLight::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
  localPanel_->ApplyCaptions(language);
  remotePanel_->ApplyCaptions(language);
  dongleProgramming_->ApplyCaptions(language);
  mcuProgramming_->ApplyCaptions(language);
  linkPage_->ApplyCaptions(language);
  historyPage_->ApplyCaptions(language);
  rangePage_->ApplyCaptions(language);
  consolePage_->ApplyCaptions(language);
  logPage_->ApplyCaptions(language);
  pinPage_->ApplyCaptions(language);
  networkPage_->ApplyCaptions(language);
  spectrumPage_->ApplyCaptions(language);
  if (auto* menu = findChild<QMenu*>(QStringLiteral("MenuDongle")))
    menu->setTitle(WordText(Word::DongleMenu, language));
  reconnectAction_->setText(WordText(Word::Reconnect, language));
  saveProfileAction_->setText(WordText(Word::ProfileSaveAction, language));
  applyProfileAction_->setText(WordText(Word::ProfileApplyAction, language));
  languageMenu_->ApplyCaptions(language);
  tools_->ApplyCaptions(language);
  if (auto* help = findChild<QMenu*>(QStringLiteral("MenuHelp")))
    help->setTitle(WordText(Word::HelpMenu, language));
  if (auto* action = findChild<QAction*>(QStringLiteral("ActionCopyDiagnostics")))
    action->setText(WordText(Word::HelpCopyDiagnostics, language));
  if (auto* action = findChild<QAction*>(QStringLiteral("ActionAbout")))
    action->setText(WordText(Word::HelpAbout, language));
  if (auto* menu = findChild<QMenu*>(QStringLiteral("MenuTools")))
    menu->setTitle(WordText(Word::ToolsMenu, language));
  for (auto [name, word] : std::initializer_list<std::pair<const char*, Word>>{
           {"ActionLinkHistory", Word::ToolsHistoryAction},
           {"ActionRangeTest", Word::ToolsRangeAction},
           {"ActionConsole", Word::ToolsConsoleAction},
           {"ActionOperationsLog", Word::ToolsLogAction}})
    if (auto* action = findChild<QAction*>(QString::fromLatin1(name)))
      action->setText(WordText(word, language));
}

QString TRukMoxFormLight::DongleWhere() const {
  const int language = context_ ? context_->Language() : 0;
  QString where = place_.path.isEmpty() ? WordText(Word::UsbDongle, language) : place_.path;
  if (place_.simulated) where += WordText(Word::Simulated, language);
  return where;
}

void TRukMoxFormLight::ShowStatusLine() {
  const int language = context_->Language();
  const QString where = DongleWhere();
  QString line;
  if (session_->IsOpen())
    line = WordText(Word::DongleInUse, language) + where;
  else if (session_->DongleGone())
    line = WordText(Word::DongleGone, language) + where;
  else if (const QString why =
               place_.whyNotOpen ? place_.whyNotOpen(session_->ErrorWord(), language) : QString();
           !why.isEmpty())
    line = why;
  else if (place_.path.isEmpty())
    line = WordText(Word::NoDongleFound, language);
  else
    line = WordText(Word::NoDongleAt, language) + where;
  if (serviceMode_) line += WordText(Word::ServiceModeOn, language);
  statusLabel_->setText(line);
}

void TRukMoxFormLight::EnableLocal(bool on) {
  localPanel_->Enable(on);
  linkPage_->EnableLocal(on);
  pinPage_->Enable(on);
  spectrumPage_->Enable(on);
  networkPage_->Enable(on);
}

void TRukMoxFormLight::EnableRemote(bool on) {
  remotePanel_->Enable(on);
  linkPage_->EnableRemote(on);
}

void TRukMoxFormLight::ClearLocal() {
  localPanel_->Clear();
  linkPage_->ClearLocal();
  pinPage_->Clear();
}

void TRukMoxFormLight::ClearRemote() {
  remotePanel_->Clear();
  linkPage_->ShowChannel(-1);
}

void TRukMoxFormLight::LoadLocal() {
  TRukMox* module = session_->Module();
  if (module != nullptr && module->IsOpen()) {
    if (module->ReadLocalInfo()) {
      EnableLocal(true);
      localPanel_->Show(module->Local);
      ShowStatusLine();
      return;
    }
    context_->Fail(workflow::Notice(text::LoadFailed, session_->ErrorWord()));
  }
  EnableLocal(false);
  ClearLocal();
  ShowStatusLine();
}

void TRukMoxFormLight::LoadRemote() {
  TRukMox* module = session_->Module();
  if (module != nullptr && module->IsOpen() && HasLinkedRemote(*module) &&
      module->ReadRemoteInfo() && module->Current != nullptr) {
    EnableRemote(true);
    remotePanel_->Show(*module->Current);
    linkPage_->ShowChannel(module->Current->Channel);
    return;
  }
  EnableRemote(false);
  ClearRemote();
}

void TRukMoxFormLight::ReadAgain(ReRead devices) {
  if (devices != ReRead::Remote) LoadLocal();
  if (devices != ReRead::Local) LoadRemote();
}

void TRukMoxFormLight::Release(ReRead devices) {
  if (devices != ReRead::Remote) {
    EnableLocal(false);
    ClearLocal();
  }
  EnableRemote(false);
  ClearRemote();
}

void TRukMoxFormLight::PollMayRun(bool may) {
  if (may)
    TimerUpdate->start();  // the interval starts afresh
  else
    TimerUpdate->stop();
}

void TRukMoxFormLight::OperationStarts(workflow::OperationKind kind) {
  // Only the running operation's own stop control stays live; the scan's and the sweeps' stop
  // buttons start nothing and are not locked.
  QWidget* stop = nullptr;
  if (kind == workflow::OperationKind::RangeTest) stop = rangePage_->StopControl();
  if (kind == workflow::OperationKind::Console) stop = consolePage_->StopControl();
  lock_.Lock(stop);
}

void TRukMoxFormLight::OperationEnded(workflow::OperationKind) {
  stepTimer_->stop();
  lock_.Unlock();
  emit OperationFinished();
}

void TRukMoxFormLight::StepDue(workflow::Operation::Wait wait) {
  stepTimer_->start(wait);
}

void TRukMoxFormLight::DongleLost() {
  // Found between operations: the status line says so and both panels go to the no-local-device
  // state.
  linkPage_->ShowNoLink();
  LoadLocal();
  LoadRemote();
}

void TRukMoxFormLight::CloseNow() {
  QTimer::singleShot(0, this, &QWidget::close);
}

void TRukMoxFormLight::closeEvent(QCloseEvent* event) {
  // The sweeps and a handler inside the module refuse the close; a scan or a job is waited for;
  // a range test or the console is stopped first (the console sends what it already took).
  if (session_->AskToClose() != workflow::DeviceSession::CloseAnswer::Now) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TRukMoxFormLight::FormClose() {
  // After this no poll tick and no handler touches the module again.
  session_->Release();
}

bool TRukMoxFormLight::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || widget == nullptr) return false;
  if (widget != this && !isAncestorOf(widget)) return false;  // another window's Escape
  close();
  return true;
}

void TRukMoxFormLight::SetProgrammerMaker(const ProgrammerMaker& make) {
  dongleProgramming_->SetProgrammerMaker(make);
  mcuProgramming_->SetProgrammerMaker(make);
}

bool TRukMoxFormLight::ShowPage(const QString& objectName) {
  QWidget* target = findChild<QWidget*>(objectName);
  if (target == nullptr) return false;
  for (QWidget* w = target; w != nullptr && w != this; w = w->parentWidget()) {
    if (w == tools_) tools_->Open(tools_->Tabs()->currentWidget());
    if (QTabWidget* tabs = PageControlOf(w)) tabs->setCurrentWidget(w);
  }
  return true;
}

ToolsWindow* TRukMoxFormLight::Tools() const {
  return tools_;
}

QString TRukMoxFormLight::Diagnostics() const {
  workflow::DiagnosticsPlace place;
  place.program = "rukmox " RUKMOX_VERSION;
  place.toolkit = qVersion();
  place.system = QSysInfo::prettyProductName().toStdString();
  place.dongle = DongleWhere().toStdString();
  place.quality = lastReading_.quality;
  place.energy = lastReading_.energy;
  return QString::fromStdString(
      workflow::DiagnosticsText(session_->Module(), place, session_->Log(), context_->Language()));
}

void TRukMoxFormLight::CopyDiagnostics() {
  QGuiApplication::clipboard()->setText(Diagnostics());
  statusBar()->showMessage(WordText(Word::DiagCopied, context_->Language()), 5000);
}

void TRukMoxFormLight::About() {
  QMessageBox::about(this, WindowTitle(),
                     WordText(Word::AboutText, context_->Language(),
                              {QStringLiteral(RUKMOX_VERSION), QString::fromLatin1(qVersion())}));
}

void TRukMoxFormLight::Remember(Remembered& remembered) {
  context_->SetRemembered(&remembered);
  tools_->Remember(remembered);
  consolePage_->Remember(remembered);
}

void TRukMoxFormLight::KeepLogIn(const QString& folder) {
  session_->Log().UseFolder(folder.toStdString());
}

bool TRukMoxFormLight::SaveProfile(const QString& path) {
  return profiles_->Save(path);
}

bool TRukMoxFormLight::ApplyProfileFile(const QString& path) {
  return profiles_->Apply(path);
}

bool TRukMoxFormLight::SaveHistoryCsv(const QString& path) {
  return historyPage_->SaveCsv(path);
}

TRukMox* TRukMoxFormLight::Device() const {
  return session_->Module();
}

std::int32_t TRukMoxFormLight::DeviceError() const {
  return session_->ErrorWord();
}

bool TRukMoxFormLight::Busy() const {
  return session_->Busy();
}

bool TRukMoxFormLight::AbortRequested() const {
  return session_->StopRequested();
}

std::int32_t TRukMoxFormLight::ChannelMoves() const {
  return session_->ChannelMoves();
}

bool TRukMoxFormLight::OperationRunning() const {
  return session_->Running().has_value();
}

bool TRukMoxFormLight::DongleGone() const {
  return session_->DongleGone();
}

const LinkHistory& TRukMoxFormLight::History() const {
  return historyPage_->History();
}

bool TRukMoxFormLight::RangeTestRunning() const {
  return rangePage_->Running();
}

bool TRukMoxFormLight::ConsoleRunning() const {
  return consolePage_->Running();
}

BridgeCounts TRukMoxFormLight::ConsoleCounts() const {
  return consolePage_->Counts();
}

}  // namespace rukmox::window
