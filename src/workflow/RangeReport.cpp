#include "RangeReport.h"

#include <cstdio>

#include "ExtraTexts.h"

namespace rukmox::workflow {
namespace {

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

template <typename T>
std::string OrDash(const std::optional<T>& value) {
  if (!value) return "-";
  if constexpr (std::is_floating_point_v<T>)
    return OneDecimal(*value);
  else
    return std::to_string(*value);
}

std::string Words(extra::Id id, int language) {
  return std::string(ExtraText(id, language));
}

std::string TripsText(extra::Id id, const TripFigures& f, int language) {
  return FillIn(ExtraText(id, language),
                {std::to_string(f.sent), std::to_string(f.answered), std::to_string(f.lost),
                 OneDecimal(f.lossRate * 100), OrDash(f.medianMs), OrDash(f.p95Ms)});
}

// Appends in place: GCC 12 at -O2 warns falsely (-Wrestrict) on a literal joined to a temporary.
void Append(std::string& text, std::string_view separator, const std::string& piece) {
  text += separator;
  text += piece;
}

}  // namespace

std::string RangeStepText(const RangeStep& step, int count, int language) {
  const std::string number = std::to_string(step.number);
  std::string text =
      step.answered
          ? FillIn(ExtraText(extra::RangeAnswered, language),
                   {number, std::to_string(count), OneDecimal(step.roundTripMs)})
          : FillIn(ExtraText(extra::RangeLost, language), {number, std::to_string(count)});
  if (step.echoSent)
    Append(text, "  ",
           step.echoAnswered
               ? FillIn(ExtraText(extra::RangeEcho, language), {OneDecimal(step.echoRoundTripMs)})
               : Words(extra::RangeEchoLost, language));
  if (step.localQuality || step.remoteQuality)
    Append(text, "  ",
           FillIn(ExtraText(extra::RangeQuality, language),
                  {OrDash(step.localQuality), OrDash(step.remoteQuality)}));
  return text;
}

std::string RangeSummaryText(const RangeFigures& figures, int language) {
  std::string text = TripsText(extra::RangeSummary, figures.pings, language);
  if (figures.echoes)
    Append(text, "\n", TripsText(extra::RangeEchoSummary, *figures.echoes, language));
  if (figures.localQuality || figures.remoteQuality)
    Append(text, "\n",
           FillIn(ExtraText(extra::RangeQuality, language),
                  {OrDash(figures.localQuality), OrDash(figures.remoteQuality)}));
  return text;
}

std::string RangeReportText(const RangeFigures& figures, std::span<const RangeStep> steps,
                            int count, int language) {
  std::string text = RangeSummaryText(figures, language) + "\n";
  for (const RangeStep& step : steps) {
    text += RangeStepText(step, count, language);
    text += '\n';
  }
  return text;
}

}  // namespace rukmox::workflow
