/* The ping of the module protocol written out by hand: F0 LEN=3 CMD=31 TARGET=0, answered by a
 * reply frame 64 LEN followed by LEN-2 bytes. */
#include "bare_ping.h"

#include <fcntl.h>
#include <poll.h>
#include <stdint.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum { ReplyWaitMs = 1000 };

static double now_us(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e6 + (double)t.tv_nsec / 1e3;
}

/* Reads exactly n bytes, waiting for each batch with poll; 0 on success. */
static int read_exactly(int fd, uint8_t* out, int n) {
  int have = 0;
  while (have < n) {
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, ReplyWaitMs) <= 0) return -1;
    const ssize_t got = read(fd, out + have, (size_t)(n - have));
    if (got <= 0) return -1;
    have += (int)got;
  }
  return 0;
}

int bare_ping_loop(const char* path, int runs, double* micros) {
  const int fd = open(path, O_RDWR | O_NOCTTY);
  if (fd < 0) return -1;
  struct termios tio;
  if (tcgetattr(fd, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetspeed(&tio, B115200);
    tcsetattr(fd, TCSANOW, &tio);
  }
  static const uint8_t ping[4] = {0xF0, 0x03, 0x1F, 0x00};
  int done = 0;
  for (int i = 0; i < runs; ++i) {
    uint8_t reply[112];
    const double start = now_us();
    if (write(fd, ping, sizeof ping) != (ssize_t)sizeof ping) break;
    if (read_exactly(fd, reply, 2) != 0 || reply[0] != 0x64 || reply[1] < 2 || reply[1] > 110) {
      break;
    }
    if (read_exactly(fd, reply + 2, reply[1] - 2) != 0) break;
    micros[done++] = now_us() - start;
  }
  close(fd);
  return done;
}
