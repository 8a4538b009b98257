#include "OpenFailure.h"

#include <initializer_list>
#include <string_view>

#include "Rukdevice.h"
#include "Rukmox.h"
#include "platform/D2xxLibrary.h"
#include "platform/FtdiSioDiscovery.h"
#include "platform/PortDiagnosis.h"

namespace rukmox {
namespace {

constexpr const char* kWirelessPort = "Wireless Port";

// The tty the module object looked for: the one named, else the first "Wireless Port" found.
std::string DonglePathOf(const platform::TransportSettings& settings) {
  if (!settings.DonglePath.empty()) return settings.DonglePath;
  for (const platform::FtdiDeviceInfo& info : platform::DiscoverFtdiDevices(settings))
    if (info.Description.find(kWirelessPort) != std::string::npos) return info.DevicePath;
  return {};
}

}  // namespace

std::optional<OpenFailureReason> ExplainOpenFailure(const platform::TransportSettings& settings,
                                                    std::int32_t errorWord, int language) {
  const auto say = [language](extra::Id id, std::initializer_list<std::string_view> values) {
    return OpenFailureReason{id, FillIn(ExtraText(id, language), values)};
  };
  // FTDI's library is looked at first: without it no device can be reached at all.
  if (!settings.D2xxLibraryPath.empty()) {
    const auto library = platform::LoadD2xxLibraryFile(settings.D2xxLibraryPath);
    if (!library->Loaded())
      return say(extra::D2xxUnloadable, {settings.D2xxLibraryPath, library->LoadProblem()});
  }
  const std::string path = DonglePathOf(settings);
  // Opened, but the module kept silent (or left the open on a reply it could not read).
  if ((errorWord & ErrNoAnswer) != 0 && (errorWord & ErrDeviceGone) == 0) {
    return say(extra::DongleSilent,
               {path.empty() ? ExtraText(extra::UsbDongle, language) : std::string_view(path)});
  }
  if ((errorWord & ErrOpen) == 0) return std::nullopt;
  if (path.empty()) return say(extra::NoDongleAttached, {});

  const platform::PortTrouble trouble =
      platform::DiagnosePort(path, settings.ProcLocks, settings.SysfsRoot);
  switch (trouble.Error) {
    case platform::OpenError::NotFound:
      return say(extra::DongleMissing, {path});
    case platform::OpenError::NotATty:
      return say(extra::DongleNotATty, {path});
    case platform::OpenError::NotASerialPort:
      return say(extra::DongleNotASerialPort, {path});
    case platform::OpenError::Busy:
      if (trouble.HolderPid > 0)
        return say(extra::DongleHeld, {path, trouble.HolderName.empty() ? "?" : trouble.HolderName,
                                       std::to_string(trouble.HolderPid)});
      return say(extra::DongleHeldUnknown, {path});
    case platform::OpenError::Permission:
      if (!trouble.Owner.empty()) return say(extra::DongleOwnerOnly, {path, trouble.Owner});
      return say(extra::DongleNoPermission,
                 {path, trouble.Group.empty() ? "dialout" : trouble.Group});
    default:
      return std::nullopt;  // nothing to see from outside: the word says all we know
  }
}

}  // namespace rukmox
