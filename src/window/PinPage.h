// The PIN page: set or remove the PIN that guards the radio link. The old PIN always comes from
// the dongle, the new one from EditPin; the module changes the linked remote's PIN as well.
#pragma once

#include <QWidget>
#include <memory>

#include "PageContext.h"
#include "PinChange.h"
#include "PropertySteps.h"

namespace Ui {
class PinPage;
}

namespace rukmox::window {

class PinPage : public QWidget {
  Q_OBJECT

 public:
  explicit PinPage(PageContext& context, QWidget* parent = nullptr);
  ~PinPage() override;

  // The page's controls follow the local device's panel.
  void Enable(bool on);
  void Clear();
  // ButtonReadPin is a service control.
  void SetServiceMode(bool on);
  void ApplyCaptions(int language);

  // The handlers.
  void KeyPress(char16_t& key);
  void ReadPin();
  void ChangePin();
  void RemovePin();

 signals:
  void ReadAgain(rukmox::ReRead devices);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The change's message, then the remote panel read again when the remote took part.
  void Tell(const workflow::PinOutcome& outcome);

  PageContext& context_;
  std::unique_ptr<Ui::PinPage> form_;
};

}  // namespace rukmox::window
