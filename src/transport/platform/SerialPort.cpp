#include "SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "Deadline.h"

namespace rukmox::platform {

namespace {

using Clock = Deadline::Clock;

// Longer totals than this are treated as "no limit"; they would overflow the clock arithmetic.
constexpr std::uint64_t LongestTimeoutMs = std::uint64_t{1} << 40;

// Why open() refused the path, in our terms.
OpenError OpenErrorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return OpenError::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
      return OpenError::Busy;
    case EACCES:
    case EPERM:
    case EROFS:
      return OpenError::Permission;
    case ENOTTY:
      return OpenError::NotATty;
    default:
      return OpenError::Other;
  }
}

bool SpeedOf(std::uint32_t rate, speed_t* speed) {
  struct Entry {
    std::uint32_t rate;
    speed_t speed;
  };
  static constexpr Entry kSpeeds[] = {
      {50, B50},           {75, B75},           {110, B110},         {134, B134},
      {150, B150},         {200, B200},         {300, B300},         {600, B600},
      {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
      {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
      {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
      {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
      {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
  };
  for (const Entry& e : kSpeeds) {
    if (e.rate == rate) {
      *speed = e.speed;
      return true;
    }
  }
  return false;
}

// Raw 8N1, no software flow control, reads that never block in the kernel: all waiting is ours.
bool ConfigureTermios(int fd, speed_t speed, bool rtsCtsHandshake) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  if (rtsCtsHandshake) tio.c_cflag |= CRTSCTS;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return false;
  int rc;
  do {
    rc = tcsetattr(fd, TCSANOW, &tio);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return false;
  // tcsetattr succeeds when any part was taken; the rate is the part that matters.
  termios now{};
  if (tcgetattr(fd, &now) != 0) return false;
  return cfgetospeed(&now) == speed;
}

bool ModemLine(int fd, int line, bool on) {
  int bits = line;
  return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

// Waits for `events` until the deadline. 1: ready (revents filled), 0: deadline passed,
// -1: poll itself failed. EINTR is retried against the same deadline.
int WaitFor(int fd, short events, const Deadline& deadline, short* revents) {
  for (;;) {
    pollfd p{fd, events, 0};
    timespec storage{};
    const int rc = ppoll(&p, 1, deadline.PollTimeout(&storage), nullptr);
    if (rc > 0) {
      *revents = p.revents;
      return 1;
    }
    if (rc == 0) {
      if (deadline.Expired()) return 0;
      continue;  // woke up a hair early; the deadline decides
    }
    if (errno != EINTR) return -1;
  }
}

constexpr short HangUpEvents = POLLHUP | POLLERR | POLLNVAL;

}  // namespace

bool IsTerminalButNoSerialPort(unsigned major, unsigned minor) {
  constexpr unsigned kTtyMajor = 4;     // tty0..tty63 are virtual consoles, ttyS* follow from 64
  constexpr unsigned kTtyAuxMajor = 5;  // /dev/tty, /dev/console, /dev/ptmx, ttyprintk
  constexpr unsigned kFirstSerialMinor = 64;
  return major == kTtyAuxMajor || (major == kTtyMajor && minor < kFirstSerialMinor);
}

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& path, OpenError* error) {
  OpenError ignored = OpenError::None;
  OpenError& result = error ? *error : ignored;
  result = OpenError::None;

  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    result = OpenErrorOf(errno);
    return nullptr;
  }
  // From here the object owns the descriptor and closes it on every failure path.
  std::unique_ptr<SerialPort> port(new SerialPort(fd, path));
  if (!isatty(fd)) {
    result = OpenError::NotATty;
    return nullptr;
  }
  // Before its line settings are touched: they would be a person's terminal's.
  struct stat node {};
  if (::fstat(fd, &node) == 0 &&
      IsTerminalButNoSerialPort(major(node.st_rdev), minor(node.st_rdev))) {
    result = OpenError::NotASerialPort;
    return nullptr;
  }
  // TIOCEXCL does not stop root, so the lock is what keeps two programs off one port.
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    result = errno == EWOULDBLOCK ? OpenError::Busy : OpenErrorOf(errno);
    return nullptr;
  }
  speed_t speed = B9600;
  if (!ConfigureTermios(fd, speed, false)) {
    result = OpenError::Other;
    return nullptr;
  }
  return port;
}

SerialPort::SerialPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

SerialPort::~SerialPort() {
  if (fd_ < 0) return;
  serial_struct serial{};
  if (lowLatencyAsked_ && ::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
    serial.flags &= ~ASYNC_LOW_LATENCY;
    ::ioctl(fd_, TIOCSSERIAL, &serial);
  }
  ::close(fd_);  // also drops the lock
}

bool SerialPort::AskForLowLatency() {
  serial_struct serial{};
  if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0) return false;
  if (serial.flags & ASYNC_LOW_LATENCY) return true;
  serial.flags |= ASYNC_LOW_LATENCY;
  if (::ioctl(fd_, TIOCSSERIAL, &serial) != 0) return false;
  lowLatencyAsked_ = true;
  return true;
}

bool SerialPort::SetLine(std::uint32_t baudRate, std::uint32_t dtrControl,
                         std::uint32_t rtsControl) {
  speed_t speed;
  if (!SpeedOf(baudRate, &speed)) return false;
  if (!ConfigureTermios(fd_, speed, rtsControl == 2)) {
    // Put back what was in force before, so that a refused rate leaves a usable line.
    speed_t old;
    if (SpeedOf(baudRate_, &old)) ConfigureTermios(fd_, old, rtsControl_ == 2);
    return false;
  }
  baudRate_ = baudRate;
  dtrControl_ = dtrControl;
  rtsControl_ = rtsControl;
  // The control modes also set the lines, as a new line setting does on Windows. A tty without
  // modem lines (a pseudo-terminal) refuses; that is not a reason to fail the line setting.
  ModemLine(fd_, TIOCM_DTR, dtrControl == 1 || dtrControl == 2);
  if (rtsControl != 2) ModemLine(fd_, TIOCM_RTS, rtsControl == 1);
  return true;
}

bool SerialPort::SetTimeouts(const CommTimeouts& timeouts) {
  if (fd_ < 0) return false;
  timeouts_ = timeouts;
  return true;
}

bool SerialPort::Read(void* buffer, std::uint32_t count, std::uint32_t* received) {
  std::uint32_t got = 0;
  if (received) *received = 0;
  if (count == 0) return true;
  if (buffer == nullptr) return false;
  auto* out = static_cast<std::uint8_t*>(buffer);

  const std::uint32_t interval = timeouts_.ReadIntervalTimeout;
  const std::uint32_t multiplier = timeouts_.ReadTotalTimeoutMultiplier;
  const std::uint32_t constant = timeouts_.ReadTotalTimeoutConstant;
  // MAXDWORD interval, zero totals: whatever is waiting, at once.
  const bool returnAtOnce = interval == MaxDword && multiplier == 0 && constant == 0;
  // MAXDWORD interval and multiplier: wait up to the constant for a first byte, then return.
  const bool returnAfterFirst =
      interval == MaxDword && multiplier == MaxDword && constant != 0 && constant != MaxDword;

  const auto start = Clock::now();
  Deadline total = Deadline::Never();
  if (returnAtOnce) {
    total = Deadline::At(start);
  } else if (returnAfterFirst) {
    total = Deadline::At(start + std::chrono::milliseconds(constant));
  } else if (multiplier != 0 || constant != 0) {
    const std::uint64_t ms = std::uint64_t{multiplier} * count + constant;
    if (ms < LongestTimeoutMs) total = Deadline::At(start + std::chrono::milliseconds(ms));
  }
  const bool useInterval =
      !returnAtOnce && !returnAfterFirst && interval != 0 && interval != MaxDword;
  Clock::time_point lastByte{};
  // What the last poll said; with VMIN=VTIME=0 an empty read returns 0 rather than EAGAIN, so
  // a read that finds nothing only means "gone" right after poll called the tty readable.
  short polled = 0;

  auto finish = [&](bool ok) {
    if (received) *received = got;
    return ok;
  };

  for (;;) {
    const ssize_t n = ::read(fd_, out + got, count - got);
    if (n > 0) {
      got += static_cast<std::uint32_t>(n);
      lastByte = Clock::now();
      polled = 0;
      if (got == count) return finish(true);
      continue;  // there may be more waiting already
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return finish(false);  // EIO: unplugged
    // Readable but nothing to read is end of file; a hang-up with nothing left is the same.
    // Either would otherwise spin until the deadline.
    if (polled != 0 && (n == 0 || (polled & (POLLHUP | POLLERR)) != 0)) return finish(false);

    if (returnAtOnce || (returnAfterFirst && got > 0)) return finish(true);
    Deadline deadline = total;
    if (useInterval && got > 0) {
      deadline =
          Deadline::Earlier(total, Deadline::At(lastByte + std::chrono::milliseconds(interval)));
    }
    if (deadline.Expired()) return finish(true);  // a time-out is not an error

    short revents = 0;
    const int ready = WaitFor(fd_, POLLIN, deadline, &revents);
    if (ready < 0) return finish(false);
    if (ready == 0) return finish(true);
    if (revents & POLLNVAL) return finish(false);
    polled = revents;
  }
}

bool SerialPort::Write(const void* buffer, std::uint32_t count, std::uint32_t* written) {
  std::uint32_t done = 0;
  if (written) *written = 0;
  if (count == 0) return true;
  if (buffer == nullptr) return false;
  const auto* in = static_cast<const std::uint8_t*>(buffer);

  Deadline total = Deadline::Never();
  const std::uint32_t multiplier = timeouts_.WriteTotalTimeoutMultiplier;
  const std::uint32_t constant = timeouts_.WriteTotalTimeoutConstant;
  if (multiplier != 0 || constant != 0) {
    const std::uint64_t ms = std::uint64_t{multiplier} * count + constant;
    if (ms < LongestTimeoutMs) total = Deadline::After(std::chrono::milliseconds(ms));
  }
  bool hangUpReported = false;

  auto finish = [&](bool ok) {
    if (written) *written = done;
    return ok;
  };

  for (;;) {
    const ssize_t n = ::write(fd_, in + done, count - done);
    if (n > 0) {
      done += static_cast<std::uint32_t>(n);
      hangUpReported = false;
      if (done == count) return finish(true);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return finish(false);
    if (hangUpReported) return finish(false);
    if (total.Expired()) return finish(true);  // write time-out: short, not failed

    short revents = 0;
    const int ready = WaitFor(fd_, POLLOUT, total, &revents);
    if (ready < 0) return finish(false);
    if (ready == 0) return finish(true);
    if (revents & POLLNVAL) return finish(false);
    if (revents & HangUpEvents) hangUpReported = !(revents & POLLOUT);
  }
}

bool SerialPort::Purge(std::uint32_t mask) {
  const bool tx = (mask & PurgeTxClear) != 0;
  const bool rx = (mask & PurgeRxClear) != 0;
  // The abort bits have nothing to abort: every transfer here is synchronous.
  if (!tx && !rx) return fd_ >= 0;
  return tcflush(fd_, tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH)) == 0;
}

bool SerialPort::Drain() {
  int rc;
  do {
    rc = tcdrain(fd_);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

bool SerialPort::SetBreak(bool on) {
  return ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0;
}

bool SerialPort::Escape(std::uint32_t function) {
  switch (function) {
    case EscapeSetRts:
      return ModemLine(fd_, TIOCM_RTS, true);
    case EscapeClrRts:
      return ModemLine(fd_, TIOCM_RTS, false);
    case EscapeSetDtr:
      return ModemLine(fd_, TIOCM_DTR, true);
    case EscapeClrDtr:
      return ModemLine(fd_, TIOCM_DTR, false);
    case EscapeSetBreak:
      return SetBreak(true);
    case EscapeClrBreak:
      return SetBreak(false);
    default:
      return false;
  }
}

bool SerialPort::ModemStatus(std::uint32_t* status) {
  int bits = 0;
  if (ioctl(fd_, TIOCMGET, &bits) != 0) return false;
  std::uint32_t result = 0;
  if (bits & TIOCM_CTS) result |= ModemCtsOn;
  if (bits & TIOCM_DSR) result |= ModemDsrOn;
  if (bits & TIOCM_RI) result |= ModemRingOn;
  if (bits & TIOCM_CD) result |= ModemRlsdOn;
  if (status) *status = result;
  return true;
}

std::int32_t SerialPort::InQueue() {
  int waiting = 0;
  if (ioctl(fd_, FIONREAD, &waiting) != 0) return -1;
  return waiting;
}

std::int32_t SerialPort::OutQueue() {
  int pending = 0;
  if (ioctl(fd_, TIOCOUTQ, &pending) != 0) return -1;
  return pending;
}

}  // namespace rukmox::platform
