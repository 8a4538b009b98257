#include "ProfileText.h"

#include "ExtraTexts.h"

namespace rukmox {
namespace {

std::string PinStateText(bool set, int language) {
  return std::string(ExtraText(set ? extra::PinProtected : extra::PinNone, language));
}

}  // namespace

std::string ProfileRejection(const std::string& file, const ProfileProblem& problem, int language) {
  const std::string reason =
      FillIn(ExtraText(problem.reason, language), {std::to_string(Profile::kFormatVersion)});
  return FillIn(ExtraText(extra::ProfileRejected, language), {file, problem.field, reason});
}

std::vector<std::string> ProfilePlanLines(const ProfilePlan& plan, const Profile& wanted,
                                          const Profile& now, int language) {
  std::vector<std::string> lines;
  for (const ProfileChange& c : plan.changes)
    lines.push_back(FillIn(ExtraText(extra::ProfileChange, language), {c.field, c.now, c.wanted}));
  for (const PinDifference& p : plan.pins)
    lines.push_back(
        FillIn(ExtraText(extra::ProfilePinDiffers, language),
               {p.field, PinStateText(p.wanted, language), PinStateText(p.now, language)}));
  if (plan.channelLeft)
    lines.push_back(FillIn(ExtraText(extra::ProfileChannelLeft, language),
                           {std::to_string(wanted.channel), std::to_string(now.channel)}));
  if (plan.changes.empty())
    lines.push_back(std::string(ExtraText(extra::ProfileUnchanged, language)));
  return lines;
}

}  // namespace rukmox
