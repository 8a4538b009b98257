// Figures of a set of measured values (round trips in ms), as every face reports them.
#pragma once

#include <optional>
#include <vector>

namespace rukmox {

// The median (the mean of the middle two for an even count) and the nearest-rank 95th
// percentile of a set of values; none for an empty set.
std::optional<double> Median(std::vector<double> values);
std::optional<double> Percentile95(std::vector<double> values);

}  // namespace rukmox
