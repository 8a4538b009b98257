// What the user asked for: the global options and one command with its arguments.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "Languages.h"

namespace rukmox::cli {

class Session;
struct CommandLine;

// What runs a command; returns the exit status.
using CommandRun = int (*)(Session& session, const CommandLine& line);

struct GlobalOptions {
  std::optional<std::string> dongle;  // tty put first in the FTDI list as "Wireless Port"
  std::optional<std::string> ports;   // colon-separated serial ports; port k is entry k
  std::optional<int> timeout;         // base read time-out of the module link, ms
  bool json = false;
  bool trace = false;
  // The language of every message; the caller sets it from the locale before the parse, and
  // --lang overrides it.
  int language = LanguageEnglish;
};

struct CommandLine {
  GlobalOptions global;
  std::string command;       // "info", "set-name", ..., "pin set", "pin remove"
  CommandRun run = nullptr;  // set whenever a command was parsed

  bool remote = false;
  std::string name;            // set-name
  std::uint32_t address = 0;   // set-address: 0..65535, the module judges the value
  int powerLevel = 0;          // set-power: 7, 14 or 21
  std::optional<int> channel;  // channel N
  std::optional<int> count;    // monitor --count, ping --count, range-test --count
  std::optional<int> sweeps;   // spectrum --sweeps
  int first = 0;               // scan, connect
  int last = 15;
  std::string target;         // connect NAME|ADDRESS
  std::string pin;            // pin set NEW
  std::string programTarget;  // program dongle|mcu
  std::string file;           // program FILE, profile save|apply FILE

  bool csv = false;             // monitor --csv
  std::optional<int> interval;  // range-test --interval, ms
  bool echo = false;            // range-test --echo
  bool dryRun = false;          // profile apply --dry-run, program --dry-run
};

// Parses the arguments. Returns the exit status to end with at once (help: 0, usage error: 2,
// with the text already written), or nothing when `line` holds a command to run (`run` is then
// set).
std::optional<int> ParseCommandLine(int argc, const char* const* argv, CommandLine& line,
                                    std::ostream& out, std::ostream& err);

}  // namespace rukmox::cli
