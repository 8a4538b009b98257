// The simulator: one pseudo-terminal for the dongle's USB channel, one per serial port, and a
// service thread that answers on them from the shared World.
//
//   rukmox::sim::Simulator sim(rukmox::sim::DefaultScenario());
//   if (!sim.Start(&error)) ...;
//   rukmox::platform::TransportSettings settings;
//   settings.DonglePath = sim.DonglePath();
//   settings.Ports = sim.PortPaths();
//   TRukMox mox(..., rukmox::platform::LoadD2xxLibrary(settings));
//   sim.With([](World& w) { w.PinNoise(3, -60); });
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Scenario.h"
#include "World.h"

namespace rukmox::sim {

class Service;

class Simulator {
 public:
  explicit Simulator(const Scenario& scenario = DefaultScenario());
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Opens the pseudo-terminals and starts serving; false with a reason when it cannot.
  bool Start(std::string* error = nullptr);
  // Stops serving and closes every pseudo-terminal (programs on them see a hang-up).
  void Stop();
  bool Running() const { return running_; }

  // Slave paths, valid after Start: the dongle and the ports of the transports' settings (or
  // RUKMOX_DONGLE and RUKMOX_PORTS for a program started separately).
  const std::string& DonglePath() const { return donglePath_; }
  const std::vector<std::string>& PortPaths() const { return portPaths_; }
  std::string PortsVariable() const;  // the port paths joined with ':'

  // Runs f on the world under the lock and returns its result; the service thread then picks up
  // whatever f changed (a hang-up, bytes a host sends, ...).
  template <class F>
  auto With(F&& f) {
    struct WakeAfter {
      Simulator* self;
      ~WakeAfter() { self->Wake(); }
    } wake{this};
    std::lock_guard<std::mutex> lock(mutex_);
    return std::forward<F>(f)(world_);
  }

  // Shorthands for what tests do most.
  void HangUp();  // unplugs the dongle
  // Plugs the dongle in again after HangUp: it powers up with its stored settings on new
  // pseudo-terminals, so DonglePath and PortPaths change. False with a reason when it cannot.
  bool Replug(std::string* error = nullptr);
  void HostSend(int remote, const Bytes& bytes);  // a remote's host sends data to the PC

 private:
  friend class Service;
  void Wake();

  std::mutex mutex_;
  World world_;
  int wakeFd_ = -1;
  std::unique_ptr<Service> service_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::string donglePath_;
  std::vector<std::string> portPaths_;
};

}  // namespace rukmox::sim
