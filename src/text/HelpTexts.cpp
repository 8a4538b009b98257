#include "HelpTexts.h"

#include <array>
#include <cstddef>

#include "Languages.h"
#include "WordTable.h"

namespace rukmox {
namespace {

constexpr std::array<WordEntry<help::Id>, help::Count> kWords = {{
    Word(help::CtlDescription, "CtlDescription",
         "rukmoxctl: service tool for a pair of short-range radio modules (a USB dongle "
         "\"Wireless Port\" and the remote module reached through it)"),
    Word(help::CtlFooter, "CtlFooter",
         "Exit status: 0 success, 1 the operation failed, 2 usage error, 3 the dongle could not "
         "be opened."),
    Word(help::HelpOption, "HelpOption", "show this help and exit"),
    Word(help::VersionOption, "VersionOption", "show the version and exit"),
    Word(help::DongleOption, "DongleOption",
         "tty of the dongle (sets RUKMOX_DONGLE: listed first as an FTDI device \"Wireless "
         "Port\")"),
    Word(help::PortsOption, "PortsOption",
         "serial ports P1:P2:... for programming (sets RUKMOX_PORTS; port k = entry k)"),
    Word(help::TimeoutOption, "TimeoutOption",
         "base read time-out of the module link in ms, %1 to %2 (default 100)"),
    Word(help::JsonOption, "JsonOption", "print one JSON object per result"),
    Word(help::TraceOption, "TraceOption",
         "write every frame sent and received to stderr, time-stamped, PINs masked"),
    // TRANSLATORS: LANGUAGE, LC_ALL, LC_MESSAGES and LANG are the names of variables.
    Word(help::LangOption, "LangOption",
         "language of the messages: %1 (default: as LANGUAGE, LC_ALL, LC_MESSAGES or LANG "
         "ask, else en)"),
    // TRANSLATORS: the help's layout: "Usage: rukmoxctl [OPTIONS] COMMAND".
    Word(help::UsageLabel, "UsageLabel", "Usage"),
    Word(help::OptionsLabel, "OptionsLabel", "OPTIONS"),
    Word(help::CommandLabel, "CommandLabel", "COMMAND"),
    // TRANSLATORS: follows an argument that must be given.
    Word(help::RequiredLabel, "RequiredLabel", "REQUIRED"),
    Word(help::PositionalsHeading, "PositionalsHeading", "Arguments"),
    Word(help::OptionsHeading, "OptionsHeading", "Options"),
    Word(help::CommandsHeading, "CommandsHeading", "Commands"),

    Word(help::InfoCommand, "InfoCommand", "show the local and the remote device"),
    Word(help::SetNameCommand, "SetNameCommand", "give the local (or remote) device a new name"),
    Word(help::RemoteOption, "RemoteOption", "change the remote device"),
    Word(help::NameArgument, "NameArgument", "new name, 1 to 9 characters"),
    Word(help::SetAddressCommand, "SetAddressCommand",
         "give the local (or remote) device a new radio address"),
    Word(help::AddressArgument, "AddressArgument", "new address, 1 to 65534"),
    Word(help::SetPowerCommand, "SetPowerCommand", "set the transmit power of a device"),
    // TRANSLATORS: min, default and max are the words to type; keep them.
    Word(help::LevelArgument, "LevelArgument", "min (-10dBm), default (0dBm) or max (+3dBm)"),
    Word(help::ChannelCommand, "ChannelCommand", "show the channel, or move the pair to channel N"),
    Word(help::ChannelArgument, "ChannelArgument", "new channel, 0 to 15"),
    Word(help::MonitorCommand, "MonitorCommand",
         "link quality and energy every 100 ms, with the automatic channel change"),
    Word(help::MonitorCountOption, "MonitorCountOption", "number of ticks (default: until Ctrl-C)"),
    Word(help::CsvOption, "CsvOption", "one CSV line per tick, after a header line"),
    Word(help::ScanCommand, "ScanCommand", "look for remote devices on channels FIRST to LAST"),
    Word(help::ScanRangeArguments, "ScanRangeArguments", "channel range (default 0 15)"),
    Word(help::ConnectCommand, "ConnectCommand", "scan, then connect the remote device found"),
    Word(help::ConnectTargetArgument, "ConnectTargetArgument",
         "name or address of the remote device"),
    Word(help::FirstOption, "FirstOption", "first channel to scan (default 0)"),
    Word(help::LastOption, "LastOption", "last channel to scan (default 15)"),
    Word(help::DisconnectCommand, "DisconnectCommand", "drop the connection to the remote device"),
    Word(help::PinCommand, "PinCommand", "set or remove the PIN of the radio link"),
    Word(help::PinSetCommand, "PinSetCommand",
         "set a new PIN (the old one is read from the dongle)"),
    Word(help::PinArgument, "PinArgument", "new PIN, exactly 4 characters"),
    Word(help::PinRemoveCommand, "PinRemoveCommand", "remove the PIN"),
    Word(help::SpectrumCommand, "SpectrumCommand", "energy on the 16 channels, one line per sweep"),
    Word(help::SweepsOption, "SweepsOption", "number of sweeps (default: until Ctrl-C)"),
    Word(help::ProgramCommand, "ProgramCommand",
         "write a programming file into the dongle or the MCU"),
    // TRANSLATORS: dongle and mcu are the words to type; keep them.
    Word(help::ProgramTargetArgument, "ProgramTargetArgument", "dongle or mcu"),
    Word(help::ProgramFileArgument, "ProgramFileArgument", "enciphered programming file"),
    Word(help::ProgramDryRunOption, "ProgramDryRunOption",
         "show what the file holds and what it would go into, and send nothing"),
    Word(help::PingCommand, "PingCommand", "measure exchanges per second and round trips"),
    Word(help::PingCountOption, "PingCountOption", "number of pings (default 10)"),
    Word(help::PingRemoteOption, "PingRemoteOption", "ping the remote device"),
    Word(help::BridgeCommand, "BridgeCommand",
         "serve the data channel to the remote host on a pseudo-terminal until Ctrl-C"),
    Word(help::RangeTestCommand, "RangeTestCommand",
         "remote pings at a steady pace: answered, lost, round trip, quality"),
    Word(help::RangeCountOption, "RangeCountOption", "number of pings"),
    Word(help::IntervalOption, "IntervalOption", "ms from one ping to the next (default 100)"),
    Word(help::EchoOption, "EchoOption",
         "after each ping, send data through the link for the remote host to echo"),
    Word(help::ProfileCommand, "ProfileCommand",
         "save the settings of both devices, or apply them"),
    Word(help::ProfileSaveCommand, "ProfileSaveCommand",
         "write the settings of both devices to FILE"),
    Word(help::ProfileFileArgument, "ProfileFileArgument", "profile file (JSON)"),
    Word(help::ProfileApplyCommand, "ProfileApplyCommand",
         "change what differs from the profile in FILE"),
    Word(help::DryRunOption, "DryRunOption", "only show what would change"),

    Word(help::MoreInformation, "MoreInformation", "Run with --help for more information."),
    Word(help::UnknownCommand, "UnknownCommand", "Unknown command \"%1\""),
    Word(help::NotDecimal, "NotDecimal", "must be a decimal number, not \"%1\""),
    Word(help::OutOfRange, "OutOfRange", "must be a number from %1 to %2, not \"%3\""),
    Word(help::AtLeast, "AtLeast", "must be at least %1"),
    Word(help::TimeoutAtMost, "TimeoutAtMost", "must be at most %1 ms"),
    Word(help::TimeoutAtLeast, "TimeoutAtLeast",
         "must be at least %1 ms: a reply relayed over the radio can take that long"),
    Word(help::NotOneOf, "NotOneOf", "must be one of %1, not \"%2\""),
    Word(help::AddressRange, "AddressRange", "ADDRESS must be a decimal number from 1 to 65534"),
    Word(help::NotUtf8, "NotUtf8", "%1 is not valid UTF-8 text"),
    Word(help::ExactLength, "ExactLength", "%1 must be exactly %2 characters, not %3"),
    Word(help::LengthAtMost, "LengthAtMost", "%1 takes at most %2 characters, not %3"),
    Word(help::NoSingleByte, "NoSingleByte",
         "%1: \"%2\" has no single-byte form, so the module cannot store it"),
    Word(help::NameCharacters, "NameCharacters",
         "%1 may hold only letters, digits, blanks, '-' and '_', not \"%2\""),
    Word(help::EmptyOrBlank, "EmptyOrBlank", "%1 must not be empty or blank"),
    // TRANSLATORS: "rukmoxctl pin remove" is a command to type; keep it.
    Word(help::UsePinRemove, "UsePinRemove", "%1; to remove the PIN use \"rukmoxctl pin remove\""),
    Word(help::CsvWithJson, "CsvWithJson", "--csv and --json cannot be used together"),
    Word(help::FirstAboveLast, "FirstAboveLast", "FIRST must not lie above LAST"),
    Word(help::UnknownLanguage, "UnknownLanguage",
         "there is no catalogue for \"%1\"; the languages are %2"),
    Word(help::UnreadableLanguage, "UnreadableLanguage",
         "the catalogue of \"%1\" cannot be used: %2"),
    Word(help::IsRequired, "IsRequired", "%1 is required"),
    Word(help::CommandRequired, "CommandRequired", "A command is required"),
    Word(help::NotExpected, "NotExpected", "Not expected: %1"),
    Word(help::ValuesWanted, "ValuesWanted", "%1 takes %2 values, not %3"),
    Word(help::PortsBeyondSearch, "PortsBeyondSearch",
         "%1 lists %2 ports, but the search for a boot loader covers only the first %3"),
    Word(help::NoPortNamed, "NoPortNamed", "%1 names no serial port"),

    Word(help::WindowDescription, "WindowDescription",
         "Operator window for a pair of short-range radio modules: the USB dongle \"Wireless "
         "Port\" and the remote module reached through it."),
    Word(help::WindowHelpOption, "WindowHelpOption", "Show this help and exit."),
    Word(help::WindowVersionOption, "WindowVersionOption", "Show the version and exit."),
    Word(help::WindowDongleOption, "WindowDongleOption",
         "tty of the dongle, listed first among the USB devices as \"Wireless Port\"."),
    Word(help::WindowPortsOption, "WindowPortsOption",
         "Serial ports for programming, colon-separated (port k = entry k)."),
    Word(help::SimulateOption, "SimulateOption",
         "Run the device simulator in this process and open the window on it; "
         "--simulate=SCENARIO loads a scenario file instead of the built-in one."),
    Word(help::WindowLangOption, "WindowLangOption", "Language to start in: %1 (it unless given)."),
    Word(help::ScreenshotOption, "ScreenshotOption",
         "Write a PNG of the window after start and the first poll ticks, then exit."),
    Word(help::TabOption, "TabOption",
         "Page to bring to the front, by its object name (such as TabScansione)."),
    Word(help::ServiceOption, "ServiceOption",
         "Start in service mode: the programming groups, the PIN read and the channel "
         "delta-signal report are shown (Ctrl+Shift+S switches it in the window)."),
    Word(help::ScreenshotSweepsOption, "ScreenshotSweepsOption",
         "With --screenshot: run this many spectrum sweeps first (on the spectrum page, --tab "
         "TabTest)."),
    Word(help::ScreenshotScanOption, "ScreenshotScanOption",
         "With --screenshot: scan the network page's channel range before the picture."),
    Word(help::ScreenshotTicksOption, "ScreenshotTicksOption",
         "With --screenshot: let this many poll ticks run first (2 unless given), so that the "
         "link history (--tab TabHistory) has a past to show."),
    Word(help::ScreenshotRangeTestOption, "ScreenshotRangeTestOption",
         "With --screenshot: run a range test of this many pings first (on the range test "
         "page, --tab TabRange)."),
    Word(help::ScreenshotConsoleOption, "ScreenshotConsoleOption",
         "With --screenshot: start the data console (on its page, --tab TabConsole), send this "
         "text line and write the window once its echo is back."),
    Word(help::WindowUnexpected, "WindowUnexpected", "Unexpected argument: %1"),
    Word(help::SimulateWithDongle, "SimulateWithDongle",
         "--simulate and --dongle exclude each other"),
    Word(help::ScreenshotNeedsFile, "ScreenshotNeedsFile", "--screenshot needs a file name"),
    Word(help::ScenarioNeedsFile, "ScenarioNeedsFile",
         "--simulate= needs a scenario file; --simulate alone runs the built-in installation"),
    Word(help::CountWithScreenshot, "CountWithScreenshot",
         "%1 takes a count from 1, with --screenshot"),
    Word(help::WithScreenshot, "WithScreenshot", "%1 goes with --screenshot"),
    Word(help::NoDisplay, "NoDisplay",
         "there is no display (DISPLAY and WAYLAND_DISPLAY are unset); --screenshot FILE writes "
         "a picture of the window instead."),
    Word(help::SimulatorFailed, "SimulatorFailed", "the simulator did not start: %1"),
    Word(help::NoSuchPage, "NoSuchPage", "the window has no page named %1"),
}};

static_assert(InIdOrder(kWords));

}  // namespace

std::string_view HelpText(help::Id id, int language) {
  return TextOf(kWords, id, language);
}

MessageKey HelpTextKey(help::Id id) {
  return KeyOf(kWords, id);
}

}  // namespace rukmox
