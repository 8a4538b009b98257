// A plain-text block to paste into a support ticket: the program and its platform, the dongle in
// use, what is known of both devices (never a PIN), the link and its last readings, and the last
// lines of the operations log.
#pragma once

#include <cstdint>
#include <string>

#include "OperationsLog.h"
#include "Rukmox.h"

namespace rukmox::workflow {

struct DiagnosticsPlace {
  std::string program;       // name and version
  std::string toolkit;       // the GUI toolkit's version, or empty
  std::string system;        // the operating system
  std::string dongle;        // where the dongle is, as the status line names it
  std::int32_t quality = 0;  // the last readings as the link page shows them (dBm + 94)
  std::int32_t energy = 0;
};

inline constexpr std::size_t DiagnosticsLogLines = 20;

std::string DiagnosticsText(TRukMox* device, const DiagnosticsPlace& place,
                            const OperationsLog& log, int language);

}  // namespace rukmox::workflow
