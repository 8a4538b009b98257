// The simulator's scenario reader: any text must end in a scenario or in an error that names the
// origin, never in a crash or an exception.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  rukmox::sim::Scenario scenario;
  std::string error;
  if (!rukmox::sim::ParseScenario(text, "fuzz.json", &scenario, &error) &&
      error.rfind("fuzz.json: ", 0) != 0)
    __builtin_trap();
  return 0;
}
