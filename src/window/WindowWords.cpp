#include "WindowWords.h"

#include <array>

#include "StringTable.h"

namespace rukmox::window {
namespace {

struct Words {
  const char* italian;
  const char* english;
};

// In the order of Word.
constexpr std::array<Words, 10> kWords = {{
    {"Dongle in uso: ", "Dongle in use: "},
    {"Nessuna dongle su ", "No dongle at "},
    {"Nessuna dongle trovata tra i dispositivi USB \"Wireless Port\"",
     "No dongle found among the USB devices \"Wireless Port\""},
    {"dispositivo USB \"Wireless Port\"", "USB device \"Wireless Port\""},
    {" (simulatore)", " (simulator)"},
    {"Dispositivo remoto collegato", "Remote device linked"},
    {"Dispositivo remoto non collegato", "Remote device not linked"},
    {"Italiano", "Italiano"},
    {"English", "English"},
    {"Energia sui 16 canali", "Energy on the 16 channels"},
}};

}  // namespace

QString WindowTitle() {
  return QStringLiteral("Ruk Wireless Communication");
}

QString WordText(Word word, int language) {
  const Words& w = kWords[static_cast<std::size_t>(word)];
  return QString::fromUtf8(language == LanguageEnglish ? w.english : w.italian);
}

}  // namespace rukmox::window
