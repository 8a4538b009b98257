// The boot loader both devices carry. It runs at 9600 baud, echoes every byte it takes, and knows
// four frames: status query 00 02 cs, prepare 00 09 cs, start 93 93 and S-record frames
// ("S", type, count, count bytes). Its answers close with the sum of their bytes; a frame it will
// not take gets a refusal CA b1 b2 cs (b1: 1 bad checksum, 2 unknown command; b2 the command).
// Records are stored as they come (they are enciphered: nothing is deciphered here) once their
// count and S-record checksum hold, the session was prepared and started, and no refusal was
// ordered; an end record (S7, S8, S9) completes the session.
#pragma once

#include <cstdint>

#include "GapFrameReader.h"
#include "World.h"

namespace rukmox::sim {

inline constexpr std::uint32_t kBootLoaderBaud = 9600;

// Boot-loader frames: a command or start frame has a fixed length, a record frame says its own;
// a byte no frame starts with is taken (and echoed) alone, then forgotten.
class BootFrameReader : public GapFrameReader {
 public:
  BootFrameReader();
};

struct BootAnswer {
  Bytes bytes;      // empty: no answer
  int delayMs = 0;  // how long the work takes before the answer leaves
};

// Runs one complete frame. `kind` is what a status answer reports (1 dongle, 2 MCU).
BootAnswer RunBootFrame(BootLoaderState& state, std::uint8_t kind, const Bytes& frame);

// Builds a boot-loader answer closed with the sum of its bytes.
Bytes SummedFrame(Bytes bytes);

}  // namespace rukmox::sim
