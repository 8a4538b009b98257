// The network page: scan a channel range for remote devices, list them, connect the dongle to one
// of them and drop the connection. The steps themselves are the shared workflow's; this file is
// what the operator sees of them.
#include <QCoreApplication>
#include <QIcon>
#include <QTableWidgetItem>
#include <initializer_list>
#include <optional>

#include "Connection.h"
#include "NetworkScan.h"
#include "PanelText.h"
#include "Rukmoxlight.h"
#include "TextIds.h"
#include "ui_NetworkPage.h"
#include "ui_Rukmoxlight.h"

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

// The stop button and the progress of a scan, shown only while one runs.
void ShowScanProgress(const Ui::NetworkPage& n, bool shown) {
  for (QWidget* control : std::initializer_list<QWidget*>{n.ButtonAbort, n.LabelCanali, n.LabelScan,
                                                          n.BarraScansione, n.BarraCanali})
    control->setVisible(shown);
}

}  // namespace

// The scan's progress on the page, and the messages of the page's handlers.
class TRukMoxFormLight::NetworkPageFace : public workflow::ScanFace,
                                          public workflow::ConnectionFace {
 public:
  explicit NetworkPageFace(TRukMoxFormLight& window) : window_(window) {}

  void ScanStarts(std::int32_t requests, std::int32_t channels) override {
    // Nothing else starts on the module while the scan services messages.
    lock_.emplace(window_);
    const Ui::NetworkPage& n = *window_.network_;
    n.BarraScansione->setRange(0, requests);
    n.BarraCanali->setRange(0, channels);
    n.BarraScansione->setValue(0);
    n.BarraCanali->setValue(0);
    ShowScanProgress(n, true);
    window_.repaint();
    n.ListDevice->setRowCount(0);
    n.LabelCanali->setText(window_.LoadText(text::ChannelPrefix) + n.EditStartCh->text());
  }
  bool RequestDone(std::int32_t requests, std::int32_t request) override {
    return window_.ScanAttemptProgress(requests, request);
  }
  bool ChannelDone(std::int32_t requests, std::int32_t channelIndex, std::int32_t found) override {
    return window_.ScanChannelProgress(requests, channelIndex, found);
  }
  void ScanStops() override {
    const Ui::NetworkPage& n = *window_.network_;
    ShowScanProgress(n, false);
    window_.repaint();
    lock_.reset();
  }
  void ShowDevices(const std::vector<workflow::DeviceRow>&) override { window_.FillDeviceList(); }
  void Inform(const workflow::Notice& notice) override {
    window_.messages_.Information(Text(notice));
  }
  void ScanEnds() override {
    window_.network_->LabelCanali->setText(window_.LoadText(text::ChannelPrefix));
    window_.TabScansioneShow();
  }

  void Fail(const workflow::Notice& notice, std::int32_t) override {
    window_.messages_.Error(Text(notice));
  }
  void LoadRemote() override { window_.LoadRemote(); }
  void ShowConnection() override { window_.TabScansioneShow(); }

 private:
  QString Text(const workflow::Notice& notice) const {
    return QString::fromStdString(workflow::NoticeText(notice, window_.Language));
  }

  TRukMoxFormLight& window_;
  std::optional<LongOperation> lock_;
};

void TRukMoxFormLight::ConnectNetworkPage() {
  const Ui::NetworkPage& n = *network_;
  connect(n.ButtonScan, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonScanClick);
  connect(n.ButtonAbort, &QPushButton::clicked, this, &TRukMoxFormLight::ButtonAbortClick);
  connect(n.ButtonConnectMcu, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonConnectMcuClick);
  connect(n.ButtonDisconnectMcu, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonDisconnectMcuClick);
  connect(n.ListDevice, &QTableWidget::cellDoubleClicked, this,
          &TRukMoxFormLight::ListDeviceDblClick);
  connect(form_->PageControl, &QTabWidget::currentChanged, this, [this](int index) {
    if (form_->PageControl->widget(index) == form_->TabScansione) TabScansioneShow();
  });
}

std::int32_t TRukMoxFormLight::FirstChannel() const {
  return ChannelOf(network_->EditStartCh->text(), kFallbackFirst);
}

std::int32_t TRukMoxFormLight::LastChannel() const {
  return ChannelOf(network_->EditEndCh->text(), kFallbackLast);
}

void TRukMoxFormLight::FillDeviceList() {
  QTableWidget* list = network_->ListDevice;
  list->setRowCount(0);
  if (!Device) return;
  for (const workflow::DeviceRow& row : workflow::DeviceRows(*Device)) {
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

void TRukMoxFormLight::TabScansioneShow() {
  FillDeviceList();
  SetOperable(network_->ButtonConnectMcu, network_->ListDevice->rowCount() >= 1);
  SetOperable(network_->ButtonDisconnectMcu, LinkedRemote());
}

void TRukMoxFormLight::ButtonScanClick() {
  if (!Device || LongOperationRunning()) return;
  const Pause pause(*this);
  AbortRequested = false;
  NetworkPageFace face(*this);
  workflow::RunNetworkScan(*Device, face, FirstChannel(), LastChannel());
}

bool TRukMoxFormLight::ScanAttemptProgress(std::int32_t, std::int32_t attempt) {
  network_->BarraScansione->setValue(attempt + 1);
  // The only place where the scan lets the operator in: the stop button is handled here.
  QCoreApplication::processEvents();
  return AbortRequested;
}

bool TRukMoxFormLight::ScanChannelProgress(std::int32_t, std::int32_t channelIndex,
                                           std::int32_t found) {
  network_->BarraScansione->setValue(0);
  network_->BarraCanali->setValue(channelIndex + 1);
  if (found != 0) FillDeviceList();
  // Names the channel that comes next.
  network_->LabelCanali->setText(LoadText(text::ChannelPrefix) +
                                 QString::number(FirstChannel() + channelIndex + 1));
  return AbortRequested;
}

void TRukMoxFormLight::ListDeviceDblClick() {
  ButtonConnectMcuClick();
}

void TRukMoxFormLight::ButtonConnectMcuClick() {
  if (!Device || LongOperationRunning()) return;
  const Pause pause(*this);
  const QList<QTableWidgetItem*> selected = network_->ListDevice->selectedItems();
  if (selected.isEmpty()) return;
  const QTableWidgetItem* first = network_->ListDevice->item(selected.front()->row(), 0);
  if (first == nullptr) return;
  NetworkPageFace face(*this);
  workflow::ConnectDevice(*Device, face, first->data(kPositionRole).toInt());
}

void TRukMoxFormLight::ButtonDisconnectMcuClick() {
  if (!Device || LongOperationRunning()) return;
  const Pause pause(*this);
  NetworkPageFace face(*this);
  workflow::DisconnectDevice(*Device, face);
}

}  // namespace rukmox::window
