// A pseudo-terminal that stands in for a serial port: programs open its slave path as they would
// a tty, we read and write its master side. The slave starts in raw mode (8 bits, no echo, no
// line editing), as a serial program expects a line to be.
//
// Linux only in effect: on Windows, which has no pseudo-terminals, Open fails and says so
// (PseudoTerminalWin32.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace rukmox {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // False with the system's reason when no pseudo-terminal can be had.
  bool Open(std::string* error);

  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // The master side's I/O for whoever serves it. Waiting ends early on a signal (Ctrl-C); reads
  // and writes never block and return what they moved, or -1.
  struct Ready {
    bool readable = false;
    bool writable = false;
  };
  static Ready WaitForMaster(int master, bool read, bool write, std::chrono::milliseconds wait);
  static long ReadMaster(int master, void* into, std::size_t size);
  static long WriteMaster(int master, const void* from, std::size_t size);

 private:
  int master_ = -1;  // non-blocking
  // Held open by us as well, so that the master never sees a hang-up when a program closes the
  // slave; the next program simply finds the line still there.
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace rukmox
