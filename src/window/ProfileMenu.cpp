// Configuration profiles from the Dongle menu: save the settings of both devices to a file, or
// apply a file to the pair now connected after showing what would change, changing only that.
#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QStringList>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "Profile.h"
#include "ProfileFile.h"
#include "ProfileText.h"
#include "Rukmoxlight.h"
#include "WindowWords.h"

namespace rukmox::window {
namespace {

const QString kProfileFilter = QStringLiteral("JSON (*.json)");

QString Filled(Word word, int language, std::initializer_list<std::string_view> values) {
  return QString::fromStdString(FillIn(ExtraText(word, language), values));
}

}  // namespace

void TRukMoxFormLight::BuildProfileMenu() {
  auto* menu = findChild<QMenu*>(QStringLiteral("MenuDongle"));
  menu->addSeparator();
  saveProfileAction_ = menu->addAction(QString());
  saveProfileAction_->setObjectName(QStringLiteral("ActionSaveProfile"));
  applyProfileAction_ = menu->addAction(QString());
  applyProfileAction_->setObjectName(QStringLiteral("ActionApplyProfile"));
  connect(saveProfileAction_, &QAction::triggered, this, [this] {
    const QString path = QFileDialog::getSaveFileName(
        this, WindowTitle(), QStringLiteral("rukmox-profile.json"), kProfileFilter);
    if (!path.isEmpty()) SaveProfile(path);
  });
  connect(applyProfileAction_, &QAction::triggered, this, [this] {
    const QString path =
        QFileDialog::getOpenFileName(this, WindowTitle(), QString(), kProfileFilter);
    if (!path.isEmpty()) ApplyProfileFile(path);
  });
}

void TRukMoxFormLight::ApplyProfileCaptions(int language) {
  saveProfileAction_->setText(WordText(Word::ProfileSaveAction, language));
  applyProfileAction_->setText(WordText(Word::ProfileApplyAction, language));
}

bool TRukMoxFormLight::SaveProfile(const QString& path) {
  if (!Device || !Device->IsOpen() || LongOperationRunning()) return false;
  const std::string file = path.toStdString();
  const Profile profile = ProfileOf(Device->Local, LinkedRemote() ? Device->Current : nullptr);
  platform::FileProblem problem;
  if (!SaveProfileFile(file, profile, &problem)) {
    messages_.Error(Filled(Word::ProfileUnwritable, Language,
                           {file, platform::FileProblemText(problem, Language)}));
    return false;
  }
  messages_.Information(Filled(Word::ProfileSaved, Language, {file}));
  return true;
}

bool TRukMoxFormLight::ApplyProfileFile(const QString& path) {
  if (!Device || !Device->IsOpen() || LongOperationRunning() || pauses_ > 0) return false;
  const std::string file = path.toStdString();
  std::string text;
  platform::FileProblem unreadable;
  if (!ReadProfileFile(file, text, &unreadable)) {
    messages_.Error(Filled(Word::ProfileUnreadable, Language,
                           {file, platform::FileProblemText(unreadable, Language)}));
    return false;
  }
  const auto reject = [&](const ProfileProblem& problem) {
    messages_.Error(QString::fromStdString(ProfileRejection(file, problem, Language)));
    return false;
  };
  ProfileProblem problem;
  const std::optional<Profile> wanted = ParseProfile(text, problem);
  if (!wanted) return reject(problem);
  const Profile now = ProfileOf(Device->Local, LinkedRemote() ? Device->Current : nullptr);
  if (ProfileNeedsRemote(*wanted, now)) return reject({"remote", extra::ProfileNeedsRemote});

  // What will change, and what a profile cannot change, before anything is sent.
  const ProfilePlan plan = PlanProfile(*wanted, now);
  if (const std::optional<ProfileProblem> refused = RefusedChange(*wanted, now, plan))
    return reject(*refused);
  QStringList lines;
  for (const std::string& line : ProfilePlanLines(plan, *wanted, now, Language))
    lines << QString::fromStdString(line);
  if (plan.changes.empty()) {
    messages_.Information(lines.join('\n'));
    return true;
  }
  lines << QString() << WordText(Word::ProfileConfirm, Language);
  if (!messages_.Question(lines.join('\n'))) return false;

  const Pause pause(*this);
  bool ok = true;
  const auto afterStep = [&](const ProfileChange& change, const StepResult& step) {
    if (!step.ok) {
      ok = false;
      Fail(step.failure);
      messages_.Error(Filled(Word::ProfileStopped, Language, {change.field}));
    }
    if (step.reRead != ReRead::Remote) LoadLocal();
    if (step.reRead != ReRead::Local) LoadRemote();
  };
  ApplyProfile(*Device, *wanted, plan, afterStep);
  return ok;
}

}  // namespace rukmox::window
