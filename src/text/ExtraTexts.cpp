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
    {extra::ProfileUnreadable, "Impossibile leggere il profilo %1."},
    {extra::ProfileUnwritable, "Impossibile scrivere il profilo %1."},
    {extra::ProfileRejected, "Profilo %1 rifiutato, non è stato inviato nulla. %2: %3"},
    {extra::ProfileNotJson, "non è un testo JSON valido"},
    {extra::ProfileNotObject, "deve essere un oggetto"},
    {extra::ProfileFieldMissing, "manca"},
    {extra::ProfileFieldUnknown, "campo sconosciuto"},
    {extra::ProfileVersionUnknown, "versione sconosciuta; questo programma legge la versione %1"},
    {extra::ProfileBadName, "deve essere un testo di al massimo 9 caratteri ASCII stampabili"},
    {extra::ProfileBadAddress, "deve essere un indirizzo da 1 a 65534"},
    {extra::ProfileBadPower, "deve essere un livello di potenza da 0 a 21, oppure null"},
    {extra::ProfileBadChannel, "deve essere un canale da 0 a 15"},
    {extra::ProfileBadFlag, "deve essere true o false"},
    {extra::ProfileNeedsRemote,
     "il profilo contiene un dispositivo remoto, ma nessuno è collegato"},
    {extra::ProfileSaved, "Profilo salvato in %1."},
    {extra::ProfileUnchanged, "I dispositivi hanno già le impostazioni del profilo."},
    {extra::ProfileChange, "%1: %2 -> %3"},
    {extra::ProfilePinDiffers,
     "%1: PIN %2 nel profilo, %3 sul dispositivo; il profilo non porta il PIN, che resta com'è."},
    {extra::ProfileChannelLeft,
     "channel: canale %1 nel profilo, %2 sul dispositivo locale; senza un dispositivo remoto "
     "collegato non c'è una coppia da spostare, quindi resta com'è."},
    {extra::ProfileDryRun, "Prova: non è stato inviato nulla."},
    {extra::ProfileStopped, "Interrotto a %1: le modifiche seguenti non sono state inviate."},
    {extra::RangeAnswered, "%1/%2 risposta in %3 ms"},
    {extra::RangeLost, "%1/%2 persa"},
    {extra::RangeQuality, "qualità locale %1, remota %2"},
    {extra::RangeSummary,
     "%1 inviati, %2 con risposta, %3 persi (perdita %4 %), andata e ritorno mediana %5 ms, "
     "95° percentile %6 ms"},
    {extra::RangeEcho, "eco in %1 ms"},
    {extra::RangeEchoLost, "eco persa"},
    {extra::RangeEchoSummary,
     "eco: %1 inviate, %2 tornate, %3 perse (perdita %4 %), andata e ritorno mediana %5 ms, "
     "95° percentile %6 ms"},
    {extra::HistoryTab, "Storico del collegamento"},
    {extra::HistoryChart, "Storico del collegamento"},
    {extra::HistoryQuality, "Qualità"},
    {extra::HistoryEnergy, "Energia"},
    {extra::HistoryMove, "Cambio canale"},
    {extra::HistoryPause, "Pausa"},
    {extra::HistorySave, "Salva CSV…"},
    {extra::HistoryUnwritable, "Impossibile scrivere il file %1."},
    {extra::RangeTab, "Prova di portata"},
    {extra::RangeStart, "Avvia"},
    {extra::RangeStop, "Ferma"},
    {extra::RangeCounts, "%1 inviati, %2 con risposta, %3 persi (perdita %4 %)"},
    {extra::RangeTrip, "andata e ritorno mediana %1 ms, 95° percentile %2 ms"},
    {extra::ProfileSaveAction, "&Salva profilo\u2026"},
    {extra::ProfileApplyAction, "&Applica profilo\u2026"},
    {extra::ProfileConfirm, "Applicare queste modifiche?"},
    {extra::ConsoleTab, "Console"},
    {extra::ConsoleStart, "Avvia"},
    {extra::ConsoleStop, "Ferma"},
    {extra::ConsoleSend, "Invia"},
    {extra::ConsoleModeText, "Testo"},
    {extra::ConsoleModeHex, "Hex"},
    {extra::ConsoleLineEnd, "Fine riga"},
    {extra::ConsoleNoLineEnd, "nessuna"},
    {extra::ConsoleView, "Dati scambiati con il dispositivo remoto"},
    {extra::ConsoleCounts, "%1 byte inviati, %2 ricevuti"},
    {extra::ConsoleBadHex,
     "La riga non è fatta di coppie di cifre esadecimali (come 48 65 0D): non è stato inviato "
     "nulla."},
    {extra::ConsoleStillSending,
     "La console sta ancora inviando le righe precedenti: la riga non è stata inviata."},
    {extra::ConsoleSendFailed,
     "L'invio al dispositivo remoto non è riuscito; la console si è fermata."},
    {extra::ToolsTitle, "Ruk Wireless Communication — Strumenti"},
    {extra::ToolsMenu, "S&trumenti"},
    {extra::ToolsHistoryAction, "Storico del &collegamento"},
    {extra::ToolsRangeAction, "Prova di &portata"},
    {extra::ToolsConsoleAction, "&Console"},
    {extra::ToolsLogAction, "&Registro operazioni"},
    {extra::RangeCopy, "Copia"},
    {extra::ConsoleClear, "Pulisci"},
    {extra::ConsoleSave, "Salva…"},
    {extra::ConsoleTimestamps, "Ora"},
    {extra::ConsoleUnwritable, "Impossibile scrivere il file %1."},
    {extra::ProgramQuestion, "Programmare %1 con questo file?"},
    {extra::TargetTheDongle, "la dongle"},
    {extra::TargetTheRemote, "il dispositivo remoto %1 (indirizzo %2)"},
    {extra::SummaryFile, "File: %1"},
    {extra::SummaryRecords, "Record: %1, byte di dati: %2"},
    {extra::SummaryAddresses, "Indirizzi: da %1 a %2"},
    {extra::SummaryNoAddresses, "Indirizzi: nessun record di dati"},
    {extra::SummaryTarget, "Destinazione: %1, versione attuale %2"},
    {extra::VersionUnknown, "sconosciuta"},
    {extra::PhasePreparing, "Preparazione del dispositivo…"},
    {extra::PhaseSearching, "Ricerca del boot loader sulla porta %1 di %2…"},
    {extra::PhaseWriting, "Scrittura del record %1 di %2"},
    {extra::PhaseReconnecting, "Riconnessione…"},
    {extra::ProgressLeft, "%1 % — %2 rimanenti"},
    {extra::VersionChange, "Versione: %1 → %2"},
    {extra::FileFilterSRecord, "File S-record (*.s19 *.s28 *.s37 *.srec *.mot)"},
    {extra::FileFilterAll, "Tutti i file (*)"},
    {extra::ProgrammingStopped, "Programmazione interrotta dopo il record %1 di %2."},
    {extra::StoppedBeforeRecords, "Programmazione interrotta prima del primo record."},
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
    {extra::ProfileUnreadable, "Cannot read the profile %1."},
    {extra::ProfileUnwritable, "Cannot write the profile %1."},
    {extra::ProfileRejected, "The profile %1 was rejected, nothing was sent. %2: %3"},
    {extra::ProfileNotJson, "is not valid JSON text"},
    {extra::ProfileNotObject, "must be an object"},
    {extra::ProfileFieldMissing, "is missing"},
    {extra::ProfileFieldUnknown, "unknown field"},
    {extra::ProfileVersionUnknown, "unknown version; this tool reads version %1"},
    {extra::ProfileBadName, "must be a text of at most 9 printable ASCII characters"},
    {extra::ProfileBadAddress, "must be an address from 1 to 65534"},
    {extra::ProfileBadPower, "must be a power level from 0 to 21, or null"},
    {extra::ProfileBadChannel, "must be a channel from 0 to 15"},
    {extra::ProfileBadFlag, "must be true or false"},
    {extra::ProfileNeedsRemote, "the profile holds a remote device, but none is connected"},
    {extra::ProfileSaved, "Profile saved to %1."},
    {extra::ProfileUnchanged, "The devices already hold the profile's settings."},
    {extra::ProfileChange, "%1: %2 -> %3"},
    {extra::ProfilePinDiffers,
     "%1: PIN %2 in the profile, %3 on the device; a profile carries no PIN, so it stays as it "
     "is."},
    {extra::ProfileChannelLeft,
     "channel: channel %1 in the profile, %2 on the local device; with no remote device "
     "connected there is no pair to move, so it stays as it is."},
    {extra::ProfileDryRun, "Dry run: nothing was sent."},
    {extra::ProfileStopped, "Stopped at %1: the changes after it were not sent."},
    {extra::RangeAnswered, "%1/%2 answered in %3 ms"},
    {extra::RangeLost, "%1/%2 lost"},
    {extra::RangeQuality, "quality local %1, remote %2"},
    {extra::RangeSummary,
     "%1 sent, %2 answered, %3 lost (loss %4 %), round trip median %5 ms, 95th percentile %6 ms"},
    {extra::RangeEcho, "echo in %1 ms"},
    {extra::RangeEchoLost, "echo lost"},
    {extra::RangeEchoSummary,
     "echoes: %1 sent, %2 came back, %3 lost (loss %4 %), round trip median %5 ms, 95th "
     "percentile %6 ms"},
    {extra::HistoryTab, "Link history"},
    {extra::HistoryChart, "Link history"},
    {extra::HistoryQuality, "Quality"},
    {extra::HistoryEnergy, "Energy"},
    {extra::HistoryMove, "Move"},
    {extra::HistoryPause, "Pause"},
    {extra::HistorySave, "Save CSV…"},
    {extra::HistoryUnwritable, "Cannot write the file %1."},
    {extra::RangeTab, "Range test"},
    {extra::RangeStart, "Start"},
    {extra::RangeStop, "Stop"},
    {extra::RangeCounts, "%1 sent, %2 answered, %3 lost (loss %4 %)"},
    {extra::RangeTrip, "round trip median %1 ms, 95th percentile %2 ms"},
    {extra::ProfileSaveAction, "&Save profile\u2026"},
    {extra::ProfileApplyAction, "&Apply profile\u2026"},
    {extra::ProfileConfirm, "Apply these changes?"},
    {extra::ConsoleTab, "Console"},
    {extra::ConsoleStart, "Start"},
    {extra::ConsoleStop, "Stop"},
    {extra::ConsoleSend, "Send"},
    {extra::ConsoleModeText, "Text"},
    {extra::ConsoleModeHex, "Hex"},
    {extra::ConsoleLineEnd, "Line end"},
    {extra::ConsoleNoLineEnd, "none"},
    {extra::ConsoleView, "Data exchanged with the remote device"},
    {extra::ConsoleCounts, "%1 bytes sent, %2 received"},
    {extra::ConsoleBadHex,
     "The line is not made of pairs of hex digits (such as 48 65 0D): nothing was sent."},
    {extra::ConsoleStillSending,
     "The console is still sending the previous lines: the line was not sent."},
    {extra::ConsoleSendFailed, "Sending to the remote device failed; the console stopped."},
    {extra::ToolsTitle, "Ruk Wireless Communication — Tools"},
    {extra::ToolsMenu, "&Tools"},
    {extra::ToolsHistoryAction, "Link &history"},
    {extra::ToolsRangeAction, "&Range test"},
    {extra::ToolsConsoleAction, "&Console"},
    {extra::ToolsLogAction, "&Operations log"},
    {extra::RangeCopy, "Copy"},
    {extra::ConsoleClear, "Clear"},
    {extra::ConsoleSave, "Save…"},
    {extra::ConsoleTimestamps, "Timestamps"},
    {extra::ConsoleUnwritable, "Cannot write the file %1."},
    {extra::ProgramQuestion, "Program %1 with this file?"},
    {extra::TargetTheDongle, "the dongle"},
    {extra::TargetTheRemote, "the remote device %1 (address %2)"},
    {extra::SummaryFile, "File: %1"},
    {extra::SummaryRecords, "Records: %1, data bytes: %2"},
    {extra::SummaryAddresses, "Addresses: %1 to %2"},
    {extra::SummaryNoAddresses, "Addresses: no data records"},
    {extra::SummaryTarget, "Target: %1, present version %2"},
    {extra::VersionUnknown, "unknown"},
    {extra::PhasePreparing, "Preparing the device…"},
    {extra::PhaseSearching, "Looking for the boot loader on port %1 of %2…"},
    {extra::PhaseWriting, "Writing record %1 of %2"},
    {extra::PhaseReconnecting, "Reconnecting…"},
    {extra::ProgressLeft, "%1 % — %2 left"},
    {extra::VersionChange, "Version: %1 → %2"},
    {extra::FileFilterSRecord, "S-record files (*.s19 *.s28 *.s37 *.srec *.mot)"},
    {extra::FileFilterAll, "All files (*)"},
    {extra::ProgrammingStopped, "Programming stopped after record %1 of %2."},
    {extra::StoppedBeforeRecords, "Programming stopped before the first record."},
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
