// program dongle|mcu FILE: the window's programming workflow, from preparing the device to opening
// the module link again.
#include <chrono>
#include <filesystem>
#include <thread>

#include "Commands.h"
#include "ProgrammingFile.h"

namespace rukmox::cli {
namespace {

// Port numbers the search walks through, as COM1 to COM255.
constexpr std::int32_t kPortCount = 255;
constexpr auto kAfterRemoteStart = std::chrono::milliseconds(100);
constexpr auto kBeforeReopen = std::chrono::milliseconds(200);

bool FileExists(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The text of a ProgramFile result code, and whether it is a success.
void ReportResult(Session& session, std::int32_t code, std::int32_t errorWord) {
  Reporter& report = session.Report();
  session.Report().Result()["result"] = code;
  if (code == ProgramOk) {
    report.Inform(report.Text(text::Programmed));
    return;
  }
  if (code > ProgramRecordBase) {
    report.Result()["record"] = code - ProgramRecordBase;
    report.Fail(report.Text(text::RecordFailed) + std::to_string(code - ProgramRecordBase) + ".",
                text::RecordFailed, errorWord);
    return;
  }
  text::Id id = text::GenericProgrammingError;
  switch (code) {
    case ProgramEmpty:
      id = text::EmptyData;
      break;
    case ProgramWrongHeader:
      id = text::WrongEncryption;
      break;
    case ProgramNoBootLoader:
    case ProgramPrepareFailed:
      id = text::InitFailed;
      break;
    case ProgramStartFailed:
      id = text::StartFailed;
      break;
    default:
      break;
  }
  session.FailWith(id, errorWord);
}

}  // namespace

int RunProgram(Session& session, const CommandLine& line) {
  Reporter& report = session.Report();
  const bool dongle = line.programTarget == "dongle";
  const std::int32_t kind = dongle ? DeviceDongle : DeviceMcu;
  report.Result()["target"] = line.programTarget;

  // Like the window, which opened the module at its start; a missing dongle is no reason to stop.
  if (session.OpenModule()) {
    session.LoadLocal();
    session.LoadRemote();
  }
  TRukMox& device = session.Device();

  if (!FileExists(line.file)) {
    session.FailWith(text::NoProgrammingFile, 0);
    return report.Finish();
  }

  // Prepare the target while the module link is open.
  if (dongle && device.IsOpen()) {
    if (!device.SendToBootLoader()) {
      if (!session.FailIfDongleGone()) session.FailWith(text::BootLoaderRefused);
      return report.Finish();
    }
    device.Close();
  } else if (!dongle && device.IsOpen() && session.RemoteLinked()) {
    if (!device.WriteCheckupRegister(0x00, 0xFF, true)) {
      if (!session.FailIfDongleGone()) session.FailWith(text::CheckupFailed);
      return report.Finish();
    }
    if (!device.StoreRemoteSettings()) {
      if (!session.FailIfDongleGone()) session.FailWith(text::RemoteStoreFailed);
      return report.Finish();
    }
    device.StartRemoteReprogramming(true);
    std::this_thread::sleep_for(kAfterRemoteStart);
  }

  // Look for the boot loader on the serial ports, one after the other.
  std::int32_t programError = 0;
  std::unique_ptr<TRukMoxProg> programmer = session.MakeProgrammer(&programError);
  std::int32_t port = 0;
  for (; port < kPortCount; ++port) {
    programError = 0;
    programmer->SetPort(port);
    programmer->Open();
    if (!programmer->IsOpen()) continue;
    if (programmer->EnterBootLoader(kind)) break;
    programmer->Close();
  }
  if (!programmer->IsOpen()) {
    programmer.reset();
    session.FailWith(dongle ? text::NoDongleFound : text::NoMcuFound, programError);
    return report.Finish();
  }
  report.Result()["port"] = port;

  const auto buffer = programming::ReadSizedBuffer(line.file);
  if (!buffer) {
    // The window ends here without a word; a script must learn that nothing was written.
    programmer.reset();
    report.Fail(FillIn(report.Text(extra::FileUnreadable), {line.file}), 0);
    return report.Finish();
  }

  std::int32_t code = 0;
  {
    auto bar = session.MakeProgressBar();
    programmer->OnProgress = [&](std::int32_t position, std::int32_t) {
      bar->Show(position, 100, line.file);
    };
    bar->Show(0, 100, line.file);
    code = programmer->ProgramFile(*buffer);
    programmer->OnProgress = nullptr;
  }
  const std::int32_t errorWord = programError;
  if (programmer->DeviceGone()) {
    // The port went away under the job: no point in opening the module link again.
    const auto& paths = programmer->PortPaths();
    const std::string path = port < static_cast<std::int32_t>(paths.size()) ? paths[port] : "";
    programmer.reset();
    report.Result()["result"] = code;
    report.Fail(dongle ? report.Text(extra::DongleDisconnected)
                       : FillIn(report.Text(extra::PortDisconnected), {path}),
                errorWord);
    return report.Finish();
  }
  programmer.reset();  // closes its port
  ReportResult(session, code, errorWord);

  // Every result, failures included, ends with the module link opened again and re-read.
  std::this_thread::sleep_for(kBeforeReopen);
  session.ReopenModule();
  session.LoadLocal();
  session.LoadRemote();
  session.ReportLocal();
  report.Line("");
  session.ReportRemote();
  return report.Finish();
}

}  // namespace rukmox::cli
