#include "ProfileFile.h"

#include <nlohmann/json.hpp>

#include <initializer_list>

#include "platform/JsonText.h"

#include "FieldText.h"

namespace rukmox {
namespace {

using nlohmann::json;

// The field a problem of the whole text names, in the JSON path manner.
constexpr const char* kWholeText = "$";

json ModuleJson(const ModuleProfile& m) {
  return {{"name", m.name},
          {"address", m.address},
          {"power_level", m.powerLevel ? json(*m.powerLevel) : json(nullptr)},
          {"pin_set", m.pinSet}};
}

// The modules keep only printable ASCII in a name.
bool IsModuleName(const json& v) {
  if (!v.is_string()) return false;
  const std::string name = v.get<std::string>();
  if (name.size() > static_cast<std::size_t>(NameLengthMax)) return false;
  for (unsigned char c : name)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

bool IsIntegerIn(const json& v, long long low, long long high) {
  if (!v.is_number_integer()) return false;
  if (v.is_number_unsigned() && v.get<unsigned long long>() > static_cast<unsigned long long>(high))
    return false;
  const long long n = v.get<long long>();
  return n >= low && n <= high;
}

// Checks one object's fields in turn; the first problem wins.
class Checker {
 public:
  Checker(const json& node, std::string path, ProfileProblem& problem)
      : node_(node), path_(std::move(path)), problem_(problem) {}

  bool ok() const { return ok_; }

  const json* Need(const char* key) {
    if (!ok_) return nullptr;
    const auto it = node_.find(key);
    if (it == node_.end()) {
      Fail(key, extra::ProfileFieldMissing);
      return nullptr;
    }
    return &*it;
  }

  void Only(std::initializer_list<const char*> known) {
    if (!ok_) return;
    for (auto it = node_.begin(); it != node_.end(); ++it) {
      bool found = false;
      for (const char* k : known) found = found || it.key() == k;
      if (!found) return Fail(it.key(), extra::ProfileFieldUnknown);
    }
  }

  void Fail(const std::string& key, extra::Id reason) {
    if (!ok_) return;
    ok_ = false;
    problem_ = {path_.empty() ? key : path_ + "." + key, reason};
  }

 private:
  const json& node_;
  std::string path_;
  ProfileProblem& problem_;
  bool ok_ = true;
};

std::optional<ModuleProfile> ReadModule(const json& node, const std::string& path,
                                        ProfileProblem& problem) {
  if (!node.is_object()) {
    problem = {path, extra::ProfileNotObject};
    return std::nullopt;
  }
  Checker c(node, path, problem);
  ModuleProfile m;
  if (const json* v = c.Need("name")) {
    if (!IsModuleName(*v))
      c.Fail("name", extra::ProfileBadName);
    else
      m.name = v->get<std::string>();
  }
  if (const json* v = c.Need("address")) {
    if (!IsIntegerIn(*v, 1, 65534))
      c.Fail("address", extra::ProfileBadAddress);
    else
      m.address = v->get<std::uint32_t>();
  }
  if (const json* v = c.Need("power_level")) {
    if (!v->is_null() && !IsIntegerIn(*v, 0, PowerTableSize - 1))
      c.Fail("power_level", extra::ProfileBadPower);
    else if (!v->is_null())
      m.powerLevel = v->get<std::int32_t>();
  }
  if (const json* v = c.Need("pin_set")) {
    if (!v->is_boolean())
      c.Fail("pin_set", extra::ProfileBadFlag);
    else
      m.pinSet = v->get<bool>();
  }
  c.Only({"name", "address", "power_level", "pin_set"});
  if (!c.ok()) return std::nullopt;
  return m;
}

}  // namespace

std::string ProfileJson(const Profile& profile) {
  const json object = {{"format_version", Profile::kFormatVersion},
                       {"channel", profile.channel},
                       {"local", ModuleJson(profile.local)},
                       {"remote", profile.remote ? ModuleJson(*profile.remote) : json(nullptr)}};
  return object.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<Profile> ParseProfile(const std::string& text, ProfileProblem& problem) {
  platform::JsonProblem refused;
  const std::optional<json> parsed = platform::ParseStrictJson(text, &refused);
  if (!parsed) {
    if (refused.kind == platform::JsonProblem::Kind::KeyTwice)
      problem = {refused.detail, extra::ProfileKeyTwice};
    else
      problem = {kWholeText, extra::ProfileNotJson};
    return std::nullopt;
  }
  const json& root = *parsed;
  if (!root.is_object()) {
    problem = {kWholeText, extra::ProfileNotObject};
    return std::nullopt;
  }
  Checker c(root, "", problem);
  // The version first: the other fields of an unknown version may mean something else.
  if (const json* v = c.Need("format_version")) {
    if (!v->is_number_integer() || v->get<long long>() != Profile::kFormatVersion)
      c.Fail("format_version", extra::ProfileVersionUnknown);
  }
  Profile p;
  if (const json* v = c.Need("channel")) {
    if (!IsIntegerIn(*v, 0, RadioChannelCount - 1))
      c.Fail("channel", extra::ProfileBadChannel);
    else
      p.channel = v->get<std::int32_t>();
  }
  if (const json* v = c.Need("local")) {
    std::optional<ModuleProfile> local = ReadModule(*v, "local", problem);
    if (!local) return std::nullopt;
    p.local = *local;
  }
  if (const json* v = c.Need("remote"); v != nullptr && !v->is_null()) {
    std::optional<ModuleProfile> remote = ReadModule(*v, "remote", problem);
    if (!remote) return std::nullopt;
    p.remote = *remote;
  }
  c.Only({"format_version", "channel", "local", "remote"});
  if (!c.ok()) return std::nullopt;
  return p;
}

bool SaveProfileFile(const std::string& path, const Profile& profile,
                     platform::FileProblem* problem) {
  return platform::WriteWholeFile(path, ProfileJson(profile), problem);
}

bool ReadProfileFile(const std::string& path, std::string& text, platform::FileProblem* problem) {
  std::optional<std::string> content = platform::ReadRegularFile(path, kProfileFileLimit, problem);
  if (!content) return false;
  text = std::move(*content);
  return true;
}

}  // namespace rukmox
