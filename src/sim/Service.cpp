#include "Service.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "DongleFirmware.h"

namespace rukmox::sim {

namespace {
// Upper bound of one wait, so that a lost wake-up costs little.
constexpr auto kLongestWait = std::chrono::milliseconds(200);
}  // namespace

Service::Service(std::mutex& mutex, World& world, int wakeFd)
    : mutex_(mutex), world_(world), wake_(wakeFd) {}

bool Service::Open(std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!usb_.Open(world_.dongle.current.baud, error)) return false;
  for (const PortDevice& p : world_.ports) {
    auto line = std::make_unique<Line>();
    std::uint32_t baud = kBootLoaderBaud;
    if (p.kind == PortKind::DongleSerial && world_.dongle.firmware == Firmware::Application) {
      baud = world_.dongle.current.baud;
    } else if (p.kind == PortKind::Mcu && p.firmware == Firmware::Application) {
      baud = p.appBaud;
    }
    if (!line->pty.Open(baud, error)) return false;
    ports_.push_back(std::move(line));
  }
  return true;
}

std::vector<std::string> Service::PortPaths() const {
  std::vector<std::string> paths;
  for (const auto& line : ports_) paths.push_back(line->pty.path());
  return paths;
}

void Service::Run(const std::atomic<bool>& running) {
  Clock::time_point next = Clock::now();
  while (running.load()) {
    std::vector<pollfd> fds{{wake_, POLLIN, 0}};
    std::vector<Line*> lines;
    auto watch = [&](Line& line) {
      if (!line.pty.IsOpen()) return;
      fds.push_back({line.pty.master(), POLLIN, 0});
      lines.push_back(&line);
    };
    watch(usb_line_);
    for (auto& line : ports_) watch(*line);

    const auto wait = std::clamp(next - Clock::now(), Clock::duration::zero(),
                                 std::chrono::duration_cast<Clock::duration>(kLongestWait));
    const int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
    if (poll(fds.data(), fds.size(), ms) < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      std::uint64_t count;
      [[maybe_unused]] ssize_t n = ::read(wake_, &count, sizeof count);
    }

    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point now = Clock::now();
    if (world_.dongle.unplugged) HangUpDongle();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!(fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      Line& line = *lines[i];
      Bytes bytes;
      line.pty.ReadAvailable(&bytes);
      int port = -1;
      for (std::size_t k = 0; k < ports_.size(); ++k) {
        if (ports_[k].get() == &line) port = static_cast<int>(k);
      }
      if (!bytes.empty()) Receive(line, port, bytes, now);
    }
    CarryHostData(now);
    // A command may have unplugged the dongle (a trigger, a fault): gone at once, not at the
    // next wake-up.
    if (world_.dongle.unplugged) HangUpDongle();

    next = now + kLongestWait;
    auto consider = [&](Line& line) {
      if (!line.pty.IsOpen()) return;
      line.boot.Expire(now);
      line.mcu.Expire(now);
      if (line.boot.Pending()) next = std::min(next, line.boot.Deadline());
      if (line.mcu.Pending()) next = std::min(next, line.mcu.Deadline());
      if (auto due = line.pty.Flush(now)) next = std::min(next, *due);
    };
    consider(usb_line_);
    for (auto& line : ports_) consider(*line);
  }
}

void Service::Receive(Line& line, int port, const Bytes& bytes, Clock::time_point now) {
  if (port < 0) {
    Dongle& d = world_.dongle;
    d.rawReceived.insert(d.rawReceived.end(), bytes.begin(), bytes.end());
    for (std::uint8_t b : bytes) {
      if (d.firmware == Firmware::Application) DongleByte(line, true, b, now);
    }
    return;
  }
  PortDevice& p = world_.ports[port];
  p.rawReceived.insert(p.rawReceived.end(), bytes.begin(), bytes.end());
  // Byte by byte, because a byte can switch the firmware that takes the next one.
  for (std::uint8_t b : bytes) {
    switch (p.kind) {
      case PortKind::DongleSerial:
        if (world_.dongle.firmware == Firmware::Application) {
          DongleByte(line, false, b, now);
        } else {
          BootByte(line, world_.dongle.boot, kKindDongle, b, now);
        }
        break;
      case PortKind::Mcu:
        if (p.firmware == Firmware::Application) {
          McuByte(line, p, b, now);
        } else {
          BootByte(line, p.boot, kKindMcu, b, now);
        }
        break;
      case PortKind::Empty:
        break;
    }
  }
}

Clock::time_point Service::Answering(const Line& line, std::size_t received, int extraMs,
                                     Clock::time_point now) const {
  // With wire timing the request is still arriving: it took its bytes' time to come in.
  Clock::time_point at = now + std::chrono::milliseconds(world_.timing.replyDelayMs + extraMs);
  if (world_.timing.wireTiming) at += line.pty.ByteTime() * static_cast<int>(received);
  return at;
}

void Service::DongleByte(Line& line, bool usb, std::uint8_t byte, Clock::time_point now) {
  Dongle& d = world_.dongle;
  // A module hears nothing but noise on a line that runs at another rate.
  if (!d.setup.anyBaud && line.pty.LineBaud() != d.current.baud) {
    line.decoder.Reset();
    return;
  }
  std::optional<CommandFrame> frame = line.decoder.Feed(byte);
  if (!frame) return;
  d.received.push_back(*frame);
  AnswerDongle(line, usb, *frame, now);
  RunTriggers(frame->code);
}

