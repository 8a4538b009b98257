// Names for the ids of the string table (the Italian entry; LoadText adds the English block's
// offset). Both faces, the window and rukmoxctl, refer to texts by these names only.
#pragma once

namespace rukmox::text {

enum Id : int {
  // Entries the program never shows: the language's own name, "1", the code page, its word for
  // "language".
  LanguageName = 0,
  LanguageNumber = 1,
  CodePage = 2,
  LanguageWord = 3,

  // Messages of the device panels.
  LoadFailed = 5,  // followed by the error word and "."
  LocalNameFailed = 6,
  ReconnectFailed = 7,
  LocalAddressFailed = 8,
  LocalPowerFailed = 9,
  RemoteLoadFailed = 10,  // never shown: a remote that cannot be read is disabled silently
  RemoteNameFailed = 11,
  RemoteAddressFailed = 12,
  RemotePowerFailed = 13,
  ChannelFailed = 14,

  // Messages of the PIN page.
  PinReadFailed = 16,
  PinChangeReadFailed = 17,
  PinChangeFailed = 18,  // followed by the result code and "."
  PinSetBoth = 19,
  PinSetLocal = 20,
  PinRemoveReadFailed = 21,
  PinRemoveFailed = 22,  // followed by the result code and "."
  PinRemovedBoth = 23,
  PinRemovedLocal = 24,

  // Network page.
  ChannelPrefix = 26,  // "Canale " with a trailing blank, "Channel" without
  FoundPrefix = 27,    // "Sono stati individuati " n ...
  FoundSuffix = 28,    // ... " dispositivi remoti." (the English one starts with U+00A0)
  NothingFound = 29,
  InvalidDevice = 30,
  ConnectFailedPin = 31,
  ConnectFailed = 32,
  DisconnectFailed = 33,

  // Programming.
  NoProgrammingFile = 34,
  Programmed = 36,
  EmptyData = 37,
  WrongEncryption = 38,
  InitFailed = 39,
  StartFailed = 40,
  RecordFailed = 41,  // followed by the record number and "."
  GenericProgrammingError = 42,
  BootLoaderRefused = 43,
  NoDongleFound = 44,
  CheckupFailed = 45,
  RemoteStoreFailed = 46,
  NoMcuFound = 47,

  // Captions.
  TabDevicesCaption = 49,
  LocalDeviceCaption = 50,
  RemoteDeviceCaption = 51,
  VersionCaption = 52,
  PropertiesCaption = 53,
  NameCaption = 54,
  AddressCaption = 55,
  PowerCaption = 56,
  ReprogrammingCaption = 57,
  ProgrammingFileCaption = 58,
  ProgramButtonCaption = 59,
  BrowseCaption = 60,  // ends in the ellipsis U+2026
  PinTabCaption = 62,
  RemovePinCaption = 63,
  ChangePinCaption = 64,
  ReadPinCaption = 65,
  LinkTabCaption = 66,
  ChannelCaption = 67,
  NetworkTabCaption = 69,
  DeviceListCaption = 70,
  ColumnName = 71,
  ColumnAddress = 72,
  ColumnChannel = 73,
  ColumnConnection = 74,
  ConnectCaption = 75,
  DisconnectCaption = 76,
  ScanGroupCaption = 78,
  ScanButtonCaption = 79,
  FirstChannelCaption = 80,
  LastChannelCaption = 81,
  ScanChannelCaption = 82,
  ScanProgressCaption = 83,
  AbortCaption = 84,
  SpectrumTabCaption = 85,
  SpectrumScanCaption = 86,
  SpectrumStopCaption = 87,
};

}  // namespace rukmox::text
