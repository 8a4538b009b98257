// profile save, profile apply: the settings of both devices to a file and back, changing only
// what differs, with the property panels' own steps.
#include "Commands.h"
#include "Profile.h"
#include "ProfileFile.h"
#include "ProfileText.h"

namespace rukmox::cli {
namespace {

Profile ProfileNow(Session& session) {
  TRukMox& device = session.Device();
  return ProfileOf(device.Local, session.RemoteLoaded() ? device.Current : nullptr);
}

int Reject(Session& session, const std::string& file, const ProfileProblem& problem) {
  Reporter& report = session.Report();
  report.Result()["rejected_field"] = problem.field;
  report.Fail(ProfileRejection(file, problem, report.Language()), 0);
  return report.Finish();
}

// Says what the profile changes, and what it cannot change.
void TellPlan(Reporter& report, const ProfilePlan& plan, const Profile& wanted,
              const Profile& now) {
  nlohmann::json changes = nlohmann::json::array();
  for (const ProfileChange& c : plan.changes)
    changes.push_back({{"field", c.field}, {"from", c.now}, {"to", c.wanted}, {"applied", false}});
  report.Result()["changes"] = changes;
  nlohmann::json pins = nlohmann::json::array();
  for (const PinDifference& p : plan.pins)
    pins.push_back({{"field", p.field}, {"profile", p.wanted}, {"device", p.now}});
  report.Result()["pin_differences"] = pins;
  report.Result()["channel_left"] = plan.channelLeft;
  for (const std::string& line : ProfilePlanLines(plan, wanted, now, report.Language()))
    report.Line(line);
}

}  // namespace

int RunProfileSave(Session& session, const CommandLine& line) {
  if (auto end = session.OpenAndReadBoth()) return *end;
  Reporter& report = session.Report();
  const Profile profile = ProfileNow(session);
  platform::FileProblem problem;
  if (!SaveProfileFile(line.file, profile, &problem)) {
    report.Fail(FillIn(report.Text(extra::ProfileUnwritable),
                       {line.file, platform::FileProblemText(problem, report.Language())}),
                0);
    return report.Finish();
  }
  report.Result()["file"] = line.file;
  report.Result()["profile"] = nlohmann::json::parse(ProfileJson(profile), nullptr, false);
  report.Line(FillIn(report.Text(extra::ProfileSaved), {line.file}));
  return report.Finish();
}

int RunProfileApply(Session& session, const CommandLine& line) {
  Reporter& report = session.Report();
  report.Result()["dry_run"] = line.dryRun;
  // The file is judged before the dongle is even opened: a bad profile sends nothing at all.
  std::string text;
  platform::FileProblem unreadable;
  if (!ReadProfileFile(line.file, text, &unreadable)) {
    report.Fail(FillIn(report.Text(extra::ProfileUnreadable),
                       {line.file, platform::FileProblemText(unreadable, report.Language())}),
                0);
    return report.Finish();
  }
  ProfileProblem problem;
  const std::optional<Profile> wanted = ParseProfile(text, problem);
  if (!wanted) return Reject(session, line.file, problem);

  if (auto end = session.OpenAndReadBoth()) return *end;
  const Profile now = ProfileNow(session);
  if (ProfileNeedsRemote(*wanted, now))
    return Reject(session, line.file, {"remote", extra::ProfileNeedsRemote});

  const ProfilePlan plan = PlanProfile(*wanted, now);
  if (const std::optional<ProfileProblem> refused = RefusedChange(*wanted, now, plan))
    return Reject(session, line.file, *refused);
  TellPlan(report, plan, *wanted, now);
  if (line.dryRun) {
    report.Line(report.Text(extra::ProfileDryRun));
    return report.Finish();
  }
  if (plan.changes.empty()) return report.Finish();

  const auto afterStep = [&](const ProfileChange& change, const StepResult& step) {
    if (!step.ok) {
      session.FailWith(step);
      report.Result()["stopped_at"] = change.field;
      report.Line(FillIn(report.Text(extra::ProfileStopped), {change.field}));
    }
    if (step.reRead != ReRead::Remote) session.LoadLocal();
    if (step.reRead != ReRead::Local) session.LoadRemote();
  };
  const ApplyResult result = ApplyProfile(session.Device(), *wanted, plan, afterStep);
  for (std::size_t i = 0; i < result.applied; ++i) report.Result()["changes"][i]["applied"] = true;
  report.Line("");
  session.ReportLocal();
  report.Line("");
  session.ReportRemote();
  return report.Finish();
}

}  // namespace rukmox::cli
