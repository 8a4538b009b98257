// The words of the two programs' command lines: what --help says of each option and command, the
// words of the help's layout, and the usage errors. Written in English, like the tool's other
// words (ExtraTexts.h); the catalogues hold the other languages. "%1" to "%9" are places that
// FillIn fills.
#pragma once

#include <string_view>

#include "Languages.h"

namespace rukmox::help {

enum Id : int {
  // rukmoxctl: the program, its global options and the layout of its help.
  CtlDescription,
  CtlFooter,
  HelpOption,
  VersionOption,
  DongleOption,
  PortsOption,
  TimeoutOption,  // %1 the shortest, %2 the longest time-out in ms
  JsonOption,
  TraceOption,
  LangOption,  // %1 the languages
  UsageLabel,
  OptionsLabel,  // in the usage line: [OPTIONS]
  CommandLabel,  // in the usage line: COMMAND
  RequiredLabel,
  PositionalsHeading,
  OptionsHeading,
  CommandsHeading,

  // rukmoxctl: the commands, their arguments and options.
  InfoCommand,
  SetNameCommand,
  RemoteOption,
  NameArgument,
  SetAddressCommand,
  AddressArgument,
  SetPowerCommand,
  LevelArgument,
  ChannelCommand,
  ChannelArgument,
  MonitorCommand,
  MonitorCountOption,
  CsvOption,
  ScanCommand,
  ScanRangeArguments,
  ConnectCommand,
  ConnectTargetArgument,
  FirstOption,
  LastOption,
  DisconnectCommand,
  PinCommand,
  PinSetCommand,
  PinArgument,
  PinRemoveCommand,
  SpectrumCommand,
  SweepsOption,
  ProgramCommand,
  ProgramTargetArgument,
  ProgramFileArgument,
  ProgramDryRunOption,
  PingCommand,
  PingCountOption,
  PingRemoteOption,
  BridgeCommand,
  RangeTestCommand,
  RangeCountOption,
  IntervalOption,
  EchoOption,
  ProfileCommand,
  ProfileSaveCommand,
  ProfileFileArgument,
  ProfileApplyCommand,
  DryRunOption,

  // Usage errors of rukmoxctl; values and options are named in them.
  MoreInformation,
  UnknownCommand,      // %1 the word given
  NotDecimal,          // %1 the text given
  OutOfRange,          // %1 lowest, %2 highest, %3 the value given
  AtLeast,             // %1 lowest
  TimeoutAtMost,       // %1 the longest time-out in ms
  TimeoutAtLeast,      // %1 the shortest time-out in ms
  NotOneOf,            // %1 the words taken, %2 the word given
  AddressRange,        //
  NotUtf8,             // %1 the argument's name
  ExactLength,         // %1 the argument's name, %2 characters wanted, %3 given
  LengthAtMost,        // %1 the argument's name, %2 characters at most, %3 given
  NoSingleByte,        // %1 the argument's name, %2 the character
  NameCharacters,      // %1 the argument's name, %2 the character
  EmptyOrBlank,        // %1 the argument's name
  UsePinRemove,        // %1 what is wrong with the PIN
  CsvWithJson,         //
  FirstAboveLast,      //
  UnknownLanguage,     // %1 the code given, %2 the languages
  UnreadableLanguage,  // %1 the code given, %2 what is wrong with its catalogue
  IsRequired,          // %1 the argument's name
  CommandRequired,     //
  NotExpected,         // %1 the arguments
  ValuesWanted,        // %1 the arguments' names, %2 values wanted, %3 given
  PortsBeyondSearch,   // %1 the option or variable, %2 ports, %3 ports the search covers
  NoPortNamed,         // %1 the option

  // rukmox: its options and usage errors.
  WindowDescription,
  WindowHelpOption,
  WindowVersionOption,
  WindowDongleOption,
  WindowPortsOption,
  SimulateOption,
  WindowLangOption,  // %1 the languages
  ScreenshotOption,
  TabOption,
  ServiceOption,
  ScreenshotSweepsOption,
  ScreenshotScanOption,
  ScreenshotTicksOption,
  ScreenshotRangeTestOption,
  ScreenshotConsoleOption,
  WindowUnexpected,     // %1 the argument
  SimulateWithDongle,   //
  ScreenshotNeedsFile,  //
  ScenarioNeedsFile,    //
  CountWithScreenshot,  // %1 the option
  WithScreenshot,       // %1 the option
  NoDisplay,            //
  SimulatorFailed,      // %1 why
  NoSuchPage,           // %1 the name given

  Count
};

}  // namespace rukmox::help

namespace rukmox {

// Text `id` in `language`, as ExtraText gives the tool's other words; empty for an unknown
// language or id.
std::string_view HelpText(help::Id id, int language);
// What the catalogues know text `id` by, as for ExtraTextKey.
MessageKey HelpTextKey(help::Id id);

}  // namespace rukmox
