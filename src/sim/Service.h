// The simulator's service thread: waits on every pseudo-terminal at once, hands incoming bytes to
// whatever firmware runs behind that line, and lets answers out at their time.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BootLoader.h"
#include "FrameCodec.h"
#include "McuApplication.h"
#include "PtyEndpoint.h"
#include "World.h"

namespace rukmox::sim {

class Service {
 public:
  Service(std::mutex& mutex, World& world, int wakeFd);

  // Opens the dongle's line and one line per port.
  bool Open(std::string* error);
  std::string DonglePath() const { return usb_.path(); }
  std::vector<std::string> PortPaths() const;

  // The dongle plugged in again after a hang-up: fresh lines (new paths) for its USB channel and
  // its serial face. The caller holds the world's lock.
  bool PlugDongleIn(std::string* error);

  // Serves until `running` turns false (checked after every wake-up).
  void Run(const std::atomic<bool>& running);

 private:
  struct Line {
    PtyEndpoint pty;
    CommandDecoder decoder;
    BootFrameReader boot;
    McuFrameReader mcu;
  };

  void Receive(Line& line, int port, const Bytes& bytes, Clock::time_point now);
  void DongleByte(Line& line, bool usb, std::uint8_t byte, Clock::time_point now);
  void BootByte(Line& line, BootLoaderState& state, std::uint8_t kind, std::uint8_t byte,
                Clock::time_point now);
  void McuByte(Line& line, PortDevice& mcu, std::uint8_t byte, Clock::time_point now);
  void AnswerDongle(Line& line, bool usb, const CommandFrame& frame, Clock::time_point now);
  std::optional<Bytes> ApplyFaults(Bytes reply);
  void RunTriggers(std::uint8_t code);
  void CarryHostData(Clock::time_point now);
  void HangUpDongle();
  Clock::time_point Answering(const Line& line, std::size_t received, int extraMs,
                              Clock::time_point now) const;

  std::mutex& mutex_;
  World& world_;
  int wake_;
  Line usb_line_;
  PtyEndpoint& usb_ = usb_line_.pty;
  std::vector<std::unique_ptr<Line>> ports_;
};

}  // namespace rukmox::sim