void Service::AnswerDongle(Line& line, bool usb, const CommandFrame& frame, Clock::time_point now) {
  if (world_.dongle.silent) return;
  const FirmwareAnswer answer = RunCommand(world_, frame);
  if (!answer.data) return;
  std::optional<Bytes> reply = ReplyFrame(*answer.data);
  if (usb) reply = ApplyFaults(std::move(*reply));
  if (!reply) return;
  const int air = answer.overTheAir ? 2 * world_.timing.radioDelayMs : 0;
  line.pty.Send(*reply, Answering(line, frame.raw.size(), air, now), world_.timing.wireTiming);
}

void Service::RunTriggers(std::uint8_t code) {
  // Taken out before they run, so that a change may arm new triggers without firing them now.
  std::vector<std::function<void(World&)>> due;
  std::vector<CommandTrigger> waiting;
  for (CommandTrigger& t : world_.dongle.triggers) {
    if (t.code == code) {
      due.push_back(std::move(t.change));
    } else {
      waiting.push_back(std::move(t));
    }
  }
  world_.dongle.triggers = std::move(waiting);
  for (auto& change : due)
    if (change) change(world_);
}

std::optional<Bytes> Service::ApplyFaults(Bytes reply) {
  Dongle& d = world_.dongle;
  const std::uint64_t number = ++d.repliesSent;
  for (const ReplyFault& f : d.faults) {
    if (f.reply != number) continue;
    switch (f.kind) {
      case ReplyFault::Kind::Silence:
        return std::nullopt;
      case ReplyFault::Kind::DropByte:
        if (f.index < reply.size())
          reply.erase(reply.begin() + static_cast<std::ptrdiff_t>(f.index));
        break;
      case ReplyFault::Kind::CorruptByte:
        if (f.index < reply.size()) reply[f.index] ^= f.mask;
        break;
      case ReplyFault::Kind::Garbage:
        reply.insert(reply.begin(), f.bytes.begin(), f.bytes.end());
        break;
    }
  }
  return reply;
}

void Service::BootByte(Line& line, BootLoaderState& state, std::uint8_t kind, std::uint8_t byte,
                       Clock::time_point now) {
  if (line.pty.LineBaud() != kBootLoaderBaud) return;
  const bool paced = world_.timing.wireTiming;
  const bool garbled = ++state.echoed == state.setup.corruptEcho;
  line.pty.Send({static_cast<std::uint8_t>(garbled ? byte ^ 0xFF : byte)}, now, paced);  // echo
  std::optional<Bytes> frame = line.boot.Feed(byte, now);
  if (!frame) return;
  const bool wasFinished = state.finished;
  const std::size_t recordsBefore = state.records.size();
  const BootAnswer answer = RunBootFrame(state, kind, *frame);
  if (!answer.bytes.empty()) {
    line.pty.Send(answer.bytes, Answering(line, 0, answer.delayMs, now), paced);
  }
  const int lastRecord = static_cast<int>(state.records.size());
  if (state.records.size() > recordsBefore && lastRecord == state.setup.hangUpAfterRecord) {
    // Unplugged in the middle of the job: the dongle vanishes whole, an MCU's adapter alone.
    if (kind == kKindDongle) {
      world_.dongle.unplugged = true;
    } else {
      line.pty.Close();
    }
    return;
  }
  if (state.finished && !wasFinished) {
    // The new firmware starts once the last record is in.
    if (kind == kKindDongle) {
      world_.PowerCycleDongle();
    } else {
      for (PortDevice& p : world_.ports) {
        if (&p.boot == &state) {
          p.firmware = Firmware::Application;
          p.checkup = {0, 0};
        }
      }
    }
  }
}

void Service::McuByte(Line& line, PortDevice& mcu, std::uint8_t byte, Clock::time_point now) {
  if (line.pty.LineBaud() != mcu.appBaud) return;
  std::optional<Bytes> frame = line.mcu.Feed(byte, now);
  if (!frame) return;
  const Bytes answer = RunMcuFrame(mcu, *frame);
  if (answer.empty()) return;
  line.pty.Send(answer, Answering(line, frame->size(), 0, now), world_.timing.wireTiming);
}

void Service::CarryHostData(Clock::time_point now) {
  Dongle& d = world_.dongle;
  const int linked = world_.LinkedRemote();
  for (int i = 0; i < static_cast<int>(world_.remotes.size()); ++i) {
    Remote& r = world_.remotes[i];
    if (r.hostPending.empty()) continue;
    // Without the link the host's bytes go nowhere.
    if (i == linked && world_.RadioCarries(i)) {
      d.outbox.insert(d.outbox.end(), r.hostPending.begin(), r.hostPending.end());
    }
    r.hostPending.clear();
  }
  if (d.outbox.empty()) return;
  if (usb_.IsOpen() && d.firmware == Firmware::Application) {
    usb_.Send(d.outbox, now + std::chrono::milliseconds(world_.timing.radioDelayMs),
              world_.timing.wireTiming);
  }
  d.outbox.clear();
}

bool Service::PlugDongleIn(std::string* error) {
  world_.dongle.unplugged = false;
  // Plugging in powers the dongle up: it runs with what it stored.
  world_.PowerCycleDongle();
  usb_line_.decoder.Reset();
  if (!usb_.Open(world_.dongle.current.baud, error)) return false;
  const int face = world_.DonglePort();
  if (face < 0) return true;
  Line& line = *ports_[face];
  line.decoder.Reset();
  return line.pty.Open(world_.dongle.current.baud, error);
}

void Service::HangUpDongle() {
  usb_.Close();
  const int face = world_.DonglePort();
  if (face >= 0) ports_[face]->pty.Close();
}

}  // namespace rukmox::sim
