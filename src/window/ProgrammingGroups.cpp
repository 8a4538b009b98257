// The programming groups: choose a programming file and write it into the dongle or into the MCU
// of the linked remote through its boot loader. The job's steps are the shared workflow's; this
// file is what the operator sees of them.
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "FirmwareFolder.h"
#include "ModuleFactory.h"
#include "ProgrammingJob.h"
#include "Rukmoxlight.h"
#include "platform/StopSignals.h"
#include "ui_DevicesPage.h"

namespace rukmox::window {

// The job's messages, panels and progress bar.
class TRukMoxFormLight::ProgrammingGroupsFace : public workflow::ProgrammingFace {
 public:
  ProgrammingGroupsFace(TRukMoxFormLight& window, QProgressBar* bar) : window_(window), bar_(bar) {}

  void Fail(const workflow::Notice& notice, std::int32_t) override {
    window_.messages_.Error(Text(notice));
  }
  void Inform(const workflow::Notice& notice) override {
    window_.messages_.Information(Text(notice));
  }
  void DongleReleased() override {
    window_.EnableLocal(false);
    window_.ClearLocal();
    window_.EnableRemote(false);
    window_.ClearRemote();
  }
  void RemoteReleased() override {
    window_.EnableRemote(false);
    window_.ClearRemote();
  }
  void Repaint() override { window_.repaint(); }
  void WritingStarts() override {
    bar_->setValue(0);
    bar_->setVisible(true);
  }
  void Progress(std::int32_t percent) override {
    // Posted as the progress message would be, and delivered at once: the job holds the thread.
    QMetaObject::invokeMethod(
        &window_, [window = &window_, percent] { window->ProgrammingProgress(percent); },
        Qt::QueuedConnection);
    QCoreApplication::sendPostedEvents(&window_, QEvent::MetaCall);
  }
  void WritingEnds() override { bar_->setVisible(false); }
  void Stopped(const std::vector<workflow::NoticeNote>& notes) override {
    window_.messages_.Error(QString::fromStdString(workflow::NotesText(notes, window_.Language)));
  }
  void DeviceGone(workflow::ProgrammingTarget target, const std::string& portPath,
                  std::int32_t) override {
    const std::string text =
        target == workflow::ProgrammingTarget::Dongle
            ? std::string(ExtraText(extra::DongleDisconnected, window_.Language))
            : FillIn(ExtraText(extra::PortDisconnected, window_.Language), {portPath});
    window_.messages_.Error(QString::fromStdString(text));
    // Whatever is still reachable is shown as it is now; a closed module leaves both panels empty.
    window_.LoadLocal();
    window_.LoadRemote();
  }
  void Reopened() override {
    window_.LoadLocal();
    window_.LoadRemote();
  }

 private:
  QString Text(const workflow::Notice& notice) const {
    return QString::fromStdString(workflow::NoticeText(notice, window_.Language));
  }

  TRukMoxFormLight& window_;
  QProgressBar* bar_;
};

void TRukMoxFormLight::SetProgrammerMaker(ProgrammerMaker make) {
  makeProgrammer_ = std::move(make);
}

void TRukMoxFormLight::ConnectProgrammingGroups() {
  const Ui::DevicesPage& d = *devices_;
  connect(d.ButtonSfogliaDongle, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonSfogliaDongleClick);
  connect(d.ButtonSfogliaMcu, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonSfogliaMcuClick);
  connect(d.ButtonProgramDongle, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonProgramDongleClick);
  connect(d.ButtonProgramMcu, &QPushButton::clicked, this,
          &TRukMoxFormLight::ButtonProgramMcuClick);
}

void TRukMoxFormLight::ChooseProgrammingFile(QLineEdit* edit) {
  // A cancelled dialog leaves the edit as it was.
  if (auto file = AskForProgrammingFile(this, FirmwareStartFolder(ProgramFirmwarePlaces())))
    edit->setText(*file);
}

void TRukMoxFormLight::ButtonSfogliaDongleClick() {
  ChooseProgrammingFile(devices_->EditFileNameDongle);
}

void TRukMoxFormLight::ButtonSfogliaMcuClick() {
  ChooseProgrammingFile(devices_->EditFileNameMcu);
}

void TRukMoxFormLight::ButtonProgramDongleClick() {
  RunProgrammingJob(true);
}

void TRukMoxFormLight::ButtonProgramMcuClick() {
  RunProgrammingJob(false);
}

void TRukMoxFormLight::RunProgrammingJob(bool dongle) {
  if (!Device || LongOperationRunning()) return;
  const Pause pause(*this);
  const LongOperation lock(*this);
  const Ui::DevicesPage& d = *devices_;
  ProgrammingGroupsFace face(*this, dongle ? d.ProgressBarDongle : d.ProgressBarMcu);
  workflow::ProgrammingSetup setup;
  setup.makeProgrammer = [this](std::int32_t* errorWord) {
    if (makeProgrammer_) return makeProgrammer_(errorWord);
    return CreateProgrammer(rukmox::platform::TransportSettings::FromEnvironment(), errorWord);
  };
  // A job has no stop button; a signal that asks the program to end stops it between records.
  setup.stopRequested = [] { return rukmox::platform::StopSignals::Requested(); };
  const QString file = (dongle ? d.EditFileNameDongle : d.EditFileNameMcu)->text();
  workflow::RunProgrammingJob(
      *Device, ProgramError,
      dongle ? workflow::ProgrammingTarget::Dongle : workflow::ProgrammingTarget::Mcu,
      file.toStdString(), setup, face);
}

void TRukMoxFormLight::ProgrammingProgress(int position) {
  // Only a bar that is shown moves; the other one keeps its place.
  for (QProgressBar* bar : {devices_->ProgressBarDongle, devices_->ProgressBarMcu})
    if (!bar->isHidden()) bar->setValue(position);
  QCoreApplication::processEvents();
  repaint();
}

}  // namespace rukmox::window
