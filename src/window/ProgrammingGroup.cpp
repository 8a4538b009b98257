#include "ProgrammingGroup.h"

#include <array>

#include "Captions.h"
#include "DeviceNames.h"
#include "FirmwareFolder.h"
#include "ModuleFactory.h"
#include "platform/StopSignals.h"
#include "ui_ProgrammingGroup.h"

namespace rukmox::window {
namespace {

constexpr std::array<Caption, 4> kCaptions = {{
    {"GroupProgram", text::ReprogrammingCaption},
    {"LabelFile", text::ProgrammingFileCaption},
    {"ButtonProgram", text::ProgramButtonCaption},
    {"ButtonSfoglia", text::BrowseCaption},
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
  // A cancelled dialog leaves the edit as it was.
  if (auto file = AskForProgrammingFile(window(), FirmwareStartFolder(ProgramFirmwarePlaces())))
    form_->EditFileName->setText(*file);
}

void ProgrammingGroup::Program() {
  workflow::DeviceSession& session = context_.Session();
  if (!session.CanStart()) return;
  workflow::ProgrammingSetup setup;
  setup.makeProgrammer = makeProgrammer_;
  // A signal that asks the program to end stops the job between two records, even before the
  // window's loop has seen it.
  setup.stopRequested = [] { return rukmox::platform::StopSignals::Requested(); };
  session.Start(workflow::OperationKind::Programming,
                std::make_unique<workflow::ProgrammingJob>(
                    *context_.Module(), target_, form_->EditFileName->text().toStdString(),
                    std::move(setup), static_cast<workflow::ProgrammingFace&>(*this)));
}

void ProgrammingGroup::ShowProgress(int position) {
  if (!form_->ProgressBar->isHidden()) form_->ProgressBar->setValue(position);
}

void ProgrammingGroup::Fail(const workflow::Notice& notice, std::int32_t) {
  context_.Fail(notice);
}

void ProgrammingGroup::Inform(const workflow::Notice& notice) {
  context_.Inform(notice);
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

void ProgrammingGroup::Reopened() {
  emit ReadAgain(ReRead::Both);
}

}  // namespace rukmox::window
