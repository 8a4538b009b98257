#include "ProgrammingJob.h"

#include <span>
#include <utility>

#include "ExtraTexts.h"
#include "HelpTexts.h"
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

ProgrammingJob::ProgrammingJob(TRukMox& device, ProgrammingTarget target, std::string path,
                               ProgrammingSetup setup, ProgrammingFace& face)
    : device_(device),
      target_(target),
      path_(std::move(path)),
      setup_(std::move(setup)),
      face_(face) {}

ProgrammingJob::~ProgrammingJob() {
  if (programmer_) {
    programmer_->OnProgress = nullptr;
    programmer_->StopRequested = nullptr;
  }
}

void ProgrammingJob::Stop() {
  stopAsked_ = true;
}

bool ProgrammingJob::StopAsked() const {
  return stopAsked_ || (setup_.stopRequested && setup_.stopRequested());
}

std::optional<Operation::Wait> ProgrammingJob::Step() {
  switch (phase_) {
    case Phase::LookAtFile:
      return LookAtFile();
    case Phase::Prepare:
      return Prepare();
    case Phase::Search:
      return SearchNextPort();
    case Phase::Write:
      return WriteNextRecord();
    case Phase::Reopen:
      return Reopen();
    case Phase::Ended:
      break;
  }
  return std::nullopt;
}

std::optional<Operation::Wait> ProgrammingJob::End() {
  phase_ = Phase::Ended;
  face_.JobEnded();
  return std::nullopt;
}

std::optional<Operation::Wait> ProgrammingJob::LookAtFile() {
  face_.Repaint();
  if (std::optional<Notice> refusal = CheckFileChoice(path_)) {
    face_.Fail(*refusal, 0);
    return End();
  }
  // The whole file is read and looked at before any device is touched: a file that cannot be
  // programmed must not leave a device waiting in its boot loader.
  buffer_ = programming::ReadSizedBuffer(path_);
  if (!buffer_) {
    face_.FileUnreadable();
    return End();
  }
  const std::span<std::uint8_t> data = std::span(*buffer_).subspan(kSizeFieldLength);
  const programming::FileCheck file = programming::CheckFile(data);
  if (file.result != ProgramOk) {
    outcome_.result = file.result;
    face_.Fail(FileFaultNotice(file), 0);
    return End();
  }
  programming::UpperCaseRecordLetters(data);
  records_ = file.records;

  // The programming object is made now, closed, for the ports it will search: the dongle and the
  // ports are looked at while nothing has been sent yet.
  programmer_ = setup_.makeProgrammer(&programError_);
  const platform::TransportSettings& settings = programmer_->Settings();
  const bool dongle = target_ == ProgrammingTarget::Dongle;
  std::optional<Notice> refusal;
  if (!device_.IsOpen()) refusal = CheckDongleFree(settings, NotFound());
  if (!refusal)
    refusal =
        CheckSearchPorts(settings, programmer_->PortPaths(), setup_.portCount, dongle, NotFound());
  if (refusal) {
    programmer_.reset();
    face_.Fail(*refusal, 0);
    return End();
  }
  if (StopAsked()) {
    programmer_.reset();
    outcome_.stopped = true;  // nothing was touched
    return End();
  }
  phase_ = Phase::Prepare;
  return Wait{0};
}

text::Id ProgrammingJob::NotFound() const {
  return target_ == ProgrammingTarget::Dongle ? text::NoDongleFound : text::NoMcuFound;
}

std::optional<Operation::Wait> ProgrammingJob::FailOrGone(text::Id id) {
  if (device_.DeviceGone())
    face_.DeviceGone(ProgrammingTarget::Dongle, {}, *device_.GetErrorWord());
  else
    face_.Fail(Plain(id), *device_.GetErrorWord());
  return End();
}

std::optional<Operation::Wait> ProgrammingJob::Prepare() {
  // Prepare the target while the module link is open; without it the boot loader search alone
  // brings the target into its boot loader.
  phase_ = Phase::Search;
  face_.Phase({JobProgress::Phase::Preparing, 0, 0, 0, std::nullopt});
  if (target_ == ProgrammingTarget::Dongle && device_.IsOpen()) {
    // The dongle goes to its boot loader; its module link closes.
    if (!device_.SendToBootLoader()) return FailOrGone(text::BootLoaderRefused);
    device_.Close();
    face_.DongleReleased();
    prepared_ = true;
  } else if (target_ == ProgrammingTarget::Mcu && device_.IsOpen() && HasLinkedRemote(device_)) {
    // The linked remote's MCU restarts into its boot loader; the module link stays open.
    if (!device_.WriteCheckupRegister(kCheckupLow, kCheckupHigh, true))
      return FailOrGone(text::CheckupFailed);
    if (!device_.StoreRemoteSettings()) return FailOrGone(text::RemoteStoreFailed);
    device_.StartRemoteReprogramming(true);
    prepared_ = true;
    remoteReleasing_ = true;
    return setup_.afterRemoteStart;
  }
  return Wait{0};
}

