#include "BootLoader.h"

namespace rukmox::sim {

namespace {

constexpr std::uint8_t kCommand = 0x00;
constexpr std::uint8_t kStatus = 0x02;
constexpr std::uint8_t kPrepare = 0x09;
constexpr std::uint8_t kStart = 0x93;
constexpr std::uint8_t kRecord = 0x53;  // "S"
constexpr std::uint8_t kOk = 0x53;
constexpr std::uint8_t kAck = 0xA7;
constexpr std::uint8_t kRefusal = 0xCA;
constexpr std::uint8_t kBootMode = 3;

std::uint8_t Sum(const Bytes& bytes, std::size_t from, std::size_t to) {
  unsigned sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += bytes[i];
  return static_cast<std::uint8_t>(sum);
}

// The frame's full length once enough of it is known, 0 while it is not.
std::size_t ExpectedLength(const Bytes& frame) {
  switch (frame[0]) {
    case kCommand:
      return 3;
    case kStart:
      return 2;
    case kRecord:
      return frame.size() >= 3 ? 3u + frame[2] : 0;
    default:
      return 1;  // a byte no frame starts with: taken (and echoed) alone, then forgotten
  }
}

// Width of the address field per record type; 0 for types that do not exist.
int AddressBytes(std::uint8_t type) {
  switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
      return 2;
    case '2':
    case '8':
      return 3;
    case '3':
    case '7':
      return 4;
    default:
      return 0;
  }
}

bool WellFormedRecord(const Bytes& frame) {
  const int address = AddressBytes(frame[1]);
  if (address == 0 || frame[2] < address + 1) return false;
  // Ones' complement of the sum of count, address and data.
  return static_cast<std::uint8_t>(~Sum(frame, 2, frame.size() - 1)) == frame.back();
}

BootAnswer Refuse(std::uint8_t reason, std::uint8_t command) {
  return {SummedFrame({kRefusal, reason, command}), 0};
}

BootAnswer Record(BootLoaderState& s, const Bytes& frame) {
  const BootAnswer refused{{kRefusal, kRefusal}, s.setup.recordMs};
  const int number = static_cast<int>(s.records.size()) + 1;
  if (!s.started || !WellFormedRecord(frame)) {
    ++s.refusedRecords;
    return refused;
  }
  if (number == s.setup.refuseRecord && s.refusalsLeft != 0) {
    if (s.refusalsLeft > 0) --s.refusalsLeft;
    ++s.refusedRecords;
    return refused;
  }
  s.records.push_back(frame);
  if (frame[1] == '0' && !s.header) s.header = frame;
  if (frame[1] == '7' || frame[1] == '8' || frame[1] == '9') {
    s.finished = true;
    s.started = s.prepared = false;
  }
  return {{kAck, kAck}, s.setup.recordMs};
}

}  // namespace

Bytes SummedFrame(Bytes bytes) {
  bytes.push_back(Sum(bytes, 0, bytes.size()));
  return bytes;
}

BootFrameReader::BootFrameReader() : GapFrameReader(&ExpectedLength) {}

BootAnswer RunBootFrame(BootLoaderState& s, std::uint8_t kind, const Bytes& frame) {
  ++s.frames;
  switch (frame[0]) {
    case kCommand: {
      const std::uint8_t command = frame[1];
      if (Sum(frame, 0, 2) != frame[2]) return Refuse(1, command);
      if (command == kStatus) {
        ++s.statusQueries;
        if (s.setup.refuseStatus) return Refuse(2, command);
        Bytes answer = SummedFrame({kOk, 6, s.setup.version, kBootMode, 0, 0, kind, 0});
        if (s.setup.badStatusChecksum) answer.back() ^= 0x5A;
        return {answer, 0};
      }
      if (command == kPrepare) {
        // Preparing erases what an earlier session wrote.
        const std::uint8_t status = s.setup.prepareStatus;
        if (status == 0) {
          s.prepared = true;
          s.started = s.finished = false;
          s.records.clear();
          s.header.reset();
        }
        return {SummedFrame({kOk, kPrepare, status}), s.setup.prepareMs};
      }
      return Refuse(2, command);
    }
    case kStart:
      if (frame[1] != kStart || !s.prepared) return {{kRefusal, kRefusal}, 0};
      s.started = true;
      return {{kAck, kAck}, 0};
    case kRecord:
      return Record(s, frame);
    default:
      return {};
  }
}

}  // namespace rukmox::sim
