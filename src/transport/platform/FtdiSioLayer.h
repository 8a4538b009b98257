// Our own D2XX layer: the 17 entry points the FTDI transport uses, implemented over the kernel's
// ftdi_sio ttys (and the RUKMOX_DONGLE tty) with the Win32 serial model of SerialPort.
#pragma once

#include "D2xx.h"

namespace rukmox::platform {

// Plain functions with the library's signatures; the state they share (the last device list and
// the open handles) lives in the layer. A handle is valid from FT_W32_CreateFile until
// FT_W32_CloseHandle; any other value is refused by every call.
D2xxEntryPoints FtdiSioEntryPoints();

}  // namespace rukmox::platform
