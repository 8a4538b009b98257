#include "ProgrammingJob.h"

#include <filesystem>
#include <span>
#include <thread>
#include <vector>

#include "ProgrammingFile.h"
#include "PropertySteps.h"

namespace rukmox::workflow {
namespace {

// The checkup register value that keeps the MCU in its boot loader when it restarts.
constexpr std::uint8_t kCheckupLow = 0x00;
constexpr std::uint8_t kCheckupHigh = 0xFF;
// The sized buffer's size field ahead of the file's bytes.
constexpr std::size_t kSizeFieldLength = 4;

Notice Plain(text::Id id) {
  return Notice(id);
}

bool FileExists(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// A preparation step failed: because the dongle went away, or with the step's own message.
void FailOrGone(TRukMox& device, const Notice& notice, ProgrammingFace& face) {
  if (device.DeviceGone())
    face.DeviceGone(ProgrammingTarget::Dongle, {}, *device.GetErrorWord());
  else
    face.Fail(notice, *device.GetErrorWord());
}

// Sends the dongle to its boot loader and closes the module link. False (after telling why) when
// the dongle refused.
bool PrepareDongle(TRukMox& device, ProgrammingFace& face) {
  if (!device.SendToBootLoader()) {
    FailOrGone(device, Plain(text::BootLoaderRefused), face);
    return false;
  }
  device.Close();
  face.DongleReleased();
  return true;
}

// Makes the linked remote's MCU restart into its boot loader; the module link stays open.
bool PrepareMcu(TRukMox& device, const ProgrammingSetup& setup, ProgrammingFace& face) {
  if (!device.WriteCheckupRegister(kCheckupLow, kCheckupHigh, true)) {
    FailOrGone(device, Plain(text::CheckupFailed), face);
    return false;
  }
  if (!device.StoreRemoteSettings()) {
    FailOrGone(device, Plain(text::RemoteStoreFailed), face);
    return false;
  }
  device.StartRemoteReprogramming(true);
  std::this_thread::sleep_for(setup.afterRemoteStart);
  face.RemoteReleased();
  return true;
}

// Tries the ports one after the other and leaves the programmer open on the first one where the
// target's boot loader answers; the port number, or nothing.
std::optional<std::int32_t> FindBootLoader(TRukMoxProg& programmer, std::int32_t& programError,
                                           std::int32_t kind, std::int32_t portCount) {
  for (std::int32_t port = 0; port < portCount; ++port) {
    programError = 0;
    programmer.SetPort(port);
    programmer.Open();
    if (!programmer.IsOpen()) continue;  // no such port
    if (programmer.EnterBootLoader(kind)) return port;
    programmer.Close();
  }
  return std::nullopt;
}

}  // namespace

Notice ResultNotice(std::int32_t code) {
  if (code > ProgramRecordBase) return Notice(text::RecordFailed, code - ProgramRecordBase);
  switch (code) {
    case ProgramOk:
      return Plain(text::Programmed);
    case ProgramEmpty:
      return Plain(text::EmptyData);
    case ProgramWrongHeader:
      return Plain(text::WrongEncryption);
    case ProgramNoBootLoader:
    case ProgramPrepareFailed:
      return Plain(text::InitFailed);
    case ProgramStartFailed:
      return Plain(text::StartFailed);
    default:
      return Plain(text::GenericProgrammingError);
  }
}

bool ResultIsSuccess(std::int32_t code) {
  return code == ProgramOk;
}

ProgrammingOutcome RunProgrammingJob(TRukMox& device, std::int32_t& programError,
                                     ProgrammingTarget target, const std::string& path,
                                     const ProgrammingSetup& setup, ProgrammingFace& face) {
  ProgrammingOutcome outcome;
  const bool dongle = target == ProgrammingTarget::Dongle;
  face.Repaint();
  if (!FileExists(path)) {
    face.Fail(Plain(text::NoProgrammingFile), 0);
    return outcome;
  }

  // The whole file is read and looked at before any device is touched: a file that cannot be
  // programmed must not leave a device waiting in its boot loader.
  std::optional<std::vector<std::uint8_t>> buffer = programming::ReadSizedBuffer(path);
  if (!buffer) {
    face.FileUnreadable();
    return outcome;
  }
  const std::span<std::uint8_t> data = std::span(*buffer).subspan(kSizeFieldLength);
  if (const std::int32_t form = programming::CheckFileForm(data); form != ProgramOk) {
    outcome.result = form;
    face.Fail(ResultNotice(form), 0);
    return outcome;
  }
  programming::UpperCaseRecordLetters(data);

  // Prepare the target while the module link is open; without it the boot loader search alone
  // brings the target into its boot loader.
  bool prepared = false;
  if (dongle && device.IsOpen()) {
    if (!PrepareDongle(device, face)) return outcome;
    prepared = true;
  } else if (!dongle && device.IsOpen() && HasLinkedRemote(device)) {
    if (!PrepareMcu(device, setup, face)) return outcome;
    prepared = true;
  }

  face.Repaint();
  std::unique_ptr<TRukMoxProg> programmer = setup.makeProgrammer(&programError);
  outcome.port =
      FindBootLoader(*programmer, programError, dongle ? DeviceDongle : DeviceMcu, setup.portCount);
  if (!outcome.port) {
    programmer.reset();
    Notice notice = Plain(dongle ? text::NoDongleFound : text::NoMcuFound);
    if (prepared) notice.note = extra::WaitingInBootLoader;
    face.Fail(notice, programError);
    return outcome;
  }

  face.WritingStarts();
  face.Repaint();
  programmer->OnProgress = [&face](std::int32_t position, std::int32_t) {
    face.Progress(position);
  };
  const std::int32_t code = programmer->ProgramFile(*buffer);
  programmer->OnProgress = nullptr;
  const std::int32_t errorWord = programError;
  const bool portGone = programmer->DeviceGone();
  const std::vector<std::string>& paths = programmer->PortPaths();
  const std::string portPath =
      *outcome.port < static_cast<std::int32_t>(paths.size()) ? paths[*outcome.port] : "";
  programmer.reset();  // closes its port
  buffer.reset();
  outcome.result = code;
  face.WritingEnds();
  face.Repaint();
  if (portGone) {
    // Opening the module link again has no point while its device is unplugged.
    face.DeviceGone(target, portPath, errorWord);
    return outcome;
  }

  // Every result, failures included, ends with the module link opened again and re-read.
  if (ResultIsSuccess(code)) {
    face.Inform(ResultNotice(code));
  } else {
    // The boot loader was found, so the target now waits in it.
    Notice notice = ResultNotice(code);
    notice.note = extra::WaitingInBootLoader;
    face.Fail(notice, errorWord);
  }
  std::this_thread::sleep_for(setup.beforeReopen);
  device.Open();
  face.Reopened();
  return outcome;
}

std::optional<std::string> PortListBeyondSearch(const std::vector<std::string>& ports,
                                                std::string_view source) {
  if (ports.size() <= static_cast<std::size_t>(SearchedPortCount)) return std::nullopt;
  std::string why(source);
  why += " lists " + std::to_string(ports.size()) +
         " ports, but the search for a boot loader covers only the first " +
         std::to_string(SearchedPortCount);
  return why;
}

}  // namespace rukmox::workflow
