#include "JsonText.h"

#include <cstddef>
#include <set>
#include <vector>

namespace rukmox::platform {
namespace {

using nlohmann::json;

// Where the parser is: one level per object or array open around it.
struct Level {
  bool array = false;
  std::string path;
  std::string key;        // object: the key of the member being read
  std::size_t index = 0;  // array: the element being read
  std::set<std::string> keys;
};

// The path of the value that starts next inside the innermost level.
std::string ChildPath(std::vector<Level>& levels) {
  if (levels.empty()) return {};
  Level& top = levels.back();
  if (top.array) return top.path + "[" + std::to_string(top.index++) + "]";
  return top.path.empty() ? top.key : top.path + "." + top.key;
}

}  // namespace

std::optional<json> ParseStrictJson(const std::string& text, JsonProblem* problem) {
  const auto fail = [&](JsonProblem::Kind kind, std::string detail) {
    if (problem != nullptr) *problem = {kind, std::move(detail)};
    return std::nullopt;
  };
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos)
    return fail(JsonProblem::Kind::NotJson,
                "a NUL byte at offset " + std::to_string(nul) + " is no part of JSON text");

  std::vector<Level> levels;
  std::string repeated;
  const json::parser_callback_t watch = [&](int, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start: {
        Level level;
        level.array = event == json::parse_event_t::array_start;
        level.path = ChildPath(levels);
        levels.push_back(std::move(level));
        break;
      }
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        if (!levels.empty()) levels.pop_back();
        break;
      case json::parse_event_t::key:
        if (!levels.empty() && parsed.is_string()) {
          Level& top = levels.back();
          top.key = parsed.get<std::string>();
          if (!top.keys.insert(top.key).second && repeated.empty()) repeated = ChildPath(levels);
        }
        break;
      case json::parse_event_t::value:
        // A plain value inside an array takes its place in it; objects and arrays did on start.
        if (!levels.empty() && levels.back().array) ++levels.back().index;
        break;
    }
    return true;
  };
  json root;
  try {
    root = json::parse(text, watch);
  } catch (const json::exception& e) {
    return fail(JsonProblem::Kind::NotJson, e.what());
  }
  if (!repeated.empty()) return fail(JsonProblem::Kind::KeyTwice, repeated);
  return root;
}

}  // namespace rukmox::platform
