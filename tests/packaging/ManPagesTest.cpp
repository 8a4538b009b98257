// The man pages against the programs' own option definitions, as --help shows them: every command
// and option is described, no option is described that the program does not have, and every range
// the program states ("1 to 9999", CLI11's "[1 - 9999]") is the range its page states.
#include <gtest/gtest.h>
#include <stdio.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    ::pclose(pipe);
  }
  return text;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "1 to 9999" for every range a help text states, in words or as CLI11's "[1 - 9999]".
std::set<std::string> RangesIn(const std::string& text) {
  std::set<std::string> ranges;
  static const std::regex kWords(R"((\d+) to (\d+))");
  static const std::regex kBrackets(R"(\[(\d+) - (\d+)\])");
  for (const std::regex* pattern : {&kWords, &kBrackets})
    for (std::sregex_iterator it(text.begin(), text.end(), *pattern), end; it != end; ++it)
      ranges.insert((*it)[1].str() + " to " + (*it)[2].str());
  return ranges;
}

// One option or argument as a program's help shows it: its name ("--count", or "ADDRESS" for an
// argument) and the ranges its lines state.
struct HelpEntry {
  std::string name;
  std::set<std::string> ranges;
};

struct Help {
  std::vector<HelpEntry> entries;
  std::vector<std::string> commands;
};

// Reads a help text of CLI11 or of Qt's parser: sections under a heading at the left edge, an
// entry a line indented by two, a description that wraps goes on in lines indented further.
Help ReadHelp(const std::string& text) {
  static const std::regex kOption(R"(^\s{1,3}(?:-\w,\s*)?(--[\w-]+)(.*)$)");
  static const std::regex kName(R"(^  ([\w-]+)(.*)$)");
  enum class Section { Other, Options, Arguments, Commands } section = Section::Other;
  Help help;
  bool entryOpen = false;
  for (const std::string& line : LinesOf(text)) {
    std::smatch m;
    if (!line.empty() && line[0] != ' ') {
      section = line.rfind("Subcommands:", 0) == 0   ? Section::Commands
                : line.rfind("Positionals:", 0) == 0 ? Section::Arguments
                : line.rfind("Options:", 0) == 0     ? Section::Options
                                                     : Section::Other;
      entryOpen = false;
    } else if (section == Section::Options && std::regex_match(line, m, kOption)) {
      help.entries.push_back({m[1], RangesIn(m[2])});
      entryOpen = true;
    } else if (section == Section::Arguments && std::regex_match(line, m, kName)) {
      help.entries.push_back({m[1], RangesIn(m[2])});
      entryOpen = true;
    } else if (section == Section::Commands && std::regex_match(line, m, kName)) {
      help.commands.push_back(m[1]);
    } else if (entryOpen && line.rfind("    ", 0) == 0) {
      for (const std::string& range : RangesIn(line)) help.entries.back().ranges.insert(range);
    }
  }
  return help;
}

bool IsOption(const std::string& name) {
  return name.rfind("--", 0) == 0;
}

// A man page's source made readable: font changes and escapes gone, the arguments of the font
// macros put together as troff puts them.
std::string Rendered(const std::string& line) {
  std::string text = line;
  static const std::regex kMacro(R"(^\.(B|I|BR|BI|IR|RB|RI|IB)\s+(.*)$)");
  std::smatch m;
  if (std::regex_match(line, m, kMacro)) {
    const bool alternating = m[1].length() == 2;
    static const std::regex kArgument(R"re("([^"]*)"|(\S+))re");
    const std::string arguments = m[2];
    text.clear();
    for (std::sregex_iterator it(arguments.begin(), arguments.end(), kArgument), end; it != end;
         ++it) {
      if (!alternating && !text.empty()) text += ' ';
      text += (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
    }
  } else if (!line.empty() && line[0] == '.') {
    return {};
  }
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"\\-", "-"}, {"\\fI", ""}, {"\\fR", ""}, {"\\fB", ""}, {"\\fP", ""}, {"\\(aq", "'"}}) {
    for (std::size_t at; (at = text.find(from)) != std::string::npos;)
      text.replace(at, from.size(), to);
  }
  return text;
}

// An item of the page: the line that names it (after .TP) and the whole of it.
struct Item {
  std::string head;
  std::string text;
};

