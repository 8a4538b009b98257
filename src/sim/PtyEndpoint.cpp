#include "PtyEndpoint.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rukmox::sim {

namespace {

struct SpeedEntry {
  speed_t code;
  std::uint32_t rate;
};
constexpr SpeedEntry kSpeeds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

constexpr std::size_t kBacklog = 64 * 1024;

speed_t SpeedCode(std::uint32_t rate) {
  for (const SpeedEntry& e : kSpeeds) {
    if (e.rate == rate) return e.code;
  }
  return B9600;
}

}  // namespace

bool PtyEndpoint::Open(std::uint32_t baud, std::string* error) {
  Close();
  char name[256] = {};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    if (error) *error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    master_ = slave_ = -1;
    return false;
  }
  path_ = name;
  termios tio{};
  tcgetattr(slave_, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, SpeedCode(baud));
  cfsetospeed(&tio, SpeedCode(baud));
  tcsetattr(slave_, TCSANOW, &tio);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  return true;
}

void PtyEndpoint::Close() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
  out_.clear();
}

std::uint32_t PtyEndpoint::LineBaud() const {
  termios tio{};
  if (master_ < 0 || tcgetattr(master_, &tio) != 0) return 0;
  const speed_t code = cfgetospeed(&tio);
  for (const SpeedEntry& e : kSpeeds) {
    if (e.code == code) return e.rate;
  }
  return 0;
}

Clock::duration PtyEndpoint::ByteTime() const {
  const std::uint32_t baud = LineBaud();
  if (baud == 0) return Clock::duration::zero();
  return std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(10'000'000 / baud));
}

bool PtyEndpoint::ReadAvailable(Bytes* out) {
  if (master_ < 0) return false;
  std::uint8_t buf[512];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0) {
      out->insert(out->end(), buf, buf + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    return false;  // EIO or end of file: the line is gone
  }
}

void PtyEndpoint::Send(const Bytes& bytes, Clock::time_point at, bool paced) {
  Clock::time_point t = at;
  if (!out_.empty() && out_.back().due > t) t = out_.back().due;
  const Clock::duration step = paced ? ByteTime() : Clock::duration::zero();
  for (std::uint8_t b : bytes) {
    t += step;
    out_.push_back({t, b});
  }
}

std::optional<Clock::time_point> PtyEndpoint::Flush(Clock::time_point now) {
  while (!out_.empty() && out_.front().due <= now) {
    // Write every byte that is due in one go.
    std::uint8_t buf[512];
    std::size_t n = 0;
    while (n < sizeof buf && n < out_.size() && out_[n].due <= now) {
      buf[n] = out_[n].byte;
      ++n;
    }
    const ssize_t written = ::write(master_, buf, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // Nobody reads and the line is full. Keep a bounded backlog, as a UART's buffer would;
      // beyond it the oldest bytes are lost.
      if (out_.size() > kBacklog) out_.erase(out_.begin(), out_.end() - kBacklog);
      return now + std::chrono::milliseconds(5);
    }
    out_.erase(out_.begin(), out_.begin() + written);
  }
  if (out_.empty()) return std::nullopt;
  return out_.front().due;
}

}  // namespace rukmox::sim
