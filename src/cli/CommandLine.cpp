#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "FieldText.h"
#include "NarrowText.h"
#include "ProgrammingJob.h"
#include "Reporter.h"
#include "Rukmox.h"
#include "platform/PortList.h"

namespace rukmox::cli {
namespace {

// Numbers are decimal whatever they look like: "010" is ten, not eight, and "0x3" is no number.
// Leading zeros are dropped before the parser sees them, as it would take them for octal.
const CLI::Validator kDecimal(
    [](std::string& text) -> std::string {
      if (!IsDigitText(text)) return "must be a decimal number, not \"" + text + "\"";
      const std::size_t first = text.find_first_not_of('0');
      text = first == std::string::npos ? "0" : text.substr(first);
      return {};
    },
    "", "decimal");

const CLI::Validator kChannel = CLI::Range(0, RadioChannelCount - 1);

// A count of ticks, sweeps or pings. (CLI11's own check would print its whole range, up to
// 1.797e+308.)
const CLI::Validator kCount(
    [](std::string& text) -> std::string {
      if (text == "0") return "must be at least 1";
      return {};
    },
    "", "count");

// A reply relayed over the radio, through an FTDI chip at its default latency of 16 ms, can take
// this long; a shorter time-out fails exchanges that would have worked.
constexpr int kShortestTimeout = 50;
constexpr int kLongestTimeout = 9999;

// An address is decimal digits alone; 0 and 65535 are no radio addresses.
const CLI::Validator kAddress(
    [](std::string& text) -> std::string {
      const std::string wrong = "ADDRESS must be a decimal number from 1 to 65534";
      if (text.size() > 5 || !IsDigitText(text)) return wrong;
      const unsigned long value = std::stoul(text);
      if (value < 1 || value > 65534) return wrong;
      return {};
    },
    "ADDRESS", "address");

// The characters of a UTF-8 text, one string each; nothing when the text is not UTF-8.
std::optional<std::vector<std::string>> CharactersOf(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xE0) == 0xC0 ? 2
                               : (lead & 0xF0) == 0xE0 ? 3
                               : (lead & 0xF8) == 0xF0 ? 4
                                                       : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return std::nullopt;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

// A name or PIN as the module can hold it: counted in characters, not bytes, each one a name
// character. A character the module could not even store (no single-byte form) is
// named as such, since "not a letter" would puzzle the user of a Polish or Greek keyboard.
std::string CheckNameText(const std::string& text, std::size_t minLength, std::size_t maxLength,
                          const std::string& what) {
  const auto characters = CharactersOf(text);
  if (!characters) return what + " is not valid UTF-8 text";
  if (characters->size() < minLength || characters->size() > maxLength) {
    if (minLength == maxLength)
      return what + " must be exactly " + std::to_string(maxLength) + " characters, not " +
             std::to_string(characters->size());
    return what + " takes at most " + std::to_string(maxLength) + " characters, not " +
           std::to_string(characters->size());
  }
  for (const std::string& c : *characters) {
    if (c.size() > 1 && ToNarrow(c) == "?")
      return what + ": \"" + c + "\" has no single-byte form, so the module cannot store it";
    if (c.size() > 1 || !IsNameCharacter(static_cast<unsigned char>(c[0])))
      return what + " may hold only letters, digits, blanks, '-' and '_', not \"" + c + "\"";
  }
  return {};
}

// The first word that is neither an option nor an option's value, when no command has that name.
std::optional<std::string> UnknownCommand(CLI::App& app, int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--") return std::nullopt;
    if (!word.empty() && word[0] == '-') {
      // Options with a value, given as "--option VALUE": the value is no command.
      const CLI::Option* option = word.find('=') == std::string::npos && word.size() > 2
                                      ? app.get_option_no_throw(word)
                                      : nullptr;
      if (option != nullptr && option->get_items_expected_max() > 0) ++i;
      continue;
    }
    for (const CLI::App* sub : app.get_subcommands({}))
      if (sub->check_name(word)) return std::nullopt;
    return word;
  }
  return std::nullopt;
}

// "info", or "pin set" for a command below a command group.
std::string CommandName(const CLI::App& command) {
  const CLI::App* group = command.get_parent();
  if (group == nullptr || group->get_parent() == nullptr) return command.get_name();
  return CommandName(*group) + " " + command.get_name();
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, const char* const* argv, CommandLine& line,
                                    std::ostream& out, std::ostream& err) {
  CLI::App app{
      "rukmoxctl: service tool for a pair of short-range radio modules (a USB dongle \"Wireless "
      "Port\" and the remote module reached through it)",
      "rukmoxctl"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("rukmoxctl ") + RUKMOX_VERSION,
                       "show the version and exit");
  app.fallthrough();  // global options may also follow the command
  app.footer(
      "Exit status: 0 success, 1 the operation failed, 2 usage error, 3 the dongle could not be "
      "opened.");

  // Each command's name is written once, where it is added; what runs it goes with it.
  std::vector<std::pair<CLI::App*, CommandRun>> commands;
  auto addCommand = [&commands](CLI::App& parent, const std::string& name, const std::string& help,
                                CommandRun run) {
    CLI::App* sub = parent.add_subcommand(name, help);
    commands.emplace_back(sub, run);
    return sub;
  };

  GlobalOptions& g = line.global;
  std::string dongle, ports, lang = "en";
  int timeout = 0;
  auto* dongleOption = app.add_option("--dongle", dongle,
                                      "tty of the dongle (sets RUKMOX_DONGLE: listed first as an "
                                      "FTDI device \"Wireless Port\")");
  auto* portsOption = app.add_option(
      "--ports", ports,
      "serial ports P1:P2:... for programming (sets RUKMOX_PORTS; port k = entry k)");
  auto* timeoutOption =
      app.add_option("--timeout", timeout,
                     "base read time-out of the module link in ms, " +
                         std::to_string(kShortestTimeout) + " to " +
                         std::to_string(kLongestTimeout) + " (default 100)")
          ->transform(kDecimal)
          ->check(CLI::Validator(
              [](std::string& text) -> std::string {
                // Decimal digits without leading zeros by now.
                if (text.size() > 4 || std::stoi(text) > kLongestTimeout)
                  return "must be at most " + std::to_string(kLongestTimeout) + " ms";
                const int value = std::stoi(text);
                if (value < kShortestTimeout)
                  return "must be at least " + std::to_string(kShortestTimeout) +
                         " ms: a reply relayed over the radio can take that long";
                return {};
              },
              "MS", "timeout"));
  app.add_flag("--json", g.json, "print one JSON object per result");
  app.add_flag("--trace", g.trace,
               "write every frame sent and received to stderr, time-stamped, PINs masked");
  app.add_option("--lang", lang, "language of the messages (default en)")
      ->check(CLI::IsMember({"it", "en"}));

  addCommand(app, "info", "show the local and the remote device", RunInfo);

  auto* setName =
      addCommand(app, "set-name", "give the local (or remote) device a new name", RunSetName);
  setName->add_flag("--remote", line.remote, "change the remote device");
  setName->add_option("NAME", line.name, "new name, 1 to 9 characters")
      ->required()
      ->check(
          [](const std::string& text) -> std::string {
            // A remote without a name drops out of every scan list: nobody could find it again.
            if (IsBlankName(text)) return "NAME must not be empty or blank";
            return CheckNameText(text, 1, NameLengthMax, "NAME");
          },
          "NAME", "name");

  auto* setAddress = addCommand(
      app, "set-address", "give the local (or remote) device a new radio address", RunSetAddress);
  setAddress->add_flag("--remote", line.remote, "change the remote device");
  std::string addressText;
  setAddress->add_option("ADDRESS", addressText, "new address, 1 to 65534")
      ->required()
      ->check(kAddress);

  auto* setPower = addCommand(app, "set-power", "set the transmit power of a device", RunSetPower);
  setPower->add_flag("--remote", line.remote, "change the remote device");
  std::string power;
  setPower->add_option("LEVEL", power, "min (-10dBm), default (0dBm) or max (+3dBm)")
      ->required()
      ->check(CLI::IsMember({"min", "default", "max"}));

  auto* channel =
      addCommand(app, "channel", "show the channel, or move the pair to channel N", RunChannel);
  channel->add_option("N", line.channel, "new channel, 0 to 15")
      ->transform(kDecimal)
      ->check(kChannel);

  auto* monitor = addCommand(
      app, "monitor", "link quality and energy every 100 ms, with the automatic channel change",
      RunMonitor);
  monitor->add_option("--count", line.count, "number of ticks (default: until Ctrl-C)")
      ->transform(kDecimal)
      ->check(kCount);
  monitor->add_flag("--csv", line.csv, "one CSV line per tick, after a header line");

  auto* scan =
      addCommand(app, "scan", "look for remote devices on channels FIRST to LAST", RunScan);
  std::vector<int> range;
  scan->add_option("FIRST LAST", range, "channel range (default 0 15)")
      ->expected(2)
      ->transform(kDecimal)
      ->check(kChannel);

  auto* connect =
      addCommand(app, "connect", "scan, then connect the remote device found", RunConnect);
  connect->add_option("TARGET", line.target, "name or address of the remote device")->required();
  connect->add_option("--first", line.first, "first channel to scan (default 0)")
      ->transform(kDecimal)
      ->check(kChannel);
  connect->add_option("--last", line.last, "last channel to scan (default 15)")
      ->transform(kDecimal)
      ->check(kChannel);

  addCommand(app, "disconnect", "drop the connection to the remote device", RunDisconnect);

  auto* pin = app.add_subcommand("pin", "set or remove the PIN of the radio link");
  pin->require_subcommand(1);
  auto* pinSet =
      addCommand(*pin, "set", "set a new PIN (the old one is read from the dongle)", RunPinSet);
  pinSet->add_option("NEW", line.pin, "new PIN, exactly 4 characters")
      ->required()
      ->check(
          [](const std::string& text) -> std::string {
            // Four blanks are what the modules hold for "no PIN": an empty or blank PIN would
            // remove it while we reported a new one set.
            const std::string useRemove = "; to remove the PIN use \"rukmoxctl pin remove\"";
            if (IsBlankName(text)) return "NEW must not be empty or blank" + useRemove;
            const auto characters = CharactersOf(text);
            if (characters && characters->size() != PinSize)
              return "NEW must be exactly " + std::to_string(PinSize) + " characters, not " +
                     std::to_string(characters->size()) + useRemove;
            return CheckNameText(text, PinSize, PinSize, "NEW");
          },
          "NEW", "pin");
  addCommand(*pin, "remove", "remove the PIN", RunPinRemove);

  auto* spectrum =
      addCommand(app, "spectrum", "energy on the 16 channels, one line per sweep", RunSpectrum);
  spectrum->add_option("--sweeps", line.sweeps, "number of sweeps (default: until Ctrl-C)")
      ->transform(kDecimal)
      ->check(kCount);

  auto* program =
      addCommand(app, "program", "write a programming file into the dongle or the MCU", RunProgram);
  program->add_option("TARGET", line.programTarget, "dongle or mcu")
      ->required()
      ->check(CLI::IsMember({"dongle", "mcu"}));
  program->add_option("FILE", line.file, "enciphered programming file")->required();
  program->add_flag("--dry-run", line.dryRun,
                    "show what the file holds and what it would go into, and send nothing");

  auto* ping = addCommand(app, "ping", "measure exchanges per second and round trips", RunPing);
  ping->add_option("--count", line.count, "number of pings (default 10)")
      ->transform(kDecimal)
      ->check(kCount);
  ping->add_flag("--remote", line.remote, "ping the remote device");

  addCommand(app, "bridge",
             "serve the data channel to the remote host on a pseudo-terminal until Ctrl-C",
             RunBridge);

  auto* rangeTest = addCommand(app, "range-test",
                               "remote pings at a steady pace: answered, lost, round trip, quality",
                               RunRangeTest);
  rangeTest->add_option("--count", line.count, "number of pings")
      ->required()
      ->check(CLI::Range(1, 1000000));
  rangeTest->add_option("--interval", line.interval, "ms from one ping to the next (default 100)")
      ->check(CLI::Range(0, 3600000));
  rangeTest->add_flag("--echo", line.echo,
                      "after each ping, send data through the link for the remote host to echo");

  auto* profile = app.add_subcommand("profile", "save the settings of both devices, or apply them");
  profile->require_subcommand(1);
  auto* profileSave =
      addCommand(*profile, "save", "write the settings of both devices to FILE", RunProfileSave);
  profileSave->add_option("FILE", line.file, "profile file (JSON)")->required();
  auto* profileApply = addCommand(*profile, "apply", "change what differs from the profile in FILE",
                                  RunProfileApply);
  profileApply->add_option("FILE", line.file, "profile file (JSON)")->required();
  profileApply->add_flag("--dry-run", line.dryRun, "only show what would change");

  // CLI11 says only that a command is required when the word given is none it knows.
  if (const auto unknown = UnknownCommand(app, argc, argv)) {
    err << "Unknown command \"" << *unknown << "\"\nRun with --help for more information.\n";
    return ExitUsage;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? ExitOk : ExitUsage;
  }

  if (*dongleOption) g.dongle = dongle;
  if (*portsOption) {
    g.ports = ports;
    // An empty list would quietly stand for the system's ports instead of the ones meant.
    if (ports.find_first_not_of(':') == std::string::npos) {
      err << "--ports names no serial port\nRun with --help for more information.\n";
      return ExitUsage;
    }
    // Ports past the search would never be tried: better to say so than to let a job miss them.
    if (const auto why =
            workflow::PortListBeyondSearch(platform::SplitPortList(ports), "--ports")) {
      err << *why << "\nRun with --help for more information.\n";
      return ExitUsage;
    }
  }
  if (*timeoutOption) g.timeout = timeout;
  g.language = lang == "it" ? LanguageItalian : LanguageEnglish;

  // Exactly one command was parsed: the application and "pin" each require one.
  for (const auto& [sub, run] : commands) {
    if (!sub->parsed()) continue;
    line.command = CommandName(*sub);
    line.run = run;
  }

  if (setAddress->parsed()) line.address = static_cast<std::uint32_t>(std::stoul(addressText));
  if (setPower->parsed())
    line.powerLevel = power == "min"   ? PowerLevelMin
                      : power == "max" ? PowerLevelMax
                                       : PowerLevelDefault;
  if (scan->parsed() && range.size() == 2) {
    line.first = range[0];
    line.last = range[1];
  }
  if (monitor->parsed() && line.csv && g.json) {
    err << "--csv and --json cannot be used together\nRun with --help for more information.\n";
    return ExitUsage;
  }
  if ((scan->parsed() || connect->parsed()) && line.first > line.last) {
    err << "FIRST must not lie above LAST\nRun with --help for more information.\n";
    return ExitUsage;
  }
  return std::nullopt;
}

}  // namespace rukmox::cli
