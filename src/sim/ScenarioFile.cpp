// Scenario files: JSON, every field optional (a missing one keeps its built-in value; missing
// "ports" give the built-in installation's ports), unknown fields and keys given twice refused
// so that a misspelt or doubled one does not go unnoticed. Errors read
// "FILE: FIELD: what is wrong", e.g. "lab.json: remotes[2].channel: must be an integer 0..15".
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Scenario.h"
#include "platform/Files.h"
#include "platform/JsonText.h"

namespace rukmox::sim {

namespace {

using nlohmann::json;

constexpr int kEnglish = 1;  // the simulator speaks English only

// Walks one JSON object, remembers where it is for error messages and stops at the first error.
class Reader {
 public:
  Reader(const json& node, std::string path, std::string* error)
      : node_(node), path_(std::move(path)), error_(error) {}

  bool ok() const { return error_->empty(); }

  bool IsObject() {
    if (!node_.is_object()) Fail(path_, "must be an object");
    return ok();
  }

  // Refuses fields this reader was not asked about.
  void NoOthers(std::initializer_list<const char*> known) {
    if (!ok()) return;
    const std::set<std::string> names(known.begin(), known.end());
    for (auto it = node_.begin(); it != node_.end(); ++it) {
      if (!names.count(it.key())) return Fail(Field(it.key()), "unknown field");
    }
  }

  template <class T>
  void Integer(const char* key, T* out, long long low, long long high) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_number_integer() || v->get<long long>() < low || v->get<long long>() > high) {
      return Fail(Field(key),
                  "must be an integer " + std::to_string(low) + ".." + std::to_string(high));
    }
    *out = static_cast<T>(v->get<long long>());
  }

  void Number(const char* key, double* out, double low, double high) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_number() || v->get<double>() < low || v->get<double>() > high) {
      std::ostringstream range;
      range << "must be a number " << low << ".." << high;
      return Fail(Field(key), range.str());
    }
    *out = v->get<double>();
  }

  void Boolean(const char* key, bool* out) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_boolean()) return Fail(Field(key), "must be true or false");
    *out = v->get<bool>();
  }

  void Text(const char* key, std::string* out, std::size_t minLength, std::size_t maxLength) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_string()) return Fail(Field(key), "must be a text");
    const std::string s = v->get<std::string>();
    for (unsigned char c : s) {
      if (c < 0x20 || c > 0x7E) return Fail(Field(key), "must hold printable ASCII only");
    }
    if (s.size() < minLength || s.size() > maxLength) {
      return Fail(Field(key), minLength == maxLength
                                  ? "must be exactly " + std::to_string(maxLength) + " characters"
                                  : "must be at most " + std::to_string(maxLength) + " characters");
    }
    *out = s;
  }

  template <std::size_t N>
  void ByteArray(const char* key, std::array<std::uint8_t, N>* out) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_array() || v->size() != N) {
      return Fail(Field(key), "must be an array of " + std::to_string(N) + " bytes");
    }
    for (std::size_t i = 0; i < N; ++i) {
      const json& b = (*v)[i];
      if (!b.is_number_integer() || b.get<long long>() < 0 || b.get<long long>() > 255) {
        return Fail(Field(key) + "[" + std::to_string(i) + "]", "must be an integer 0..255");
      }
      (*out)[i] = static_cast<std::uint8_t>(b.get<long long>());
    }
  }

  void Bytes(const char* key, std::vector<std::uint8_t>* out) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_array()) return Fail(Field(key), "must be an array of bytes");
    out->clear();
    for (std::size_t i = 0; i < v->size(); ++i) {
      const json& b = (*v)[i];
      if (!b.is_number_integer() || b.get<long long>() < 0 || b.get<long long>() > 255) {
        return Fail(Field(key) + "[" + std::to_string(i) + "]", "must be an integer 0..255");
      }
      out->push_back(static_cast<std::uint8_t>(b.get<long long>()));
    }
  }

  // A text out of a fixed set; returns its index in `choices`, -1 when absent.
  int Choice(const char* key, std::initializer_list<const char*> choices) {
    const json* v = Find(key);
    if (!v) return -1;
    std::string list;
    int index = 0;
    for (const char* c : choices) {
      if (v->is_string() && v->get<std::string>() == c) return index;
      list += (index++ ? ", " : "") + std::string("\"") + c + "\"";
    }
    Fail(Field(key), "must be one of " + list);
    return -1;
  }

  // Each element of an array field, as a reader of its own.
  template <class F>
  void Each(const char* key, F&& f) {
    const json* v = Find(key);
    if (!v) return;
    if (!v->is_array()) return Fail(Field(key), "must be an array");
    for (std::size_t i = 0; i < v->size() && ok(); ++i) {
      Reader element((*v)[i], Field(key) + "[" + std::to_string(i) + "]", error_);
      if (element.IsObject()) f(element, i);
    }
  }

  Reader Child(const char* key) {
    const json* v = Find(key);
    return Reader(v ? *v : kEmpty, Field(key), error_);
  }
  bool Has(const char* key) const { return node_.is_object() && node_.contains(key); }

  void Fail(const std::string& field, const std::string& what) {
    if (ok()) *error_ = field + ": " + what;
  }
  std::string Field(const std::string& key) const {
    return path_.empty() ? key : path_ + "." + key;
  }
  const std::string& path() const { return path_; }

 private:
  const json* Find(const char* key) {
    if (!ok() || !node_.is_object()) return nullptr;
    auto it = node_.find(key);
    return it == node_.end() ? nullptr : &*it;
  }

  static inline const json kEmpty = json::object();
  const json& node_;
  std::string path_;
  std::string* error_;
};

