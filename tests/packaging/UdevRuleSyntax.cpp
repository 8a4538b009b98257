#include "UdevRuleSyntax.h"

#include <cctype>
#include <map>
#include <sstream>

namespace rukmox::test {
namespace {

enum class Braces { None, Required, Optional };

struct KeyRule {
  Braces braces;
  bool match;   // takes == and !=
  bool assign;  // takes =, += (and -=, := where udev allows them)
};

// The keys of udev(7) and what each takes.
const std::map<std::string, KeyRule>& Keys() {
  static const std::map<std::string, KeyRule> keys = {
      {"ACTION", {Braces::None, true, false}},    {"DEVPATH", {Braces::None, true, false}},
      {"KERNEL", {Braces::None, true, false}},    {"KERNELS", {Braces::None, true, false}},
      {"SUBSYSTEM", {Braces::None, true, false}}, {"SUBSYSTEMS", {Braces::None, true, false}},
      {"DRIVER", {Braces::None, true, false}},    {"DRIVERS", {Braces::None, true, false}},
      {"ATTRS", {Braces::Required, true, false}}, {"TAGS", {Braces::None, true, false}},
      {"TEST", {Braces::Optional, true, false}},  {"PROGRAM", {Braces::None, true, false}},
      {"RESULT", {Braces::None, true, false}},    {"CONST", {Braces::Required, true, false}},
      {"NAME", {Braces::None, true, true}},       {"SYMLINK", {Braces::None, true, true}},
      {"ATTR", {Braces::Required, true, true}},   {"SYSCTL", {Braces::Required, true, true}},
      {"ENV", {Braces::Required, true, true}},    {"TAG", {Braces::None, true, true}},
      {"OWNER", {Braces::None, false, true}},     {"GROUP", {Braces::None, false, true}},
      {"MODE", {Braces::None, false, true}},      {"SECLABEL", {Braces::Required, false, true}},
      {"RUN", {Braces::Optional, false, true}},   {"LABEL", {Braces::None, false, true}},
      {"GOTO", {Braces::None, false, true}},      {"IMPORT", {Braces::Required, false, true}},
      {"OPTIONS", {Braces::None, false, true}},
  };
  return keys;
}

bool IsMatchOp(const std::string& op) {
  return op == "==" || op == "!=";
}

class TermReader {
 public:
  explicit TermReader(const std::string& text) : text_(text) {}

  // Returns an error text, or nothing when the whole rule was read.
  std::optional<std::string> Read(std::vector<UdevTerm>& terms) {
    SkipBlanks();
    while (pos_ < text_.size()) {
      UdevTerm term;
      if (auto error = ReadTerm(term)) return error;
      terms.push_back(term);
      SkipBlanks();
      if (pos_ == text_.size()) break;
      if (text_[pos_] != ',') return "expected a comma after " + term.key;
      ++pos_;
      SkipBlanks();
      if (pos_ == text_.size()) return "the rule ends with a comma";
    }
    if (terms.empty()) return "a rule without terms";
    return std::nullopt;
  }

 private:
  std::optional<std::string> ReadTerm(UdevTerm& term) {
    while (pos_ < text_.size() &&
           (std::isupper(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
      term.key += text_[pos_++];
    const auto known = Keys().find(term.key);
    if (term.key.empty() || known == Keys().end())
      return "unknown key at \"" + text_.substr(pos_ - term.key.size(), 12) + "\"";
    const KeyRule& rule = known->second;

    if (pos_ < text_.size() && text_[pos_] == '{') {
      if (rule.braces == Braces::None) return term.key + " takes no {attribute}";
      const auto close = text_.find('}', pos_);
      if (close == std::string::npos || close == pos_ + 1) return term.key + "{ is not closed";
      term.attribute = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
    } else if (rule.braces == Braces::Required) {
      return term.key + " needs an {attribute}";
    }

    SkipBlanks();
    for (const char* op : {"==", "!=", "+=", "-=", ":=", "="}) {
      if (text_.compare(pos_, std::char_traits<char>::length(op), op) == 0) {
        term.op = op;
        break;
      }
    }
    if (term.op.empty()) return "no operator after " + term.key;
    pos_ += term.op.size();
    if (IsMatchOp(term.op) ? !rule.match : !rule.assign)
      return term.key + " does not take " + term.op;

    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != '"') return term.key + ": the value needs quotes";
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) term.value += text_[pos_++];
      term.value += text_[pos_++];
    }
    if (pos_ == text_.size()) return term.key + ": the value's quotes are not closed";
    ++pos_;
    return std::nullopt;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

UdevParse ParseUdevRules(const std::string& text) {
  UdevParse parse;
  std::istringstream lines(text);
  std::string line, joined;
  int number = 0, start = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (joined.empty()) start = number;
    if (!line.empty() && line.back() == '\\') {
      line.pop_back();
      joined += line;
      continue;
    }
    joined += line;
    const auto first = joined.find_first_not_of(" \t");
    if (first != std::string::npos && joined[first] != '#') {
      UdevRule rule;
      rule.line = start;
      if (auto error = TermReader(joined).Read(rule.terms)) {
        parse.error = "line " + std::to_string(start) + ": " + *error;
        return parse;
      }
      parse.rules.push_back(rule);
    }
    joined.clear();
  }
  if (!joined.empty()) parse.error = "line " + std::to_string(start) + ": continued past the end";
  return parse;
}

std::optional<std::string> FindTerm(const UdevRule& rule, const std::string& key,
                                    const std::string& attribute, const std::string& op) {
  for (const UdevTerm& term : rule.terms)
    if (term.key == key && term.attribute == attribute && term.op == op) return term.value;
  return std::nullopt;
}

}  // namespace rukmox::test
