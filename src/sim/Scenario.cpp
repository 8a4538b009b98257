#include "Scenario.h"

namespace rukmox::sim {

namespace {

RemoteSetup MakeRemote(const std::string& name, std::uint16_t address, int channel) {
  RemoteSetup r;
  r.module.settings.name = name;
  r.module.settings.address = address;
  r.module.settings.channel = channel;
  r.module.settings.baud = 9600;
  return r;
}

}  // namespace

std::vector<PortSetup> BuiltInPorts(const Scenario& s) {
  std::vector<PortSetup> ports;
  PortSetup face;
  face.kind = PortKind::DongleSerial;
  ports.push_back(face);
  if (!s.remotes.empty()) {
    PortSetup mcu;
    mcu.kind = PortKind::Mcu;
    mcu.remote = 0;
    ports.push_back(mcu);
  }
  return ports;
}

Scenario DefaultScenario() {
  Scenario s;
  ModuleSettings& d = s.dongle.settings;
  d.name = "RUKDONGLE";
  d.address = 0x1000;
  d.channel = 3;
  d.peer = 0x1234;

  RemoteSetup linked = MakeRemote("SENSOR-A", 0x1234, 3);
  linked.module.settings.peer = d.address;
  s.remotes.push_back(linked);
  s.remotes.push_back(MakeRemote("PUMP-7", 0x0200, 6));
  RemoteSetup locked = MakeRemote("LOCKED", 0x0301, 9);
  locked.module.settings.pin = "4321";
  s.remotes.push_back(locked);
  RemoteSetup nameless = MakeRemote("", 0x0402, 12);
  nameless.pathLossDb = 75;
  s.remotes.push_back(nameless);

  // A few quiet channels, a few busy ones, and one that bursts now and then, so that the automatic
  // channel change has something to do.
  const double base[kChannelCount] = {-88, -91, -85, -90, -80, -89, -92, -86,
                                      -90, -83, -93, -87, -91, -78, -90, -88};
  for (int ch = 0; ch < kChannelCount; ++ch) s.channels[ch].baseDbm = base[ch];
  s.channels[3].burstChance = 0.01;
  s.channels[3].burstDb = 25;

  s.ports = BuiltInPorts(s);

  s.timing.wireTiming = true;
  s.timing.replyDelayMs = 2;
  s.timing.radioDelayMs = 4;
  return s;
}

}  // namespace rukmox::sim
