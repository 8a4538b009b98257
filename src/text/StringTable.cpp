#include "StringTable.h"

#include <array>

#include "Languages.h"

namespace rukmox {
namespace {

using Text = MessageKey;

// An entry of the table, marked for the catalogue template. Its number is its context, which also
// tells apart the entries that English spells alike ("Channel", "Scan", "Stop").
constexpr Text Entry(std::string_view context, std::string_view english) {
  return {context, english};
}

// The English block, entries 88 to 175, by Italian id; the other languages' blocks are their
// catalogues' translations of it. "\n" is a line break inside a message; trailing blanks are part
// of the texts, as a number follows them. Entry 116 (the English of 28) begins with a no-break
// space, while its Italian twin begins with an ordinary blank. The empty entries hold no text in
// any language, so they have no message in the catalogues either.
constexpr std::array<Text, kTextBlockSize> kEntries = {{
    // TRANSLATORS: the language's own name, as the window's Language menu lists it.
    Entry("entry 0", "English"),
    // TRANSLATORS: not shown; keep it as it is.
    Entry("entry 1", "1"),
    // TRANSLATORS: the Windows code page that holds every text of this language (1252 for
    // Western European languages, 1250 for Central European ones); not shown.
    Entry("entry 2", "1252"),
    // TRANSLATORS: the language's word for "language"; not shown.
    Entry("entry 3", "Language"),
    Text{},  // entry 4: empty
    // TRANSLATORS: the device's error number and "." follow.
    Entry("entry 5", "Unable to load the parameters of the device. \nError n. "),
    Entry("entry 6", "Unable to set the new name of the locale device."),
    Entry("entry 7", "Can not reconnect the remote device."),
    Entry("entry 8", "Unable to set the new address of the local device."),
    Entry("entry 9", "Unable to set the new value of power of the local device."),
    // TRANSLATORS: the device's error number and "." follow.
    Entry("entry 10", "Unable to load the parameters of the remote device. \nError n. "),
    Entry("entry 11", "Unable to set the new name of the remote device."),
    Entry("entry 12", "Unable to set the new address of the remote device."),
    Entry("entry 13", "Unable to set the new value of the power of the remote device."),
    Entry("entry 14", "Unable to set the new channel for the pair of devices."),
    Text{},  // entry 15: empty
    Entry("entry 16", "Error reading the pin dongle."),
    Entry("entry 17", "Unable to change the current pin. \nError in reading current pin."),
    // TRANSLATORS: a result code and "." follow.
    Entry("entry 18", "Unable to change the current pin. \nError: "),
    Entry("entry 19", "PIN of the local and remote devices set up correctly."),
    Entry("entry 20", "PIN of the local device is set up correctly."),
    Entry("entry 21", "Unable to remove the current pin. \nError in reading current pin."),
    // TRANSLATORS: a result code and "." follow.
    Entry("entry 22", "Unable to remove the current pin. \nError n. "),
    Entry("entry 23", "PIN of the local and remote devices removed properly."),
    Entry("entry 24", "PIN of the local device removed properly."),
    Text{},  // entry 25: empty
    // TRANSLATORS: the first channel of the scan follows directly.
    Entry("entry 26", "Channel"),
    // TRANSLATORS: the number of devices found follows, then entry 28.
    Entry("entry 27", "Have been identified "),
    // TRANSLATORS: follows the number of devices found.
    Entry("entry 28", "\u00A0remote devices."),
    Entry("entry 29", "No remote devices found."),
    Entry("entry 30", "Unable to connect the selected remote device, \ninvalid device."),
    Entry("entry 31",
          "Unable to connect to the selected remote device. \nTry to change the PIN of the local "
          "device."),
    Entry("entry 32", "Unable to connect to the selected remote device."),
    Entry("entry 33", "Unable to properly disconnect the remote device."),
    Entry("entry 34", "Select a valid programming file."),
    Text{},  // entry 35: empty
    Entry("entry 36", "Programming successful."),
    Entry("entry 37", "Null size for in data."),
    Entry("entry 38", "Incorrect mode of encryption."),
    Entry("entry 39", "Error during initialization."),
    Entry("entry 40", "Error during start programming."),
    // TRANSLATORS: the record's number and "." follow.
    Entry("entry 41", "Programming error in the record n. "),
    Entry("entry 42", "Generic programming error."),
    Entry("entry 43", "Failed to send the local device to the boot loader."),
    Entry("entry 44", "Unable to locate a dongle device to be programmed."),
    Entry("entry 45", "Unable to write the checkup registry of the remote device."),
    Entry("entry 46", "Unable to properly store the settings of the remote device."),
    Entry("entry 47", "Unable to locate a mcu device to be programmed."),
    Text{},  // entry 48: empty
    Entry("entry 49", "Settings of the local/remote device"),
    Entry("entry 50", "Local device"),
    Entry("entry 51", "Remote device"),
    Entry("entry 52", "Version"),
    Entry("entry 53", "Properties"),
    Entry("entry 54", "Device Name"),
    Entry("entry 55", "Address"),
    Entry("entry 56", "Power"),
    Entry("entry 57", "Reprogramming"),
    Entry("entry 58", "Programming file"),
    Entry("entry 59", "Program"),
    Entry("entry 60", "Browse..."),
    Text{},  // entry 61: empty
    Entry("entry 62", "PIN management"),
    Entry("entry 63", "Remove PIN"),
    Entry("entry 64", "Change PIN"),
    Entry("entry 65", "Read PIN"),
    Entry("entry 66", "Wireless link"),
    Entry("entry 67", "Channel"),
    Text{},  // entry 68: empty
    Entry("entry 69", "Network"),
    Entry("entry 70", "Local devices"),
    Entry("entry 71", "Name"),
    Entry("entry 72", "Address"),
    Entry("entry 73", "Channel"),
    Entry("entry 74", "Connection"),
    Entry("entry 75", "Connect selected remote device"),
    Entry("entry 76", "Disconnect current remote device"),
    Text{},  // entry 77: empty
    Entry("entry 78", "Local devices scan"),
    Entry("entry 79", "Scan"),
    Entry("entry 80", "First channel"),
    Entry("entry 81", "Last channel"),
    Entry("entry 82", "Channel"),
    Entry("entry 83", "Scan"),
    Entry("entry 84", "Stop"),
    Entry("entry 85", "Spectrum analyzer"),
    Entry("entry 86", "Scan"),
    Entry("entry 87", "Stop"),
}};

constexpr bool IsContextOf(std::string_view context, std::size_t id) {
  if (context.substr(0, 6) != "entry ") return false;
  std::size_t number = 0;
  for (const char c : context.substr(6)) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  return context.size() > 6 && number == id;
}

// Each text's context names its own entry: a row lost or doubled fails to compile.
constexpr bool ContextsMatchEntries() {
  for (std::size_t id = 0; id < kEntries.size(); ++id)
    if (!kEntries[id].english.empty() && !IsContextOf(kEntries[id].context, id)) return false;
  return true;
}
static_assert(ContextsMatchEntries());

// The narrow buffer holds 255 characters with its terminator, so a longer text arrives cut.
constexpr std::size_t kLoadedCharactersMax = 254;

// The first `count` characters of a UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (characters == count) return text.substr(0, i);
    ++characters;
  }
  return text;
}

std::string_view LoadTextView(int id, int language) {
  if (id < 0 || id >= kTextBlockSize || language < 0 || language >= LanguageCount()) return {};
  const Text& text = kEntries[static_cast<std::size_t>(id)];
  if (text.english.empty()) return {};
  return FirstCharacters(Translate(language, text.context, text.english), kLoadedCharactersMax);
}

}  // namespace

MessageKey TextKey(int id) {
  if (id < 0 || id >= kTextBlockSize) return {};
  return kEntries[static_cast<std::size_t>(id)];
}

std::string_view TextEntry(int entry) {
  if (entry < 0 || entry >= kTextEntryCount) return {};
  return LoadTextView(entry % kTextBlockSize, entry / kTextBlockSize);
}

std::string LoadText(int id, int language) {
  return std::string(LoadTextView(id, language));
}

}  // namespace rukmox
