#include "ExtraTexts.h"

#include <array>
#include <cstddef>

#include "Languages.h"
#include "WordTable.h"

namespace rukmox {
namespace {

constexpr std::array<WordEntry<extra::Id>, extra::Count> kWords = {{
    Word(extra::LinkCaption, "LinkCaption", "Link"),
    Word(extra::PinCaption, "PinCaption", "PIN"),
    Word(extra::PowerWithLevel, "PowerWithLevel", "%1, level %2"),
    Word(extra::PinProtected, "PinProtected", "protected"),
    Word(extra::PinNone, "PinNone", "none"),
    Word(extra::Yes, "Yes", "yes"),
    Word(extra::No, "No", "no"),
    Word(extra::Linked, "Linked", "linked"),
    Word(extra::NotLinked, "NotLinked", "not linked"),
    Word(extra::ChannelChanged, "ChannelChanged", "(channel changed)"),
    Word(extra::NoRemoteConnected, "NoRemoteConnected", "No remote device is connected."),
    Word(extra::ErrorWordNote, "ErrorWordNote", "(error word %1)"),
    Word(extra::TargetNotFound, "TargetNotFound",
         "No remote device \"%1\" was found on channels %2 to %3."),
    Word(extra::NoEnergyReading, "NoEnergyReading", "No energy reading succeeded."),
    Word(extra::PingSummary, "PingSummary", "%1 exchanges, %2 per second, median round trip %3 ms"),
    Word(extra::PingsUnanswered, "PingsUnanswered", "%1 of %2 pings got no answer."),
    Word(extra::FileUnreadable, "FileUnreadable", "Cannot read the programming file %1."),
    Word(extra::DongleDisconnected, "DongleDisconnected", "The dongle was disconnected."),
    Word(extra::PortDisconnected, "PortDisconnected", "The serial port %1 was disconnected."),
    Word(extra::NoDongleAttached, "NoDongleAttached",
         "No dongle \"Wireless Port\" is attached; name its tty with --dongle or RUKMOX_DONGLE."),
    Word(extra::DongleMissing, "DongleMissing", "The dongle %1 does not exist."),
    Word(extra::DongleNotATty, "DongleNotATty", "%1 is not a tty, so it cannot be the dongle."),
    Word(extra::DongleHeld, "DongleHeld",
         "The dongle %1 is held by another program: %2 (process %3) holds its lock."),
    Word(extra::DongleHeldUnknown, "DongleHeldUnknown",
         "The dongle %1 is held by another program, which holds its lock."),
    Word(extra::DongleNoPermission, "DongleNoPermission",
         "No permission to open the dongle %1: the user must belong to the group %2."),
    Word(extra::DongleInUse, "DongleInUse", "Dongle in use: "),
    Word(extra::NoDongleAt, "NoDongleAt", "No dongle at "),
    Word(extra::NoDongleFound, "NoDongleFound",
         "No dongle found among the USB devices \"Wireless Port\""),
    Word(extra::UsbDongle, "UsbDongle", "USB device \"Wireless Port\""),
    Word(extra::Simulated, "Simulated", " (simulator)"),
    Word(extra::DongleGone, "DongleGone", "Dongle gone (Ctrl+R reconnects): "),
    Word(extra::ServiceModeOn, "ServiceModeOn", " — service mode"),
    Word(extra::DongleMenu, "DongleMenu", "&Dongle"),
    Word(extra::Reconnect, "Reconnect", "&Reconnect"),
    Word(extra::LanguageMenu, "LanguageMenu", "&Language"),
    Word(extra::DeltaSignal, "DeltaSignal", "Delta signal"),
    Word(extra::LinkUp, "LinkUp", "Remote device linked"),
    Word(extra::LinkDown, "LinkDown", "Remote device not linked"),
    Word(extra::ItalianFlag, "ItalianFlag", "Italiano"),
    Word(extra::EnglishFlag, "EnglishFlag", "English"),
    Word(extra::SpectrumChart, "SpectrumChart", "Energy on the 16 channels"),
    Word(extra::WaitingInBootLoader, "WaitingInBootLoader",
         "The device is waiting in its boot loader: programming a valid file brings it back."),
    Word(extra::NothingSent, "NothingSent", "Nothing was sent to any device."),
    Word(extra::ProgramFileMissing, "ProgramFileMissing", "The file %1 does not exist."),
    Word(extra::ProgramFileIsFolder, "ProgramFileIsFolder", "%1 is a folder, not a file."),
    Word(extra::ProgramFileNotRegular, "ProgramFileNotRegular", "%1 is not a regular file."),
    Word(extra::FileWithoutRecords, "FileWithoutRecords",
         "The file holds no record after its header."),
    Word(extra::RecordNotSRecord, "RecordNotSRecord", "The line is not an S-record."),
    Word(extra::RecordTypeUnknown, "RecordTypeUnknown",
         "S%1 is not a record type of an S-record file."),
    Word(extra::RecordTooShort, "RecordTooShort",
         "The record is too short for the address of its type."),
    Word(extra::FileWithoutEnd, "FileWithoutEnd",
         "The file does not end with an end record (S7, S8 or S9): the boot loader would wait for "
         "more records."),
    Word(extra::RecordAfterEnd, "RecordAfterEnd",
         "A record follows the end record (S7, S8 or S9)."),
    Word(extra::NoPortsToSearch, "NoPortsToSearch",
         "There is no serial port to search for the boot loader: name them with --ports or "
         "RUKMOX_PORTS."),
    Word(extra::PortMissing, "PortMissing", "The serial port %1 does not exist."),
    Word(extra::PortNotSerial, "PortNotSerial", "%1 is not a serial port."),
    Word(extra::PortHeld, "PortHeld",
         "The serial port %1 is held by another program: %2 (process %3) holds its lock."),
    Word(extra::PortHeldUnknown, "PortHeldUnknown",
         "The serial port %1 is held by another program, which holds its lock."),
    Word(extra::PortNoPermission, "PortNoPermission",
         "No permission to open the serial port %1: the user must belong to the group %2."),
    Word(extra::PortIsDongle, "PortIsDongle",
         "%1 is the dongle itself, where the module link runs, not a serial port where a boot "
         "loader "
         "answers."),
    Word(extra::ProgrammingStopped, "ProgrammingStopped",
         "Programming stopped after record %1 of %2."),
    Word(extra::StoppedBeforeRecords, "StoppedBeforeRecords",
         "Programming stopped before the first record."),
    Word(extra::Interrupted, "Interrupted", "Interrupted by %1."),
    Word(extra::BridgeOpened, "BridgeOpened", "Data bridge on %1 (Ctrl-C ends it)"),
    Word(extra::BridgeCounts, "BridgeCounts",
         "%1 bytes sent to the remote device, %2 bytes received"),
    Word(extra::BridgeUndelivered, "BridgeUndelivered", "%1 bytes were not passed on."),
    Word(extra::BridgeNoTerminal, "BridgeNoTerminal", "Cannot create the pseudo-terminal: %1"),
    Word(extra::BridgeDongleGone, "BridgeDongleGone",
         "The dongle was disconnected; the data bridge ended."),
    Word(extra::BridgeSendFailed, "BridgeSendFailed",
         "Sending to the remote device failed; the data bridge ended."),
    Word(extra::ProfileUnreadable, "ProfileUnreadable", "Cannot read the profile %1: %2."),
    Word(extra::ProfileUnwritable, "ProfileUnwritable", "Cannot write the profile %1: %2."),
    Word(extra::ProfileRejected, "ProfileRejected",
         "The profile %1 was rejected, nothing was sent. %2: %3"),
    Word(extra::ProfileNotJson, "ProfileNotJson", "is not valid JSON text"),
    Word(extra::ProfileNotObject, "ProfileNotObject", "must be an object"),
    Word(extra::ProfileFieldMissing, "ProfileFieldMissing", "is missing"),
    Word(extra::ProfileFieldUnknown, "ProfileFieldUnknown", "unknown field"),
    Word(extra::ProfileVersionUnknown, "ProfileVersionUnknown",
         "unknown version; this tool reads version %1"),
    Word(extra::ProfileBadName, "ProfileBadName",
         "must be a text of at most 9 printable ASCII characters"),
    Word(extra::ProfileBadAddress, "ProfileBadAddress", "must be an address from 1 to 65534"),
    Word(extra::ProfileBadPower, "ProfileBadPower", "must be a power level from 0 to 21, or null"),
    Word(extra::ProfileBadChannel, "ProfileBadChannel", "must be a channel from 0 to 15"),
    Word(extra::ProfileBadFlag, "ProfileBadFlag", "must be true or false"),
    Word(extra::ProfileNeedsRemote, "ProfileNeedsRemote",
         "the profile holds a remote device, but none is connected"),
    Word(extra::ProfileSaved, "ProfileSaved", "Profile saved to %1."),
    Word(extra::ProfileUnchanged, "ProfileUnchanged",
         "The devices already hold the profile's settings."),
    Word(extra::ProfileChange, "ProfileChange", "%1: %2 -> %3"),
    Word(extra::ProfilePinDiffers, "ProfilePinDiffers",
         "%1: PIN %2 in the profile, %3 on the device; a profile carries no PIN, so it stays as it "
         "is."),
    Word(extra::ProfileChannelLeft, "ProfileChannelLeft",
         "channel: channel %1 in the profile, %2 on the local device; with no remote device "
         "connected there is no pair to move, so it stays as it is."),
    Word(extra::ProfileDryRun, "ProfileDryRun", "Dry run: nothing was sent."),
    Word(extra::ProfileStopped, "ProfileStopped",
         "Stopped at %1: the changes after it were not sent."),
    Word(extra::RangeAnswered, "RangeAnswered", "%1/%2 answered in %3 ms"),
    Word(extra::RangeLost, "RangeLost", "%1/%2 lost"),
    Word(extra::RangeQuality, "RangeQuality", "quality local %1, remote %2"),
    Word(extra::RangeSummary, "RangeSummary",
         "%1 sent, %2 answered, %3 lost (loss %4 %), round trip median %5 ms, 95th percentile %6 "
         "ms"),
    Word(extra::RangeEcho, "RangeEcho", "echo in %1 ms"),
    Word(extra::RangeEchoLost, "RangeEchoLost", "echo lost"),
    Word(extra::RangeEchoSummary, "RangeEchoSummary",
         "echoes: %1 sent, %2 came back, %3 lost (loss %4 %), round trip median %5 ms, 95th "
         "percentile %6 ms"),
    Word(extra::HistoryTab, "HistoryTab", "History"),
    Word(extra::HistoryChart, "HistoryChart", "Link history"),
    Word(extra::HistoryQuality, "HistoryQuality", "Quality"),
    Word(extra::HistoryEnergy, "HistoryEnergy", "Energy"),
    Word(extra::HistoryMove, "HistoryMove", "Move"),
    Word(extra::HistoryPause, "HistoryPause", "Pause"),
    Word(extra::HistorySave, "HistorySave", "Save CSV…"),
    Word(extra::HistoryUnwritable, "HistoryUnwritable", "Cannot write the file %1: %2."),
    Word(extra::RangeTab, "RangeTab", "Range test"),
    Word(extra::RangeStart, "RangeStart", "Start"),
    Word(extra::RangeStop, "RangeStop", "Stop"),
    Word(extra::RangeCounts, "RangeCounts", "%1 sent, %2 answered, %3 lost (loss %4 %)"),
    Word(extra::RangeTrip, "RangeTrip", "round trip median %1 ms, 95th percentile %2 ms"),
    Word(extra::ProfileSaveAction, "ProfileSaveAction", "&Save profile…"),
    Word(extra::ProfileApplyAction, "ProfileApplyAction", "&Apply profile…"),
    Word(extra::ProfileConfirm, "ProfileConfirm", "Apply these changes?"),
    Word(extra::ConsoleTab, "ConsoleTab", "Console"),
    Word(extra::ConsoleStart, "ConsoleStart", "Start"),
    Word(extra::ConsoleStop, "ConsoleStop", "Stop"),
    Word(extra::ConsoleSend, "ConsoleSend", "Send"),
    Word(extra::ConsoleModeText, "ConsoleModeText", "Text"),
    Word(extra::ConsoleModeHex, "ConsoleModeHex", "Hex"),
    Word(extra::ConsoleLineEnd, "ConsoleLineEnd", "Line end"),
    Word(extra::ConsoleNoLineEnd, "ConsoleNoLineEnd", "none"),
    Word(extra::ConsoleView, "ConsoleView", "Data exchanged with the remote device"),
    Word(extra::ConsoleCounts, "ConsoleCounts", "%1 bytes sent, %2 received"),
    Word(extra::ConsoleBadHex, "ConsoleBadHex",
         "The line is not made of pairs of hex digits (such as 48 65 0D): nothing was sent."),
    Word(extra::ConsoleStillSending, "ConsoleStillSending",
         "The console is still sending the previous lines: the line was not sent."),
    Word(extra::ConsoleSendFailed, "ConsoleSendFailed",
         "Sending to the remote device failed; the console stopped."),
    Word(extra::FileNoName, "FileNoName", "no file name was given"),
    Word(extra::FileMissing, "FileMissing", "it does not exist, or a folder on its path does not"),
    Word(extra::FileNoPermission, "FileNoPermission", "permission denied"),
    Word(extra::FileIsDirectory, "FileIsDirectory", "it is a directory"),
    Word(extra::FileNotRegular, "FileNotRegular",
         "it is not a regular file (it is a device, a FIFO or a socket)"),
    Word(extra::FileIsLink, "FileIsLink", "it is a symbolic link; give the file it points to"),
    Word(extra::FileTooLarge, "FileTooLarge",
         "it is larger than %1 bytes, too large for a file of its kind"),
    Word(extra::FileDiskFull, "FileDiskFull", "no space left on the disk"),
    Word(extra::FileReadOnly, "FileReadOnly", "the file system is read-only"),
    Word(extra::OutputUnwritable, "OutputUnwritable", "Cannot write to standard output: %1."),
    Word(extra::OutputClosed, "OutputClosed", "standard output is closed"),
    Word(extra::DongleNotASerialPort, "DongleNotASerialPort",
         "%1 is a terminal, not a serial port, so it cannot be the dongle."),
    Word(extra::DongleOwnerOnly, "DongleOwnerOnly",
         "No permission to open the dongle %1: only its owner, %2, may use it."),
    Word(extra::DongleSilent, "DongleSilent",
         "The dongle %1 does not answer; it may be waiting in its boot loader: programming a valid "
         "file brings it back."),
    Word(extra::D2xxUnloadable, "D2xxUnloadable",
         "The D2XX library %1 named by RUKMOX_D2XX cannot be loaded: %2"),
    Word(extra::ProfileKeyTwice, "ProfileKeyTwice", "is given twice"),
    Word(extra::ProfileNameRefused, "ProfileNameRefused",
         "a name to set must have 1 to 9 characters, each a letter, a digit, a blank, '-' or '_'"),
    Word(extra::ProfileAddressTaken, "ProfileAddressTaken",
         "equals the other device's address; the two must differ"),
    Word(extra::AddressTaken, "AddressTaken",
         "The address is already the other device's in the pair; the two must differ."),
    Word(extra::RangeAllLost, "RangeAllLost", "No ping was answered."),
}};

static_assert(InIdOrder(kWords));

}  // namespace

std::string_view ExtraText(extra::Id id, int language) {
  return TextOf(kWords, id, language);
}

MessageKey ExtraTextKey(extra::Id id) {
  return KeyOf(kWords, id);
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  return FillIn(pattern, std::span<const std::string_view>(values.begin(), values.size()));
}

std::string FillIn(std::string_view pattern, std::span<const std::string_view> values) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t place = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (place < values.size()) {
        text += values[place];
        ++i;
        continue;
      }
    }
    text += c;
  }
  return text;
}

}  // namespace rukmox
