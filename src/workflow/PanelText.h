// What the device panels and the network list show for a module record, as both faces write it.
#pragma once

#include <cstdint>
#include <string>

#include "Rukmox.h"

namespace rukmox {

// "H1 - F2 - M300 - P4": the 16-bit part comes third although the reply carries it last.
std::string VersionText(std::uint8_t h, std::uint8_t f, std::uint32_t m, std::uint8_t p);
std::string VersionText(const TDeviceRecordParameters& record);

// The power list's entries, in list order.
inline constexpr int PowerEntryCount = 3;

// The power list entry a level shows as: 0..10 "min (-10dBm)", 11..17 "default (0dBm)", 18 and
// above (255 included: a register byte not in the table) "max (+3dBm)".
int PowerEntryOf(std::uint8_t level);
const char* PowerEntryText(int entry);  // "" outside 0..2
// The level an entry writes: 7, 14 or 21; -1 outside 0..2.
std::int32_t PowerLevelOfEntry(int entry);

// The link state as the network list writes it: "CONNECTED(peer)" or "NOT CONNECTED".
std::string ConnectionText(bool linked, std::uint32_t peer);

// The name field up to its terminating zero (it holds at most 9 characters).
std::string NameOf(const char (&name)[ModuleNameSize]);

}  // namespace rukmox
