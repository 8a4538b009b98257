#include "ProfileActions.h"

#include <QFileDialog>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

#include "Profile.h"
#include "ProfileFile.h"
#include "ProfileText.h"
#include "WindowWords.h"
#include "platform/Files.h"

namespace rukmox::window {
namespace {

const QString kProfileFilter = QStringLiteral("JSON (*.json)");

QString Filled(extra::Id word, int language, std::initializer_list<std::string_view> values) {
  return QString::fromStdString(FillIn(ExtraText(word, language), values));
}

const TRemoteDeviceRecord* LinkedRemote(const TRukMox& module) {
  return HasLinkedRemote(module) ? module.Current : nullptr;
}

}  // namespace

ProfileActions::ProfileActions(PageContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

void ProfileActions::AskAndSave(QWidget* parent) {
  const QString path = QFileDialog::getSaveFileName(
      parent, WindowTitle(), QStringLiteral("rukmox-profile.json"), kProfileFilter);
  if (!path.isEmpty()) Save(path);
}

void ProfileActions::AskAndApply(QWidget* parent) {
  const QString path =
      QFileDialog::getOpenFileName(parent, WindowTitle(), QString(), kProfileFilter);
  if (!path.isEmpty()) Apply(path);
}

bool ProfileActions::Save(const QString& path) {
  TRukMox* module = context_.Module();
  if (module == nullptr || !module->IsOpen() || context_.Session().Running()) return false;
  const int language = context_.Language();
  const std::string file = path.toStdString();
  const Profile profile = ProfileOf(module->Local, LinkedRemote(*module));
  platform::FileProblem problem;
  if (!SaveProfileFile(file, profile, &problem)) {
    context_.Error(Filled(extra::ProfileUnwritable, language,
                          {file, platform::FileProblemText(problem, language)}));
    return false;
  }
  context_.Inform(Filled(extra::ProfileSaved, language, {file}));
  return true;
}

bool ProfileActions::Apply(const QString& path) {
  TRukMox* module = context_.Module();
  if (module == nullptr || !module->IsOpen() || !context_.Session().CanStart()) return false;
  const int language = context_.Language();
  const std::string file = path.toStdString();
  std::string text;
  platform::FileProblem unreadable;
  if (!ReadProfileFile(file, text, &unreadable)) {
    context_.Error(Filled(extra::ProfileUnreadable, language,
                          {file, platform::FileProblemText(unreadable, language)}));
    return false;
  }
  const auto reject = [&](const ProfileProblem& problem) {
    context_.Error(QString::fromStdString(ProfileRejection(file, problem, language)));
    return false;
  };
  ProfileProblem problem;
  const std::optional<Profile> wanted = ParseProfile(text, problem);
  if (!wanted) return reject(problem);
  const Profile now = ProfileOf(module->Local, LinkedRemote(*module));
  if (ProfileNeedsRemote(*wanted, now)) return reject({"remote", extra::ProfileNeedsRemote});

  // What will change, and what a profile cannot change, before anything is sent.
  const ProfilePlan plan = PlanProfile(*wanted, now);
  if (const std::optional<ProfileProblem> refused = RefusedChange(*wanted, now, plan))
    return reject(*refused);
  QStringList lines;
  for (const std::string& line : ProfilePlanLines(plan, *wanted, now, language))
    lines << QString::fromStdString(line);
  if (plan.changes.empty()) {
    context_.Inform(lines.join('\n'));
    return true;
  }
  lines << QString() << WordText(extra::ProfileConfirm, language);
  if (!context_.Ask(lines.join('\n'))) return false;

  const workflow::DeviceSession::Exchange exchange(context_.Session());
  bool ok = true;
  const auto afterStep = [&](const ProfileChange& change, const StepResult& step) {
    if (!step.ok) {
      ok = false;
      context_.Fail(step.failure);
      context_.Error(Filled(extra::ProfileStopped, context_.Language(), {change.field}));
    }
    emit ReadAgain(step.reRead);
  };
  ApplyProfile(*module, *wanted, plan, afterStep);
  if (ok) context_.Log(extra::LogProfileApplied, {path});
  return ok;
}

}  // namespace rukmox::window
