// A range test as text: one line for each ping and the summary, in the language shown, for the
// operator to copy and paste.
#pragma once

#include <span>
#include <string>

#include "RangeTest.h"

namespace rukmox::workflow {

// "3/20 answered in 12.5 ms", or lost, with its echo and quality readings when it has them.
std::string RangeStepText(const RangeStep& step, int count, int language);
// The counts, the loss and the round trip's median and 95th percentile (and the echoes').
std::string RangeSummaryText(const RangeFigures& figures, int language);
// The summary first, then every ping, a line each.
std::string RangeReportText(const RangeFigures& figures, std::span<const RangeStep> steps,
                            int count, int language);

}  // namespace rukmox::workflow
