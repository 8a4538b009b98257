// A device's programming group: the choice of an enciphered programming file and the job that
// writes it into the dongle or into the MCU of the linked remote through its boot loader, with
// its progress bar. One class for either target; its controls are named for it
// (ButtonProgramDongle, ButtonProgramMcu, ...). The job runs as an operation of the device
// session, a step at a time.
#pragma once

#include <QGroupBox>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "PageContext.h"
#include "ProgrammingJob.h"
#include "PropertySteps.h"

namespace Ui {
class ProgrammingGroup;
}

namespace rukmox::window {

class ProgrammingGroup : public QGroupBox, private workflow::ProgrammingFace {
  Q_OBJECT

 public:
  // Makes the closed programming object of a job, reporting into `errorWord`.
  using ProgrammerMaker = std::function<std::unique_ptr<TRukMoxProg>(std::int32_t* errorWord)>;

  ProgrammingGroup(workflow::ProgrammingTarget target, PageContext& context,
                   QWidget* parent = nullptr);
  ~ProgrammingGroup() override;

  void SetProgrammerMaker(ProgrammerMaker make) { makeProgrammer_ = std::move(make); }
  void ApplyCaptions(int language);

  // The handlers: choose the file, program it.
  void Browse();
  void Program();
  // Ends the running job at the next record boundary.
  void StopJob();
  // The job's phase in words and its figures, shown beside the bar while it runs.
  QString PhaseShown() const;
  QString FiguresShown() const;
  // Moves the bar when it is shown; the other group's bar keeps its place.
  void ShowProgress(int position);

 signals:
  // The job's progress, in percent.
  void Progressed(int position);
  // The job took these devices from their panels (into their boot loaders): they are stale.
  void DevicesReleased(rukmox::ReRead devices);
  // The devices whose panels are to be read again.
  void ReadAgain(rukmox::ReRead devices);

 private:
  // What the job shows.
  void Fail(const workflow::Notice& notice, std::int32_t errorWord) override;
  void Inform(const workflow::Notice& notice) override;
  void DongleReleased() override;
  void RemoteReleased() override;
  void Repaint() override;
  void WritingStarts() override;
  void Progress(std::int32_t percent) override;
  void WritingEnds() override;
  void Stopped(const std::vector<workflow::NoticeNote>& notes) override;
  void DeviceGone(workflow::ProgrammingTarget target, const std::string& portPath,
                  std::int32_t errorWord) override;
  void Reopened() override;
  void Phase(const workflow::JobProgress& progress) override;
  void JobEnded() override;

  workflow::ProgrammingTarget target_;
  PageContext& context_;
  std::unique_ptr<Ui::ProgrammingGroup> form_;
  ProgrammerMaker makeProgrammer_;
  std::optional<std::string> versionBefore_;   // of the target, when the job was asked for
  std::optional<workflow::Notice> succeeded_;  // the success, told once the target was re-read
  std::optional<workflow::JobProgress::Phase> loggedPhase_;  // the job's phase the log has
};

}  // namespace rukmox::window