struct ManPage {
  std::vector<Item> items;
  std::string described;  // the sections OPTIONS and COMMANDS, rendered
};

ManPage ReadManPage(const std::string& path) {
  std::ifstream in(path);
  ManPage page;
  bool headNext = false;
  bool describing = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SH", 0) == 0)
      describing =
          line.find("OPTIONS") != std::string::npos || line.find("COMMANDS") != std::string::npos;
    if (line.rfind(".TP", 0) == 0) {
      page.items.push_back({});
      headNext = true;
      continue;
    }
    if (line.rfind(".SH", 0) == 0 || line.rfind(".PP", 0) == 0) {
      page.items.push_back({});  // ends the item before
      headNext = false;
      continue;
    }
    const std::string text = Rendered(line);
    if (headNext) page.items.back().head = text;
    headNext = false;
    if (!page.items.empty()) page.items.back().text += text + ' ';
    if (describing) page.described += text + ' ';
  }
  return page;
}

const Item* ItemNamed(const ManPage& page, const std::string& name, bool atStart) {
  for (const Item& item : page.items) {
    if (atStart ? item.head.rfind(name + ' ', 0) == 0 || item.head == name
                : item.head.find(name) != std::string::npos)
      return &item;
  }
  return nullptr;
}

struct ProgramCase {
  const char* name;
  std::string program;
  std::string page;
};

class ManPageTest : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ManPageTest, DescribesWhatTheProgramTakes) {
  const ProgramCase& c = GetParam();
  const ManPage page = ReadManPage(c.page);
  ASSERT_FALSE(page.items.empty()) << c.page;
  std::set<std::string> known = {"--help"};

  const Help help = ReadHelp(Output(c.program + " --help"));
  ASSERT_FALSE(help.entries.empty()) << c.program;
  for (const HelpEntry& option : help.entries) {
    known.insert(option.name);
    if (option.name == "--help" || !IsOption(option.name)) continue;
    const Item* item = ItemNamed(page, option.name, false);
    ASSERT_NE(item, nullptr) << c.page << " does not describe " << option.name;
    for (const std::string& range : option.ranges)
      EXPECT_NE(item->text.find(range), std::string::npos)
          << c.page << ": " << option.name << " takes " << range
          << "; the page says: " << item->text;
  }

  // Commands, and the commands below a command group, each with its own options and arguments.
  std::vector<std::string> commands = help.commands;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const Help sub = ReadHelp(Output(c.program + " " + commands[i] + " --help"));
    if (!sub.commands.empty()) {
      for (const std::string& below : sub.commands) commands.push_back(commands[i] + " " + below);
      continue;
    }
    const Item* item = ItemNamed(page, commands[i], true);
    ASSERT_NE(item, nullptr) << c.page << " does not describe the command " << commands[i];
    for (const HelpEntry& entry : sub.entries) {
      known.insert(entry.name);
      if (entry.name == "--help") continue;
      if (IsOption(entry.name)) {
        EXPECT_NE(item->text.find(entry.name), std::string::npos)
            << c.page << ": " << commands[i] << " takes " << entry.name;
      }
      for (const std::string& range : entry.ranges)
        EXPECT_NE(item->text.find(range), std::string::npos)
            << c.page << ": " << commands[i] << " " << entry.name << " takes " << range
            << "; the page says: " << item->text;
    }
  }

  // And nothing the program does not take.
  static const std::regex kOptionWord(R"((--[a-z][\w-]*))");
  for (std::sregex_iterator it(page.described.begin(), page.described.end(), kOptionWord), end;
       it != end; ++it)
    EXPECT_TRUE(known.count((*it)[1].str()))
        << c.page << " describes " << (*it)[1].str() << ", which " << c.program << " does not take";
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ManPageTest,
    ::testing::Values(ProgramCase{"rukmoxctl", RUKMOXCTL_PROGRAM, RUKMOX_MAN_DIR "/rukmoxctl.1"},
                      ProgramCase{"rukmox", RUKMOX_PROGRAM, RUKMOX_MAN_DIR "/rukmox.1"},
                      ProgramCase{"rukmox_sim", RUKMOX_SIM_PROGRAM,
                                  RUKMOX_MAN_DIR "/rukmox-sim.1"}),
    RowName());

}  // namespace
}  // namespace rukmox::test
