// The Italian and the English block word for word, every entry: the Italian now comes from a
// catalogue a translator edits, and the English is the catalogues' key. Neither may drift from the
// table the operators' manuals and the devices' users know, typos and odd blanks included.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "StringTable.h"

namespace rukmox {
namespace {

struct Row {
  std::string_view italian;
  std::string_view english;
};

// By id: Italian entry id, English entry id + 88.
constexpr std::array<Row, kTextBlockSize> kTable = {{
    {"Italiano", "English"},
    {"1", "1"},
    {"1252", "1252"},
    {"Lingua", "Language"},
    {"", ""},
    {"Impossibile caricare i parametri del dispositivo. \nErrore n. ",
     "Unable to load the parameters of the device. \nError n. "},
    {"Impossibile impostare il nuovo nome del dispositivo locale.",
     "Unable to set the new name of the locale device."},
    {"Impossibile riconnettere il dispositivo remoto.", "Can not reconnect the remote device."},
    {"Impossibile impostare il nuovo indirizzo del dispositivo locale.",
     "Unable to set the new address of the local device."},
    {"Impossibile impostare il nuovo valore di potenza del dispositivo locale.",
     "Unable to set the new value of power of the local device."},
    {"Impossibile caricare i parametri del dispositivo remoto. \nErrore n. ",
     "Unable to load the parameters of the remote device. \nError n. "},
    {"Impossibile impostare il nuovo nome del dispositivo remoto.",
     "Unable to set the new name of the remote device."},
    {"Impossibile impostare il nuovo indirizzo del dispositivo remoto.",
     "Unable to set the new address of the remote device."},
    {"Impossibile impostare il nuovo valore di potenza del dispositivo remoto.",
     "Unable to set the new value of the power of the remote device."},
    {"Impossibile impostare il nuovo canale per la coppia di dispositivi.",
     "Unable to set the new channel for the pair of devices."},
    {"", ""},
    {"Errore di lettura del pin della dongle.", "Error reading the pin dongle."},
    {"Impossibile cambiare il pin corrente. \nErrore di lettura del pin corrente.",
     "Unable to change the current pin. \nError in reading current pin."},
    {"Impossibile cambiare il pin corrente. \nErrore: ",
     "Unable to change the current pin. \nError: "},
    {"PIN dei dispositivi locale e remoto impostato correttamente.",
     "PIN of the local and remote devices set up correctly."},
    {"PIN del dispositivo locale impostato correttamente.",
     "PIN of the local device is set up correctly."},
    {"Impossibile rimuovere il pin corrente. \nErrore di lettura del pin corrente.",
     "Unable to remove the current pin. \nError in reading current pin."},
    {"Impossibile rimuovere il pin corrente. \nErrore n. ",
     "Unable to remove the current pin. \nError n. "},
    {"PIN dei dispositivi locale e remoto rimosso correttamente.",
     "PIN of the local and remote devices removed properly."},
    {"PIN del dispositivo locale rimosso correttamente.",
     "PIN of the local device removed properly."},
    {"", ""},
    {"Canale ", "Channel"},
    {"Sono stati individuati ", "Have been identified "},
    {" dispositivi remoti.", "\u00A0remote devices."},
    {"Nessun dispostivo remoto individuato.", "No remote devices found."},
    {"Impossibile connettere il dispositivo remoto selezionato, \ndispositivo non valido.",
     "Unable to connect the selected remote device, \ninvalid device."},
    {"Impossibile connettersi con il dispositivo remoto selezionato. \nProvare a cambiare il PIN "
     "del dispositivo locale.",
     "Unable to connect to the selected remote device. \nTry to change the PIN of the local "
     "device."},
    {"Impossibile connettersi con il dispositivo remoto selezionato.",
     "Unable to connect to the selected remote device."},
    {"Impossibile disconnettere correttamente il dispositivo remoto.",
     "Unable to properly disconnect the remote device."},
    {"Selezionare un file di programmazione valido.", "Select a valid programming file."},
    {"", ""},
    {"Programmazione eseguita correttamente.", "Programming successful."},
    {"Dimensione nulla dei dati in ingresso.", "Null size for in data."},
    {"Errata modalità di criptatura.", "Incorrect mode of encryption."},
    {"Errore nella fase di inizializzazione.", "Error during initialization."},
    {"Errore nella fase di start programmazione.", "Error during start programming."},
    {"Errore nella programmazione del record n. ", "Programming error in the record n. "},
    {"Errore generico di programmazione.", "Generic programming error."},
    {"Impossibile mandare nel boot loader il dispositivo locale.",
     "Failed to send the local device to the boot loader."},
    {"Impossibile individuare un dispositivo dongle da programmare.",
     "Unable to locate a dongle device to be programmed."},
    {"Impossibile scrivere il registro di checkup del dispositivo remoto.",
     "Unable to write the checkup registry of the remote device."},
    {"Impossibile memorizzare correttamente le impostazioni del dispositivo remoto.",
     "Unable to properly store the settings of the remote device."},
    {"Impossibile individuare un dispositivo mcu da programmare.",
     "Unable to locate a mcu device to be programmed."},
    {"", ""},
    {"Gestione dispositivo locale/remoto", "Settings of the local/remote device"},
    {"Dispositivo locale", "Local device"},
    {"Dispositivo remoto", "Remote device"},
    {"Versione", "Version"},
    {"Proprietà", "Properties"},
    {"Nome dispositivo", "Device Name"},
    {"Indirizzo", "Address"},
    {"Potenza", "Power"},
    {"Riprogrammazione", "Reprogramming"},
    {"File di programmazione", "Programming file"},
    {"Programma file", "Program"},
    {"Sfoglia\u2026", "Browse..."},
    {"", ""},
    {"Gestione PIN", "PIN management"},
    {"Rimuovi PIN", "Remove PIN"},
    {"Cambia PIN", "Change PIN"},
    {"Leggi PIN", "Read PIN"},
    {"Collegamento wireless", "Wireless link"},
    {"Canale", "Channel"},
    {"", ""},
    {"Gestione rete", "Network"},
    {"Dispositivi locali", "Local devices"},
    {"Nome", "Name"},
    {"Indirizzo", "Address"},
    {"Canale", "Channel"},
    {"Connessione", "Connection"},
    {"Connetti dispositivo remoto selezionato", "Connect selected remote device"},
    {"Disconnetti dispositivo remoto corrente", "Disconnect current remote device"},
    {"", ""},
    {"Scansione dispositivi locali", "Local devices scan"},
    {"Esegui scansione", "Scan"},
    {"Primo canale", "First channel"},
    {"Ultimo canale", "Last channel"},
    {"Canale", "Channel"},
    {"Scansione", "Scan"},
    {"Interrompi", "Stop"},
    {"Analizzatore di spettro", "Spectrum analyzer"},
    {"Esegui scansione", "Scan"},
    {"Interrompi", "Stop"},
}};

TEST(TableWordsTest, BothBlocksHoldTheTableWordForWord) {
  for (int id = 0; id < kTextBlockSize; ++id) {
    SCOPED_TRACE(id);
    const Row& row = kTable[static_cast<std::size_t>(id)];
    EXPECT_EQ(LoadText(id, LanguageItalian), row.italian);
    EXPECT_EQ(LoadText(id, LanguageEnglish), row.english);
  }
}

}  // namespace
}  // namespace rukmox