// "110, 300, ..., 115200".
std::string ModuleRateList() {
  std::string list;
  for (std::uint32_t rate : kModuleRates) list += (list.empty() ? "" : ", ") + std::to_string(rate);
  return list;
}

void ReadModule(Reader& r, ModuleSetup* m) {
  ModuleSettings& s = m->settings;
  r.Text("name", &s.name, 0, 9);
  r.Integer("address", &s.address, 1, 65534);
  r.Integer("channel", &s.channel, 0, kChannelCount - 1);
  r.Text("pin", &s.pin, 4, 4);
  r.Integer("power", &s.power, 0, 255);
  r.Integer("peer", &s.peer, 0, 65535);
  std::uint32_t baud = s.baud;
  r.Integer("baud", &baud, 0, 115200);
  if (r.ok() && !IsModuleRate(baud)) r.Fail(r.Field("baud"), "must be one of " + ModuleRateList());
  s.baud = baud;
  r.ByteArray("version", &m->version);
  r.ByteArray("infoBytes", &m->infoBytes);
  r.ByteArray("infoTail", &m->infoTail);
  r.ByteArray("config", &m->config);
  r.Boolean("anyBaud", &m->anyBaud);
}

#define RUKMOX_MODULE_FIELDS                                                            \
  "name", "address", "channel", "pin", "power", "peer", "baud", "version", "infoBytes", \
      "infoTail", "config", "anyBaud"

void ReadDongle(Reader r, Scenario* s) {
  if (!r.IsObject()) return;
  ReadModule(r, &s->dongle);
  r.Boolean("silent", &s->dongleSilent);
  r.Each("faults", [&](Reader& f, std::size_t) {
    ReplyFault fault;
    const int kind = f.Choice("kind", {"drop", "corrupt", "garbage", "silence"});
    if (kind < 0 && f.ok()) f.Fail(f.Field("kind"), "is missing");
    if (kind >= 0) fault.kind = static_cast<ReplyFault::Kind>(kind);
    f.Integer("reply", &fault.reply, 1, 1LL << 40);
    f.Integer("index", &fault.index, 0, 109);
    f.Integer("mask", &fault.mask, 1, 255);
    f.Bytes("bytes", &fault.bytes);
    f.NoOthers({"kind", "reply", "index", "mask", "bytes"});
    s->dongleFaults.push_back(fault);
  });
  r.NoOthers({RUKMOX_MODULE_FIELDS, "silent", "faults"});
}

void ReadRemotes(Reader& top, Scenario* s) {
  top.Each("remotes", [&](Reader& r, std::size_t) {
    RemoteSetup remote;
    remote.module.settings.baud = 9600;
    ReadModule(r, &remote.module);
    r.Boolean("inReach", &remote.inReach);
    r.Number("pathLossDb", &remote.pathLossDb, 0, 200);
    r.Number("scanAnswerRate", &remote.scanAnswerRate, 0, 1);
    const int host = r.Choice("host", {"echo", "silent"});
    if (host >= 0) remote.host = static_cast<HostMode>(host);
    r.Number("answerLossShare", &remote.answerLoss.share, 0, 1);
    r.Integer("answerLossCommand", &remote.answerLoss.command, 0, 255);
    r.NoOthers({RUKMOX_MODULE_FIELDS, "inReach", "pathLossDb", "scanAnswerRate", "host",
                "answerLossShare", "answerLossCommand"});
    s->remotes.push_back(remote);
  });
}

void ReadChannels(Reader& top, Scenario* s) {
  std::set<int> seen;
  top.Each("channels", [&](Reader& r, std::size_t) {
    int channel = -1;
    r.Integer("channel", &channel, 0, kChannelCount - 1);
    if (r.ok() && channel < 0) return r.Fail(r.Field("channel"), "is missing");
    if (r.ok() && !seen.insert(channel).second) {
      return r.Fail(r.Field("channel"), "channel " + std::to_string(channel) + " comes twice");
    }
    if (!r.ok()) return;
    ChannelSetup& c = s->channels[channel];
    r.Number("baseDbm", &c.baseDbm, -94, 0);
    r.Number("driftDb", &c.driftDb, 0, 40);
    r.Number("burstChance", &c.burstChance, 0, 1);
    r.Number("burstDb", &c.burstDb, 0, 94);
    r.Integer("burstSteps", &c.burstSteps, 0, 100000);
    r.Boolean("pinned", &c.pinned);
    r.NoOthers({"channel", "baseDbm", "driftDb", "burstChance", "burstDb", "burstSteps", "pinned"});
  });
}

