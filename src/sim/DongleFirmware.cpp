#include "DongleFirmware.h"

#include <cmath>

namespace rukmox::sim {

namespace {

enum Code : std::uint8_t {
  kData = 0,
  kInfo = 1,
  kBaud = 2,
  kChannel = 3,
  kConfig = 5,
  kScan = 6,
  kConnect = 8,
  kLinkStatus = 9,
  kLinkTo = 10,
  kGetChannel = 12,
  kDisconnect = 13,
  kStore = 14,
  kName = 15,
  kLinkQuality = 16,
  kEnergy = 17,
  kPower = 19,
  kAddress = 22,
  kReprogram = 25,
  kCheckup = 26,
  kBootLoader = 28,
  kPing = 31,
  kModeSwitch = 34,
  kSetPin = 35,
  kReadPin = 36,
  kEnergyScan = 41,
};

constexpr std::uint8_t kAddressPrefix = 0xEC;

using Answer = std::optional<Bytes>;
const Answer kAck = Bytes{};

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Readings travel as 65535 + dBm.
Bytes Reading(double dbm) {
  Bytes out;
  Put16(out, static_cast<unsigned>(65535 + std::lround(dbm)) & 0xFFFF);
  return out;
}

void PutNameAndTail(Bytes& out, const Module& m) {
  for (char c : m.current.name) out.push_back(static_cast<std::uint8_t>(c));
  out.push_back(0);
  out.push_back(m.PinProtected() ? 1 : 0);
  out.insert(out.end(), m.setup.infoTail.begin(), m.setup.infoTail.end());
}

Bytes Info(const Module& m, bool remote) {
  Bytes out(m.setup.version.begin(), m.setup.version.end());
  out.insert(out.end(), m.setup.infoBytes.begin(), m.setup.infoBytes.end());
  if (remote) Put16(out, m.current.peer);
  Put16(out, m.current.address);
  PutNameAndTail(out, m);
  return out;
}

Bytes Config(const Module& m) {
  const auto& c = m.setup.config;
  Bytes out{c[0], c[1], c[2], c[3], c[4]};
  Put16(out, m.current.baud / 2);
  out.push_back(m.current.power);
  out.push_back(c[5]);
  return out;
}

std::string Text(const Bytes& p, std::size_t from, std::size_t count) {
  std::string s;
  for (std::size_t i = from; i < from + count && i < p.size(); ++i) {
    s.push_back(static_cast<char>(p[i]));
  }
  return s;
}

PortDevice* HostMcu(World& world, int remote) {
  for (PortDevice& p : world.ports) {
    if (p.kind == PortKind::Mcu && p.remote == remote) return &p;
  }
  return nullptr;
}

// The setting commands both ends understand. `remote` is the index of the remote module that
// runs the command, -1 for the dongle itself.
Answer Settings(World& world, Module& m, int remote, const CommandFrame& f) {
  const Bytes& p = f.payload;
  switch (f.code) {
    case kInfo:
      return Info(m, remote >= 0);
    case kConfig:
      return Config(m);
    case kBaud: {
      if (p.size() < 2) return std::nullopt;
      const std::uint32_t rate = 2u * (p[0] | (p[1] << 8));
      if (!IsModuleRate(rate)) return std::nullopt;
      m.current.baud = rate;  // the answer still leaves at the old rate
      return kAck;
    }
    case kChannel:
      if (p.empty() || p[0] >= kChannelCount) return std::nullopt;
      m.current.channel = p[0];
      return kAck;
    case kStore:
      m.stored = m.current;
      return kAck;
    case kName: {
      if (p.empty()) return std::nullopt;
      std::string name;
      for (std::size_t i = 0; i < p.size() && i < 9 && p[i] != 0; ++i) {
        name.push_back(static_cast<char>(p[i]));
      }
      m.current.name = name;
      return kAck;
    }
    case kPower:
      if (p.empty()) return std::nullopt;
      m.current.power = p[0];
      return kAck;
    case kAddress: {
      if (p.size() < 3 || p[0] != kAddressPrefix) return std::nullopt;
      const unsigned address = p[1] | (p[2] << 8);
      if (address == 0 || address == 0xFFFF) return std::nullopt;
      m.current.address = static_cast<std::uint16_t>(address);
      return kAck;
    }
    case kReprogram:
      if (remote >= 0) {
        PortDevice* mcu = HostMcu(world, remote);
        // The MCU restarts; the checkup register decides whether its boot loader stays.
        if (mcu && mcu->checkup == std::array<std::uint8_t, 2>{0x00, 0xFF}) {
          mcu->firmware = Firmware::BootLoader;
          mcu->boot.prepared = mcu->boot.started = mcu->boot.finished = false;
        }
      }
      return kAck;
    case kCheckup:
      if (p.size() < 2) return std::nullopt;
      m.checkup = {p[0], p[1]};
      if (remote >= 0) {
        if (PortDevice* mcu = HostMcu(world, remote)) mcu->checkup = m.checkup;
      }
      return kAck;
    case kPing:
      return kAck;
    case kSetPin:
      // The PIN changes only for somebody who knows the old one; a wrong one gets no answer.
      if (p.size() < 8 || Text(p, 0, 4) != m.current.pin) return std::nullopt;
      m.current.pin = Text(p, 4, 4);
      return kAck;
    case kReadPin: {
      Bytes out;
      for (char c : m.current.pin) out.push_back(static_cast<std::uint8_t>(c));
      return out;
    }
    case kEnergy:
      return Reading(world.NoiseDbm(m.current.channel));
    default:
      return std::nullopt;
  }
}

Answer Local(World& world, const CommandFrame& f) {
  Dongle& d = world.dongle;
  const Bytes& p = f.payload;
  switch (f.code) {
    case kLinkStatus: {
      Bytes out;
      Put16(out, d.current.peer);
      out.push_back(world.LinkUp() ? 1 : 0);
      return out;
    }
    case kLinkTo:
      if (p.size() < 2) return std::nullopt;
      d.current.peer = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
      return kAck;
    case kGetChannel:
      return Bytes{static_cast<std::uint8_t>(d.current.channel)};
    case kLinkQuality: {
      const int linked = world.LinkedRemote();
      return Reading(linked >= 0 ? world.LinkQualityDbm(linked) : -94);
    }
    case kEnergyScan: {
      // One byte per channel: the reading's magnitude, so a quiet channel gives a large byte.
      Bytes out;
      for (int ch = 0; ch < kChannelCount; ++ch) {
        out.push_back(static_cast<std::uint8_t>(std::lround(-world.NoiseDbm(ch))));
      }
      return out;
    }
    case kBootLoader:
      d.firmware = Firmware::BootLoader;
      d.boot.prepared = d.boot.started = d.boot.finished = false;
      return kAck;
    case kModeSwitch:
    case kScan:
    case kConnect:
    case kDisconnect:
      return std::nullopt;
    default:
      return Settings(world, d, -1, f);
  }
}

// Scan requests walk round the remotes in reach on the dongle's channel, one answer per request;
// an answer the radio misses is silence, as is an empty channel.
Answer Scan(World& world) {
  const Dongle& d = world.dongle;
  const int n = static_cast<int>(world.remotes.size());
  for (int step = 1; step <= n; ++step) {
    const int i = (world.scanCursor + step + n) % n;
    const Remote& r = world.remotes[i];
    if (!r.inReach || r.current.channel != d.current.channel) continue;
    world.scanCursor = i;
    std::uniform_real_distribution<double> unit(0, 1);
    if (unit(world.random) >= r.scanAnswerRate || !world.RadioCarries(i)) return std::nullopt;
    Bytes out;
    Put16(out, r.current.address);
    out.push_back(r.current.peer != kNoPeer ? 1 : 0);
    Put16(out, r.current.peer);
    PutNameAndTail(out, r);
    return out;
  }
  return std::nullopt;
}

Answer Connect(World& world, const CommandFrame& f) {
  if (f.payload.size() < 2) return std::nullopt;
  Dongle& d = world.dongle;
  const auto address = static_cast<std::uint16_t>(f.payload[0] | (f.payload[1] << 8));
  d.current.peer = address;
  for (int i = 0; i < static_cast<int>(world.remotes.size()); ++i) {
    Remote& r = world.remotes[i];
    if (r.current.address != address || r.current.channel != d.current.channel) continue;
    if (!world.RadioCarries(i)) return std::nullopt;
    // A remote with another PIN does not take the link and says nothing.
    if (r.current.pin != d.current.pin) return std::nullopt;
    for (Remote& other : world.remotes) other.paired = false;
    r.current.peer = d.current.address;
    r.paired = true;
    if (!world.RadioCarries(i)) return std::nullopt;
    return kAck;
  }
  return std::nullopt;
}

Answer Relayed(World& world, const CommandFrame& f) {
  if (f.code == kScan) return Scan(world);
  if (f.code == kConnect) return Connect(world, f);
  const int i = world.LinkedRemote();
  if (i < 0 || !world.RadioCarries(i)) return std::nullopt;
  sim::Remote& r = world.remotes[i];
  Answer answer;
  switch (f.code) {
    case kDisconnect:
      r.current.peer = kNoPeer;
      r.paired = false;
      answer = kAck;
      break;
    case kLinkQuality:
      answer = Reading(world.LinkQualityDbm(i));
      break;
    case kModeSwitch:
      if (f.payload.empty()) return std::nullopt;
      r.modeSwitch = f.payload[0];
      answer = kAck;
      break;
    case kLinkStatus:
    case kLinkTo:
    case kGetChannel:
    case kEnergyScan:
    case kBootLoader:
      return std::nullopt;
    default:
      answer = Settings(world, r, i, f);
      break;
  }
  // The answer travels back on the channel the command came in on.
  if (answer && !world.RadioCarries(i)) return std::nullopt;
  if (answer && r.LosesAnswer(f.code)) return std::nullopt;
  return answer;
}

void Data(World& world, const CommandFrame& f) {
  if (f.payload.empty()) return;
  const int i = world.LinkedRemote();
  if (i < 0 || !world.RadioCarries(i)) return;  // lost in the air; nobody tells the sender
  sim::Remote& r = world.remotes[i];
  DataFrame frame{f.payload[0], Bytes(f.payload.begin() + 1, f.payload.end())};
  if (r.host == HostMode::Echo) {
    r.hostSent.insert(r.hostSent.end(), frame.data.begin(), frame.data.end());
    r.hostPending.insert(r.hostPending.end(), frame.data.begin(), frame.data.end());
  }
  r.hostReceived.push_back(std::move(frame));
}

}  // namespace

FirmwareAnswer RunCommand(World& world, const CommandFrame& frame) {
  FirmwareAnswer out;
  if (frame.code == kData) {
    Data(world, frame);
    return out;
  }
  if (frame.target == 0) {
    out.data = Local(world, frame);
  } else if (frame.target == 1) {
    out.data = Relayed(world, frame);
    out.overTheAir = true;
  }
  return out;
}

}  // namespace rukmox::sim
