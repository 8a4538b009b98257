// The boot loaders' and the applications' answers as the programming class reads them: echoes,
// status records, refusals, acknowledgements and their checksums. The first byte picks the step
// and whether the echo comes back as sent; the rest is what the device answers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "ByteSource.h"
#include "Rukmoxprog.h"

namespace {

using rukmox::fuzz::ByteSource;

constexpr std::string_view kFile =
    "S0454E435259505445445F4543555F46494C455F565F30312E\r\n"
    "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
    "S9030000FC\r\n";

// The serial port replaced by the fuzzer's bytes; breaks take no time.
class ProgOnFuzzBytes : public TRukMoxProg {
 public:
  ProgOnFuzzBytes(std::int32_t* error, ByteSource& source, bool echo)
      : TRukMoxProg(nullptr, 0, 5, error, true, 0, 0), source_(source), echo_(echo) {
    Opened = true;
  }
  ~ProgOnFuzzBytes() override { Opened = false; }

  bool Write(const void* buffer, std::uint32_t count, std::int32_t) override {
    if (TransferBlocked()) return false;
    if (echo_) {
      const auto* bytes = static_cast<const std::uint8_t*>(buffer);
      pending_.insert(pending_.end(), bytes, bytes + count);
    }
    return true;
  }
  bool SendBreak(std::int32_t) override { return true; }

 protected:
  bool HoldsHandle() const override { return true; }
  bool BeginFirstByteTimeout(std::uint32_t) override { return true; }
  void RestoreTimeouts() override {}
  bool ReadSome(std::uint8_t* into, std::uint32_t count, std::uint32_t* received) override {
    std::uint32_t n = 0;
    while (n < count && !pending_.empty()) {
      into[n++] = pending_.front();
      pending_.erase(pending_.begin());
    }
    n += static_cast<std::uint32_t>(source_.Take(into + n, count - n));
    *received = n;
    return true;
  }

 private:
  ByteSource& source_;
  bool echo_;
  std::vector<std::uint8_t> pending_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteSource source(data, size);
  const std::uint8_t choice = source.Byte();
  std::int32_t error = 0;
  ProgOnFuzzBytes prog(&error, source, (choice & 0x80) != 0);
  TRukMoxProg::TStatusRecord status{};
  switch (choice % 8) {
    case 0:
      prog.QueryBootStatus(status);
      break;
    case 1:
      prog.PrepareProgramming();
      break;
    case 2:
      prog.StartProgramming();
      break;
    case 3: {
      const std::string_view line = "S1130000000102030405060708090A0B0C0D0E0F74";
      prog.SendRecord({reinterpret_cast<const std::uint8_t*>(line.data()), line.size()});
      break;
    }
    case 4:
      prog.QueryDongleStatus(status);
      break;
    case 5:
      prog.RequestDongleBoot();
      break;
    case 6:
      prog.QueryMcuStatus(status);
      prog.RequestMcuBoot1();
      prog.RequestMcuBoot2();
      break;
    case 7: {
      std::vector<std::uint8_t> sized = {static_cast<std::uint8_t>(kFile.size()), 0, 0, 0};
      sized.insert(sized.end(), kFile.begin(), kFile.end());
      prog.ProgramFile(sized);
      break;
    }
  }
  return 0;
}
