// The program's command line:
//   rukmox [--dongle PATH] [--ports P1:P2:...] [--simulate[=SCENARIO]] [--lang LL]
//          [--service] [--screenshot FILE [--tab NAME] [--sweeps N] [--scan] [--ticks N]
//          [--range-test N] [--console LINE]] [--help] [--version]
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "Languages.h"

namespace rukmox::window {

struct StartOptions {
  std::optional<QString> dongle;
  std::optional<QString> ports;
  bool simulate = false;
  QString scenario;                     // empty: the simulator's built-in installation
  int language = LanguageItalian;       // the window's, unless --lang names another
  int wordsLanguage = LanguageEnglish;  // of what is printed: --lang's, else the locale's
  bool service = false;                 // service mode from the start
  QString screenshot;
  QString tab;
  int sweeps = 0;                      // spectrum sweeps to run before the screenshot
  bool scan = false;                   // scan the network before the screenshot
  int ticks = 2;                       // poll ticks before the screenshot
  int rangePings = 0;                  // pings of a range test to run before the screenshot
  std::optional<QString> consoleLine;  // sent on the console before the screenshot
};

// What the command line asks for: options to start with, or text to print and an exit status.
struct ParsedStart {
  std::optional<StartOptions> options;
  QString output;      // --help, --version: for standard output
  QString error;       // a usage error: for standard error
  int exitStatus = 0;  // when there are no options
};

// Needs no application object, so that --help and usage errors work without a display. The help
// and the usage errors are in the language --lang names, else in `localeLanguage`.
ParsedStart ParseStartOptions(const QStringList& arguments, const QString& version,
                              int localeLanguage = LanguageEnglish);

}  // namespace rukmox::window
