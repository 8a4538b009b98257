#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "ExtraTexts.h"
#include "FieldText.h"
#include "HelpTexts.h"
#include "Languages.h"
#include "NarrowText.h"
#include "ProgrammingJob.h"
#include "Reporter.h"
#include "Rukmox.h"
#include "platform/PortList.h"

namespace rukmox::cli {
namespace {

// The help and the usage errors in the language chosen.
class Words {
 public:
  explicit Words(int language) : language_(language) {}

  std::string operator()(help::Id id) const { return std::string(HelpText(id, language_)); }
  std::string operator()(help::Id id, std::initializer_list<std::string_view> values) const {
    return FillIn(HelpText(id, language_), values);
  }
  int Language() const { return language_; }

 private:
  int language_;
};

// Numbers are decimal whatever they look like: "010" is ten, not eight, and "0x3" is no number.
// Leading zeros are dropped before the parser sees them, as it would take them for octal.
CLI::Validator Decimal(const Words& words) {
  return CLI::Validator(
      [words](std::string& text) -> std::string {
        if (!IsDigitText(text)) return words(help::NotDecimal, {text});
        const std::size_t first = text.find_first_not_of('0');
        text = first == std::string::npos ? "0" : text.substr(first);
        return {};
      },
      "", "decimal");
}

// A whole number from `lowest` to `highest`; the text has been through Decimal where it may carry
// leading zeros.
CLI::Validator Range(const Words& words, long long lowest, long long highest) {
  return CLI::Validator(
      [words, lowest, highest](std::string& text) -> std::string {
        const bool negative = !text.empty() && text[0] == '-';
        const std::string digits = negative ? text.substr(1) : text;
        if (IsDigitText(digits) && digits.size() <= 18) {
          const long long value = std::stoll(digits) * (negative ? -1 : 1);
          if (value >= lowest && value <= highest) return {};
        }
        return words(help::OutOfRange, {std::to_string(lowest), std::to_string(highest), text});
      },
      "", "range");
}

// A count of ticks, sweeps or pings, from 1 up; the text has been through Decimal. (CLI11's own
// check would print its whole range, up to 1.797e+308.)
CLI::Validator Count(const Words& words) {
  return CLI::Validator(
      [words](std::string& text) -> std::string {
        if (text == "0") return words(help::AtLeast, {"1"});
        if (text.size() > 9) return words(help::OutOfRange, {"1", "999999999", text});
        return {};
      },
      "", "count");
}

// One of the words `taken`.
CLI::Validator OneOf(const Words& words, std::vector<std::string> taken) {
  return CLI::Validator(
      [words, taken](std::string& text) -> std::string {
        if (std::find(taken.begin(), taken.end(), text) != taken.end()) return {};
        std::string list;
        for (const std::string& word : taken) list += (list.empty() ? "" : ", ") + word;
        return words(help::NotOneOf, {list, text});
      },
      "", "word");
}

// A reply relayed over the radio, through an FTDI chip at its default latency of 16 ms, can take
// this long; a shorter time-out fails exchanges that would have worked.
constexpr int kShortestTimeout = 50;
constexpr int kLongestTimeout = 9999;

// The base time-out in ms; the text has been through Decimal.
CLI::Validator Timeout(const Words& words) {
  return CLI::Validator(
      [words](std::string& text) -> std::string {
        if (text.size() > 4 || std::stoi(text) > kLongestTimeout)
          return words(help::TimeoutAtMost, {std::to_string(kLongestTimeout)});
        if (std::stoi(text) < kShortestTimeout)
          return words(help::TimeoutAtLeast, {std::to_string(kShortestTimeout)});
        return {};
      },
      "MS", "timeout");
}

// An address is decimal digits alone; 0 and 65535 are no radio addresses.
CLI::Validator Address(const Words& words) {
  return CLI::Validator(
      [words](std::string& text) -> std::string {
        if (text.size() > 5 || !IsDigitText(text)) return words(help::AddressRange);
        const unsigned long value = std::stoul(text);
        if (value < 1 || value > 65534) return words(help::AddressRange);
        return {};
      },
      "ADDRESS", "address");
}

// A language with a catalogue, by its code.
CLI::Validator Language(const Words& words) {
  return CLI::Validator(
      [words](std::string& code) -> std::string {
        if (LanguageOf(code)) return {};
        if (const std::string why = UnreadableCatalogue(code); !why.empty())
          return words(help::UnreadableLanguage, {code, why});
        return words(help::UnknownLanguage, {code, LanguageList()});
      },
      "", "language");
}

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
std::string CheckNameText(const Words& words, const std::string& text, std::size_t minLength,
                          std::size_t maxLength, const std::string& what) {
  const auto characters = CharactersOf(text);
  if (!characters) return words(help::NotUtf8, {what});
  if (characters->size() < minLength || characters->size() > maxLength) {
    const std::string given = std::to_string(characters->size());
    if (minLength == maxLength)
      return words(help::ExactLength, {what, std::to_string(maxLength), given});
    return words(help::LengthAtMost, {what, std::to_string(maxLength), given});
  }
  for (const std::string& c : *characters) {
    if (c.size() > 1 && ToNarrow(c) == "?") return words(help::NoSingleByte, {what, c});
    if (c.size() > 1 || !IsNameCharacter(static_cast<unsigned char>(c[0])))
      return words(help::NameCharacters, {what, c});
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

// The language --lang asks for, looked up before the parse so that the help and the usage errors
// already speak it. Nothing when --lang is not given or names no language; the parse then says
// what is wrong.
std::optional<int> LanguageAsked(int argc, const char* const* argv) {
  const std::string_view option = "--lang";
  std::optional<int> asked;
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--") break;
    if (word == option && i + 1 < argc) asked = LanguageOf(argv[++i]);
    if (word.substr(0, option.size() + 1) == "--lang=")
      asked = LanguageOf(word.substr(option.size() + 1));
  }
  return asked;
}

// "info", or "pin set" for a command below a command group.
std::string CommandName(const CLI::App& command) {
  const CLI::App* group = command.get_parent();
  if (group == nullptr || group->get_parent() == nullptr) return command.get_name();
  return CommandName(*group) + " " + command.get_name();
}

// CLI11's own refusals, in the language chosen where we know their form; as CLI11 words them
// otherwise.
std::string UsageErrorText(const Words& words, const CLI::Error& error) {
  const std::string what = error.what();
  const auto endsWith = [&what](std::string_view tail) {
    return what.size() > tail.size() &&
           what.compare(what.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    if (what == "A subcommand is required") return words(help::CommandRequired);
    const std::string_view tail = " is required";
    if (endsWith(tail)) return words(help::IsRequired, {what.substr(0, what.size() - tail.size())});
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    if (const std::size_t colon = what.find(": "); colon != std::string::npos)
      return words(help::NotExpected, {what.substr(colon + 2)});
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    // "FIRST LAST: At least 2 required but received 1"
    const std::string atLeast = ": At least ";
    const std::string received = " required but received ";
    const std::size_t at = what.find(atLeast);
    const std::size_t but = what.find(received);
    if (at != std::string::npos && but != std::string::npos && but > at)
      return words(help::ValuesWanted,
                   {what.substr(0, at), what.substr(at + atLeast.size(), but - at - atLeast.size()),
                    what.substr(but + received.size())});
  }
  return what;
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, const char* const* argv, CommandLine& line,
                                    std::ostream& out, std::ostream& err) {
  const Words words(LanguageAsked(argc, argv).value_or(line.global.language));
  std::string moreInformation = "\n";
  moreInformation.append(words(help::MoreInformation)).append("\n");

  CLI::App app{words(help::CtlDescription), "rukmoxctl"};
  // Set before the commands are added, which take them over.
  app.option_defaults()->group(words(help::OptionsHeading));
  app.group(words(help::CommandsHeading));
  app.set_help_flag("-h,--help", words(help::HelpOption));
  const auto format = app.get_formatter();
  format->label("Usage", words(help::UsageLabel));
  format->label("OPTIONS", words(help::OptionsLabel));
  format->label("SUBCOMMAND", words(help::CommandLabel));
  format->label("REQUIRED", words(help::RequiredLabel));
  format->label("Positionals", words(help::PositionalsHeading));
  app.failure_message([words, moreInformation](const CLI::App*, const CLI::Error& error) {
    return UsageErrorText(words, error) + moreInformation;
  });
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("rukmoxctl ") + RUKMOX_VERSION,
                       words(help::VersionOption));
  app.fallthrough();  // global options may also follow the command
  app.footer(words(help::CtlFooter));

  // Each command's name is written once, where it is added; what runs it goes with it.
  std::vector<std::pair<CLI::App*, CommandRun>> commands;
  auto addCommand = [&commands](CLI::App& parent, const std::string& name, const std::string& help,
                                CommandRun run) {
    CLI::App* sub = parent.add_subcommand(name, help);
    commands.emplace_back(sub, run);
    return sub;
  };

  const CLI::Validator decimal = Decimal(words);
  const CLI::Validator channelNumber = Range(words, 0, RadioChannelCount - 1);
  const CLI::Validator count = Count(words);

  GlobalOptions& g = line.global;
  std::string dongle, ports, lang;
  int timeout = 0;
  auto* dongleOption = app.add_option("--dongle", dongle, words(help::DongleOption));
  auto* portsOption = app.add_option("--ports", ports, words(help::PortsOption));
  auto* timeoutOption =
      app.add_option("--timeout", timeout,
                     words(help::TimeoutOption,
                           {std::to_string(kShortestTimeout), std::to_string(kLongestTimeout)}))
          ->transform(decimal)
          ->check(Timeout(words));
  app.add_flag("--json", g.json, words(help::JsonOption));
  app.add_flag("--trace", g.trace, words(help::TraceOption));
  auto* langOption = app.add_option("--lang", lang, words(help::LangOption, {LanguageList()}))
                         ->check(Language(words));

  addCommand(app, "info", words(help::InfoCommand), RunInfo);

  auto* setName = addCommand(app, "set-name", words(help::SetNameCommand), RunSetName);
  setName->add_flag("--remote", line.remote, words(help::RemoteOption));
  setName->add_option("NAME", line.name, words(help::NameArgument))
      ->required()
      ->check(
          [words](const std::string& text) -> std::string {
            // A remote without a name drops out of every scan list: nobody could find it again.
            if (IsBlankName(text)) return words(help::EmptyOrBlank, {"NAME"});
            return CheckNameText(words, text, 1, NameLengthMax, "NAME");
          },
          "NAME", "name");

  auto* setAddress = addCommand(app, "set-address", words(help::SetAddressCommand), RunSetAddress);
  setAddress->add_flag("--remote", line.remote, words(help::RemoteOption));
  std::string addressText;
  setAddress->add_option("ADDRESS", addressText, words(help::AddressArgument))
      ->required()
      ->check(Address(words));

  auto* setPower = addCommand(app, "set-power", words(help::SetPowerCommand), RunSetPower);
  setPower->add_flag("--remote", line.remote, words(help::RemoteOption));
  std::string power;
  setPower->add_option("LEVEL", power, words(help::LevelArgument))
      ->required()
      ->check(OneOf(words, {"min", "default", "max"}));

  auto* channel = addCommand(app, "channel", words(help::ChannelCommand), RunChannel);
  channel->add_option("N", line.channel, words(help::ChannelArgument))
      ->transform(decimal)
      ->check(channelNumber);

  auto* monitor = addCommand(app, "monitor", words(help::MonitorCommand), RunMonitor);
  monitor->add_option("--count", line.count, words(help::MonitorCountOption))
      ->transform(decimal)
      ->check(count);
  monitor->add_flag("--csv", line.csv, words(help::CsvOption));

  auto* scan = addCommand(app, "scan", words(help::ScanCommand), RunScan);
  std::vector<int> range;
  scan->add_option("FIRST LAST", range, words(help::ScanRangeArguments))
      ->expected(2)
      ->transform(decimal)
      ->check(channelNumber);

  auto* connect = addCommand(app, "connect", words(help::ConnectCommand), RunConnect);
  connect->add_option("TARGET", line.target, words(help::ConnectTargetArgument))->required();
  connect->add_option("--first", line.first, words(help::FirstOption))
      ->transform(decimal)
      ->check(channelNumber);
  connect->add_option("--last", line.last, words(help::LastOption))
      ->transform(decimal)
      ->check(channelNumber);

  addCommand(app, "disconnect", words(help::DisconnectCommand), RunDisconnect);

  auto* pin = app.add_subcommand("pin", words(help::PinCommand));
  pin->require_subcommand(1);
  auto* pinSet = addCommand(*pin, "set", words(help::PinSetCommand), RunPinSet);
  pinSet->add_option("NEW", line.pin, words(help::PinArgument))
      ->required()
      ->check(
          [words](const std::string& text) -> std::string {
            // Four blanks are what the modules hold for "no PIN": an empty or blank PIN would
            // remove it while we reported a new one set.
            if (IsBlankName(text))
              return words(help::UsePinRemove, {words(help::EmptyOrBlank, {"NEW"})});
            const auto characters = CharactersOf(text);
            if (characters && characters->size() != PinSize)
              return words(help::UsePinRemove,
                           {words(help::ExactLength, {"NEW", std::to_string(PinSize),
                                                      std::to_string(characters->size())})});
            return CheckNameText(words, text, PinSize, PinSize, "NEW");
          },
          "NEW", "pin");
  addCommand(*pin, "remove", words(help::PinRemoveCommand), RunPinRemove);

  auto* spectrum = addCommand(app, "spectrum", words(help::SpectrumCommand), RunSpectrum);
  spectrum->add_option("--sweeps", line.sweeps, words(help::SweepsOption))
      ->transform(decimal)
      ->check(count);

  auto* program = addCommand(app, "program", words(help::ProgramCommand), RunProgram);
  program->add_option("TARGET", line.programTarget, words(help::ProgramTargetArgument))
      ->required()
      ->check(OneOf(words, {"dongle", "mcu"}));
  program->add_option("FILE", line.file, words(help::ProgramFileArgument))->required();
  program->add_flag("--dry-run", line.dryRun, words(help::ProgramDryRunOption));

  auto* ping = addCommand(app, "ping", words(help::PingCommand), RunPing);
  ping->add_option("--count", line.count, words(help::PingCountOption))
      ->transform(decimal)
      ->check(count);
  ping->add_flag("--remote", line.remote, words(help::PingRemoteOption));

  addCommand(app, "bridge", words(help::BridgeCommand), RunBridge);

  auto* rangeTest = addCommand(app, "range-test", words(help::RangeTestCommand), RunRangeTest);
  rangeTest->add_option("--count", line.count, words(help::RangeCountOption))
      ->required()
      ->check(Range(words, 1, 1000000));
  rangeTest->add_option("--interval", line.interval, words(help::IntervalOption))
      ->check(Range(words, 0, 3600000));
  rangeTest->add_flag("--echo", line.echo, words(help::EchoOption));

  auto* profile = app.add_subcommand("profile", words(help::ProfileCommand));
  profile->require_subcommand(1);
  auto* profileSave = addCommand(*profile, "save", words(help::ProfileSaveCommand), RunProfileSave);
  profileSave->add_option("FILE", line.file, words(help::ProfileFileArgument))->required();
  auto* profileApply =
      addCommand(*profile, "apply", words(help::ProfileApplyCommand), RunProfileApply);
  profileApply->add_option("FILE", line.file, words(help::ProfileFileArgument))->required();
  profileApply->add_flag("--dry-run", line.dryRun, words(help::DryRunOption));

  // A command's own help flag is made before it takes over the group of its options.
  for (const auto& [sub, run] : commands)
    for (CLI::App* level = sub; level != nullptr; level = level->get_parent())
      if (CLI::Option* helpFlag = level->get_help_ptr())
        helpFlag->group(words(help::OptionsHeading));

  // CLI11 says only that a command is required when the word given is none it knows.
  if (const auto unknown = UnknownCommand(app, argc, argv)) {
    err << words(help::UnknownCommand, {*unknown}) << moreInformation;
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
      err << words(help::NoPortNamed, {"--ports"}) << moreInformation;
      return ExitUsage;
    }
    // Ports past the search would never be tried: better to say so than to let a job miss them.
    if (const auto why = workflow::PortListBeyondSearch(platform::SplitPortList(ports), "--ports",
                                                        words.Language())) {
      err << *why << moreInformation;
      return ExitUsage;
    }
  }
  if (*timeoutOption) g.timeout = timeout;
  if (*langOption) g.language = *LanguageOf(lang);

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
    err << words(help::CsvWithJson) << moreInformation;
    return ExitUsage;
  }
  if ((scan->parsed() || connect->parsed()) && line.first > line.last) {
    err << words(help::FirstAboveLast) << moreInformation;
    return ExitUsage;
  }
  return std::nullopt;
}

}  // namespace rukmox::cli
