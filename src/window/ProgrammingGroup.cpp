#include "ProgrammingGroup.h"

#include <QFileInfo>
#include <array>

#include "Captions.h"
#include "DeviceNames.h"
#include "FirmwareFolder.h"
#include "ModuleFactory.h"
#include "ProgrammingPreview.h"
#include "platform/StopSignals.h"
#include "ui_ProgrammingGroup.h"

namespace rukmox::window {
namespace {

constexpr std::array<Caption, 5> kCaptions = {{
    {"GroupProgram", text::ReprogrammingCaption},
    {"LabelFile", text::ProgrammingFileCaption},
    {"ButtonProgram", text::ProgramButtonCaption},
    {"ButtonSfoglia", text::BrowseCaption},
    {"ButtonStopProgram", text::AbortCaption},
}};

QString SuffixOf(workflow::ProgrammingTarget target) {
  return DeviceSuffix(target == workflow::ProgrammingTarget::Mcu);
}

}  // namespace

ProgrammingGroup::ProgrammingGroup(workflow::ProgrammingTarget target, PageContext& context,
                                   QWidget* parent)
    : QGroupBox(parent),
      target_(target),
      context_(context),
      form_(std::make_unique<Ui::ProgrammingGroup>()) {
  form_->setupUi(this);
  NameForDevice(*this, SuffixOf(target));

  connect(form_->ButtonSfoglia, &QPushButton::clicked, this, &ProgrammingGroup::Browse);
  connect(form_->ButtonProgram, &QPushButton::clicked, this, &ProgrammingGroup::Program);
  connect(form_->ButtonStopProgram, &QPushButton::clicked, this, &ProgrammingGroup::StopJob);
  context_.Lock().Add({form_->ButtonSfoglia, form_->ButtonProgram});
  // Until the program hands in its own, the serial ports of the machine.
  makeProgrammer_ = [](std::int32_t* errorWord) {
    return CreateProgrammer(rukmox::platform::TransportSettings{}, errorWord);
  };
}

ProgrammingGroup::~ProgrammingGroup() = default;

void ProgrammingGroup::ApplyCaptions(int language) {
  rukmox::window::ApplyCaptions(*this, kCaptions, language, SuffixOf(target_));
}

void ProgrammingGroup::Browse() {
  // The folder used last, else the first firmware folder there is; a cancelled dialog leaves the
  // edit as it was.
  QString folder = context_.LastFirmwareFolder();
  if (folder.isEmpty()) folder = FirmwareStartFolder(ProgramFirmwarePlaces());
  const QStringList filters = {context_.Word(extra::FileFilterSRecord),
                               context_.Word(extra::FileFilterAll)};
  if (auto file = AskForProgrammingFile(window(), folder, filters)) {
    form_->EditFileName->setText(*file);
    context_.RememberFirmwareFolder(QFileInfo(*file).absolutePath());
  }
}

void ProgrammingGroup::Program() {
  workflow::DeviceSession& session = context_.Session();
  if (!session.CanStart()) return;
  // Nothing is sent before the operator has seen what the file holds and what it goes into; the
  // poll tick rests while the question is open.
  workflow::PreviewResult look;
  {
    const workflow::DeviceSession::Exchange asking(session);
    look = workflow::PreviewProgramming(context_.Module(), target_,
                                        form_->EditFileName->text().trimmed().toStdString());
    if (look.refusal) {
      context_.Fail(*look.refusal);
      return;
    }
    if (!context_.Ask(QString::fromStdString(
            workflow::PreviewQuestionText(look.preview, context_.Language()))))
      return;
  }
  if (!session.CanStart()) return;  // the window was closed while the question was open
  versionBefore_ = look.preview.version;
  succeeded_.reset();
  loggedPhase_.reset();
  workflow::ProgrammingSetup setup;
  setup.makeProgrammer = makeProgrammer_;
  // A signal that asks the program to end stops the job between two records, even before the
  // window's loop has seen it.
  setup.stopRequested = [] { return rukmox::platform::StopSignals::Requested(); };
  session.Start(workflow::OperationKind::Programming,
                std::make_unique<workflow::ProgrammingJob>(
                    *context_.Module(), target_, look.preview.path, std::move(setup),
                    static_cast<workflow::ProgrammingFace&>(*this)));
}

void ProgrammingGroup::StopJob() {
  context_.Session().Stop();
}

void ProgrammingGroup::ShowProgress(int position) {
  if (!form_->ProgressBar->isHidden()) form_->ProgressBar->setValue(position);
}

void ProgrammingGroup::Fail(const workflow::Notice& notice, std::int32_t) {
  context_.Fail(notice);
}

void ProgrammingGroup::Inform(const workflow::Notice& notice) {
  // The success is told once the target has been read again, with its version before and after.
  succeeded_ = notice;
}

void ProgrammingGroup::DongleReleased() {
  emit DevicesReleased(ReRead::Both);
}

void ProgrammingGroup::RemoteReleased() {
  emit DevicesReleased(ReRead::Remote);
}

void ProgrammingGroup::Repaint() {
  window()->repaint();
}

void ProgrammingGroup::WritingStarts() {
  form_->ProgressBar->setValue(0);
  form_->ProgressBar->setVisible(true);
}

void ProgrammingGroup::Progress(std::int32_t percent) {
  emit Progressed(percent);
}

void ProgrammingGroup::WritingEnds() {
  form_->ProgressBar->setVisible(false);
}

void ProgrammingGroup::Stopped(const std::vector<workflow::NoticeNote>& notes) {
  context_.Error(QString::fromStdString(workflow::NotesText(notes, context_.Language())));
}

void ProgrammingGroup::DeviceGone(workflow::ProgrammingTarget target, const std::string& portPath,
                                  std::int32_t) {
  context_.Error(target == workflow::ProgrammingTarget::Dongle
                     ? context_.Word(extra::DongleDisconnected)
                     : context_.Word(extra::PortDisconnected, {QString::fromStdString(portPath)}));
  // Whatever is still reachable is shown as it is now; a closed module leaves both panels empty.
  emit ReadAgain(ReRead::Both);
}

void ProgrammingGroup::Phase(const workflow::JobProgress& progress) {
  const int language = context_.Language();
  // The log gets each phase once, as it begins.
  if (loggedPhase_ != progress.phase) {
    loggedPhase_ = progress.phase;
    context_.Log(QString::fromStdString(workflow::JobPhaseText(progress, language)));
  }
  form_->LabelProgramPhase->setText(
      QString::fromStdString(workflow::JobPhaseText(progress, language)));
  form_->LabelProgramLeft->setText(
      QString::fromStdString(workflow::JobFiguresText(progress, language)));
  for (QWidget* shown : std::initializer_list<QWidget*>{
           form_->LabelProgramPhase, form_->LabelProgramLeft, form_->ButtonStopProgram})
    shown->setVisible(true);
}

void ProgrammingGroup::JobEnded() {
  for (QWidget* shown : std::initializer_list<QWidget*>{
           form_->LabelProgramPhase, form_->LabelProgramLeft, form_->ButtonStopProgram})
    shown->setVisible(false);
}

QString ProgrammingGroup::PhaseShown() const {
  return form_->LabelProgramPhase->text();
}

QString ProgrammingGroup::FiguresShown() const {
  return form_->LabelProgramLeft->text();
}

void ProgrammingGroup::Reopened() {
  emit ReadAgain(ReRead::Both);
  if (succeeded_) {
    const auto after = workflow::TargetVersion(context_.Module(), target_);
    context_.Inform(QString::fromStdString(workflow::NoticeText(*succeeded_, context_.Language())) +
                    '\n' +
                    QString::fromStdString(
                        workflow::VersionChangeText(versionBefore_, after, context_.Language())));
    succeeded_.reset();
  }
}

}  // namespace rukmox::window
