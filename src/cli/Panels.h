// The device panels as text and JSON: name, address, power entry and level, version
// text, channel, link state and PIN protection of the local or the remote module.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "PanelText.h"
#include "Rukmox.h"

namespace rukmox::cli {

class Reporter;

nlohmann::json LocalPanelJson(const TLocalDeviceRecord& local);
nlohmann::json RemotePanelJson(const TRemoteDeviceRecord& remote);

// The text form: a caption line and one indented line per property.
void PrintLocalPanel(Reporter& reporter, const TLocalDeviceRecord& local);
void PrintRemotePanel(Reporter& reporter, const TRemoteDeviceRecord& remote);

}  // namespace rukmox::cli
