#include "NetworkPage.h"

#include <QHeaderView>
#include <QIcon>
#include <QTableWidgetItem>
#include <array>

#include "Captions.h"
#include "PanelText.h"
#include "StringTable.h"
#include "ui_NetworkPage.h"

namespace rukmox::window {
namespace {

// The state pictures of the list, by index: a device without and with a PIN.
QIcon StatePicture(bool pinProtected) {
  static const QIcon open(QStringLiteral(":/artwork/device-open.svg"));
  static const QIcon pin(QStringLiteral(":/artwork/device-pin.svg"));
  return pinProtected ? pin : open;
}

// The edits take any text; one that is not a decimal number counts as the fallback.
std::int32_t ChannelOf(const QString& text, std::int32_t fallback) {
  bool ok = false;
  const int value = text.toInt(&ok, 10);
  return ok ? value : fallback;
}

constexpr std::int32_t kFallbackFirst = 0;
constexpr std::int32_t kFallbackLast = 15;
constexpr int kPositionRole = Qt::UserRole;
constexpr std::array<int, 4> kListColumnWidths = {150, 70, 70, 150};
constexpr std::array<text::Id, 4> kListColumns = {text::ColumnName, text::ColumnAddress,
                                                  text::ColumnChannel, text::ColumnConnection};

constexpr std::array<Caption, 12> kCaptions = {{
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
    // The list shows no caption of its own.
    {"ListDevice", text::DeviceListCaption, Caption::Role::AccessibleName},
}};

}  // namespace

NetworkPage::NetworkPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<Ui::NetworkPage>()) {
  form_->setupUi(this);
  for (int column = 0; column < static_cast<int>(kListColumnWidths.size()); ++column)
    form_->ListDevice->setColumnWidth(column, kListColumnWidths[column]);
  form_->ListDevice->horizontalHeader()->setStretchLastSection(true);

  connect(form_->ButtonScan, &QPushButton::clicked, this, &NetworkPage::Scan);
  connect(form_->ButtonAbort, &QPushButton::clicked, this, &NetworkPage::Abort);
  connect(form_->ButtonConnectMcu, &QPushButton::clicked, this, &NetworkPage::Connect);
  connect(form_->ButtonDisconnectMcu, &QPushButton::clicked, this, &NetworkPage::Disconnect);
  connect(form_->ListDevice, &QTableWidget::cellDoubleClicked, this, &NetworkPage::ListDoubleClick);
  context_.Lock().Add({form_->ListDevice, form_->ButtonConnectMcu, form_->ButtonDisconnectMcu,
                       form_->ButtonScan, form_->EditStartCh, form_->EditEndCh});
}

NetworkPage::~NetworkPage() = default;

void NetworkPage::Enable(bool on) {
  OperationLock& lock = context_.Lock();
  for (QWidget* control :
       {static_cast<QWidget*>(form_->ListDevice), static_cast<QWidget*>(form_->ButtonScan),
        static_cast<QWidget*>(form_->EditStartCh), static_cast<QWidget*>(form_->EditEndCh)})
    lock.SetEnabled(control, on);
}

void NetworkPage::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language);
  for (int column = 0; column < static_cast<int>(kListColumns.size()); ++column)
    form_->ListDevice->horizontalHeaderItem(column)->setText(
        QString::fromStdString(rukmox::LoadText(kListColumns[column], language)));
}

std::int32_t NetworkPage::FirstChannel() const {
  return ChannelOf(form_->EditStartCh->text(), kFallbackFirst);
}

std::int32_t NetworkPage::LastChannel() const {
  return ChannelOf(form_->EditEndCh->text(), kFallbackLast);
}

bool NetworkPage::LinkedRemote() const {
  const TRukMox* module = context_.Module();
  return module != nullptr && HasLinkedRemote(*module);
}

void NetworkPage::FillDeviceList() {
  QTableWidget* list = form_->ListDevice;
  list->setRowCount(0);
  const TRukMox* module = context_.Module();
  if (module == nullptr) return;
  for (const workflow::DeviceRow& row : workflow::DeviceRows(*module)) {
    const TRemoteDeviceRecord& record = *row.record;
    const int at = list->rowCount();
    list->insertRow(at);
    auto* name = new QTableWidgetItem(StatePicture(record.PinProtected),
                                      QString::fromStdString(NameOf(record.Name)));
    name->setData(kPositionRole, row.position);
    list->setItem(at, 0, name);
    list->setItem(at, 1, new QTableWidgetItem(QString::number(record.Address)));
    list->setItem(at, 2, new QTableWidgetItem(QString::number(record.Channel)));
    list->setItem(at, 3,
                  new QTableWidgetItem(
                      QString::fromStdString(ConnectionText(record.Linked, record.PeerAddress))));
  }
}

