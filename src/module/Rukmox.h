// The radio-module protocol: TRukMox speaks to the local radio module (the USB dongle) and, through
// it, to the remote module over the radio. It is a transport in its own right: Read and Write carry
// transparent data to the remote side.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Rukftdi.h"

// Transmit power register values, indexed by power level 0..21.
inline constexpr int PowerTableSize = 22;
inline constexpr std::uint8_t PowerTable[PowerTableSize] = {
    0x00, 0x04, 0x08, 0x0C, 0x1C, 0x2C, 0x3C, 0x4C, 0x5C, 0x6C, 0x7C,
    0x8C, 0x9C, 0xAC, 0xBC, 0xCC, 0xDC, 0xEC, 0xFC, 0xFD, 0xFE, 0xFF};

// The levels the window offers: "min (-10dBm)", "default (0dBm)" and "max (+3dBm)".
inline constexpr std::int32_t PowerLevelMin = 7;
inline constexpr std::int32_t PowerLevelDefault = 14;
inline constexpr std::int32_t PowerLevelMax = 21;

// Serial rates of the modules on the index scale of the baud table.
inline constexpr int ModuleRateCount = 10;
inline constexpr std::int32_t ModuleRates[ModuleRateCount] = {110,  300,   1200,  2400,  4800,
                                                              9600, 19200, 38400, 57600, 115200};

inline constexpr int RadioChannelCount = 16;
inline constexpr std::int32_t NoLevel = -94;  // dBm; also the level of a failed reading

// Names hold at most 9 single-byte characters and a terminating zero.
inline constexpr int ModuleNameSize = 10;
inline constexpr int PinSize = 4;

// What both records hold, in this order: version, name, link, address, channel, rate, power and
// the configuration reply's values.
struct TDeviceRecordParameters {
  std::uint8_t VersionH = 0;
  std::uint8_t VersionF = 0;
  std::uint8_t VersionP = 0;
  std::uint32_t VersionM = 0;
  std::uint8_t InfoBytes[5] = {};
  char Name[ModuleNameSize] = {};
  bool Linked = false;
  std::uint32_t Address = 0;
  std::uint32_t PeerAddress = 0;
  std::int32_t Channel = 0;
  std::int32_t BaudRate = 0;
  std::uint8_t PowerLevel = 0;  // 255 when the module's power byte is not in the table
  float ConfigProduct = 0;
  std::uint8_t ConfigByte = 0;
  bool ConfigFlag = false;
  float ConfigScale = 0;
};

struct TLocalDeviceRecord : TDeviceRecordParameters {
  bool PinProtected = false;
  std::uint8_t InfoTail[4] = {};
};

struct TRemoteDeviceRecord : TDeviceRecordParameters {
  std::int32_t ConfigExtra = 0;
  bool PinProtected = false;
  std::uint8_t InfoTail[4] = {};
};

class TRukMox : public TRukFtdi {
 public:
  static constexpr std::int32_t MoxPort = 3000;
  static constexpr int BufferSize = 110;
  static constexpr int ChunkBufferSize = 200;
  static constexpr int MaxChunk = 100;  // data bytes per data frame
  static constexpr int SamplesPerChannel = 3;
  static constexpr std::int32_t DefaultScanRepeat = 10;
  static constexpr std::int32_t DefaultHopThreshold = 22;
  // Rounds of AdaptChannel's search per call; the poll timer calls it again on its next tick.
  static constexpr int MaxAdaptRounds = 3;

