// The device panels of the window as text and JSON: name, address, power entry and level, version
// text, channel, link state and PIN protection of the local or the remote module.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "Rukmox.h"

namespace rukmox::cli {

class Reporter;

// "H1 - F2 - M300 - P4": the 16-bit part comes third although the reply carries it last.
std::string VersionText(std::uint8_t h, std::uint8_t f, std::uint32_t m, std::uint8_t p);

// The power list entry a level shows as: 0..10 "min (-10dBm)", 11..17 "default (0dBm)", 18 and
// above (255 included: a register byte not in the table) "max (+3dBm)".
int PowerEntryOf(std::uint8_t level);
const char* PowerEntryText(int entry);

// The link state as the network list writes it: "CONNECTED(peer)" or "NOT CONNECTED".
std::string ConnectionText(bool linked, std::uint32_t peer);

// The name field up to its terminating zero (it holds at most 9 characters).
std::string NameOf(const char (&name)[ModuleNameSize]);

nlohmann::json LocalPanelJson(const TLocalDeviceRecord& local);
nlohmann::json RemotePanelJson(const TRemoteDeviceRecord& remote);

// The text form: a caption line and one indented line per property.
void PrintLocalPanel(Reporter& reporter, const TLocalDeviceRecord& local);
void PrintRemotePanel(Reporter& reporter, const TRemoteDeviceRecord& remote);

}  // namespace rukmox::cli
