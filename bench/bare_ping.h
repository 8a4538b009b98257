/* The floor for a local ping: a bare write/poll/read loop on the dongle's tty, with no transport
 * class, no purge and no time-out bookkeeping in between. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Opens `path` raw at 115200 baud and sends `runs` ping frames one after the other, each answered
 * before the next goes out. Writes every round trip in microseconds to `micros` and returns how
 * many succeeded, or -1 when the tty cannot be opened. */
int bare_ping_loop(const char* path, int runs, double* micros);

#ifdef __cplusplus
}
#endif
