#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "Rukmoxctl.h"
#include "platform/StandardStreams.h"

int main(int argc, char** argv) {
  // Before anything is opened: a dongle must never become our standard output.
  rukmox::platform::TakeClosedStandardStreams();
  const int status = rukmox::cli::RunRukmoxctl(argc, argv, std::cout, std::cerr);
  // Everything was flushed and checked by now; only the close itself can still fail.
  if (std::fclose(stdout) != 0 && status == 0) {
    std::fprintf(stderr, "rukmoxctl: standard output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}
