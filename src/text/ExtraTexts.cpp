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
    {extra::NothingSent, "Nulla è stato inviato ad alcun dispositivo."},
    {extra::ProgramFileMissing, "Il file %1 non esiste."},
    {extra::ProgramFileIsFolder, "%1 è una cartella, non un file."},
    {extra::ProgramFileNotRegular, "%1 non è un file normale."},
    {extra::FileWithoutRecords, "Il file non contiene alcun record dopo la sua intestazione."},
    {extra::RecordNotSRecord, "La riga non è un S-record."},
    {extra::RecordTypeUnknown, "S%1 non è un tipo di record di un file S-record."},
    {extra::RecordTooShort, "Il record è troppo corto per l'indirizzo del suo tipo."},
    {extra::FileWithoutEnd,
     "Il file non termina con un record di fine (S7, S8 o S9): il boot loader attenderebbe "
     "altri record."},
    {extra::RecordAfterEnd, "Un record segue il record di fine (S7, S8 o S9)."},
    {extra::NoPortsToSearch,
     "Nessuna porta seriale in cui cercare il boot loader: indicarle con --ports o RUKMOX_PORTS."},
    {extra::PortMissing, "La porta seriale %1 non esiste."},
    {extra::PortNotSerial, "%1 non è una porta seriale."},
    {extra::PortHeld,
     "La porta seriale %1 è occupata da un altro programma: %2 (processo %3) ne tiene il blocco."},
    {extra::PortHeldUnknown,
     "La porta seriale %1 è occupata da un altro programma, che ne tiene il blocco."},
    {extra::PortNoPermission,
     "Nessun permesso per aprire la porta seriale %1: l'utente deve appartenere al gruppo %2."},
    {extra::PortIsDongle,
     "%1 è la dongle stessa, su cui corre il collegamento del modulo, non una porta seriale su "
     "cui risponde un boot loader."},
    {extra::ProgrammingStopped, "Programmazione interrotta dopo il record %1 di %2."},
    {extra::StoppedBeforeRecords, "Programmazione interrotta prima del primo record."},
    {extra::Interrupted, "Interrotto da %1."},
    {extra::BridgeOpened, "Ponte dati su %1 (Ctrl-C per terminare)"},
    {extra::BridgeCounts, "%1 byte inviati al dispositivo remoto, %2 byte ricevuti"},
    {extra::BridgeUndelivered, "%1 byte non sono stati inoltrati."},
    {extra::BridgeNoTerminal, "Impossibile creare lo pseudo-terminale: %1"},
    {extra::BridgeDongleGone, "La dongle è stata scollegata; il ponte dati è terminato."},
    {extra::BridgeSendFailed,
     "L'invio al dispositivo remoto non è riuscito; il ponte dati è terminato."},
    {extra::ProfileUnreadable, "Impossibile leggere il profilo %1: %2."},
    {extra::ProfileUnwritable, "Impossibile scrivere il profilo %1: %2."},
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
    {extra::HistoryTab, "Storico"},
    {extra::HistoryChart, "Storico del collegamento"},
    {extra::HistoryQuality, "Qualità"},
    {extra::HistoryEnergy, "Energia"},
    {extra::HistoryMove, "Cambio canale"},
    {extra::HistoryPause, "Pausa"},
    {extra::HistorySave, "Salva CSV…"},
    {extra::HistoryUnwritable, "Impossibile scrivere il file %1: %2."},
    {extra::RangeTab, "Portata"},
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
    {extra::FileNoName, "non è stato indicato alcun nome di file"},
    {extra::FileMissing, "non esiste, o non esiste una cartella del suo percorso"},
    {extra::FileNoPermission, "permesso negato"},
    {extra::FileIsDirectory, "è una cartella"},
    {extra::FileNotRegular, "non è un file regolare (è un dispositivo, una FIFO o un socket)"},
    {extra::FileIsLink, "è un collegamento simbolico; indicare il file a cui punta"},
    {extra::FileTooLarge, "è più grande di %1 byte, troppo per un file di questo tipo"},
    {extra::FileDiskFull, "spazio esaurito sul disco"},
    {extra::FileReadOnly, "il file system è in sola lettura"},
    {extra::OutputUnwritable, "Impossibile scrivere sullo standard output: %1."},
    {extra::OutputClosed, "lo standard output è chiuso"},
    {extra::DongleNotASerialPort,
     "%1 è un terminale, non una porta seriale, quindi non può essere la dongle."},
    {extra::DongleOwnerOnly,
     "Nessun permesso per aprire la dongle %1: può usarla solo il suo proprietario, %2."},
    {extra::DongleSilent,
     "La dongle %1 non risponde; potrebbe essere in attesa nel suo boot loader: programmare un "
     "file valido la riporta in funzione."},
    {extra::D2xxUnloadable, "Impossibile caricare la libreria D2XX %1 indicata da RUKMOX_D2XX: %2"},
    {extra::ProfileKeyTwice, "è indicato due volte"},
    {extra::ProfileNameRefused,
     "un nome da impostare deve avere da 1 a 9 caratteri, ognuno una lettera, una cifra, uno "
     "spazio, '-' o '_'"},
    {extra::ProfileAddressTaken,
     "coincide con l'indirizzo dell'altro dispositivo; i due devono essere diversi"},
    {extra::AddressTaken,
     "L'indirizzo è già quello dell'altro dispositivo della coppia; i due devono essere diversi."},
    {extra::RangeAllLost, "Nessun ping ha avuto risposta."},
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
    {extra::NothingSent, "Nothing was sent to any device."},
    {extra::ProgramFileMissing, "The file %1 does not exist."},
    {extra::ProgramFileIsFolder, "%1 is a folder, not a file."},
    {extra::ProgramFileNotRegular, "%1 is not a regular file."},
    {extra::FileWithoutRecords, "The file holds no record after its header."},
    {extra::RecordNotSRecord, "The line is not an S-record."},
    {extra::RecordTypeUnknown, "S%1 is not a record type of an S-record file."},
    {extra::RecordTooShort, "The record is too short for the address of its type."},
    {extra::FileWithoutEnd,
     "The file does not end with an end record (S7, S8 or S9): the boot loader would wait for "
     "more records."},
    {extra::RecordAfterEnd, "A record follows the end record (S7, S8 or S9)."},
    {extra::NoPortsToSearch,
     "There is no serial port to search for the boot loader: name them with --ports or "
     "RUKMOX_PORTS."},
    {extra::PortMissing, "The serial port %1 does not exist."},
    {extra::PortNotSerial, "%1 is not a serial port."},
    {extra::PortHeld,
     "The serial port %1 is held by another program: %2 (process %3) holds its lock."},
    {extra::PortHeldUnknown,
     "The serial port %1 is held by another program, which holds its lock."},
    {extra::PortNoPermission,
     "No permission to open the serial port %1: the user must belong to the group %2."},
    {extra::PortIsDongle,
     "%1 is the dongle itself, where the module link runs, not a serial port where a boot loader "
     "answers."},
    {extra::ProgrammingStopped, "Programming stopped after record %1 of %2."},
    {extra::StoppedBeforeRecords, "Programming stopped before the first record."},
    {extra::Interrupted, "Interrupted by %1."},
    {extra::BridgeOpened, "Data bridge on %1 (Ctrl-C ends it)"},
    {extra::BridgeCounts, "%1 bytes sent to the remote device, %2 bytes received"},
    {extra::BridgeUndelivered, "%1 bytes were not passed on."},
    {extra::BridgeNoTerminal, "Cannot create the pseudo-terminal: %1"},
    {extra::BridgeDongleGone, "The dongle was disconnected; the data bridge ended."},
    {extra::BridgeSendFailed, "Sending to the remote device failed; the data bridge ended."},
    {extra::ProfileUnreadable, "Cannot read the profile %1: %2."},
    {extra::ProfileUnwritable, "Cannot write the profile %1: %2."},
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
    {extra::HistoryTab, "History"},
    {extra::HistoryChart, "Link history"},
    {extra::HistoryQuality, "Quality"},
    {extra::HistoryEnergy, "Energy"},
    {extra::HistoryMove, "Move"},
    {extra::HistoryPause, "Pause"},
    {extra::HistorySave, "Save CSV…"},
    {extra::HistoryUnwritable, "Cannot write the file %1: %2."},
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
    {extra::FileNoName, "no file name was given"},
    {extra::FileMissing, "it does not exist, or a folder on its path does not"},
    {extra::FileNoPermission, "permission denied"},
    {extra::FileIsDirectory, "it is a directory"},
    {extra::FileNotRegular, "it is not a regular file (it is a device, a FIFO or a socket)"},
    {extra::FileIsLink, "it is a symbolic link; give the file it points to"},
    {extra::FileTooLarge, "it is larger than %1 bytes, too large for a file of its kind"},
    {extra::FileDiskFull, "no space left on the disk"},
    {extra::FileReadOnly, "the file system is read-only"},
    {extra::OutputUnwritable, "Cannot write to standard output: %1."},
    {extra::OutputClosed, "standard output is closed"},
    {extra::DongleNotASerialPort,
     "%1 is a terminal, not a serial port, so it cannot be the dongle."},
    {extra::DongleOwnerOnly,
     "No permission to open the dongle %1: only its owner, %2, may use it."},
    {extra::DongleSilent,
     "The dongle %1 does not answer; it may be waiting in its boot loader: programming a valid "
     "file brings it back."},
    {extra::D2xxUnloadable, "The D2XX library %1 named by RUKMOX_D2XX cannot be loaded: %2"},
    {extra::ProfileKeyTwice, "is given twice"},
    {extra::ProfileNameRefused,
     "a name to set must have 1 to 9 characters, each a letter, a digit, a blank, '-' or '_'"},
    {extra::ProfileAddressTaken, "equals the other device's address; the two must differ"},
    {extra::AddressTaken,
     "The address is already the other device's in the pair; the two must differ."},
    {extra::RangeAllLost, "No ping was answered."},
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
