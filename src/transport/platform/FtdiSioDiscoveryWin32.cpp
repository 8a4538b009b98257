// The device list of our D2XX layer on Windows: the dongle COM port of the settings, then the COM
// ports of FTDI's virtual COM port driver, found through the setup API. The description is the
// chip's USB product string ("Wireless Port" for the dongle), as FTDI's own library reports it.
#include <windows.h>
// windows.h first: the setup API headers build on its types.
#include <devpropdef.h>
#include <setupapi.h>

#include <cwctype>
#include <string>
#include <vector>

#include "D2xx.h"
#include "FtdiSioDiscovery.h"
#include "Win32Text.h"

namespace rukmox::platform {
namespace {

// The "Ports (COM & LPT)" device class, and the USB product string a device reported when it
// was plugged in. Written here rather than taken from the SDK's headers, which define their
// storage only in one translation unit of a program.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr DEVPROPKEY kBusReportedDeviceDesc = {
    {0x540b947e, 0x8b40, 0x45bc, {0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2}}, 4};

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// A text property of the device from the registry (hardware ids come as a list; the first
// entry is the most specific one).
std::wstring RegistryText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t buffer[512] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                         reinterpret_cast<BYTE*>(buffer), sizeof buffer - 2,
                                         nullptr)) {
    return {};
  }
  return buffer;
}

std::wstring BusReportedDescription(HDEVINFO set, SP_DEVINFO_DATA& device) {
  wchar_t buffer[256] = {};
  DEVPROPTYPE type = 0;
  if (!SetupDiGetDevicePropertyW(set, &device, &kBusReportedDeviceDesc, &type,
                                 reinterpret_cast<BYTE*>(buffer), sizeof buffer - 2, nullptr, 0) ||
      type != DEVPROP_TYPE_STRING) {
    return {};
  }
  return buffer;
}

// "COM7", from the device's own registry key.
std::wstring PortName(HDEVINFO set, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t buffer[64] = {};
  DWORD size = sizeof buffer - 2;
  DWORD type = 0;
  const LONG rc =
      RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

unsigned HexAfter(const std::wstring& text, const wchar_t* tag) {
  const auto at = text.find(tag);
  if (at == std::wstring::npos) return 0;
  return static_cast<unsigned>(std::wcstoul(text.c_str() + at + std::wcslen(tag), nullptr, 16));
}

// The instance id names the chip's serial number or its place on the bus, and stays the same
// while the device comes and goes: a location id that no real bus location (nor the settings'
// dongle, 1) has.
std::uint32_t LocationOf(const std::wstring& instanceId) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const wchar_t c : instanceId) hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
  return 0x80000000u | (hash & 0x7FFFFFFFu);
}

std::wstring InstanceId(HDEVINFO set, SP_DEVINFO_DATA& device) {
  wchar_t buffer[512] = {};
  if (!SetupDiGetDeviceInstanceIdW(set, &device, buffer, 511, nullptr)) return {};
  return buffer;
}

// Every present COM port whose hardware id shows FTDI's vendor id, in the setup API's order.
std::vector<FtdiDeviceInfo> FtdiComPorts() {
  std::vector<FtdiDeviceInfo> ports;
  HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    const std::wstring hardwareId = Upper(RegistryText(set, device, SPDRP_HARDWAREID));
    const unsigned vendor = HexAfter(hardwareId, L"VID_");
    if (vendor != 0x0403 && hardwareId.rfind(L"FTDIBUS\\", 0) != 0) continue;
    const std::wstring port = PortName(set, device);
    if (port.empty()) continue;
    std::wstring description = BusReportedDescription(set, device);
    if (description.empty()) description = RegistryText(set, device, SPDRP_DEVICEDESC);

    FtdiDeviceInfo info;
    info.Description = NarrowText(description);
    info.Id = (vendor & 0xFFFFu) << 16 | (HexAfter(hardwareId, L"PID_") & 0xFFFFu);
    info.LocId = LocationOf(InstanceId(set, device));
    info.DevicePath = NarrowText(port);
    // Whether another program holds the port cannot be seen without opening it; such a port is
    // refused by the open instead.
    ports.push_back(std::move(info));
  }
  SetupDiDestroyDeviceInfoList(set);
  return ports;
}

}  // namespace

std::vector<FtdiDeviceInfo> DiscoverFtdiDevices(const TransportSettings& settings) {
  std::vector<FtdiDeviceInfo> devices;
  if (!settings.DonglePath.empty()) devices.push_back(DongleEntry(settings.DonglePath));
  for (FtdiDeviceInfo& port : FtdiComPorts()) devices.push_back(std::move(port));
  return devices;
}

}  // namespace rukmox::platform
