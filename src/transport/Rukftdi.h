// A device behind an FTDI USB-serial chip, driven through the D2XX entry points.
#pragma once

#include <memory>

#include "Rukdevice.h"
#include "platform/D2xx.h"
#include "platform/D2xxLibrary.h"

class TRukFtdi : public TRukDevice {
 public:
  static constexpr std::int32_t FtdiPort = 2000;

  // library: where the entry points come from; null loads our own ftdi_sio layer with the default
  // settings. The programs hand in the library their settings name, tests a table of their own.
  TRukFtdi(void* owner, std::int32_t port, std::int32_t baudIndex, std::int32_t* errorWord,
           bool optionFlag, std::int32_t dtrControl, std::int32_t rtsControl,
           std::unique_ptr<rukmox::platform::D2xxLibrary> library = nullptr);
  ~TRukFtdi() override;

  std::int32_t SetPort(std::int32_t port) override;
  std::int32_t SetBaudIndex(std::int32_t index) override;
  bool Open() override;
  void Close() override;
  bool Write(const void* buffer, std::uint32_t count, std::int32_t flags) override;
  std::int32_t GetInQueue() override;
  bool GetCts() override;

  bool GetPurgeBeforeWrite() const { return PurgeBeforeWrite; }
  void SetPurgeBeforeWrite(bool purge) { PurgeBeforeWrite = purge; }

 protected:
  // Steps 1 to 12 of opening: the first free device whose description contains `description`
  // (case-sensitive), opened by location id and configured. The radio-module class looks for
  // another description and reuses this.
  bool OpenByDescription(const char* description);

  FTTIMEOUTS OpenTimeouts(std::uint32_t firstByteTimeout = 0) const;

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

  static constexpr const char* SerialDescription = "USB Serial Port";

  FTTIMEOUTS SavedTimeouts{};
  bool PurgeBeforeWrite = true;
  std::unique_ptr<rukmox::platform::D2xxLibrary> Library;
  D2xxEntryPoints Entry{};  // copied from Library; null where an entry point is missing
  FT_HANDLE Handle = nullptr;

 private:
  // The index of the first free device whose description contains `description`, and its
  // location id; false when there is none.
  bool FindDevice(const char* description, DWORD* locId);
  // Undoes a half-done open: the handle goes back to the library, ErrOpen is set.
  bool FailOpen();
  // Raises or lowers a line on the held handle.
  bool Escape(DWORD function);

  FTTIMEOUTS FirstByteSaved{};  // in force before a first-byte read
};
