// The tool's own words, which the string table does not hold: what rukmoxctl prints (captions of
// its own, the link and PIN states, its messages) and the window's words beyond its captions (the
// status line, its menu, names for assistive technology). Written in English; the other languages
// are the catalogues' translations (Languages.h).
//
// Texts with values carry the places "%1" to "%9"; FillIn puts the values there. A translation
// keeps every place of the English text, in any order.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "Languages.h"

namespace rukmox::extra {

enum Id : int {
  // Captions of the panel lines and of the device list.
  LinkCaption,
  PinCaption,
  PowerWithLevel,  // %1 the power entry, %2 the level

  // Values.
  PinProtected,
  PinNone,
  Yes,
  No,
  Linked,
  NotLinked,
  ChannelChanged,

  // Messages of rukmoxctl's own.
  NoRemoteConnected,
  ErrorWordNote,   // %1 the error word
  TargetNotFound,  // %1 the target, %2 and %3 the channel range
  NoEnergyReading,
  PingSummary,      // %1 answers, %2 per second, %3 median round trip in ms
  PingsUnanswered,  // %1 unanswered, %2 sent
  FileUnreadable,   // %1 the file
  DongleDisconnected,
  PortDisconnected,  // %1 the port's device path
  NoDongleAttached,
  DongleMissing,       // %1 the dongle's path
  DongleNotATty,       // %1 the dongle's path
  DongleHeld,          // %1 the dongle's path, %2 the program holding its lock, %3 its process id
  DongleHeldUnknown,   // %1 the dongle's path
  DongleNoPermission,  // %1 the dongle's path, %2 the group that may use it

  // The window's status line.
  DongleInUse,    // followed by where the dongle is
  NoDongleAt,     // followed by the path that was tried
  NoDongleFound,  // no path was given: none among the USB devices
  UsbDongle,      // where a dongle found by its USB description is
  Simulated,      // after the path of the simulator's dongle
  DongleGone,     // the dongle was open and has disappeared
  ServiceModeOn,  // after the rest of the line
  // The window's menu and service controls.
  DongleMenu,
  Reconnect,
  LanguageMenu,  // lists every language by its own name
  DeltaSignal,   // the button of the channel delta-signal report
  // Names that assistive technology reads for the window's pictures.
  LinkUp,         // ImageConnected
  LinkDown,       // ImageNotConnected
  ItalianFlag,    // ImageIta
  EnglishFlag,    // ImageEng
  SpectrumChart,  // ChartScan
  // The programming job.
  WaitingInBootLoader,  // after a failure once the target was prepared
  // What the programming job finds before it touches any device, and a job that was stopped.
  NothingSent,            // after a refusal
  ProgramFileMissing,     // %1 the file
  ProgramFileIsFolder,    // %1 the path
  ProgramFileNotRegular,  // %1 the path
  FileWithoutRecords,     // no record line after the header
  RecordNotSRecord,       // the record line has not the form of an S-record
  RecordTypeUnknown,      // %1 the record type
  RecordTooShort,         // the count leaves no room for the type's address
  FileWithoutEnd,         // the last record is not an end record
  RecordAfterEnd,         // a record follows the end record
  NoPortsToSearch,        // the port list is empty
  PortMissing,            // %1 the port's path
  PortNotSerial,          // %1 the port's path
  PortHeld,               // %1 the port's path, %2 the program holding its lock, %3 its process id
  PortHeldUnknown,        // %1 the port's path
  PortNoPermission,       // %1 the port's path, %2 the group that may use it
  PortIsDongle,           // %1 the port's path
  ProgrammingStopped,     // %1 records the boot loader took, %2 records in the file
  StoppedBeforeRecords,
  Interrupted,  // %1 the signal that ended the operation

  // The data bridge.
  BridgeOpened,       // %1 the terminal's path
  BridgeCounts,       // %1 bytes sent to the remote, %2 bytes received from it
  BridgeUndelivered,  // %1 bytes
  BridgeNoTerminal,   // %1 the system's reason
  BridgeDongleGone,
  BridgeSendFailed,

  // Configuration profiles.
  ProfileUnreadable,  // %1 the file, %2 why
  ProfileUnwritable,  // %1 the file, %2 why
  ProfileRejected,    // %1 the file, %2 the field, %3 what is wrong with it
  ProfileNotJson,
  ProfileNotObject,
  ProfileFieldMissing,
  ProfileFieldUnknown,
  ProfileVersionUnknown,  // %1 the version this tool writes
  ProfileBadName,
  ProfileBadAddress,
  ProfileBadPower,
  ProfileBadChannel,
  ProfileBadFlag,
  ProfileNeedsRemote,
  ProfileSaved,  // %1 the file
  ProfileUnchanged,
  ProfileChange,       // %1 the field, %2 the value now, %3 the profile's value
  ProfilePinDiffers,   // %1 the field, %2 the profile's PIN state, %3 the device's
  ProfileChannelLeft,  // %1 the profile's channel, %2 the dongle's
  ProfileDryRun,
  ProfileStopped,  // %1 the field whose change failed

  // Range test.
  RangeAnswered,  // %1 the ping, %2 of how many, %3 round trip in ms
  RangeLost,      // %1 the ping, %2 of how many
  RangeQuality,   // %1 local quality, %2 remote quality
  RangeSummary,  // %1 sent, %2 answered, %3 lost, %4 loss in %, %5 median ms, %6 95th percentile ms
  RangeEcho,     // %1 round trip in ms
  RangeEchoLost,
  RangeEchoSummary,  // as RangeSummary

