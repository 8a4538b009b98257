#include "ProgrammingChecks.h"

#include <algorithm>
#include <filesystem>

#include "DeviceObjects.h"
#include "ProgrammingJob.h"
#include "platform/PortDiagnosis.h"

namespace rukmox::workflow {
namespace {

Notice Refusal(text::Id message, NoticeNote reason) {
  Notice notice(message);
  notice.notes.push_back(std::move(reason));
  notice.Note(extra::NothingSent);
  return notice;
}

std::optional<NoticeNote> HolderNote(const std::string& path, const platform::PortTrouble& trouble,
                                     extra::Id named, extra::Id unknown) {
  if (trouble.HolderPid > 0)
    return NoticeNote{named,
                      {path, trouble.HolderName.empty() ? "?" : trouble.HolderName,
                       std::to_string(trouble.HolderPid)}};
  return NoticeNote{unknown, {path}};
}

std::optional<NoticeNote> TroubleNote(const std::string& path,
                                      const platform::PortTrouble& trouble) {
  switch (trouble.Error) {
    case platform::OpenError::NotFound:
      return NoticeNote{extra::PortMissing, {path}};
    case platform::OpenError::NotATty:
      return NoticeNote{extra::PortNotSerial, {path}};
    case platform::OpenError::Busy:
      return HolderNote(path, trouble, extra::PortHeld, extra::PortHeldUnknown);
    case platform::OpenError::Permission:
      return NoticeNote{extra::PortNoPermission,
                        {path, trouble.Group.empty() ? "dialout" : trouble.Group}};
    default:
      return std::nullopt;
  }
}

platform::PortTrouble Diagnose(const std::string& path,
                               const platform::TransportSettings& settings) {
  return platform::DiagnosePort(path, settings.ProcLocks, settings.SysfsRoot);
}

}  // namespace

std::optional<Notice> CheckFileChoice(const std::string& path) {
  Notice notice(text::NoProgrammingFile);
  if (path.empty()) return notice;  // nothing chosen: nothing to name
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::is_regular_file(status)) return std::nullopt;
  if (!std::filesystem::exists(status))
    notice.Note(extra::ProgramFileMissing, {path});
  else if (std::filesystem::is_directory(status))
    notice.Note(extra::ProgramFileIsFolder, {path});
  else
    notice.Note(extra::ProgramFileNotRegular, {path});
  return notice;
}

Notice FileFaultNotice(const programming::FileCheck& check) {
  using programming::FileFault;
  Notice notice = ResultNotice(check.result);
  switch (check.fault) {
    case FileFault::NoRecords:
      notice.Note(extra::FileWithoutRecords);
      break;
    case FileFault::NotARecord:
      notice.Note(extra::RecordNotSRecord);
      break;
    case FileFault::UnknownType:
      notice.Note(extra::RecordTypeUnknown, {std::string(1, static_cast<char>(check.type))});
      break;
    case FileFault::TooShort:
      notice.Note(extra::RecordTooShort);
      break;
    case FileFault::AfterEnd:
      notice.Note(extra::RecordAfterEnd);
      break;
    case FileFault::NoEndRecord:
      notice.Note(extra::FileWithoutEnd);
      break;
    default:
      break;  // the message itself says it all
  }
  notice.Note(extra::NothingSent);
  return notice;
}

std::optional<Notice> CheckDongleFree(const platform::TransportSettings& settings,
                                      text::Id locateFailed) {
  const std::string path = DongleTtyPath(settings);
  if (path.empty()) return std::nullopt;
  const platform::PortTrouble trouble = Diagnose(path, settings);
  if (trouble.Error != platform::OpenError::Busy || trouble.HeldByThisProcess) return std::nullopt;
  return Refusal(locateFailed,
                 *HolderNote(path, trouble, extra::DongleHeld, extra::DongleHeldUnknown));
}

std::optional<Notice> CheckSearchPorts(const platform::TransportSettings& settings,
                                       const std::vector<std::string>& ports,
                                       std::int32_t portCount, bool dongleJob,
                                       text::Id locateFailed) {
  const bool given = !settings.Ports.empty();
  const std::size_t searched =
      std::min(ports.size(), static_cast<std::size_t>(std::max(portCount, 0)));
  if (searched == 0) return Refusal(locateFailed, {extra::NoPortsToSearch, {}});

  const std::string dongle = DongleTtyPath(settings);
  std::optional<NoticeNote> firstTrouble;
  bool usable = false;
  for (std::size_t i = 0; i < searched; ++i) {
    const std::string& path = ports[i];
    const platform::PortTrouble trouble = Diagnose(path, settings);
    if (platform::SameDevice(path, dongle) || trouble.HeldByThisProcess) {
      // The module link has it while an MCU job runs; a dongle job closes the link before the
      // search, so the system's list keeps it.
      if (given) return Refusal(locateFailed, {extra::PortIsDongle, {path}});
      usable = usable || dongleJob;
      continue;
    }
    std::optional<NoticeNote> note = TroubleNote(path, trouble);
    if (!note) {
      usable = true;
      continue;
    }
    // Held by another program, it may be the very port the target answers on.
    if (given || trouble.Error == platform::OpenError::Busy)
      return Refusal(locateFailed, std::move(*note));
    if (!firstTrouble) firstTrouble = std::move(note);
  }
  if (!usable)
    return Refusal(locateFailed,
                   firstTrouble ? *firstTrouble : NoticeNote{extra::NoPortsToSearch, {}});
  return std::nullopt;
}

std::optional<NoticeNote> PortTroubleNote(const std::string& path,
                                          const platform::TransportSettings& settings) {
  const platform::PortTrouble trouble = Diagnose(path, settings);
  if (trouble.HeldByThisProcess) return std::nullopt;  // the module link's own dongle
  return TroubleNote(path, trouble);
}

}  // namespace rukmox::workflow
