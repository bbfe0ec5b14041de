#include "calc/hit_and_run.h"

#include <algorithm>
#include <limits>

namespace velor {

HitAndRun::HitAndRun(const FeasiblePolytope& polytope, std::uint64_t seed)
    : polytope_(polytope), engine_(seed), point_(polytope.InnerPoint()) {
    RefreshSlacks();
}

void HitAndRun::RefreshSlacks() {
    slacks_ = polytope_.Slacks(point_);
}

void HitAndRun::Sweep() {
    for (int k = 0; k < polytope_.Dimension(); ++k) {
        Step(k);
    }
}

void HitAndRun::Step(int coordinate) {
    const auto begin =
        static_cast<std::size_t>(polytope_.ColumnStarts()[static_cast<std::size_t>(coordinate)]);
    const auto end = static_cast<std::size_t>(
        polytope_.ColumnStarts()[static_cast<std::size_t>(coordinate) + 1]);
    const std::vector<int>& rows = polytope_.RowIndices();
    const std::vector<double>& values = polytope_.Coefficients();
    // Row r allows the move delta while slack_r - g_r * delta >= 0. A slack a rounding error
    // below 0 counts as 0, so that the chord always holds the current point.
    double lower = -std::numeric_limits<double>::infinity();
    double upper = std::numeric_limits<double>::infinity();
    for (std::size_t at = begin; at < end; ++at) {
        const double g = values[at];
        const double slack = std::max(0.0, slacks_[static_cast<std::size_t>(rows[at])]);
        if (g > 0.0) {
            upper = std::min(upper, slack / g);
        } else if (g < 0.0) {
            lower = std::max(lower, slack / g);
        }
    }
    // The polytope refuses coordinates without limits on both sides, so both ends are finite.
    const double delta = lower + (upper - lower) * Uniform(engine_);
    point_[static_cast<std::size_t>(coordinate)] += delta;
    for (std::size_t at = begin; at < end; ++at) {
        slacks_[static_cast<std::size_t>(rows[at])] -= values[at] * delta;
    }
}

} // namespace velor
