// JSON text from a file the user gives, read strictly: one value and nothing after it (a NUL byte
// included, where the JSON library would stop reading and take what came before), and no key twice
// in one object, where the library would quietly keep the last.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace rukmox::platform {

struct JsonProblem {
  enum class Kind { NotJson, KeyTwice };
  Kind kind = Kind::NotJson;
  // NotJson: the parser's account; KeyTwice: the repeated key with the path to it, such as
  // "remotes[1].name".
  std::string detail;
};

std::optional<nlohmann::json> ParseStrictJson(const std::string& text, JsonProblem* problem);

}  // namespace rukmox::platform
