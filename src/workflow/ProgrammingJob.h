// The firmware programming job as the operator runs it: prepare the target through the module
// link, find its boot loader on the serial ports, write the file, tell the outcome, and open the
// module link again. What the operator sees of it is the face's business.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "JobProgress.h"
#include "Languages.h"
#include "Notice.h"
#include "Operation.h"
#include "ProgramRun.h"
#include "Rukmox.h"
#include "Rukmoxprog.h"

namespace rukmox::workflow {

enum class ProgrammingTarget { Dongle, Mcu };

// The port numbers a job searches for a boot loader: 0 (COM1) to 254 (COM255).
inline constexpr std::int32_t SearchedPortCount = 255;

// A port list longer than the search names ports no job would ever try. Says so in `language`,
// naming where the list came from (`source`: an option or a variable), or gives nothing when the
// list fits.
std::optional<std::string> PortListBeyondSearch(const std::vector<std::string>& ports,
                                                std::string_view source,
                                                int language = LanguageEnglish);

struct ProgrammingSetup {
  // Makes the closed programming object for the job, reporting into `errorWord`.
  std::function<std::unique_ptr<TRukMoxProg>(std::int32_t* errorWord)> makeProgrammer;
  // Ports searched, from port number 0 (COM1) upwards.
  std::int32_t portCount = SearchedPortCount;
  // The MCU needs a moment to restart into its boot loader; the dongle to restart its firmware.
  std::chrono::milliseconds afterRemoteStart{100};
  std::chrono::milliseconds beforeReopen{200};
  // Asked between the job's steps, between ports and between records: true ends the job there
  // (the record in flight is finished). Empty: the job runs to its end.
  std::function<bool()> stopRequested;
};

class ProgrammingFace {
 public:
  virtual ~ProgrammingFace() = default;
  // A failure, with the error word that tells its reason (0 when there is none).
  virtual void Fail(const Notice& notice, std::int32_t errorWord) = 0;
  virtual void Inform(const Notice& notice) = 0;
  // The file could not be read; nothing was sent to any device.
  virtual void FileUnreadable() {}
  // The dongle went to its boot loader and its module link is closed: both panels are stale.
  virtual void DongleReleased() {}
  // The remote module is restarting into its boot loader: the remote panel is stale.
  virtual void RemoteReleased() {}
  // Moments where what the operator sees should be brought up to date at once.
  virtual void Repaint() {}
  // The file is being written: progress in percent from 0, then the end of the writing.
  virtual void WritingStarts() {}
  virtual void Progress(std::int32_t percent) = 0;
  virtual void WritingEnds() {}
  // The job was asked to stop and ended where it was: what it got done and whether the target
  // now waits in its boot loader, as notes. The module link is not opened again.
  virtual void Stopped(const std::vector<NoticeNote>& notes) = 0;
  // The phase the job is in now and how far it has got in it.
  virtual void Phase(const JobProgress&) {}
  // The job has ended, however it ended (after its messages).
  virtual void JobEnded() {}
  // The dongle, or the serial port at `portPath` where the target's boot loader answered, went
  // away during the job: nothing more is sent and the module link is not opened again.
  virtual void DeviceGone(ProgrammingTarget target, const std::string& portPath,
                          std::int32_t errorWord) = 0;
  // The module link was opened again: re-read both panels.
  virtual void Reopened() = 0;
};

struct ProgrammingOutcome {
  std::optional<std::int32_t> port;  // where the boot loader answered
  // What ProgramFile returned once it ran, or the look at the file found before anything was sent.
  std::optional<std::int32_t> result;
  bool stopped = false;  // asked to stop before its end
};

// One job for `target` with the file at `path`, a step at a time: the look at the file, the
// target's preparation, each port of the search, the boot loader's set-up, each record, and the
// opening of the module link again. The waits the devices need between these are the job's
// waits between steps. The job makes its programming object and owns the error word it reports
// into.
class ProgrammingJob final : public Operation {
 public:
  ProgrammingJob(TRukMox& device, ProgrammingTarget target, std::string path,
                 ProgrammingSetup setup, ProgrammingFace& face);
  ~ProgrammingJob() override;
  ProgrammingJob(const ProgrammingJob&) = delete;
  ProgrammingJob& operator=(const ProgrammingJob&) = delete;

  std::optional<Wait> Step() override;
  // Ends the job at its next step boundary: before the target is touched, between two ports of
  // the search, or between two records (the record in flight is finished). The target then waits
  // in its boot loader, and the face is told how far the job got.
  void Stop() override;

  const ProgrammingOutcome& Outcome() const { return outcome_; }
  // The programming object's error word (the reason of its last failure).
  std::int32_t ErrorWord() const { return programError_; }

 private:
  enum class Phase { LookAtFile, Prepare, Search, Write, Reopen, Ended };

  std::optional<Wait> LookAtFile();
  std::optional<Wait> Prepare();
  std::optional<Wait> SearchNextPort();
  std::optional<Wait> WriteNextRecord();
  std::optional<Wait> Reopen();
  std::optional<Wait> End();
  // A preparation step failed: because the dongle went away, or with the step's own message.
  std::optional<Wait> FailOrGone(text::Id id);
  // The message for a target no port answered for.
  text::Id NotFound() const;
  // Asked to stop, by Stop or by the setup's stopRequested.
  bool StopAsked() const;

  TRukMox& device_;
  ProgrammingTarget target_;
  std::string path_;
  ProgrammingSetup setup_;
  ProgrammingFace& face_;
  Phase phase_ = Phase::LookAtFile;
  ProgrammingOutcome outcome_;
  std::int32_t programError_ = 0;
  std::optional<std::vector<std::uint8_t>> buffer_;
  bool prepared_ = false;
  bool remoteReleasing_ = false;
  bool stopAsked_ = false;
  std::int32_t records_ = 0;  // the file's records, for a stopped job's account
  std::unique_ptr<TRukMoxProg> programmer_;
  std::int32_t nextPort_ = 0;
  std::vector<NoticeNote> unopened_;  // why ports of the search could not be opened
  std::optional<programming::ProgramRun> writing_;
  std::int32_t writingSteps_ = 0;  // steps of the writing: the set-up, then one a record
  std::chrono::steady_clock::time_point firstRecord_;
};

// Runs one job to its end; `programError` gets the programming object's error word.
ProgrammingOutcome RunProgrammingJob(TRukMox& device, std::int32_t& programError,
                                     ProgrammingTarget target, const std::string& path,
                                     const ProgrammingSetup& setup, ProgrammingFace& face);

// The message for a ProgramFile result, and whether it is an information (the file was written).
Notice ResultNotice(std::int32_t code);
bool ResultIsSuccess(std::int32_t code);

}  // namespace rukmox::workflow
