// Reads udev rule files the way udev(7) describes them, for a check where no `udevadm verify`
// exists (systemd before 254): comma-separated `KEY[{attribute}] operator "value"` terms, each key
// with the operators udev takes for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rukmox::test {

struct UdevTerm {
  std::string key;        // "ATTRS"
  std::string attribute;  // "product", empty for keys without braces
  std::string op;         // "==", "!=", "=", "+=", "-=", ":="
  std::string value;      // without the quotes
};

struct UdevRule {
  int line = 0;  // where the rule starts, counted from 1
  std::vector<UdevTerm> terms;
};

struct UdevParse {
  std::vector<UdevRule> rules;
  std::optional<std::string> error;  // "line N: what is wrong"
};

// Continuation lines (a trailing backslash) join the next line; blank lines and comments count as
// nothing. Stops at the first fault.
UdevParse ParseUdevRules(const std::string& text);

// The value of the first term with this key, attribute and operator, if the rule has one.
std::optional<std::string> FindTerm(const UdevRule& rule, const std::string& key,
                                    const std::string& attribute, const std::string& op);

}  // namespace rukmox::test
