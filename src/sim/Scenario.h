// What a simulated installation looks like when it is switched on: the dongle, the remote modules
// in the air, the channels' noise, the devices on the serial ports, timing and faults. Built in
// code by tests or read from a JSON file by LoadScenarioFile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rukmox::sim {

inline constexpr int kChannelCount = 16;
// The serial rates a radio module can be set to, in the order of its baud table.
inline constexpr std::uint32_t kModuleRates[] = {110,  300,   1200,  2400,  4800,
                                                 9600, 19200, 38400, 57600, 115200};
inline constexpr bool IsModuleRate(std::uint32_t rate) {
  for (std::uint32_t r : kModuleRates)
    if (r == rate) return true;
  return false;
}
inline constexpr std::uint16_t kNoPeer = 0xFFFF;
// Four blanks stand for "no PIN" on the modules.
inline constexpr const char* kNoPin = "    ";

// What a radio module keeps in its settings; `stored` copies survive a power cycle.
struct ModuleSettings {
  std::string name;              // at most 9 characters
  std::uint16_t address = 1;     // 1..65534
  int channel = 0;               // 0..15
  std::string pin = kNoPin;      // exactly 4 characters
  std::uint8_t power = 0xBC;     // power register byte (0 dBm)
  std::uint32_t baud = 115200;   // serial side
  std::uint16_t peer = kNoPeer;  // the module it links (or tries to link) with
};

struct ModuleSetup {
  ModuleSettings settings;
  // Information reply bytes 0..4: H, F, P, then the 16-bit M part. Byte 3 doubles as the firmware
  // kind that the programming side reads as the mode (1 = module application firmware).
  std::array<std::uint8_t, 5> version{2, 7, 3, 1, 0};
  std::array<std::uint8_t, 5> infoBytes{0, 0, 0, 0, 0};
  std::array<std::uint8_t, 4> infoTail{0, 0, 0, 0};
  // Configuration reply bytes 0..4 and 8 (5-7 are the baud rate and the power byte).
  std::array<std::uint8_t, 6> config{1, 3, 50, 10, 1, 0};
  // A module answers only while the line runs at its own rate; true lifts that for convenience.
  bool anyBaud = false;
};

enum class HostMode { Echo, Silent };

// Answers of a remote that the radio loses on purpose, spread evenly rather than by chance, so a
// test knows the loss exactly: with share 0.25 the 4th, 8th, 12th, ... answer goes missing.
struct AnswerLoss {
  double share = 0;  // 0..1
  int command = -1;  // the command whose answers are counted; -1 every relayed command
};

struct RemoteSetup {
  ModuleSetup module;
  bool inReach = true;
  double pathLossDb = 60;        // between it and the dongle
  double scanAnswerRate = 0.75;  // share of scan requests it answers when the radio is clean
  HostMode host = HostMode::Echo;
  AnswerLoss answerLoss;
};

// Noise on one channel, in dBm: a bounded random walk around `baseDbm`, with bursts.
struct ChannelSetup {
  double baseDbm = -92;
  double driftDb = 2;      // the walk stays within base +- drift
  double burstChance = 0;  // per noise step
  double burstDb = 30;     // how much a burst adds
  int burstSteps = 20;     // how many steps a burst lasts
  bool pinned = false;     // true: always exactly baseDbm
};

struct BootLoaderSetup {
  std::uint8_t version = 4;        // status byte 0
  int prepareMs = 20;              // time the flash erase takes before the prepare answer
  int recordMs = 0;                // time a record takes before its answer
  std::uint8_t prepareStatus = 0;  // non-zero: prepare answers with this failure status
  int refuseRecord = 0;            // 1-based record number to refuse; 0: none
  int refuseTimes = -1;            // how often to refuse it; -1: every time
  bool refuseStatus = false;       // answer status queries with a refusal frame
  bool badStatusChecksum = false;  // status answers close with a wrong checksum
  int corruptEcho = 0;             // 1-based number of the echoed byte that comes back altered
  int hangUpAfterRecord = 0;       // 1-based record after which the line goes away; 0: never
};

// The device kinds the boot loaders report.
inline constexpr std::uint8_t kKindDongle = 1;
inline constexpr std::uint8_t kKindMcu = 2;

enum class PortKind {
  DongleSerial,  // the dongle's own serial face (the same firmware as its USB channel)
  Mcu,           // the MCU of a remote module's host device
  Empty,         // a port with nothing attached
};

struct PortSetup {
  PortKind kind = PortKind::Empty;
  bool inBootLoader = false;     // the device starts in its boot loader
  std::uint32_t appBaud = 9600;  // MCU application firmware's line rate
  int remote = -1;               // MCU: index of the remote module it hosts, -1 none
  std::array<std::uint8_t, 3> appVersion{3, 1, 0};  // MCU application status bytes
  BootLoaderSetup boot;
};

// A fault applied to one reply of the dongle (replies counted from 1 since the start).
struct ReplyFault {
  enum class Kind { DropByte, CorruptByte, Garbage, Silence };
  Kind kind = Kind::DropByte;
  std::uint64_t reply = 1;          // which reply
  std::size_t index = 0;            // byte to drop or corrupt
  std::uint8_t mask = 0xFF;         // CorruptByte: xor mask
  std::vector<std::uint8_t> bytes;  // Garbage: sent before the reply
};

struct TimingSetup {
  bool wireTiming = false;  // bytes take 10 bits at the line's rate
  int replyDelayMs = 0;     // the module's processing time before it answers
  int radioDelayMs = 0;     // extra time a relayed command spends on the air
  int noiseStepMs = 100;    // how often the noise walks a step
  std::uint32_t seed = 1;   // every random choice comes from here
};

struct Scenario {
  ModuleSetup dongle;
  bool dongleSilent = false;
  std::vector<ReplyFault> dongleFaults;
  std::vector<RemoteSetup> remotes;
  std::array<ChannelSetup, kChannelCount> channels{};
  std::vector<PortSetup> ports;
  TimingSetup timing;
};

// A dongle linked to one remote, three more remotes on other channels (one PIN-protected, one
// with an empty name), a port with the dongle's serial face and one with the linked remote's MCU.
Scenario DefaultScenario();

// The built-in installation's ports for `s`: the dongle's serial face, and the MCU of its first
// remote when it has one. A scenario file without "ports" gets these.
std::vector<PortSetup> BuiltInPorts(const Scenario& s);

// The longest scenario file read: far beyond any installation written by hand.
inline constexpr std::size_t kScenarioFileLimit = 1024 * 1024;

// Reads a JSON scenario; on failure returns false and `error` names the file and the field. Only a
// regular file of at most kScenarioFileLimit bytes is read.
bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error);
// The same for JSON text already in memory; `origin` names it in errors.
bool ParseScenario(const std::string& text, const std::string& origin, Scenario* scenario,
                   std::string* error);

}  // namespace rukmox::sim