  // Command codes of the module protocol.
  enum Command : std::uint8_t {
    CmdData = 0,
    CmdInfo = 1,
    CmdSerialBaud = 2,
    CmdSetChannel = 3,
    CmdConfig = 5,
    CmdScan = 6,
    CmdConnect = 8,
    CmdLinkStatus = 9,
    CmdLinkTo = 10,
    CmdGetChannel = 12,
    CmdDisconnect = 13,
    CmdStore = 14,
    CmdSetName = 15,
    CmdLinkQuality = 16,
    CmdEnergy = 17,
    CmdSetPower = 19,
    CmdSetAddress = 22,
    CmdStartReprogramming = 25,
    CmdCheckupRegister = 26,
    CmdBootLoader = 28,
    CmdPing = 31,
    CmdRemoteMode = 34,
    CmdSetPin = 35,
    CmdReadPin = 36,
    CmdEnergyScan = 41,
  };

  // The module a command goes to: the dongle, or the remote module over the radio.
  enum class Target : std::uint8_t { Local, Remote };
  static constexpr Target TargetOf(bool remote) { return remote ? Target::Remote : Target::Local; }

  // An exchange reads a reply, and sends a remote command only over a link; these lift either.
  enum class ExchangeFlags : std::uint8_t {
    None = 0,
    SkipLinkCheck = 1,  // a remote command while none is linked: the scan and the connect
    NoReply = 2,        // a data frame: no target byte, nothing read back
  };
  friend constexpr ExchangeFlags operator|(ExchangeFlags a, ExchangeFlags b) {
    return static_cast<ExchangeFlags>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
  }

  // Called after each scan request: (repeat, request index); true stops the requests.
  using ScanStepHandler = std::function<bool(std::int32_t repeat, std::int32_t request)>;
  // Called after each scanned channel: (repeat, channel index from the first, records added);
  // true stops the scan.
  using ChannelStepHandler =
      std::function<bool(std::int32_t repeat, std::int32_t channelIndex, std::int32_t found)>;

  // owner is not used; port is ignored (Port becomes 3000); remoteBaudIndex is the baud index
  // wanted for the remote module's serial side. The USB side always starts at 115200.
  TRukMox(void* owner, std::int32_t port, std::int32_t remoteBaudIndex, std::int32_t* errorWord,
          bool optionFlag, std::int32_t dtrControl, std::int32_t rtsControl,
          std::unique_ptr<rukmox::platform::D2xxLibrary> library = nullptr);
  ~TRukMox() override;

  // Transport operations with a meaning of their own here.
  std::int32_t GetBaudIndex() override;                    // the remote module's serial baud index
  std::int32_t SetBaudIndex(std::int32_t index) override;  // 0..9, else -1
  bool Open() override;
  void Close() override;
  bool Read(void* buffer, std::uint32_t count, std::uint32_t firstByteTimeout) override;
  bool Write(const void* buffer, std::uint32_t count, std::int32_t flags) override;
  void ClearOptionFlag() override;
  void SetOptionFlag() override;

  // Link layer. Exchange returns the bytes sent (at least 4) or -1; Exchanged tells which.
  std::int32_t Exchange(std::uint8_t command, bool remote, bool skipLinkCheck, bool noReply,
                        std::int32_t count, const std::uint8_t* payload);
  // The same with its options named, as in Exchange(CmdStore, Target::Remote).
  std::int32_t Exchange(std::uint8_t command, Target target,
                        std::span<const std::uint8_t> payload = {},
                        ExchangeFlags flags = ExchangeFlags::None);
  static constexpr bool Exchanged(std::int32_t result) { return result >= 0; }
  bool BuildFrame(std::uint8_t command, bool remote, bool omitTarget, std::int32_t count,
                  const std::uint8_t* payload);
  bool AppendByte(std::uint8_t value, bool counted);
  bool AppendReplyByte(std::uint8_t value);