std::optional<Operation::Wait> ProgrammingJob::SearchNextPort() {
  if (nextPort_ == 0) {
    if (remoteReleasing_) face_.RemoteReleased();
    face_.Repaint();
  }
  // Each port in turn, from the first; the programmer stays open on the first one where the
  // target's boot loader answers.
  if (nextPort_ < setup_.portCount) {
    if (StopAsked()) {
      programmer_.reset();
      outcome_.stopped = true;
      face_.Stopped(StopNotes(0, records_, prepared_));
      return End();
    }
    const std::int32_t port = nextPort_++;
    face_.Phase({JobProgress::Phase::Searching, port + 1, setup_.portCount, 0, std::nullopt});
    programError_ = 0;
    programmer_->SetPort(port);
    programmer_->Open();
    if (!programmer_->IsOpen()) {  // no such port, or one that cannot be opened
      const std::vector<std::string>& paths = programmer_->PortPaths();
      if (port < static_cast<std::int32_t>(paths.size()))
        if (auto why = PortTroubleNote(paths[port], programmer_->Settings()))
          unopened_.push_back(std::move(*why));
      return Wait{0};
    }
    if (!programmer_->EnterBootLoader(target_ == ProgrammingTarget::Dongle ? DeviceDongle
                                                                           : DeviceMcu)) {
      programmer_->Close();
      return Wait{0};
    }
    outcome_.port = port;
    face_.WritingStarts();
    face_.Repaint();
    programmer_->OnProgress = [this](std::int32_t position, std::int32_t) {
      face_.Progress(position);
    };
    programmer_->StopRequested = [this] { return StopAsked(); };
    writing_.emplace(*programmer_, *buffer_);
    phase_ = Phase::Write;
    return Wait{0};
  }
  programmer_.reset();
  Notice notice(NotFound());
  notice.notes = std::move(unopened_);
  if (prepared_) notice.Note(extra::WaitingInBootLoader);
  face_.Fail(notice, programError_);
  return End();
}

std::optional<Operation::Wait> ProgrammingJob::WriteNextRecord() {
  // The first step sets the boot loader up; each one after it writes one record.
  const std::int32_t record = writingSteps_++;
  if (record == 1) firstRecord_ = std::chrono::steady_clock::now();
  if (record >= 1 && record <= records_) {
    const std::int32_t done = record - 1;
    face_.Phase({JobProgress::Phase::Writing, record, records_,
                 records_ > 0 ? 100 * done / records_ : 0,
                 TimeLeft(std::chrono::steady_clock::now() - firstRecord_, done, records_)});
  }
  writing_->Step();
  if (!writing_->Done()) return Wait{0};

  const std::int32_t code = writing_->Result();
  writing_.reset();
  programmer_->OnProgress = nullptr;
  programmer_->StopRequested = nullptr;
  const std::int32_t accepted = programmer_->RecordsAccepted;
  const std::int32_t errorWord = programError_;
  const bool portGone = programmer_->DeviceGone();
  const std::vector<std::string>& paths = programmer_->PortPaths();
  const std::string portPath =
      *outcome_.port < static_cast<std::int32_t>(paths.size()) ? paths[*outcome_.port] : "";
  programmer_.reset();  // closes its port
  buffer_.reset();
  outcome_.result = code;
  face_.WritingEnds();
  face_.Repaint();
  if (portGone) {
    // Opening the module link again has no point while its device is unplugged.
    face_.DeviceGone(target_, portPath, errorWord);
    return End();
  }
  if (code == ProgramStopped) {
    // The boot loader was found, so the target waits in it for a whole file.
    outcome_.stopped = true;
    face_.Stopped(StopNotes(accepted, records_, true));
    return End();
  }

  // Every result, failures included, ends with the module link opened again and re-read.
  if (ResultIsSuccess(code)) {
    face_.Inform(ResultNotice(code));
  } else {
    // The boot loader was found, so the target now waits in it.
    Notice notice = ResultNotice(code);
    notice.Note(extra::WaitingInBootLoader);
    face_.Fail(notice, errorWord);
  }
  phase_ = Phase::Reopen;
  return setup_.beforeReopen;
}

std::optional<Operation::Wait> ProgrammingJob::Reopen() {
  face_.Phase({JobProgress::Phase::Reconnecting, 0, 0, 100, std::nullopt});
  device_.Open();
  face_.Reopened();
  return End();
}

ProgrammingOutcome RunProgrammingJob(TRukMox& device, std::int32_t& programError,
                                     ProgrammingTarget target, const std::string& path,
                                     const ProgrammingSetup& setup, ProgrammingFace& face) {
  ProgrammingJob job(device, target, path, setup, face);
  RunToEnd(job);
  programError = job.ErrorWord();
  return job.Outcome();
}

std::optional<std::string> PortListBeyondSearch(const std::vector<std::string>& ports,
                                                std::string_view source, int language) {
  if (ports.size() <= static_cast<std::size_t>(SearchedPortCount)) return std::nullopt;
  return FillIn(HelpText(help::PortsBeyondSearch, language),
                {source, std::to_string(ports.size()), std::to_string(SearchedPortCount)});
}

}  // namespace rukmox::workflow
