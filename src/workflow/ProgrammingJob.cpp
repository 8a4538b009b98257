#include "ProgrammingJob.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <utility>

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
  if (programmer_) programmer_->OnProgress = nullptr;
}

std::optional<Operation::Wait> ProgrammingJob::Step() {
  if (stopRequested_ && phase_ != Phase::Ended && phase_ != Phase::Reopen) return EndStopped();
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

std::optional<Operation::Wait> ProgrammingJob::EndStopped() {
  // Asked before any device was touched: nothing to tell but that nothing happened.
  if (phase_ == Phase::LookAtFile || phase_ == Phase::Prepare) {
    face_.Stopped(0, records_, false);
    return End();
  }
  const bool found = writing_.has_value();
  const std::int32_t accepted = found ? std::max(0, writingSteps_ - 1) : 0;
  writing_.reset();
  if (programmer_) programmer_->OnProgress = nullptr;
  programmer_.reset();  // closes its port
  buffer_.reset();
  if (found) face_.WritingEnds();
  if (remoteReleasing_ && !found) face_.RemoteReleased();
  face_.Stopped(accepted, records_, prepared_ || found);
  return End();
}

std::optional<Operation::Wait> ProgrammingJob::LookAtFile() {
  face_.Repaint();
  if (!FileExists(path_)) {
    face_.Fail(Plain(text::NoProgrammingFile), 0);
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
  if (const std::int32_t form = programming::CheckFileForm(data); form != ProgramOk) {
    outcome_.result = form;
    face_.Fail(ResultNotice(form), 0);
    return End();
  }
  programming::UpperCaseRecordLetters(data);
  records_ = programming::CheckRecordLines(data).records;
  phase_ = Phase::Prepare;
  return Wait{0};
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
  if (!programmer_) {
    if (remoteReleasing_) face_.RemoteReleased();
    face_.Repaint();
    programmer_ = setup_.makeProgrammer(&programError_);
  }
  // Each port in turn, from the first; the programmer stays open on the first one where the
  // target's boot loader answers.
  if (nextPort_ < setup_.portCount) {
    const std::int32_t port = nextPort_++;
    face_.Phase({JobProgress::Phase::Searching, port + 1, setup_.portCount, 0, std::nullopt});
    programError_ = 0;
    programmer_->SetPort(port);
    programmer_->Open();
    if (!programmer_->IsOpen()) return Wait{0};  // no such port
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
    writing_.emplace(*programmer_, *buffer_);
    phase_ = Phase::Write;
    return Wait{0};
  }
  programmer_.reset();
  Notice notice =
      Plain(target_ == ProgrammingTarget::Dongle ? text::NoDongleFound : text::NoMcuFound);
  if (prepared_) notice.note = extra::WaitingInBootLoader;
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

  // Every result, failures included, ends with the module link opened again and re-read.
  if (ResultIsSuccess(code)) {
    face_.Inform(ResultNotice(code));
  } else {
    // The boot loader was found, so the target now waits in it.
    Notice notice = ResultNotice(code);
    notice.note = extra::WaitingInBootLoader;
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
                                                std::string_view source) {
  if (ports.size() <= static_cast<std::size_t>(SearchedPortCount)) return std::nullopt;
  std::string why(source);
  why += " lists " + std::to_string(ports.size()) +
         " ports, but the search for a boot loader covers only the first " +
         std::to_string(SearchedPortCount);
  return why;
}

}  // namespace rukmox::workflow
