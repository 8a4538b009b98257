// Programs an image through the simulated dongle boot loader at 9600 baud with the wire timing
// on, and sets the time it took against the time the bytes alone need on the line.
//
//   rukmox-bench-programming [--quick] [image bytes, default 8192] [bytes a record, default 32]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchOutput.h"
#include "FirmwareImage.h"
#include "ProgrammingFile.h"
#include "Rukmoxprog.h"
#include "Simulator.h"

namespace {

constexpr double LineRate = 9600;
constexpr double BitsPerByte = 10;  // start, 8 data, stop

}  // namespace

int main(int argc, char** argv) {
  const bool quick = rukmox::bench::QuickRun(argc, argv);
  std::vector<const char*> numbers;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) != "--quick") numbers.push_back(argv[i]);
  const std::size_t imageSize =
      numbers.size() > 0 ? std::strtoul(numbers[0], nullptr, 0) : (quick ? 256 : 8192);
  const std::size_t perRecord = numbers.size() > 1 ? std::strtoul(numbers[1], nullptr, 0) : 32;
  if (imageSize == 0 || perRecord == 0 || perRecord > 64) {
    std::fprintf(stderr, "usage: %s [image bytes] [bytes a record, 1..64]\n", argv[0]);
    return 2;
  }

  rukmox::sim::Scenario scenario = rukmox::sim::DefaultScenario();
  rukmox::sim::PortSetup port;
  port.kind = rukmox::sim::PortKind::DongleSerial;
  port.inBootLoader = true;
  scenario.ports = {port};
  scenario.timing.wireTiming = true;
  rukmox::sim::Simulator sim(scenario);
  std::string why;
  if (!sim.Start(&why)) {
    std::fprintf(stderr, "simulator: %s\n", why.c_str());
    return 1;
  }
  rukmox::platform::TransportSettings settings;
  settings.Ports = sim.PortPaths();

  const auto records = rukmox::test::ImageRecords(imageSize, perRecord);
  const auto block = rukmox::programming::MakeSizedBuffer(
      rukmox::test::AsBytes(rukmox::test::FirmwareFile(records)));

  // Bytes on the line: every frame goes out and comes back as its echo, then the answer.
  // Status 3 out, 3 + 9 back; prepare 3 out, 3 + 4 back; start 2 out, 2 + 2 back; each record
  // n out, n + 2 back.
  std::size_t bytesOut = 3 + 3 + 2;
  std::size_t bytesBack = 12 + 7 + 4;
  for (const auto& line : records) {
    const std::size_t n = rukmox::programming::FrameLength(line.size());
    bytesOut += n;
    bytesBack += n + 2;
  }
  const auto lineSeconds = [](std::size_t bytes) {
    return static_cast<double>(bytes) * BitsPerByte / LineRate;
  };
  // Both directions one after the other; the boot loader echoes each byte as it takes it, so on
  // a full-duplex line the way back alone is the hard limit.
  const double floorSeconds = lineSeconds(bytesOut + bytesBack);
  const double duplexSeconds = lineSeconds(bytesBack);

  std::int32_t error = 0;
  double seconds = 0;
  std::int32_t result = -1;
  {
    TRukMoxProg prog(nullptr, 0, 5, &error, true, 0, 0, settings);
    if (!prog.EnterBootLoader(DeviceDongle)) {
      std::fprintf(stderr, "no boot loader on the simulated port (error word %d)\n", error);
      return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    result = prog.ProgramFile(*block);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  sim.Stop();

  std::printf("image %zu bytes in %zu records of %zu bytes, 9600 baud\n", imageSize, records.size(),
              perRecord);
  std::printf("result            %d\n", result);
  std::printf("total             %.3f s\n", seconds);
  std::printf("wire-time floor   %.3f s (%zu bytes out + %zu back, 10 bits a byte)\n", floorSeconds,
              bytesOut, bytesBack);
  std::printf("ratio             %.3f\n", seconds / floorSeconds);
  std::printf("way back alone    %.3f s, ratio %.3f (echo overlapping the frame, full duplex)\n",
              duplexSeconds, seconds / duplexSeconds);
  rukmox::bench::Figure("programming_s", seconds);
  // The way back is the floor the job can reach on a full-duplex line.
  rukmox::bench::Figure("programming_floor_s", duplexSeconds);
  rukmox::bench::Figure("programming_floor_ratio", duplexSeconds / seconds);
  return result == ProgramOk ? 0 : 1;
}
