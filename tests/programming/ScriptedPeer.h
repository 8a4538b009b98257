// The far end of a pseudo-terminal that answers every frame the programming class sends with
// bytes a test chooses: a boot loader or an application that misbehaves exactly as asked.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "PtyPair.h"

namespace rukmox::test {

using Bytes = std::vector<std::uint8_t>;

struct PeerReply {
  Bytes now;                           // sent at once (an echo, or a whole answer)
  std::chrono::milliseconds delay{0};  // then this pause
  Bytes later;                         // then these
};

class ScriptedPeer {
 public:
  using Responder = std::function<PeerReply(const Bytes& frame, int index)>;

  ScriptedPeer(PtyPair& pty, Responder responder)
      : pty_(pty), responder_(std::move(responder)), thread_([this] { Serve(); }) {}
  ~ScriptedPeer() {
    stop_ = true;
    thread_.join();
  }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::vector<Bytes> Frames() {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
  }

  // How long the frame at the front is, from its first bytes; 0 while it is incomplete. Boot-loader
  // commands, record frames ("S", type, length byte and that many bytes) and dongle-dialect frames.
  static std::size_t FrameLengthAtFront(const Bytes& bytes) {
    if (bytes.empty()) return 0;
    std::size_t length = 1;
    switch (bytes[0]) {
      case 0x00:
        length = 3;
        break;
      case 0x93:
        length = 2;
        break;
      case 0xF0:
        length = 5;
        break;
      case 'S':
        if (bytes.size() < 3) return 0;
        length = 3u + bytes[2];
        break;
      default:
        break;
    }
    return bytes.size() >= length ? length : 0;
  }

 private:
  void Serve() {
    Bytes pending;
    while (!stop_) {
      pollfd p{pty_.master(), POLLIN, 0};
      if (poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) continue;
      std::uint8_t buffer[512];
      const ssize_t n = read(pty_.master(), buffer, sizeof buffer);
      if (n <= 0) continue;
      pending.insert(pending.end(), buffer, buffer + n);
      while (const std::size_t length = FrameLengthAtFront(pending)) {
        const Bytes frame(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(length));
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(length));
        int index = 0;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          index = static_cast<int>(frames_.size());
          frames_.push_back(frame);
        }
        const PeerReply reply = responder_(frame, index);
        pty_.Send(reply.now);
        if (reply.delay.count() > 0) std::this_thread::sleep_for(reply.delay);
        pty_.Send(reply.later);
      }
    }
  }

  PtyPair& pty_;
  Responder responder_;
  std::mutex mutex_;
  std::vector<Bytes> frames_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace rukmox::test
