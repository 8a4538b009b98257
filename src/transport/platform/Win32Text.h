// Names as the Win32 calls take them: wide text, and the device path of a COM port. Windows only.
#pragma once

#include <string>

namespace rukmox::platform {

// UTF-8 to UTF-16 and back; text that is not valid comes back empty.
std::wstring WideText(const std::string& text);
std::string NarrowText(const std::wstring& text);

// "COM7" and "com12" become "\\.\COM7" and "\\.\com12": the plain names reach only COM1 to COM9,
// the device path every number. Anything else is returned as it is.
std::string ComDevicePath(const std::string& name);

// "COM7", "\\.\COM7" -> 7; 0 for anything that does not name a COM port.
unsigned ComPortNumber(const std::string& name);

// The system's message for an error code, without the trailing line end.
std::string SystemMessage(unsigned long error);

}  // namespace rukmox::platform
