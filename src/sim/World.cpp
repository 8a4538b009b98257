#include "World.h"

#include <algorithm>

namespace rukmox::sim {

namespace {

constexpr std::array<std::uint8_t, 22> kPowerTable{0x00, 0x04, 0x08, 0x0C, 0x1C, 0x2C, 0x3C, 0x4C,
                                                   0x5C, 0x6C, 0x7C, 0x8C, 0x9C, 0xAC, 0xBC, 0xCC,
                                                   0xDC, 0xEC, 0xFC, 0xFD, 0xFE, 0xFF};

// Below this margin over the noise a frame gets lost now and then; at zero it never arrives.
constexpr double kCleanMarginDb = 15;

Module MakeModule(const ModuleSetup& setup) {
  Module m;
  m.setup = setup;
  m.current = setup.settings;
  m.stored = setup.settings;
  return m;
}

BootLoaderState MakeBoot(const BootLoaderSetup& setup) {
  BootLoaderState boot;
  boot.setup = setup;
  boot.refusalsLeft = setup.refuseTimes;
  return boot;
}

}  // namespace

double PowerDbm(std::uint8_t registerByte) {
  // Level 7 is -10 dBm, 14 is 0 dBm, 21 is +3 dBm; bytes between table entries count as the
  // entry below them.
  int level = 0;
  for (int i = 0; i < static_cast<int>(kPowerTable.size()); ++i) {
    if (kPowerTable[i] <= registerByte) level = i;
  }
  if (level <= 14) return -20.0 + level * 10.0 / 7.0;
  return 3.0 * (level - 14) / 7.0;
}

World::World(const Scenario& scenario) : timing(scenario.timing), random(scenario.timing.seed) {
  static_cast<Module&>(dongle) = MakeModule(scenario.dongle);
  dongle.silent = scenario.dongleSilent;
  dongle.faults = scenario.dongleFaults;
  for (const RemoteSetup& setup : scenario.remotes) {
    Remote r;
    static_cast<Module&>(r) = MakeModule(setup.module);
    r.inReach = setup.inReach;
    r.pathLossDb = setup.pathLossDb;
    r.scanAnswerRate = setup.scanAnswerRate;
    r.host = setup.host;
    r.answerLoss = setup.answerLoss;
    remotes.push_back(std::move(r));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    noise[ch] = ChannelNoise(scenario.channels[ch], scenario.timing.seed * 7919u + ch);
  }
  for (const PortSetup& setup : scenario.ports) {
    PortDevice p;
    p.kind = setup.kind;
    p.appBaud = setup.appBaud;
    p.remote = setup.remote;
    p.appVersion = setup.appVersion;
    p.boot = MakeBoot(setup.boot);
    if (setup.inBootLoader) p.firmware = Firmware::BootLoader;
    if (setup.kind == PortKind::DongleSerial) {
      dongle.boot = MakeBoot(setup.boot);
      if (setup.inBootLoader) dongle.firmware = Firmware::BootLoader;
    }
    ports.push_back(std::move(p));
  }
  FormStoredLinks();
}

double World::NoiseDbm(int channel) {
  if (channel < 0 || channel >= kChannelCount) return -94;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  const int stepMs = std::max(1, timing.noiseStepMs);
  return noise[channel].At(elapsed.count() / stepMs);
}

void World::PinNoise(int channel, double dbm) {
  if (channel >= 0 && channel < kChannelCount) noise[channel].Pin(dbm);
}

double World::SignalDbm(const Remote& remote) const {
  // A link is as good as its weaker direction.
  const double tx = std::min(PowerDbm(dongle.current.power), PowerDbm(remote.current.power));
  return tx - remote.pathLossDb;
}

int World::LinkedRemote() {
  if (dongle.firmware != Firmware::Application || dongle.unplugged) return -1;
  for (int i = 0; i < static_cast<int>(remotes.size()); ++i) {
    const Remote& r = remotes[i];
    if (!r.paired || !r.inReach) continue;
    if (dongle.current.peer != r.current.address || r.current.peer != dongle.current.address) {
      continue;
    }
    if (r.current.channel != dongle.current.channel) continue;
    if (SignalDbm(r) - NoiseDbm(r.current.channel) <= 0) continue;
    return i;
  }
  return -1;
}

double World::LinkQualityDbm(int remote) {
  if (remote < 0 || remote >= static_cast<int>(remotes.size())) return -94;
  const Remote& r = remotes[remote];
  const double signal = SignalDbm(r);
  const double margin = signal - NoiseDbm(r.current.channel);
  return std::clamp(signal - std::max(0.0, kCleanMarginDb - margin), -94.0, -1.0);
}

bool Remote::LosesAnswer(std::uint8_t command) {
  if (answerLoss.share <= 0) return false;
  if (answerLoss.command >= 0 && answerLoss.command != command) return false;
  // Answer n is lost when n * share passes a whole number: the losses so far are always the
  // share of the answers so far, rounded down.
  const std::uint64_t n = ++answersCounted;
  const auto lostBy = [this](std::uint64_t k) {
    return static_cast<std::uint64_t>(static_cast<double>(k) * answerLoss.share + 1e-9);
  };
  return lostBy(n) > lostBy(n - 1);
}

bool World::RadioCarries(int remote) {
  if (remote < 0 || remote >= static_cast<int>(remotes.size())) return false;
  const Remote& r = remotes[remote];
  if (!r.inReach) return false;
  const double margin = SignalDbm(r) - NoiseDbm(r.current.channel);
  if (margin >= kCleanMarginDb) return true;
  if (margin <= 0) return false;
  return std::uniform_real_distribution<double>(0, kCleanMarginDb)(random) < margin;
}

void World::FormStoredLinks() {
  for (Remote& r : remotes) {
    r.paired = dongle.current.peer == r.current.address &&
               r.current.peer == dongle.current.address && dongle.current.pin == r.current.pin;
  }
}

void World::PowerCycleDongle() {
  dongle.current = dongle.stored;
  dongle.firmware = Firmware::Application;
  FormStoredLinks();
}

void World::PowerCycleRemote(int remote) {
  if (remote < 0 || remote >= static_cast<int>(remotes.size())) return;
  remotes[remote].current = remotes[remote].stored;
  FormStoredLinks();
}

int World::DonglePort() const {
  for (int i = 0; i < static_cast<int>(ports.size()); ++i) {
    if (ports[i].kind == PortKind::DongleSerial) return i;
  }
  return -1;
}

}  // namespace rukmox::sim
