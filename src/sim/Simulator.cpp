#include "Simulator.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include "Service.h"

namespace rukmox::sim {

Simulator::Simulator(const Scenario& scenario)
    : world_(scenario), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Simulator::~Simulator() {
  Stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool Simulator::Start(std::string* error) {
  if (running_) return true;
  if (wakeFd_ < 0) {
    if (error) *error = "cannot create the simulator's wake-up event";
    return false;
  }
  auto service = std::make_unique<Service>(mutex_, world_, wakeFd_);
  if (!service->Open(error)) return false;
  donglePath_ = service->DonglePath();
  portPaths_ = service->PortPaths();
  service_ = std::move(service);
  running_ = true;
  thread_ = std::thread([this] { service_->Run(running_); });
  return true;
}

void Simulator::Stop() {
  if (!running_) return;
  running_ = false;
  Wake();
  if (thread_.joinable()) thread_.join();
  service_.reset();
}

void Simulator::Wake() {
  if (wakeFd_ < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void Simulator::HangUp() {
  With([](World& w) { w.dongle.unplugged = true; });
}

bool Simulator::Replug(std::string* error) {
  if (!running_) {
    if (error) *error = "the simulator is not running";
    return false;
  }
  const bool ok = With([&](World&) { return service_->PlugDongleIn(error); });
  donglePath_ = service_->DonglePath();
  portPaths_ = service_->PortPaths();
  return ok;
}

void Simulator::HostSend(int remote, const Bytes& bytes) {
  With([&](World& w) {
    if (remote < 0 || remote >= static_cast<int>(w.remotes.size())) return;
    Remote& r = w.remotes[remote];
    r.hostSent.insert(r.hostSent.end(), bytes.begin(), bytes.end());
    r.hostPending.insert(r.hostPending.end(), bytes.begin(), bytes.end());
  });
}

std::string Simulator::PortsVariable() const {
  std::string joined;
  for (const std::string& p : portPaths_) {
    if (!joined.empty()) joined += ':';
    joined += p;
  }
  return joined;
}

}  // namespace rukmox::sim
