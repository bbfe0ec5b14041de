// How stable the conclusions of a model are: for every bound of every statement the decision
// maker made, the interval over which that bound can move, everything else fixed, while every
// dominance code and every recommendation of the four decision rules stays as it is now.
#pragma once

#include "calc/calc_host.h"
#include "calc/statement_bound.h"
#include "calc/what_if.h"
#include "model/model.h"

#include <optional>
#include <string>
#include <vector>

namespace velor {

// Interval ends are found by bisection to this share of the bound's value (at least of 1).
inline constexpr double kStabilityTolerance = 1e-4;

struct StabilityInterval {
    StatementBound Bound;
    double Value = 0.0; // the bound today
    // The ends; nothing for an end where nothing changes however far the bound moves (down to 0,
    // or up without limit). An end that another bound of the same statement sets is a number.
    std::optional<double> Low;
    std::optional<double> High;
    std::string Text; // the statement in words
    // The interval's width relative to the bound's value (at least 1); open ends are infinite.
    double RelativeWidth() const;
};

struct StabilityResult {
    // Fragile first: sorted by relative width, narrowest first.
    std::vector<StabilityInterval> Intervals;
    long long Programs = 0; // linear programs solved
};

struct StabilityOutcome {
    AnalysisStatus Status = AnalysisStatus::Completed;
    std::string Message;
    StabilityResult Result;
};

// Progress and cancel through host (null: neither); decimalSeparator is used in the texts.
StabilityOutcome AnalyzeStability(const Model& model, CalcHost* host, char decimalSeparator = '.');

// The dominance codes (whether row r dominates row s, r * M + s, 1-based rows) and the four
// recommendations per row (row * 4 + rule) that the statements of a model give now, computed as
// the stability analysis computes them; false when the model is infeasible or a program fails.
struct Conclusions {
    std::vector<char> Dominates;
    std::vector<char> Recommended;
    bool operator==(const Conclusions&) const = default;
};
bool CurrentConclusions(const Model& model, Conclusions& out);

} // namespace velor