void ReadBoot(Reader r, BootLoaderSetup* b) {
  if (!r.IsObject()) return;
  r.Integer("version", &b->version, 0, 255);
  r.Integer("prepareMs", &b->prepareMs, 0, 60000);
  r.Integer("recordMs", &b->recordMs, 0, 60000);
  r.Integer("prepareStatus", &b->prepareStatus, 0, 255);
  r.Integer("refuseRecord", &b->refuseRecord, 0, 1 << 30);
  r.Integer("refuseTimes", &b->refuseTimes, -1, 1 << 30);
  r.Boolean("refuseStatus", &b->refuseStatus);
  r.Boolean("badStatusChecksum", &b->badStatusChecksum);
  r.Integer("corruptEcho", &b->corruptEcho, 0, 1 << 30);
  r.Integer("hangUpAfterRecord", &b->hangUpAfterRecord, 0, 1 << 30);
  r.NoOthers({"version", "prepareMs", "recordMs", "prepareStatus", "refuseRecord", "refuseTimes",
              "refuseStatus", "badStatusChecksum", "corruptEcho", "hangUpAfterRecord"});
}

void ReadPorts(Reader& top, Scenario* s) {
  bool dongleFace = false;
  top.Each("ports", [&](Reader& r, std::size_t) {
    PortSetup port;
    const int kind = r.Choice("kind", {"dongle", "mcu", "empty"});
    if (kind < 0 && r.ok()) return r.Fail(r.Field("kind"), "is missing");
    if (kind >= 0) port.kind = static_cast<PortKind>(kind);
    if (port.kind == PortKind::DongleSerial && dongleFace) {
      return r.Fail(r.Field("kind"), "the dongle has one serial face only");
    }
    dongleFace = dongleFace || port.kind == PortKind::DongleSerial;
    r.Boolean("bootLoader", &port.inBootLoader);
    r.Integer("appBaud", &port.appBaud, 0, 115200);
    if (r.ok() && !IsModuleRate(port.appBaud)) {
      r.Fail(r.Field("appBaud"), "must be one of the module baud rates");
    }
    r.Integer("remote", &port.remote, -1, static_cast<long long>(s->remotes.size()) - 1);
    r.ByteArray("appVersion", &port.appVersion);
    if (r.Has("boot")) ReadBoot(r.Child("boot"), &port.boot);
    r.NoOthers({"kind", "bootLoader", "appBaud", "remote", "appVersion", "boot"});
    s->ports.push_back(port);
  });
}

void ReadTiming(Reader r, TimingSetup* t) {
  if (!r.IsObject()) return;
  r.Boolean("wireTiming", &t->wireTiming);
  r.Integer("replyDelayMs", &t->replyDelayMs, 0, 10000);
  r.Integer("radioDelayMs", &t->radioDelayMs, 0, 10000);
  r.Integer("noiseStepMs", &t->noiseStepMs, 1, 60000);
  r.Integer("seed", &t->seed, 0, 0xFFFFFFFFLL);
  r.NoOthers({"wireTiming", "replyDelayMs", "radioDelayMs", "noiseStepMs", "seed"});
}

}  // namespace

bool ParseScenario(const std::string& text, const std::string& origin, Scenario* scenario,
                   std::string* error) {
  std::string problem;
  json root;
  platform::JsonProblem refused;
  if (text.size() > kScenarioFileLimit) {
    problem = "longer than " + std::to_string(kScenarioFileLimit) + " bytes, no scenario";
  } else if (std::optional<json> parsed = platform::ParseStrictJson(text, &refused)) {
    root = std::move(*parsed);
  } else if (refused.kind == platform::JsonProblem::Kind::KeyTwice) {
    // The JSON library would keep the last of the two; a file that says a thing twice most likely
    // means one of them, and silently taking the other would hide the mistake.
    problem = refused.detail + ": given twice";
  } else {
    problem = "not valid JSON: " + refused.detail;
  }
  Scenario s;
  if (problem.empty()) {
    Reader top(root, "", &problem);
    if (!root.is_object()) {
      problem = "the top level must be an object";
    } else {
      if (top.Has("dongle")) ReadDongle(top.Child("dongle"), &s);
      ReadRemotes(top, &s);
      ReadChannels(top, &s);
      if (top.Has("ports"))
        ReadPorts(top, &s);
      else
        s.ports = BuiltInPorts(s);
      if (top.Has("timing")) ReadTiming(top.Child("timing"), &s.timing);
      top.NoOthers({"dongle", "remotes", "channels", "ports", "timing"});
    }
  }
  if (!problem.empty()) {
    if (error) *error = origin + ": " + problem;
    return false;
  }
  *scenario = std::move(s);
  return true;
}

bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error) {
  platform::FileProblem problem;
  const std::optional<std::string> text =
      platform::ReadRegularFile(path, kScenarioFileLimit, &problem);
  if (!text) {
    if (error) *error = path + ": " + platform::FileProblemText(problem, kEnglish);
    return false;
  }
  return ParseScenario(*text, path, scenario, error);
}

}  // namespace rukmox::sim
