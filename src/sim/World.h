// The simulated world while it runs: modules, radio, serial-port devices and what they saw.
// The simulator's service thread and the tests share it under one lock (Simulator::With).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "Noise.h"
#include "Scenario.h"

namespace rukmox::sim {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// One command frame as the dongle decoded it. `target` is -1 for data frames (command 0).
struct CommandFrame {
  std::uint8_t code = 0;
  int target = -1;
  Bytes payload;  // after unescaping
  Bytes raw;      // as it came over the wire, start byte included
};

// One data frame that reached a remote module's host.
struct DataFrame {
  std::uint8_t sequence = 0;
  Bytes data;
};

struct Module {
  ModuleSetup setup;       // version, info and configuration bytes
  ModuleSettings current;  // what it runs with
  ModuleSettings stored;   // what it comes back with after a power cycle
  std::array<std::uint8_t, 2> checkup{0, 0};
  std::uint8_t modeSwitch = 0;  // last payload of command 34

  bool PinProtected() const { return current.pin != kNoPin; }
};

struct Remote : Module {
  bool inReach = true;
  double pathLossDb = 60;
  double scanAnswerRate = 0.75;
  HostMode host = HostMode::Echo;
  AnswerLoss answerLoss;
  std::uint64_t answersCounted = 0;  // answers that answerLoss applies to, so far
  // True when the radio loses this answer to `command` on purpose.
  bool LosesAnswer(std::uint8_t command);
  // The dongle and this remote agreed on the link (matching PINs when it was formed); the link
  // is up while this holds, the peers point at each other, the channels agree and the radio
  // carries.
  bool paired = false;
  std::vector<DataFrame> hostReceived;  // what reached its host over the data channel
  Bytes hostSent;                       // what its host sent back
  Bytes hostPending;                    // sent by the host, not yet over the air
};

struct BootLoaderState {
  BootLoaderSetup setup;
  bool prepared = false;
  bool started = false;
  int refusalsLeft = -1;        // of setup.refuseRecord
  std::vector<Bytes> records;   // accepted record frames, in order
  std::optional<Bytes> header;  // the first S0 record it got, if any
  int refusedRecords = 0;
  int statusQueries = 0;
  int frames = 0;         // every frame it echoed
  int echoed = 0;         // every byte it echoed
  bool finished = false;  // an end record was accepted; the application restarts
};

enum class Firmware { Application, BootLoader };

class World;

// What another party does to the world once the dongle has dealt with a command frame with
// `code` (answered it or stayed silent), so that a program meets the change at its next step and
// never before. Runs once, on the service thread under the world's lock.
struct CommandTrigger {
  std::uint8_t code = 0;
  std::function<void(World&)> change;
};

struct Dongle : Module {
  Firmware firmware = Firmware::Application;
  BootLoaderState boot;
  bool silent = false;     // stops answering
  bool unplugged = false;  // its USB channel was hung up
  std::vector<ReplyFault> faults;
  std::vector<CommandTrigger> triggers;
  std::uint64_t repliesSent = 0;
  std::vector<CommandFrame> received;  // every frame it decoded, either face
  Bytes rawReceived;                   // every byte from its USB channel
  Bytes outbox;  // bytes the radio brought in, waiting to go out on the USB channel
};

// A device behind one of the serial ports.
struct PortDevice {
  PortKind kind = PortKind::Empty;
  Firmware firmware = Firmware::Application;  // MCU only; the dongle's face follows the dongle
  std::uint32_t appBaud = 9600;
  int remote = -1;
  std::array<std::uint8_t, 3> appVersion{3, 1, 0};
  std::array<std::uint8_t, 2> checkup{0, 0};  // MCU: 00 FF makes a reset enter the boot loader
  BootLoaderState boot;  // MCU's own boot loader (the dongle's lives in Dongle)
  Bytes rawReceived;
};

class World {
 public:
  explicit World(const Scenario& scenario);

  Dongle dongle;
  std::vector<Remote> remotes;
  std::array<ChannelNoise, kChannelCount> noise;
  std::vector<PortDevice> ports;
  TimingSetup timing;
  std::mt19937 random;
  int scanCursor = -1;  // the remote that answered the last scan request

  // --- radio ---
  // Current noise on a channel in dBm (walks the noise up to now).
  double NoiseDbm(int channel);
  void PinNoise(int channel, double dbm);  // fixes a channel's noise from now on
  // The remote the dongle is linked with right now, or -1.
  int LinkedRemote();
  bool LinkUp() { return LinkedRemote() >= 0; }
  // Received level and link quality of a remote at the dongle, in dBm.
  double SignalDbm(const Remote& remote) const;
  double LinkQualityDbm(int remote);
  // One frame over the air to or from a remote; false when the radio lost it.
  bool RadioCarries(int remote);

  // --- the dongle's life ---
  void PowerCycleDongle();  // settings fall back to the stored ones
  void PowerCycleRemote(int remote);
  // Forms links that both ends' settings ask for (after power-up).
  void FormStoredLinks();

  int DonglePort() const;  // index of the port with the dongle's serial face, -1 none
  Clock::time_point start = Clock::now();
};

// Transmit power in dBm for a power register byte.
double PowerDbm(std::uint8_t registerByte);

}  // namespace rukmox::sim
