#include "ExtraTexts.h"

#include <array>
#include <cstddef>

#include "StringTable.h"

namespace rukmox {
namespace {

struct Entry {
  extra::Id id;
  std::string_view text;
};

using Block = std::array<Entry, extra::Count>;

// Each entry names its id, so that a block out of order or with a gap fails to compile.
constexpr bool InIdOrder(const Block& block) {
  for (std::size_t i = 0; i < block.size(); ++i)
    if (block[i].id != static_cast<extra::Id>(i)) return false;
  return true;
}

// UTF-8, like the string table.
constexpr Block kItalian = {{
    {extra::LinkCaption, "Collegamento"},
    {extra::PinCaption, "PIN"},
    {extra::PowerWithLevel, "%1, livello %2"},
    {extra::PinProtected, "protetto"},
    {extra::PinNone, "nessuno"},
    {extra::Yes, "sì"},
    {extra::No, "no"},
    {extra::Linked, "collegato"},
    {extra::NotLinked, "non collegato"},
    {extra::ChannelChanged, "(canale cambiato)"},
    {extra::NoRemoteConnected, "Nessun dispositivo remoto collegato."},
    {extra::ErrorWordNote, "(parola di errore %1)"},
    {extra::TargetNotFound, "Nessun dispositivo remoto \"%1\" trovato sui canali da %2 a %3."},
    {extra::NoEnergyReading, "Nessuna lettura dell'energia riuscita."},
    {extra::PingSummary, "%1 scambi, %2 al secondo, andata e ritorno mediana %3 ms"},
    {extra::PingsUnanswered, "%1 ping su %2 senza risposta."},
    {extra::FileUnreadable, "Impossibile leggere il file di programmazione %1."},
    {extra::DongleDisconnected, "La dongle è stata scollegata."},
    {extra::PortDisconnected, "La porta seriale %1 è stata scollegata."},
    {extra::NoDongleAttached,
     "Nessuna dongle \"Wireless Port\" collegata; indicarne la tty con --dongle o RUKMOX_DONGLE."},
    {extra::DongleMissing, "La dongle %1 non esiste."},
    {extra::DongleNotATty, "%1 non è una tty, quindi non può essere la dongle."},
    {extra::DongleHeld,
     "La dongle %1 è occupata da un altro programma: %2 (processo %3) ne tiene il blocco."},
    {extra::DongleHeldUnknown,
     "La dongle %1 è occupata da un altro programma, che ne tiene il blocco."},
    {extra::DongleNoPermission,
     "Nessun permesso per aprire la dongle %1: l'utente deve appartenere al gruppo %2."},
    {extra::DongleInUse, "Dongle in uso: "},
    {extra::NoDongleAt, "Nessuna dongle su "},
    {extra::NoDongleFound, "Nessuna dongle trovata tra i dispositivi USB \"Wireless Port\""},
    {extra::UsbDongle, "dispositivo USB \"Wireless Port\""},
    {extra::Simulated, " (simulatore)"},
    {extra::DongleGone, "Dongle scollegata (Ctrl+R per riconnettere): "},
    {extra::ServiceModeOn, " — modalità di servizio"},
    {extra::DongleMenu, "&Dongle"},
    {extra::Reconnect, "&Riconnetti"},
    {extra::DeltaSignal, "Segnale delta"},
    {extra::LinkUp, "Dispositivo remoto collegato"},
    {extra::LinkDown, "Dispositivo remoto non collegato"},
    {extra::ItalianFlag, "Italiano"},
    {extra::EnglishFlag, "English"},
    {extra::SpectrumChart, "Energia sui 16 canali"},
    {extra::WaitingInBootLoader,
     "Il dispositivo attende nel suo boot loader: programmando un file valido torna a funzionare."},
    {extra::BridgeOpened, "Ponte dati su %1 (Ctrl-C per terminare)"},
    {extra::BridgeCounts, "%1 byte inviati al dispositivo remoto, %2 byte ricevuti"},
    {extra::BridgeUndelivered, "%1 byte non sono stati inoltrati."},
    {extra::BridgeNoTerminal, "Impossibile creare lo pseudo-terminale: %1"},
    {extra::BridgeDongleGone, "La dongle è stata scollegata; il ponte dati è terminato."},
    {extra::BridgeSendFailed,
     "L'invio al dispositivo remoto non è riuscito; il ponte dati è terminato."},
}};

constexpr Block kEnglish = {{
    {extra::LinkCaption, "Link"},
    {extra::PinCaption, "PIN"},
    {extra::PowerWithLevel, "%1, level %2"},
    {extra::PinProtected, "protected"},
    {extra::PinNone, "none"},
    {extra::Yes, "yes"},
    {extra::No, "no"},
    {extra::Linked, "linked"},
    {extra::NotLinked, "not linked"},
    {extra::ChannelChanged, "(channel changed)"},
    {extra::NoRemoteConnected, "No remote device is connected."},
    {extra::ErrorWordNote, "(error word %1)"},
    {extra::TargetNotFound, "No remote device \"%1\" was found on channels %2 to %3."},
    {extra::NoEnergyReading, "No energy reading succeeded."},
    {extra::PingSummary, "%1 exchanges, %2 per second, median round trip %3 ms"},
    {extra::PingsUnanswered, "%1 of %2 pings got no answer."},
    {extra::FileUnreadable, "Cannot read the programming file %1."},
    {extra::DongleDisconnected, "The dongle was disconnected."},
    {extra::PortDisconnected, "The serial port %1 was disconnected."},
    {extra::NoDongleAttached,
     "No dongle \"Wireless Port\" is attached; name its tty with --dongle or RUKMOX_DONGLE."},
    {extra::DongleMissing, "The dongle %1 does not exist."},
    {extra::DongleNotATty, "%1 is not a tty, so it cannot be the dongle."},
    {extra::DongleHeld,
     "The dongle %1 is held by another program: %2 (process %3) holds its lock."},
    {extra::DongleHeldUnknown, "The dongle %1 is held by another program, which holds its lock."},
    {extra::DongleNoPermission,
     "No permission to open the dongle %1: the user must belong to the group %2."},
    {extra::DongleInUse, "Dongle in use: "},
    {extra::NoDongleAt, "No dongle at "},
    {extra::NoDongleFound, "No dongle found among the USB devices \"Wireless Port\""},
    {extra::UsbDongle, "USB device \"Wireless Port\""},
    {extra::Simulated, " (simulator)"},
    {extra::DongleGone, "Dongle gone (Ctrl+R reconnects): "},
    {extra::ServiceModeOn, " — service mode"},
    {extra::DongleMenu, "&Dongle"},
    {extra::Reconnect, "&Reconnect"},
    {extra::DeltaSignal, "Delta signal"},
    {extra::LinkUp, "Remote device linked"},
    {extra::LinkDown, "Remote device not linked"},
    {extra::ItalianFlag, "Italiano"},
    {extra::EnglishFlag, "English"},
    {extra::SpectrumChart, "Energy on the 16 channels"},
    {extra::WaitingInBootLoader,
     "The device is waiting in its boot loader: programming a valid file brings it back."},
    {extra::BridgeOpened, "Data bridge on %1 (Ctrl-C ends it)"},
    {extra::BridgeCounts, "%1 bytes sent to the remote device, %2 bytes received"},
    {extra::BridgeUndelivered, "%1 bytes were not passed on."},
    {extra::BridgeNoTerminal, "Cannot create the pseudo-terminal: %1"},
    {extra::BridgeDongleGone, "The dongle was disconnected; the data bridge ended."},
    {extra::BridgeSendFailed, "Sending to the remote device failed; the data bridge ended."},
}};

static_assert(InIdOrder(kItalian) && InIdOrder(kEnglish));

// In the string table's language order.
constexpr std::array<const Block*, 2> kBlocks = {&kItalian, &kEnglish};
static_assert(LanguageItalian == 0 && LanguageEnglish == 1);

}  // namespace

std::string_view ExtraText(extra::Id id, int language) {
  if (language < 0 || language >= static_cast<int>(kBlocks.size())) return {};
  if (id < 0 || id >= extra::Count) return {};
  return (*kBlocks[language])[id].text;
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t place = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (place < values.size()) {
        text += values.begin()[place];
        ++i;
        continue;
      }
    }
    text += c;
  }
  return text;
}

}  // namespace rukmox
