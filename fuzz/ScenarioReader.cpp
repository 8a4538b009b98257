// The simulator's scenario reader: any text must end in a scenario or in an error that names the
// origin, never in a crash or an exception. Texts beyond the bound of a scenario file are refused
// whole, as the file reader refuses such a file; scripts/fuzz explores lengths up to a part of it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  rukmox::sim::Scenario scenario;
  std::string error;
  const bool read = rukmox::sim::ParseScenario(text, "fuzz.json", &scenario, &error);
  if (!read && error.rfind("fuzz.json: ", 0) != 0) __builtin_trap();
  if (read && size > rukmox::sim::kScenarioFileLimit) __builtin_trap();
  return 0;
}
