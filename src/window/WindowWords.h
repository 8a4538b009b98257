// The window's few words that are not in the string table (the status line, the names that
// assistive technology reads for the pictures), in Italian and English. Kept here, together, so
// that the two languages stay side by side.
#pragma once

#include <QString>

namespace rukmox::window {

// The title of the window and of every message box, the same in both languages.
QString WindowTitle();

enum class Word {
  DongleInUse,    // followed by where the dongle is
  NoDongleAt,     // followed by the path that was tried
  NoDongleFound,  // no path was given: none among the USB devices
  UsbDongle,      // where a dongle found by its USB description is
  Simulated,      // after the path of the simulator's dongle
  LinkUp,         // ImageConnected
  LinkDown,       // ImageNotConnected
  ItalianFlag,    // ImageIta
  EnglishFlag,    // ImageEng
  SpectrumChart,  // ChartScan
};

QString WordText(Word word, int language);

}  // namespace rukmox::window
