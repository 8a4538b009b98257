// program dongle|mcu FILE: the firmware programming job, from preparing the device to opening the
// module link again.
#include <memory>
#include <string>
#include <utility>

#include "Commands.h"
#include "Interrupt.h"
#include "ProgrammingJob.h"
#include "ProgrammingPreview.h"

namespace rukmox::cli {
namespace {

// The job's messages with the error word that tells their reason, a progress bar on a terminal
// while the file is written, and both panels once the module link is open again.
class ProgramReport : public workflow::ProgrammingFace {
 public:
  ProgramReport(Session& session, std::string file) : session_(session), file_(std::move(file)) {}

  void Fail(const workflow::Notice& notice, std::int32_t errorWord) override {
    Reporter& report = session_.Report();
    report.Fail(report.Text(notice), notice.id, errorWord);
  }
  void Inform(const workflow::Notice& notice) override {
    Reporter& report = session_.Report();
    report.Inform(report.Text(notice));
  }
  void FileUnreadable() override {
    // The job ends here without a message of its own; a script must learn that nothing was
    // written.
    Reporter& report = session_.Report();
    report.Fail(FillIn(report.Text(extra::FileUnreadable), {file_}), 0);
  }
  void WritingStarts() override {
    bar_ = session_.MakeProgressBar();
    bar_->Show(0, 100, file_);
  }
  void Progress(std::int32_t percent) override {
    if (bar_) bar_->Show(percent, 100, file_);
  }
  void WritingEnds() override { bar_.reset(); }
  void Stopped(const std::vector<workflow::NoticeNote>& notes) override {
    Reporter& report = session_.Report();
    report.Fail(workflow::NotesText(notes, report.Language()), 0);
  }
  void DeviceGone(workflow::ProgrammingTarget target, const std::string& portPath,
                  std::int32_t errorWord) override {
    Reporter& report = session_.Report();
    report.Fail(target == workflow::ProgrammingTarget::Dongle
                    ? report.Text(extra::DongleDisconnected)
                    : FillIn(report.Text(extra::PortDisconnected), {portPath}),
                errorWord);
  }
  void Reopened() override {
    session_.LoadLocal();
    session_.LoadRemote();
    session_.ReportLocal();
    session_.Report().Line("");
    session_.ReportRemote();
  }

 private:
  Session& session_;
  std::string file_;
  std::unique_ptr<ProgressBar> bar_;
};

}  // namespace

int RunProgram(Session& session, const CommandLine& line) {
  Reporter& report = session.Report();
  const bool dongle = line.programTarget == "dongle";
  report.Result()["target"] = line.programTarget;

  // The module link is opened first, as for every command; a missing dongle is no reason to stop,
  // since the job finds a boot loader on the serial ports without it.
  if (session.OpenModule()) {
    session.LoadLocal();
    session.LoadRemote();
  }

  // What the file holds and what it goes into, before anything is sent; a dry run ends here.
  const workflow::ProgrammingTarget target =
      dongle ? workflow::ProgrammingTarget::Dongle : workflow::ProgrammingTarget::Mcu;
  const workflow::PreviewResult look =
      workflow::PreviewProgramming(&session.Device(), target, line.file);
  if (look.refusal) {
    report.Fail(report.Text(*look.refusal), look.refusal->id, 0);
    return report.Finish();
  }
  report.Line(workflow::PreviewSummaryText(look.preview, report.Language()));
  const programming::FileSummary& file = look.preview.file;
  report.Result()["records"] = file.records;
  report.Result()["data_bytes"] = file.dataBytes;
  if (file.firstAddress) report.Result()["first_address"] = *file.firstAddress;
  if (file.lastAddress) report.Result()["last_address"] = *file.lastAddress;
  if (look.preview.version) report.Result()["version_before"] = *look.preview.version;
  report.Result()["dry_run"] = line.dryRun;
  if (line.dryRun) {
    report.Line(report.Text(extra::ProfileDryRun));
    return report.Finish();
  }

  workflow::ProgrammingSetup setup;
  setup.makeProgrammer = [&session](std::int32_t* errorWord) {
    return session.MakeProgrammer(errorWord);
  };
  setup.stopRequested = StopRequested;
  std::int32_t programError = 0;
  ProgramReport face(session, line.file);
  const workflow::ProgrammingOutcome outcome =
      workflow::RunProgrammingJob(session.Device(), programError, target, line.file, setup, face);

  if (outcome.port) report.Result()["port"] = *outcome.port;
  if (outcome.result) {
    report.Result()["result"] = *outcome.result;
    if (*outcome.result > ProgramRecordBase)
      report.Result()["record"] = *outcome.result - ProgramRecordBase;
  }
  return report.Finish();
}

}  // namespace rukmox::cli
