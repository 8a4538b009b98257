#include "ProgrammingJob.h"

#include <span>
#include <thread>
#include <vector>

#include "ProgrammingChecks.h"
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

// Where the search ended: the port whose boot loader answered, the ports that could not be opened
// and why, and whether it was asked to stop first.
struct Search {
  std::optional<std::int32_t> port;
  std::vector<NoticeNote> unopened;
  bool stopped = false;
};

// Tries the ports one after the other and leaves the programmer open on the first one where the
// target's boot loader answers.
Search FindBootLoader(TRukMoxProg& programmer, std::int32_t& programError, std::int32_t kind,
                      const ProgrammingSetup& setup, const std::function<bool()>& stop) {
  Search search;
  const std::vector<std::string>& paths = programmer.PortPaths();
  for (std::int32_t port = 0; port < setup.portCount; ++port) {
    if (stop()) {
      search.stopped = true;
      return search;
    }
    programError = 0;
    programmer.SetPort(port);
    programmer.Open();
    if (!programmer.IsOpen()) {  // no such port, or one that cannot be opened
      if (port < static_cast<std::int32_t>(paths.size()))
        if (auto why = PortTroubleNote(paths[port], programmer.Settings()))
          search.unopened.push_back(std::move(*why));
      continue;
    }
    if (programmer.EnterBootLoader(kind)) {
      search.port = port;
      return search;
    }
    programmer.Close();
  }
  return search;
}

// What a stopped job tells: how far it got, and that the target waits in its boot loader.
std::vector<NoticeNote> StopNotes(std::int32_t accepted, std::int32_t records, bool waiting) {
  std::vector<NoticeNote> notes;
  if (accepted > 0)
    notes.push_back(
        {extra::ProgrammingStopped, {std::to_string(accepted), std::to_string(records)}});
  else
    notes.push_back({extra::StoppedBeforeRecords, {}});
  if (waiting) notes.push_back({extra::WaitingInBootLoader, {}});
  return notes;
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
  const text::Id notFound = dongle ? text::NoDongleFound : text::NoMcuFound;
  const std::function<bool()> stop = [&setup] {
    return setup.stopRequested && setup.stopRequested();
  };
  face.Repaint();
  if (std::optional<Notice> refusal = CheckFileChoice(path)) {
    face.Fail(*refusal, 0);
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
  const programming::FileCheck file = programming::CheckFile(data);
  if (file.result != ProgramOk) {
    outcome.result = file.result;
    face.Fail(FileFaultNotice(file), 0);
    return outcome;
  }
  programming::UpperCaseRecordLetters(data);

  // The programming object is made now, closed, for the ports it will search: the dongle and the
  // ports are looked at while nothing has been sent yet.
  std::unique_ptr<TRukMoxProg> programmer = setup.makeProgrammer(&programError);
  const platform::TransportSettings& settings = programmer->Settings();
  std::optional<Notice> refusal;
  if (!device.IsOpen()) refusal = CheckDongleFree(settings, notFound);
  if (!refusal)
    refusal =
        CheckSearchPorts(settings, programmer->PortPaths(), setup.portCount, dongle, notFound);
  if (refusal) {
    face.Fail(*refusal, 0);
    return outcome;
  }
  if (stop()) {
    outcome.stopped = true;  // nothing was touched
    return outcome;
  }

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
  const Search search =
      FindBootLoader(*programmer, programError, dongle ? DeviceDongle : DeviceMcu, setup, stop);
  outcome.port = search.port;
  if (search.stopped) {
    programmer.reset();
    outcome.stopped = true;
    face.Stopped(StopNotes(0, file.records, prepared));
    return outcome;
  }
  if (!outcome.port) {
    programmer.reset();
    Notice notice(notFound);
    notice.notes = search.unopened;
    if (prepared) notice.Note(extra::WaitingInBootLoader);
    face.Fail(notice, programError);
    return outcome;
  }

  face.WritingStarts();
  face.Repaint();
  programmer->OnProgress = [&face](std::int32_t position, std::int32_t) {
    face.Progress(position);
  };
  programmer->StopRequested = stop;
  const std::int32_t code = programmer->ProgramFile(*buffer);
  programmer->OnProgress = nullptr;
  programmer->StopRequested = nullptr;
  const std::int32_t accepted = programmer->RecordsAccepted;
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
  if (code == ProgramStopped) {
    // The boot loader was found, so the target waits in it for a whole file.
    outcome.stopped = true;
    face.Stopped(StopNotes(accepted, file.records, true));
    return outcome;
  }

  // Every result, failures included, ends with the module link opened again and re-read.
  if (ResultIsSuccess(code)) {
    face.Inform(ResultNotice(code));
  } else {
    // The boot loader was found, so the target now waits in it.
    Notice notice = ResultNotice(code);
    notice.Note(extra::WaitingInBootLoader);
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