  // The window's link history and range test.
  HistoryTab,
  HistoryChart,  // the chart's name for assistive technology
  HistoryQuality,
  HistoryEnergy,
  HistoryMove,
  HistoryPause,
  HistorySave,
  HistoryUnwritable,  // %1 the file, %2 why
  RangeTab,
  RangeStart,
  RangeStop,
  RangeCounts,  // %1 sent, %2 answered, %3 lost, %4 loss in %
  RangeTrip,    // %1 median round trip in ms, %2 95th percentile in ms
  // The window's profile actions.
  ProfileSaveAction,
  ProfileApplyAction,
  ProfileConfirm,  // after the list of changes

  // The window's data console.
  ConsoleTab,
  ConsoleStart,
  ConsoleStop,
  ConsoleSend,
  ConsoleModeText,
  ConsoleModeHex,
  ConsoleLineEnd,    // the line-end list's name and tip
  ConsoleNoLineEnd,  // its first entry
  ConsoleView,       // the view's name for assistive technology
  ConsoleCounts,     // %1 bytes sent, %2 bytes received
  ConsoleBadHex,
  ConsoleStillSending,
  ConsoleSendFailed,

  // Why a file could not be read or written, after its name.
  FileNoName,
  FileMissing,
  FileNoPermission,
  FileIsDirectory,
  FileNotRegular,
  FileIsLink,
  FileTooLarge,  // %1 the bound in bytes
  FileDiskFull,
  FileReadOnly,
  // Output that cannot be written.
  OutputUnwritable,  // %1 why
  OutputClosed,
  // Why the dongle could not be opened, beyond the reasons above.
  DongleNotASerialPort,  // %1 the dongle's path
  DongleOwnerOnly,       // %1 the dongle's path, %2 the user who owns it
  DongleSilent,          // %1 the dongle's path
  D2xxUnloadable,        // %1 the library file, %2 the system's reason
  // Rules a change must keep.
  ProfileKeyTwice,
  ProfileNameRefused,
  ProfileAddressTaken,
  AddressTaken,
  // Range test.
  RangeAllLost,
  // The tools window and its menu.
  ToolsTitle,
  ToolsMenu,
  ToolsHistoryAction,
  ToolsRangeAction,
  ToolsConsoleAction,
  ToolsLogAction,
  RangeCopy,
  ConsoleClear,
  ConsoleSave,
  ConsoleTimestamps,
  ConsoleUnwritable,  // %1 the file, %2 why

  // What a programming job will do, asked before it starts, and how far it has got.
  ProgramQuestion,     // %1 the target
  TargetTheDongle,     // the target as ProgramQuestion and SummaryTarget name it
  TargetTheRemote,     // %1 its name, %2 its address
  SummaryFile,         // %1 the file
  SummaryRecords,      // %1 record lines, %2 data bytes
  SummaryAddresses,    // %1 the first address, %2 the last
  SummaryNoAddresses,  // a file without data records
  SummaryTarget,       // %1 the target, %2 its version now
  VersionUnknown,
  PhasePreparing,
  PhaseSearching,  // %1 the port, %2 of how many
  PhaseWriting,    // %1 the record, %2 of how many
  PhaseReconnecting,
  ProgressLeft,       // %1 percent, %2 the time left as m:ss
  VersionChange,      // %1 the version before, %2 after
  FileFilterSRecord,  // the file dialog's filters
  FileFilterAll,

  // The operations log.
  LogTab,
  LogView,  // the view's name for assistive technology
  LogCopy,
  LogSave,
  LogUnwritable,   // %1 the file, %2 why
  LogStarted,      // %1 the version, %2 where the dongle is looked for
  LogPropertySet,  // %1 the device, %2 the property, %3 the value sent
  LogChannelSet,   // %1 the channel before, %2 after
  LogChannelHop,   // %1 the channel before, %2 after
  LogScan,         // %1 the first channel, %2 the last
  LogConnected,    // %1 the remote's name, %2 its address
  LogDisconnected,
  LogProfileApplied,  // %1 the profile file
  LogError,           // %1 the message, %2 the error word
  LogReconnected,     // %1 where the dongle is

  // The Help menu and the diagnostics it copies.
  HelpMenu,
  HelpCopyDiagnostics,
  HelpAbout,
  AboutText,    // %1 the version, %2 the Qt version
  DiagProgram,  // %1 the program, %2 the toolkit, %3 the system
  DiagDongle,   // %1 where the dongle is
  DiagDevice,   // %1 which, %2 version, %3 name, %4 address, %5 power, %6 channel
  DiagLink,     // %1 linked or not, %2 quality, %3 energy
  DiagPin,      // %1 protected or none
  DiagNoDongle,
  DiagLogLines,
  DiagCopied,

  Count
};

}  // namespace rukmox::extra

namespace rukmox {

// Text `id` in `language` (0 Italian, 1 English, ... as for LoadText): the catalogue's translation,
// else the English text. An unknown language or id gives empty text. The view stays valid until
// the catalogue folder changes.
std::string_view ExtraText(extra::Id id, int language);
// What the catalogues know text `id` by: its id's name as the context, and the English text;
// both empty for an unknown id.
MessageKey ExtraTextKey(extra::Id id);

// `pattern` with every "%1" to "%9" replaced by the value of that number (from 1). The values are
// put in as they are: a "%2" inside a value stays "%2". A place without a value, or a "%" not
// followed by a digit from 1, stays as it is.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);
std::string FillIn(std::string_view pattern, std::span<const std::string_view> values);

}  // namespace rukmox
