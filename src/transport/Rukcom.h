// A numbered serial port, used by the boot-loader programming class.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Rukdevice.h"
#include "platform/SerialPort.h"
#include "platform/TransportSettings.h"

class TRukCom : public TRukDevice {
 public:
  static constexpr std::int32_t MaxPort = 255;
  static constexpr std::uint32_t QueueSize = 4096;
  static constexpr std::uint32_t PurgeBeforeWriteMask =
      rukmox::platform::PurgeTxClear | rukmox::platform::PurgeRxClear;

  // owner is kept for the caller's bookkeeping only; port 0..255 else 0; baud index 2..9 else 5.
  // The port list comes from `settings` once, here: port k is entry k for the object's life, so
  // a search over all port numbers looks at the system only once.
  TRukCom(void* owner, std::int32_t port, std::int32_t baudIndex, std::int32_t* errorWord,
          bool optionFlag, std::int32_t dtrControl, std::int32_t rtsControl,
          const rukmox::platform::TransportSettings& settings = {});
  ~TRukCom() override;

  std::int32_t SetPort(std::int32_t port) override;
  std::int32_t SetBaudIndex(std::int32_t index) override;
  bool Open() override;
  void Close() override;
  bool Write(const void* buffer, std::uint32_t count, std::int32_t flags) override;
  std::int32_t GetInQueue() override;
  bool GetCts() override;

  // The time-outs the port works with now; all zero while closed.
  rukmox::platform::CommTimeouts CurrentTimeouts() const;
  // The device paths behind the port numbers, as resolved at construction.
  const std::vector<std::string>& PortPaths() const { return Ports; }
  // The settings the object was made with: whether the ports were named, where the dongle is.
  const rukmox::platform::TransportSettings& Settings() const { return MadeWith; }

 protected:
  // Time-outs derived from Timeout; firstByteTimeout replaces the read total constant when
  // non-zero.
  rukmox::platform::CommTimeouts OpenTimeouts(std::uint32_t firstByteTimeout = 0) const;

  bool HoldsHandle() const override { return Handle != nullptr; }
  bool DriveDtr(bool level) override;
  bool DriveRts(bool level) override;
  void WriteOpenTimeouts() override;
  bool BeginFirstByteTimeout(std::uint32_t milliseconds) override;
  void RestoreTimeouts() override;
  bool ReadSome(std::uint8_t* into, std::uint32_t count, std::uint32_t* received) override;
  void BreakOn() override;
  void BreakOff() override;
  void ReleaseHandle() override;

  rukmox::platform::CommTimeouts SavedTimeouts{};
  std::unique_ptr<rukmox::platform::SerialPort> Handle;
  void* Owner;  // the creator; the transport itself never uses it

 private:
  rukmox::platform::TransportSettings MadeWith;
  std::vector<std::string> Ports;
  rukmox::platform::CommTimeouts FirstByteSaved{};  // in force before a first-byte read
};
