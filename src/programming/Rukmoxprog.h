// Reprograms the firmware of the dongle or of the MCU through its boot loader on a serial port.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>

#include "Rukcom.h"

// Device kinds, as EnterBootLoader takes them and as a boot loader reports itself.
inline constexpr std::int32_t DeviceDongle = 1;
inline constexpr std::int32_t DeviceMcu = 2;

// Results of ProgramFile. A failing record line n gives ProgramRecordBase + n.
inline constexpr std::int32_t ProgramOk = 0;
inline constexpr std::int32_t ProgramEmpty = 1;          // no data, or no record after the header
inline constexpr std::int32_t ProgramWrongHeader = 2;    // wrong encipherment mode
inline constexpr std::int32_t ProgramNoBootLoader = 3;   // port not opened or no boot loader on it
inline constexpr std::int32_t ProgramPrepareFailed = 4;  // the boot loader did not get ready
inline constexpr std::int32_t ProgramStartFailed = 5;    // the boot loader did not start
inline constexpr std::int32_t ProgramBadBuffer = 6;      // size field negative or beyond the block
inline constexpr std::int32_t ProgramStopped = 7;        // asked to stop, between two records
inline constexpr std::int32_t ProgramRecordBase = 100;

// Modes in byte 1 of the status record.
inline constexpr std::uint8_t ModeDongleApplication = 1;
inline constexpr std::uint8_t ModeMcuApplication = 2;
inline constexpr std::uint8_t ModeBootLoader = 3;

class TRukMoxProg : public TRukCom {
 public:
  static constexpr std::uint32_t FrameSize = 200;

  // Boot-loader frames. A command is BootCommandPrefix and its code; the start frame is BootStart
  // alone; a record frame opens with the record's own "S". All but records end with their sum.
  enum BootCommand : std::uint8_t {
    BootCommandPrefix = 0x00,
    BootQueryStatus = 0x02,
    BootPrepare = 0x09,
    BootStart = 0x93,
  };

  // What a boot loader answers after the echo of a frame.
  enum BootAnswer : std::uint8_t {
    BootData = 0x53,      // "S": the answer's data follow; doubled, a record was taken
    BootAccepted = 0xA7,  // doubled: the start or a record was taken
    BootRefused = 0xCA,   // two bytes and the sum follow
  };

  // Application mode, MCU dialect: LEN CMD arguments CS, LEN counting the whole frame. The checkup
  // register set to 00 FF keeps the MCU in its boot loader when it restarts.
  enum McuCommand : std::uint8_t {
    McuStatus = 0x01,
    McuRestart = 0x04,
    McuWriteCheckup = 0x0F,
  };

  // Application mode, dongle dialect: the radio module's own command frame to the local module,
  // closed by a checksum byte.
  enum DongleCommand : std::uint8_t {
    DongleInfo = 0x01,
    DongleBootLoader = 0x1C,
  };

  // Byte 1 is the mode, byte 4 the device kind a boot loader reports; the rest is carried along.
  using TStatusRecord = std::array<std::uint8_t, 8>;
  // Position in percent (0..100); the second argument is reserved and always 0.
  using TProgressEvent = std::function<void(std::int32_t position, std::int32_t reserved)>;

  // The arguments of TRukCom, whose port list comes from `settings` once; the object starts
  // closed.
  TRukMoxProg(void* owner, std::int32_t port, std::int32_t baudIndex, std::int32_t* errorWord,
              bool optionFlag, std::int32_t dtrControl, std::int32_t rtsControl,
              const rukmox::platform::TransportSettings& settings = {});
  ~TRukMoxProg() override;

  // Leaves the device of the given kind on the open port (opened here if need be) running its
  // boot loader at 9600 baud. On failure the port is closed.
  bool EnterBootLoader(std::int32_t kind);

  // Programs a sized buffer: the file's size as a signed 32-bit little-endian integer, then the
  // file's bytes. Nothing is read beyond the block. Returns one of the Program* results. Every
  // record line is looked at before the boot loader is touched: a line that cannot become a frame
  // (too long for the 200-byte frame, or shorter than two characters) gives
  // ProgramRecordBase + its number without anything being sent.
  std::int32_t ProgramFile(std::span<const std::uint8_t> sizedBuffer);

  // Called with 0 once programming starts and after every accepted record; empty by default.
  TProgressEvent OnProgress;
  // Asked before the boot loader is prepared and before every record; true ends ProgramFile with
  // ProgramStopped, so the record in flight is always finished. Empty by default.
  std::function<bool()> StopRequested;
  // The records the boot loader took during the last ProgramFile.
  std::int32_t RecordsAccepted = 0;

  // The single steps, as EnterBootLoader and ProgramFile use them. Each leaves the reason of a
  // failure in the error word (bits of its last attempt only).
  bool QueryBootStatus(TStatusRecord& status);
  bool IsInBootLoader();  // closes the port when not
  bool PrepareProgramming();
  bool StartProgramming();
  bool SendRecord(std::span<const std::uint8_t> line);  // one record line, without its line end
  bool QueryMcuStatus(TStatusRecord& status);
  bool RequestMcuBoot1();
  bool RequestMcuBoot2();
  bool QueryDongleStatus(TStatusRecord& status);
  bool RequestDongleBoot();

 protected:
  void BeginFrame();
  void AddByte(std::uint8_t byte);
  // Application-mode frames: closing byte makes the frame sum to 0; no echo comes back.
  bool WriteApplicationFrame();
  // Boot-loader frames: written, echo read and compared; Checksum then sums the answer.
  bool SendFrame(bool withChecksum);

  std::uint8_t TxBuffer[FrameSize] = {};
  std::uint8_t RxBuffer[FrameSize] = {};
  std::int32_t TxLength = 0;
  std::uint8_t Checksum = 0;

 private:
  // One byte into RxBuffer; 0 in `byte` when nothing came.
  bool ReadByte(std::uint8_t& byte, std::uint32_t firstByteTimeout = 0);
  // Boot-loader answer bytes, summed into Checksum as they come.
  bool ReadAnswerByte(std::uint8_t& byte, std::uint32_t firstByteTimeout = 0);
  bool ReadAnswerBytes(std::uint8_t* bytes, std::uint32_t count);
  // Reads the closing byte and compares it with the sum; the sum starts again at 0.
  bool ReadAnswerChecksum(bool& matches);
  // The rest of a refusal: two bytes and the checksum.
  void ReadRefusal();
  // A boot-loader command closed by its sum, sent with SendFrame; the answer is summed from 0.
  void SendBootCommand(std::initializer_list<std::uint8_t> bytes);
  // Application-mode commands, closed and written without echo.
  bool WriteMcuCommand(McuCommand command, std::span<const std::uint8_t> arguments = {});
  bool WriteDongleCommand(DongleCommand command);
  void BreakBurst();
  bool RequestMcuBoot(McuCommand command, std::span<const std::uint8_t> arguments);
  // After the application has been asked to start its boot loader: back to 9600 and ask it.
  bool ConfirmBootLoader();
};
