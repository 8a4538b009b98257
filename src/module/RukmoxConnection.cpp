// The life of the module object: construction, Open with wake-up and baud search, Close.
#include <algorithm>
#include <cstring>

#include "Rukmox.h"

namespace {

constexpr char DongleDescription[] = "Wireless Port";
constexpr int WakeBreaks = 6;
constexpr std::int32_t WakeBreakMilliseconds = 10;
constexpr std::int32_t UsbStartBaudIndex = 9;  // 115200
constexpr std::int32_t SearchBaudIndexes[] = {5, 6, 7, 8};

}  // namespace

TRukMox::TRukMox(void* owner, std::int32_t port, std::int32_t remoteBaudIndex,
                 std::int32_t* errorWord, bool optionFlag, std::int32_t dtrControl,
                 std::int32_t rtsControl, std::unique_ptr<rukmox::platform::D2xxLibrary> library)
    : TRukFtdi(owner, port, remoteBaudIndex, errorWord, optionFlag, dtrControl, rtsControl,
               std::move(library)),
      RemoteBaudIndex(remoteBaudIndex),
      RemoteOptionFlag(optionFlag) {
  Port = MoxPort;
  TRukDevice::SetName("RUK MOX");
  BaudIndex = UsbStartBaudIndex;
  OptionFlag = true;
}

TRukMox::~TRukMox() {
  if (Opened) Close();
}

bool TRukMox::Open() {
  if (Opened) Close();
  ClearError();
  if (!OpenByDescription(DongleDescription)) return false;

  for (auto& row : SampleTable) std::fill(std::begin(row), std::end(row), NoLevel);
  SampleIndex = 0;
  LinkLevel = 0;
  std::memset(ChunkBuffer, 0, sizeof ChunkBuffer);

  // A module that holds CTS on is asleep; breaks wake it.
  if (GetCts() && !WakeModule()) {
    Close();
    return false;
  }

  Local = TLocalDeviceRecord{};
  AddDevice(std::make_unique<TRemoteDeviceRecord>());
  Current = Devices.back().get();

  if (!Ping(false) && !SearchLocalBaud()) {
    AssignError(ErrNoAnswer);
    Close();
    return false;
  }
  if (!ReadLocalInfo()) {
    AssignError(ErrNoAnswer);
    Close();
    return false;
  }
  if (Local.PeerAddress > 0 && Local.PeerAddress < 65535) {
    Current->Address = Local.PeerAddress;
    Current->Channel = Local.Channel;
  }
  if (ConnectRemote(false)) {
    SetBaudIndex(RemoteBaudIndex);
    if (RemoteOptionFlag) {
      SetOptionFlag();
    } else {
      ClearOptionFlag();
    }
    ReadRemoteInfo();
  } else {
    AssignError(ErrSetup);
  }
  return true;
}

void TRukMox::Close() {
  TRukFtdi::Close();
  ClearDevices();
}

bool TRukMox::WakeModule() {
  for (int i = 0; i < WakeBreaks; ++i) SendBreak(WakeBreakMilliseconds);
  return !GetCts();
}

bool TRukMox::SearchLocalBaud() {
  const std::int32_t saved = TRukFtdi::GetBaudIndex();
  for (const std::int32_t index : SearchBaudIndexes) {
    // A failed rate change closes the channel; nothing more can be tried then.
    if (TRukFtdi::SetBaudIndex(index) == -1) return false;
    if (Ping(false)) {
      Local.BaudRate = ModuleRates[index];
      return true;
    }
  }
  TRukFtdi::SetBaudIndex(saved);
  return false;
}
