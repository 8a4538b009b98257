#include "Simulator.h"

namespace rukmox::sim {

class Service {};

Simulator::Simulator(const Scenario& scenario) : world_(scenario) {}
Simulator::~Simulator() {
  Stop();
}

bool Simulator::Start(std::string* error) {
  if (error) *error = "not implemented yet";
  return false;
}

void Simulator::Stop() {}
void Simulator::Wake() {}
void Simulator::HangUp() {
  With([](World& w) { w.dongle.unplugged = true; });
}
void Simulator::HostSend(int remote, const Bytes& bytes) {
  With([&](World& w) {
    if (remote >= 0 && remote < static_cast<int>(w.remotes.size())) {
      w.remotes[remote].hostSent.insert(w.remotes[remote].hostSent.end(), bytes.begin(),
                                        bytes.end());
    }
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
