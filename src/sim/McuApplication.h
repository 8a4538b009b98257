// The application firmware of a remote module's host MCU, as its service port sees it. Frames are
// LEN CMD ... CS, where LEN counts the whole frame and all bytes add up to 0. Commands: 01 status
// (answered LEN 64 p0..p6), 0F a b (writes the checkup register), 04 (restarts the MCU; with the
// checkup register at 00 FF it stays in its boot loader). The last two are answered 01 64.
#pragma once

#include <cstdint>

#include "GapFrameReader.h"
#include "World.h"

namespace rukmox::sim {

// MCU frames start with their own length (2..110); a first byte outside that range is dropped.
class McuFrameReader : public GapFrameReader {
 public:
  McuFrameReader();
};

// Runs one frame; the answer is empty when the MCU keeps quiet.
Bytes RunMcuFrame(PortDevice& mcu, const Bytes& frame);

}  // namespace rukmox::sim
