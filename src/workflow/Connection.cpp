#include "Connection.h"

#include <optional>

namespace rukmox::workflow {

bool ConnectDevice(TRukMox& device, ConnectionFace& face, std::int32_t position) {
  // From here on the previous connection is gone, whatever follows; the results do not matter.
  device.DisconnectRemote();
  device.StoreLocalSettings();
  face.LoadRemote();
  device.SelectDevice(position);
  if (device.Current == nullptr) {
    face.Fail(Notice(text::InvalidDevice), *device.GetErrorWord());
    return false;
  }
  if (device.ConnectRemote(true)) {
    device.StoreLocalSettings();
    device.StoreRemoteSettings();
    face.LoadRemote();
    face.ShowConnection();
    return true;
  }
  face.ShowConnection();
  const bool pin = device.Current != nullptr && device.Current->PinProtected;
  face.Fail(Notice(pin ? text::ConnectFailedPin : text::ConnectFailed), *device.GetErrorWord());
  return false;
}

bool DisconnectDevice(TRukMox& device, ConnectionFace& face) {
  bool done = true;
  if (device.IsOpen()) {
    if (!device.DisconnectRemote()) {
      done = false;
      face.Fail(Notice(text::DisconnectFailed), *device.GetErrorWord());
    }
    device.StoreLocalSettings();
  }
  face.LoadRemote();
  face.ShowConnection();
  return done;
}

}  // namespace rukmox::workflow
