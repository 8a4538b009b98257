// Connecting the dongle to a device found by a scan, and dropping the connection, as the operator
// does it from the device list. The face shows the remote panel, the list and the messages.
#pragma once

#include <cstdint>

#include "Notice.h"
#include "Rukmox.h"

namespace rukmox::workflow {

class ConnectionFace {
 public:
  virtual ~ConnectionFace() = default;
  // A failure, with the module's error word right after it.
  virtual void Fail(const Notice& notice, std::int32_t errorWord) = 0;
  // Re-read the remote module into its panel.
  virtual void LoadRemote() = 0;
  // The connection changed: the list and the connect and disconnect controls follow it.
  virtual void ShowConnection() {}
};

// Drops the present connection, then connects the record at `position` in Devices (linking it
// first) and stores both ends. True when the new link is up.
bool ConnectDevice(TRukMox& device, ConnectionFace& face, std::int32_t position);

// Drops the present connection (when the module is open) and stores the dongle's settings.
// False when the module refused the disconnect.
bool DisconnectDevice(TRukMox& device, ConnectionFace& face);

}  // namespace rukmox::workflow
