// A device's property group: version, name, address and power of the local device (the dongle)
// or of the remote device, with the key filters that send a change on Enter, the power list that
// sends the level picked, and the re-read when a field is left. One class for either device; its
// controls are named for the device it shows (EditNomeDongle, EditNomeMcu, ...).
#pragma once

#include <QGroupBox>
#include <memory>

#include "PageContext.h"
#include "PropertySteps.h"

namespace Ui {
class DevicePanel;
}

namespace rukmox::window {

class DevicePanel : public QGroupBox {
  Q_OBJECT

 public:
  enum class Device { Local, Remote };

  DevicePanel(Device device, PageContext& context, QWidget* parent = nullptr);
  ~DevicePanel() override;

  // Fills the panel from a device record; setting the fields runs none of the handlers.
  void Show(const TDeviceRecordParameters& record);
  // The empty panel: version "H0 - F0 - M0 - P0", empty fields, no power selected.
  void Clear();
  void Enable(bool on);
  void ApplyCaptions(int language);

  // The handlers. The key handlers take the typed character and may replace it by 0 (the field
  // then ignores it).
  void NameKeyPress(char16_t& key);
  void AddressKeyPress(char16_t& key);
  void PowerChange();
  void Exit();

 signals:
  // The devices whose panels are to be read again.
  void ReadAgain(rukmox::ReRead devices);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Remote() const { return device_ == Device::Remote; }
  // A change's outcome: its message when it failed, then the devices it names read again.
  // The step's failure, or its change in the operations log; then the re-read it names.
  void ShowStep(const StepResult& step, text::Id property, const QString& value);

  Device device_;
  PageContext& context_;
  std::unique_ptr<Ui::DevicePanel> form_;
};

}  // namespace rukmox::window
