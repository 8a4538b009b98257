// The network page: scan a channel range for remote devices, list them, connect the dongle to one
// of them and drop the connection. The scan runs as an operation of the device session, one scan
// request a step, with its progress and its stop button here.
#pragma once

#include <QWidget>
#include <memory>

#include "Connection.h"
#include "NetworkScan.h"
#include "PageContext.h"
#include "PropertySteps.h"

namespace Ui {
class NetworkPage;
}

namespace rukmox::window {

class NetworkPage : public QWidget, private workflow::ScanFace, private workflow::ConnectionFace {
  Q_OBJECT

 public:
  explicit NetworkPage(PageContext& context, QWidget* parent = nullptr);
  ~NetworkPage() override;

  // The list and the scan controls follow the local device's panel.
  void Enable(bool on);
  void ApplyCaptions(int language);

  // The handlers and the page's own operations.
  void Showing();  // the page comes to the front: the list and the two connection buttons
  void FillDeviceList();
  void Scan();
  void Abort();
  void ListDoubleClick();
  void Connect();
  void Disconnect();
  bool ScanAttemptProgress(std::int32_t repeat, std::int32_t attempt);
  bool ScanChannelProgress(std::int32_t repeat, std::int32_t channelIndex, std::int32_t found);

 signals:
  void ReadAgain(rukmox::ReRead devices);

 private:
  // What the scan shows.
  void ScanStarts(std::int32_t requests, std::int32_t channels) override;
  bool RequestDone(std::int32_t requests, std::int32_t request) override;
  bool ChannelDone(std::int32_t requests, std::int32_t channelIndex, std::int32_t found) override;
  void ScanStops() override;
  void ShowDevices(const std::vector<workflow::DeviceRow>& rows) override;
  void Inform(const workflow::Notice& notice) override;
  void ScanEnds() override;
  // What connecting and disconnecting show.
  void Fail(const workflow::Notice& notice, std::int32_t errorWord) override;
  void LoadRemote() override;
  void ShowConnection() override;

  std::int32_t FirstChannel() const;
  std::int32_t LastChannel() const;
  void ShowScanProgress(bool shown);
  bool LinkedRemote() const;

  PageContext& context_;
  std::unique_ptr<Ui::NetworkPage> form_;
};

}  // namespace rukmox::window
