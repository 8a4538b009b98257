#include "PanelText.h"

#include <cstring>

namespace rukmox {

std::string VersionText(std::uint8_t h, std::uint8_t f, std::uint32_t m, std::uint8_t p) {
  // Appended piece by piece into one string: GCC 12 at -O3 reports a chain of operator+ on
  // temporaries as an overlapping copy (-Wrestrict), which it is not.
  std::string text = "H";
  text += std::to_string(h);
  text += " - F";
  text += std::to_string(f);
  text += " - M";
  text += std::to_string(m);
  text += " - P";
  text += std::to_string(p);
  return text;
}

std::string VersionText(const TDeviceRecordParameters& record) {
  return VersionText(record.VersionH, record.VersionF, record.VersionM, record.VersionP);
}

int PowerEntryOf(std::uint8_t level) {
  if (level <= 10) return 0;
  if (level <= 17) return 1;
  return 2;
}

const char* PowerEntryText(int entry) {
  static const char* const kEntries[PowerEntryCount] = {"min (-10dBm)", "default (0dBm)",
                                                        "max (+3dBm)"};
  if (entry < 0 || entry >= PowerEntryCount) return "";
  return kEntries[entry];
}

std::int32_t PowerLevelOfEntry(int entry) {
  static constexpr std::int32_t kLevels[PowerEntryCount] = {PowerLevelMin, PowerLevelDefault,
                                                            PowerLevelMax};
  if (entry < 0 || entry >= PowerEntryCount) return -1;
  return kLevels[entry];
}

std::string ConnectionText(bool linked, std::uint32_t peer) {
  return linked ? "CONNECTED(" + std::to_string(peer) + ")" : "NOT CONNECTED";
}

std::string NameOf(const char (&name)[ModuleNameSize]) {
  return std::string(name, strnlen(name, ModuleNameSize));
}

}  // namespace rukmox