  // Records and parameter commands. Names and PINs are UTF-8 here and single-byte
  // (Windows-1252) on the wire; a character without a single-byte form becomes "?".
  bool ReadLocalInfo();
  bool ReadLinkStatus();
  std::int32_t GetLocalChannel();  // -1 on failure
  bool SetLocalChannel(std::int32_t channel);
  bool StoreLocalSettings();
  bool StoreRemoteSettings();
  bool SetName(const std::string& name, bool remote);
  bool SetLocalAddress(std::uint32_t address);
  static bool IsValidAddress(std::uint32_t value);
  bool SetPower(std::int32_t level, bool remote);
  static std::int32_t PowerLevelOf(std::uint8_t registerByte);  // -1 when not in the table
  bool SetSerialBaud(std::int32_t rate, bool remote);
  bool ReadConfig(bool remote);
  bool SetPin(const std::string& oldPin, const std::string& newPin, bool remote);
  bool ReadPin(std::string& pin, bool remote);
  // 0 done, 1 remote refused, 2 remote did not store, 3 local refused, 4 local did not store,
  // 5 reading the link status afterwards failed.
  std::int32_t ChangePin(const std::string& oldPin, const std::string& newPin);
  std::int32_t RemovePin(const std::string& oldPin);
  bool Ping(bool remote);
  bool SendToBootLoader();
  bool StartRemoteReprogramming(bool remote);
  bool WriteCheckupRegister(std::uint8_t byte0, std::uint8_t byte1, bool remote);

  // Remote device operations.
  void ClearDevices();
  bool ContainsDevice(const TRemoteDeviceRecord& record) const;
  void AddDevice(std::unique_ptr<TRemoteDeviceRecord> record);
  void SelectDevice(std::int32_t index);
  void SelectDeviceByName(const std::string& name, std::uint32_t address);
  void ScanNetwork(std::int32_t first, std::int32_t last);
  std::int32_t ScanChannels(std::uint8_t command, std::int32_t repeat, std::int32_t first,
                            std::int32_t last);
  std::int32_t ScanCurrentChannel(std::uint8_t command, std::int32_t repeat);
  bool LinkToRemote();
  bool ConnectRemote(bool relink);
  bool DisconnectRemote();
  bool ReadRemoteInfo();
  bool ChangeChannel(std::int32_t channel);
  bool SetRemoteAddress(std::uint32_t address);

  // Steps of Open.
  bool WakeModule();
  bool SearchLocalBaud();

  // Link and energy measurements, in dBm; the value is left untouched on failure.
  bool ReadLinkQuality(std::int32_t& value, bool remote);
  bool ReadEnergy(std::int32_t& value, bool remote);
  // min(16, count) values, 95 - raw byte each (larger means more energy).
  bool ReadEnergyScan(std::uint8_t* values, std::int32_t count);
  bool AdaptChannel();

  std::int32_t RemoteBaudIndex = 0;
  bool RemoteOptionFlag = false;
  std::int32_t ScanRepeat = DefaultScanRepeat;
  std::uint8_t TxBuffer[BufferSize] = {};
  std::int32_t TxLength = 0;
  std::uint8_t RxBuffer[BufferSize] = {};
  std::int32_t RxLength = 0;
  std::int32_t SampleTable[RadioChannelCount][SamplesPerChannel] = {};
  std::int32_t SampleIndex = 0;
  std::int32_t LinkLevel = 0;  // dBm + 94 of the channel in use, as AdaptChannel last measured it
  std::int32_t HopThreshold = DefaultHopThreshold;  // 0 or less: no automatic channel change
  std::int32_t ChannelChanges = 0;
  std::uint8_t SequenceNumber = 0;
  std::uint8_t ChunkBuffer[ChunkBufferSize] = {};
  ScanStepHandler OnScanStep;
  ChannelStepHandler OnChannelStep;
  TLocalDeviceRecord Local;
  TRemoteDeviceRecord* Current = nullptr;  // points into Devices, owns nothing
  std::vector<std::unique_ptr<TRemoteDeviceRecord>> Devices;

 private:
  bool TellRemoteChannel(std::int32_t channel);
  bool PingAny(bool remote, int attempts);
  std::int32_t MeasureLevel();
  void ModeSwitch(std::uint8_t value);
  void AdvanceSequenceNumber();
  bool SendChunk(const std::uint8_t* data, std::uint32_t count);
};
