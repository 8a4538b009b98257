#include "Rukmoxlight.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <array>

#include "ConsolePage.h"
#include "FieldText.h"
#include "FieldValidator.h"
#include "KeyFilters.h"
#include "LinkHistoryPage.h"
#include "Notice.h"
#include "PanelText.h"
#include "PropertySteps.h"
#include "RangeTestPage.h"
#include "StringTable.h"
#include "TextIds.h"
#include "WindowWords.h"
#include "ui_DevicesPage.h"
#include "ui_NetworkPage.h"
#include "ui_Rukmoxlight.h"
#include "ui_SpectrumPage.h"

// The artwork lives in this static library; a program linking it must register it explicitly.
static void InitArtwork() {
  Q_INIT_RESOURCE(Artwork);
}

namespace rukmox::window {
namespace {

constexpr int kPollIntervalMs = 100;
const QString kEmptyVersionText = QStringLiteral("H0 - F0 - M0 - P0");
const QString kEmptyEnergyText = QStringLiteral("Energy (0)");

// The controls whose caption comes from the string table.
struct Caption {
  const char* control;
  text::Id id;
};
constexpr std::array<Caption, 41> kCaptions = {{
    {"TabDevices", text::TabDevicesCaption},
    {"TabSettingsDongle", text::LocalDeviceCaption},
    {"TabSettingsMcu", text::RemoteDeviceCaption},
    {"LabelVersionDongle", text::VersionCaption},
    {"LabelVersionMcu", text::VersionCaption},
    {"GroupPropertyDongle", text::PropertiesCaption},
    {"GroupPropertyMcu", text::PropertiesCaption},
    {"LabelNomeDongle", text::NameCaption},
    {"LabelNomeMcu", text::NameCaption},
    {"LabelIndirizzoDongle", text::AddressCaption},
    {"LabelIndirizzoMcu", text::AddressCaption},
    {"LabelPotenzaDongle", text::PowerCaption},
    {"LabelPotenzaMcu", text::PowerCaption},
    {"GroupProgramDongle", text::ReprogrammingCaption},
    {"GroupProgramMcu", text::ReprogrammingCaption},
    {"LabelFileDongle", text::ProgrammingFileCaption},
    {"LabelFileMcu", text::ProgrammingFileCaption},
    {"ButtonProgramDongle", text::ProgramButtonCaption},
    {"ButtonProgramMcu", text::ProgramButtonCaption},
    {"ButtonSfogliaDongle", text::BrowseCaption},
    {"ButtonSfogliaMcu", text::BrowseCaption},
    {"TabPin", text::PinTabCaption},
    {"ButtonRemovePin", text::RemovePinCaption},
    {"ButtonChangePin", text::ChangePinCaption},
    {"ButtonReadPin", text::ReadPinCaption},
    {"TabLink", text::LinkTabCaption},
    {"LabelCanale", text::ChannelCaption},
    {"TabScansione", text::NetworkTabCaption},
    {"GroupDevice", text::DeviceListCaption},
    {"ButtonConnectMcu", text::ConnectCaption},
    {"ButtonDisconnectMcu", text::DisconnectCaption},
    {"GroupScan", text::ScanGroupCaption},
    {"ButtonScan", text::ScanButtonCaption},
    {"LabelStartCh", text::FirstChannelCaption},
    {"LabelEndCh", text::LastChannelCaption},
    {"LabelCanali", text::ScanChannelCaption},
    {"LabelScan", text::ScanProgressCaption},
    {"ButtonAbort", text::AbortCaption},
    {"TabTest", text::SpectrumTabCaption},
    {"ButtonScanEnergy", text::SpectrumScanCaption},
    {"ButtonStopEnergy", text::SpectrumStopCaption},
}};
constexpr std::array<int, 4> kListColumnWidths = {150, 70, 70, 150};

// The page control a page belongs to (its parent is the page control's stack), or null.
QTabWidget* PageControlOf(QWidget* page) {
  QWidget* stack = page->parentWidget();
  auto* tabs = stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  return tabs != nullptr && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

void SetCaption(QWidget* control, const QString& text) {
  if (auto* group = qobject_cast<QGroupBox*>(control))
    group->setTitle(text);
  else if (auto* button = qobject_cast<QAbstractButton*>(control))
    button->setText(text);
  else if (auto* label = qobject_cast<QLabel*>(control))
    label->setText(text);
  else if (QTabWidget* tabs = PageControlOf(control))
    tabs->setTabText(tabs->indexOf(control), text);
}

}  // namespace

TRukMoxFormLight::Pause::Pause(TRukMoxFormLight& window) : window_(window) {
  window_.TimerUpdate->stop();
  ++window_.pauses_;
}

TRukMoxFormLight::Pause::~Pause() {
  --window_.pauses_;
  window_.NoticeDongleGone();
  // Once the window has released the module, nothing polls it again; nor while the console runs.
  if (window_.Device && !window_.ConsoleRunning()) window_.TimerUpdate->start();
  window_.CloseIfPending();
}

TRukMoxFormLight::TRukMoxFormLight(const ModuleMaker& makeModule, MessageSink& messages,
                                   DonglePlace place, QWidget* parent)
    : QMainWindow(parent),
      messages_(messages),
      place_(std::move(place)),
      form_(std::make_unique<Ui::RukMoxFormLight>()),
      devices_(std::make_unique<Ui::DevicesPage>()),
      network_(std::make_unique<Ui::NetworkPage>()),
      spectrum_(std::make_unique<Ui::SpectrumPage>()) {
  BuildControls();
  Device = makeModule(&DeviceError);
  DeviceCreated = Device != nullptr;
  TimerUpdate->setInterval(kPollIntervalMs);
  if (Device && !Device->IsOpen()) Device->Open();
  dongleWasOpen_ = Device && Device->IsOpen();
  Busy = false;
  AbortRequested = false;
  ChannelMoves = 0;
  LoadLocal();
  LoadRemote();
  FixSizeAndCentre();
  Language = LanguageItalian;
  ApplyLanguage();
  ConnectHandlers();
  TimerUpdate->start();
}

TRukMoxFormLight::~TRukMoxFormLight() {
  qApp->removeEventFilter(this);
  if (RangeTestRunning()) StopRangeTest();
  if (ConsoleRunning()) StopConsole();  // the bridge gives the module back before it goes
  if (Device) FormClose();
}

void TRukMoxFormLight::BuildControls() {
  InitArtwork();
  form_->setupUi(this);
  devices_->setupUi(form_->TabDevices);
  network_->setupUi(form_->TabScansione);
  spectrum_->setupUi(form_->TabTest);
  setWindowTitle(WindowTitle());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  // What is pasted passes the filters that typed keys pass.
  for (QLineEdit* name : {devices_->EditNomeDongle, devices_->EditNomeMcu, devices_->EditPin})
    name->setValidator(new FieldValidator(IsNameCharacter, name));
  for (QLineEdit* address : {devices_->EditIndirizzoDongle, devices_->EditIndirizzoMcu})
    address->setValidator(new FieldValidator(IsDigitCharacter, address));
  // The longest name and PIN, and the power entries, as the modules take them.
  devices_->EditNomeDongle->setMaxLength(NameLengthMax);
  devices_->EditNomeMcu->setMaxLength(NameLengthMax);
  devices_->EditPin->setMaxLength(PinSize);
  for (QComboBox* power : {devices_->ComboPotenzaDongle, devices_->ComboPotenzaMcu}) {
    for (int entry = 0; entry < PowerEntryCount; ++entry)
      power->addItem(QString::fromUtf8(PowerEntryText(entry)));
    power->setCurrentIndex(-1);  // the first entry added became the current one
  }

  for (int column = 0; column < static_cast<int>(kListColumnWidths.size()); ++column)
    network_->ListDevice->setColumnWidth(column, kListColumnWidths[column]);
  network_->ListDevice->horizontalHeader()->setStretchLastSection(true);

  TimerUpdate = new QTimer(this);
  TimerUpdate->setObjectName(QStringLiteral("TimerUpdate"));
  TimerUpdate->setSingleShot(true);  // each tick starts the next one when it ends

  statusLabel_ = new QLabel(form_->StatusLine);
  statusLabel_->setObjectName(QStringLiteral("LabelStatus"));
  statusLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  form_->StatusLine->addWidget(statusLabel_, 1);

  BuildSpectrum();
  BuildServiceMode();
  BuildReconnect();
  BuildLinkPages();
  BuildProfileMenu();
}

void TRukMoxFormLight::ConnectHandlers() {
  // Only the operator's own signals: setting a control from the program runs no handler.
  connect(TimerUpdate, &QTimer::timeout, this, &TRukMoxFormLight::TimerUpdateTimer);
  connect(devices_->ComboPotenzaDongle, &QComboBox::activated, this,
          &TRukMoxFormLight::ComboPotenzaDongleChange);
  connect(devices_->ComboPotenzaMcu, &QComboBox::activated, this,
          &TRukMoxFormLight::ComboPotenzaMcuChange);
  connect(devices_->ComboCanale, &QComboBox::activated, this, &TRukMoxFormLight::ComboCanaleChange);
  connect(devices_->ButtonReadPin, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonReadPinClick);
  connect(devices_->ButtonChangePin, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonChangePinClick);
  connect(devices_->ButtonRemovePin, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonRemovePinClick);
  for (QToolButton* flag : {devices_->ImageIta, devices_->ImageEng})
    connect(flag, &QToolButton::clicked, this,
            [this, flag] { ImageLanguageClick(flag->property("tag").toInt()); });
  ConnectNetworkPage();
  ConnectProgrammingGroups();
  // Keys and focus changes of the fields, and Escape anywhere in the window, reach the window
  // before the control that has the focus.
  qApp->installEventFilter(this);
}

void TRukMoxFormLight::FixSizeAndCentre() {
  FitToContents();
  const QSize size = this->size();
  if (QScreen* display = screen())
    move(display->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}

void TRukMoxFormLight::FitToContents() {
  // Large enough for the captions of either language, so a switch never squeezes a control.
  ensurePolished();
  PinReadingLabels();
  QSize size;
  for (int language : {LanguageEnglish, LanguageItalian}) {
    ApplyCaptions(language);
    // Before the first show no layout passes a new caption's size up by itself.
    for (QWidget* control : findChildren<QWidget*>()) control->updateGeometry();
    size = size.expandedTo(sizeHint());
  }
  setFixedSize(size);
}

QString TRukMoxFormLight::LoadText(int id) const {
  return QString::fromStdString(rukmox::LoadText(id, Language));
}

void TRukMoxFormLight::Fail(int id) {
  messages_.Error(LoadText(id));
}

void TRukMoxFormLight::Inform(int id) {
  messages_.Information(LoadText(id));
}

bool TRukMoxFormLight::LinkedRemote() const {
  return Device && HasLinkedRemote(*Device);
}

void TRukMoxFormLight::EnableLocal(bool on) {
  const Ui::DevicesPage& d = *devices_;
  const Ui::NetworkPage& n = *network_;
  for (QWidget* control :
       {static_cast<QWidget*>(d.LabVersionDongle), static_cast<QWidget*>(d.LabelEnergy),
        static_cast<QWidget*>(d.ProgressBarEnergy), static_cast<QWidget*>(d.EditNomeDongle),
        static_cast<QWidget*>(d.EditIndirizzoDongle), static_cast<QWidget*>(d.ComboPotenzaDongle),
        static_cast<QWidget*>(d.ButtonRemovePin), static_cast<QWidget*>(d.ButtonChangePin),
        static_cast<QWidget*>(d.ButtonReadPin), static_cast<QWidget*>(d.EditPin),
        static_cast<QWidget*>(spectrum_->ButtonScanEnergy),
        static_cast<QWidget*>(spectrum_->ButtonScanChannel), static_cast<QWidget*>(n.ListDevice),
        static_cast<QWidget*>(n.ButtonScan), static_cast<QWidget*>(n.EditStartCh),
        static_cast<QWidget*>(n.EditEndCh)})
    SetOperable(control, on);
}

void TRukMoxFormLight::EnableRemote(bool on) {
  const Ui::DevicesPage& d = *devices_;
  for (QWidget* control :
       {static_cast<QWidget*>(d.LabVersionMcu), static_cast<QWidget*>(d.EditNomeMcu),
        static_cast<QWidget*>(d.EditIndirizzoMcu), static_cast<QWidget*>(d.ComboPotenzaMcu),
        static_cast<QWidget*>(d.ComboCanale), static_cast<QWidget*>(d.ProgressBarLink),
        static_cast<QWidget*>(d.LabelLink)})
    SetOperable(control, on);
}

void TRukMoxFormLight::ClearLocal() {
  devices_->LabVersionDongle->setText(kEmptyVersionText);
  devices_->LabelEnergy->setText(kEmptyEnergyText);
  devices_->ProgressBarEnergy->setValue(0);
  devices_->EditNomeDongle->clear();
  devices_->EditIndirizzoDongle->clear();
  devices_->ComboPotenzaDongle->setCurrentIndex(-1);
  devices_->EditPin->clear();
}

void TRukMoxFormLight::ClearRemote() {
  devices_->LabVersionMcu->setText(kEmptyVersionText);
  devices_->EditNomeMcu->clear();
  devices_->EditIndirizzoMcu->clear();
  devices_->ComboPotenzaMcu->setCurrentIndex(-1);
  devices_->ComboCanale->setCurrentIndex(-1);
}

void TRukMoxFormLight::LoadLocal() {
  if (Device && Device->IsOpen()) {
    if (Device->ReadLocalInfo()) {
      const TLocalDeviceRecord& local = Device->Local;
      EnableLocal(true);
      devices_->LabVersionDongle->setText(QString::fromStdString(VersionText(local)));
      devices_->EditNomeDongle->setText(QString::fromStdString(NameOf(local.Name)));
      devices_->EditIndirizzoDongle->setText(QString::number(local.Address));
      devices_->ComboPotenzaDongle->setCurrentIndex(PowerEntryOf(local.PowerLevel));
      ShowStatusLine();
      return;
    }
    messages_.Error(QString::fromStdString(
        workflow::NoticeText(workflow::Notice(text::LoadFailed, DeviceError), Language)));
  }
  EnableLocal(false);
  ClearLocal();
  ShowStatusLine();
}

void TRukMoxFormLight::LoadRemote() {
  if (Device && Device->IsOpen() && LinkedRemote() && Device->ReadRemoteInfo() &&
      Device->Current != nullptr) {
    const TRemoteDeviceRecord& remote = *Device->Current;
    EnableRemote(true);
    devices_->LabVersionMcu->setText(QString::fromStdString(VersionText(remote)));
    devices_->EditNomeMcu->setText(QString::fromStdString(NameOf(remote.Name)));
    devices_->EditIndirizzoMcu->setText(QString::number(remote.Address));
    devices_->ComboPotenzaMcu->setCurrentIndex(PowerEntryOf(remote.PowerLevel));
    const bool known = remote.Channel >= 0 && remote.Channel < RadioChannelCount;
    devices_->ComboCanale->setCurrentIndex(known ? remote.Channel : -1);
    return;
  }
  EnableRemote(false);
  ClearRemote();
}

void TRukMoxFormLight::ApplyCaptions(int language) {
  const auto text = [language](text::Id id) {
    return QString::fromStdString(rukmox::LoadText(id, language));
  };
  for (const Caption& caption : kCaptions)
    if (auto* control = findChild<QWidget*>(QString::fromLatin1(caption.control)))
      SetCaption(control, text(caption.id));
  const std::array<text::Id, 4> columns = {text::ColumnName, text::ColumnAddress,
                                           text::ColumnChannel, text::ColumnConnection};
  for (int column = 0; column < static_cast<int>(columns.size()); ++column)
    network_->ListDevice->horizontalHeaderItem(column)->setText(text(columns[column]));

  // Names that assistive technology reads for the controls that show no caption of their own.
  const Ui::DevicesPage& d = *devices_;
  d.ImageConnected->setAccessibleName(WordText(Word::LinkUp, language));
  d.ImageNotConnected->setAccessibleName(WordText(Word::LinkDown, language));
  d.ImageIta->setAccessibleName(WordText(Word::ItalianFlag, language));
  d.ImageIta->setToolTip(WordText(Word::ItalianFlag, language));
  d.ImageEng->setAccessibleName(WordText(Word::EnglishFlag, language));
  d.ImageEng->setToolTip(WordText(Word::EnglishFlag, language));
  network_->ListDevice->setAccessibleName(text(text::DeviceListCaption));
  spectrum_->ChartScan->setAccessibleName(WordText(Word::SpectrumChart, language));
  ApplyServiceCaptions(language);
  ApplyLinkPageCaptions(language);
  ApplyProfileCaptions(language);
}

void TRukMoxFormLight::ApplyLanguage() {
  ApplyCaptions(Language);
  // The status line is ours, not the table's; it follows the language all the same.
  ShowStatusLine();
}

void TRukMoxFormLight::ShowStatusLine() {
  const bool open = Device && Device->IsOpen();
  QString where = place_.path.isEmpty() ? WordText(Word::UsbDongle, Language) : place_.path;
  if (place_.simulated) where += WordText(Word::Simulated, Language);
  QString line;
  if (open)
    line = WordText(Word::DongleInUse, Language) + where;
  else if (dongleGone_)
    line = WordText(Word::DongleGone, Language) + where;
  else if (const QString why =
               place_.whyNotOpen ? place_.whyNotOpen(DeviceError, Language) : QString();
           !why.isEmpty())
    line = why;
  else if (place_.path.isEmpty())
    line = WordText(Word::NoDongleFound, Language);
  else
    line = WordText(Word::NoDongleAt, Language) + where;
  if (serviceMode_) line += WordText(Word::ServiceModeOn, Language);
  statusLabel_->setText(line);
}

void TRukMoxFormLight::ShowLinkPicture(bool linked) {
  devices_->ImageConnected->setVisible(linked);
  devices_->ImageNotConnected->setVisible(!linked);
}

bool TRukMoxFormLight::ShowPage(const QString& objectName) {
  QWidget* target = findChild<QWidget*>(objectName);
  if (target == nullptr) return false;
  for (QWidget* w = target; w != nullptr && w != this; w = w->parentWidget())
    if (QTabWidget* tabs = PageControlOf(w)) tabs->setCurrentWidget(w);
  return true;
}

void TRukMoxFormLight::ImageLanguageClick(int tag) {
  Language = tag;
  ApplyLanguage();
}

bool TRukMoxFormLight::FormCloseQuery() const {
  // Also while a handler is inside the module (a message box of its own is open): releasing the
  // module under it would leave the handler with nothing to finish on.
  return !Busy && pauses_ == 0;
}

void TRukMoxFormLight::FormClose() {
  TimerUpdate->stop();
  if (DeviceCreated && Device) {
    if (Device->IsOpen()) Device->Close();
    Device.reset();
  }
}

void TRukMoxFormLight::closeEvent(QCloseEvent* event) {
  // A range test is only pings: closing ends it rather than waiting for its last one.
  if (RangeTestRunning() && pauses_ == 0) StopRangeTest();
  // The console first sends what the operator already sent; the close waits for that.
  if (ConsoleRunning() && pauses_ == 0) ButtonConsoleClick();
  if (!Busy && LongOperationRunning()) {
    // A scan or a programming job still uses the module: close once it has ended.
    closePending_ = true;
    event->ignore();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

bool TRukMoxFormLight::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return FormKeyPress(watched, event) || FieldKeyPress(watched, event);
    case QEvent::FocusOut:
      return FieldExit(watched, event);
    default:
      return false;
  }
}

bool TRukMoxFormLight::FormKeyPress(QObject* watched, QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (key->key() != Qt::Key_Escape || widget == nullptr) return false;
  if (widget != this && !isAncestorOf(widget)) return false;  // another window's Escape
  close();                                                    // asks FormCloseQuery first
  return true;
}

}  // namespace rukmox::window
