// The wireless-link page: whether a remote is linked, the link quality and the energy on the
// channel in use as the poll tick reads them, the operator's channel list, and the two flags
// that choose the language.
#pragma once

#include <QWidget>
#include <memory>

#include "LinkMonitor.h"
#include "PageContext.h"
#include "PropertySteps.h"

namespace Ui {
class LinkMonitorPage;
}

namespace rukmox::window {

class LinkMonitorPage : public QWidget {
  Q_OBJECT

 public:
  explicit LinkMonitorPage(PageContext& context, QWidget* parent = nullptr);
  ~LinkMonitorPage() override;

  // What a poll tick read; with the dongle closed only the pictures follow.
  void ShowReading(const workflow::LinkReading& reading);
  // No remote to show: the not-connected picture and quality 0.
  void ShowNoLink();

  // The readings of the local device and the channel list of the remote one follow their
  // panels.
  void EnableLocal(bool on);
  void ClearLocal();
  void EnableRemote(bool on);
  // The channel the remote is on, or none (-1).
  void ShowChannel(int channel);

  void ApplyCaptions(int language);
  // Gives the reading labels their own size; once the window's fonts are known.
  void FixReadingSizes();

  // The handler of the channel list.
  void ChannelChange();

 signals:
  // A flag was clicked: 0 Italian, 1 English.
  void LanguageChosen(int language);
  void ReadAgain(rukmox::ReRead devices);

 private:
  void ShowLinkPicture(bool linked);

  PageContext& context_;
  std::unique_ptr<Ui::LinkMonitorPage> form_;
};

}  // namespace rukmox::window
