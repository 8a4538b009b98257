// On Windows nothing we open can take a standard stream's place: ports and files are handles of
// their own, never the C library's numbers 0 to 2, and the C library keeps those three numbers
// taken whether or not the process was given the stream. Writing to one it was not given fails
// with EBADF, as on Linux with the stand-in.
//
// What is left is the C library's buffering. Without a buffer of its own, standard output is
// written at each call, so a write that fails (a full disk) fails inside whatever printed, and
// the reason is gone by the time the output is checked. Given one, as on Linux where it is no
// terminal, the failure comes at the flush, where it is checked. Its size is what the longest
// text printed between two flushes needs (the help); the C library's BUFSIZ is 512 bytes.
#include <windows.h>

#include <cstdio>

#include "StandardStreams.h"

namespace rukmox::platform {

void TakeClosedStandardStreams() {
  // Only a console answers GetConsoleMode; _isatty would take NUL and any other character
  // device for one.
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode))
    std::setvbuf(stdout, nullptr, _IOFBF, 64 * 1024);
}

}  // namespace rukmox::platform