void NetworkPage::Showing() {
  FillDeviceList();
  context_.Lock().SetEnabled(form_->ButtonConnectMcu, form_->ListDevice->rowCount() >= 1);
  context_.Lock().SetEnabled(form_->ButtonDisconnectMcu, LinkedRemote());
}

void NetworkPage::Scan() {
  workflow::DeviceSession& session = context_.Session();
  if (!session.CanStart()) return;
  context_.Log(extra::LogScan, {QString::number(FirstChannel()), QString::number(LastChannel())});
  session.Start(workflow::OperationKind::Scan,
                std::make_unique<workflow::NetworkScan>(*context_.Module(),
                                                        static_cast<workflow::ScanFace&>(*this),
                                                        FirstChannel(), LastChannel()));
}

void NetworkPage::Abort() {
  context_.Session().Stop();
}

void NetworkPage::ShowScanProgress(bool shown) {
  for (QWidget* control :
       {static_cast<QWidget*>(form_->ButtonAbort), static_cast<QWidget*>(form_->LabelCanali),
        static_cast<QWidget*>(form_->LabelScan), static_cast<QWidget*>(form_->BarraScansione),
        static_cast<QWidget*>(form_->BarraCanali)})
    control->setVisible(shown);
}

void NetworkPage::ScanStarts(std::int32_t requests, std::int32_t channels) {
  form_->BarraScansione->setRange(0, requests);
  form_->BarraCanali->setRange(0, channels);
  form_->BarraScansione->setValue(0);
  form_->BarraCanali->setValue(0);
  ShowScanProgress(true);
  window()->repaint();
  form_->ListDevice->setRowCount(0);
  form_->LabelCanali->setText(context_.Text(text::ChannelPrefix) + form_->EditStartCh->text());
}

bool NetworkPage::RequestDone(std::int32_t requests, std::int32_t request) {
  return ScanAttemptProgress(requests, request);
}

bool NetworkPage::ChannelDone(std::int32_t requests, std::int32_t channelIndex,
                              std::int32_t found) {
  return ScanChannelProgress(requests, channelIndex, found);
}

bool NetworkPage::ScanAttemptProgress(std::int32_t, std::int32_t attempt) {
  form_->BarraScansione->setValue(attempt + 1);
  // The operator's clicks, the stop button's among them, are handled once this step is over.
  return context_.Session().StopRequested();
}

bool NetworkPage::ScanChannelProgress(std::int32_t, std::int32_t channelIndex, std::int32_t found) {
  form_->BarraScansione->setValue(0);
  form_->BarraCanali->setValue(channelIndex + 1);
  if (found != 0) FillDeviceList();
  // Names the channel that comes next.
  form_->LabelCanali->setText(context_.Text(text::ChannelPrefix) +
                              QString::number(FirstChannel() + channelIndex + 1));
  return context_.Session().StopRequested();
}

void NetworkPage::ScanStops() {
  ShowScanProgress(false);
  window()->repaint();
}

void NetworkPage::ShowDevices(const std::vector<workflow::DeviceRow>&) {
  FillDeviceList();
}

void NetworkPage::Inform(const workflow::Notice& notice) {
  context_.Inform(notice);
}

void NetworkPage::ScanEnds() {
  form_->LabelCanali->setText(context_.Text(text::ChannelPrefix));
  Showing();
}

void NetworkPage::ListDoubleClick() {
  Connect();
}

void NetworkPage::Connect() {
  TRukMox* module = context_.Module();
  if (module == nullptr || !context_.Session().CanStart()) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  const QList<QTableWidgetItem*> selected = form_->ListDevice->selectedItems();
  if (selected.isEmpty()) return;
  const QTableWidgetItem* first = form_->ListDevice->item(selected.front()->row(), 0);
  if (first == nullptr) return;
  workflow::ConnectDevice(*module, static_cast<workflow::ConnectionFace&>(*this),
                          first->data(kPositionRole).toInt());
  if (HasLinkedRemote(*module) && module->Current != nullptr)
    context_.Log(extra::LogConnected, {QString::fromStdString(NameOf(module->Current->Name)),
                                       QString::number(module->Current->Address)});
}

void NetworkPage::Disconnect() {
  TRukMox* module = context_.Module();
  if (module == nullptr || !context_.Session().CanStart()) return;
  const workflow::DeviceSession::Exchange exchange(context_.Session());
  const bool wasLinked = HasLinkedRemote(*module);
  workflow::DisconnectDevice(*module, static_cast<workflow::ConnectionFace&>(*this));
  if (wasLinked && !HasLinkedRemote(*module)) context_.Log(extra::LogDisconnected, {});
}

void NetworkPage::Fail(const workflow::Notice& notice, std::int32_t) {
  context_.Fail(notice);
}

void NetworkPage::LoadRemote() {
  emit ReadAgain(ReRead::Remote);
}

void NetworkPage::ShowConnection() {
  Showing();
}

}  // namespace rukmox::window
