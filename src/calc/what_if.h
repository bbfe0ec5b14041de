// What would make one alternative dominate another: every single change of one bound of one
// statement that on its own would make A dominate B, with the value at which it does, in the
// decision maker's own words; and how much each weight's interval moves the comparison (the bars
// of a tornado chart).
#pragma once

#include "calc/calc_host.h"
#include "calc/statement_bound.h"
#include "model/model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velor {

// Thresholds and interval ends are sought up to this value (percent or multiplier: a weight
// 100 times another's); a change that needs more is left out. Larger coefficients beside the
// model's values of 1 and less are beyond what the solver resolves reliably.
inline constexpr double kLargestBound = 1e4;
// A lower bound not given today is sought from this value up: a smaller one makes a coefficient
// below what the solver resolves, and any value above it that works is reported as this.
inline constexpr double kSmallestBound = 1e-3;
// Thresholds are found to this width in the statement's own unit.
inline constexpr double kThresholdTolerance = 2.5e-7;

// A minimum of V(A) - V(B) up to this is a tie, not a dominance: optima of equal values differ
// in their last digits from one solver path to another, and a margin of 0 that comes out as
// 1e-16 must not count as a dominance that a change could gain or lose.
inline constexpr double kDominanceMargin = 1e-11;

struct WhatIfChange {
    StatementBound Bound;
    double Current = kNotGiven; // the bound today
    // The value at which the minimum of V(A) - V(B) reaches 0: every value strictly beyond it
    // (above for a lower bound, below for an upper bound) makes A dominate B.
    double Threshold = 0.0;
    // A value a little beyond the threshold (three decimals where that suffices) at which A
    // dominates B with a margin the calculation sees: what "Add This Statement" stores.
    double Proposed = 0.0;
    std::string Text;
};

// V(A) - V(B) at its minimum and maximum with one node's weight fixed at the low end and at the
// high end of its interval.
struct TornadoBar {
    NodeId Node = kNone;
    double WeightLow = 0.0;
    double WeightHigh = 0.0;
    double LowMin = 0.0;
    double LowMax = 0.0;
    double HighMin = 0.0;
    double HighMax = 0.0;
    // How far the comparison moves between the two ends: the larger of the moves of its
    // minimum and of its maximum. The bars are sorted by it, largest first.
    double Swing() const;
};

struct WhatIfResult {
    int Better = 0; // rows of A and B
    int Than = 0;
    bool DominatesNow = false;
    double MarginNow = 0.0; // the minimum of V(A) - V(B) today
    std::vector<WhatIfChange> Changes;
    std::vector<TornadoBar> Tornado;
};

enum class AnalysisStatus : std::uint8_t { Completed, Infeasible, Cancelled, Failed };

struct WhatIfOutcome {
    AnalysisStatus Status = AnalysisStatus::Completed;
    std::string Message;
    WhatIfResult Result;
};

// The bounds that a change may move, given or not: in the weight mode in force each node's
// lower and upper bound against its reference (the reference attribute bottom-up, the reference
// sibling top-down; every other node when there is none yet), and both bounds of every ratio
// statement.
std::vector<StatementBound> CandidateBounds(const Model& model);

// Analyses rows better (A) and than (B), 1..M and different. Progress and cancel go through
// host (null: neither); decimalSeparator is used in the texts.
WhatIfOutcome AnalyzePair(const Model& model, int better, int than, CalcHost* host,
                          char decimalSeparator = '.');

// "If the weight of Comfort were below 100 % of the weight of Speed (now not stated), Arrow
// would dominate Bison."
std::string DescribeChange(const Model& model, const WhatIfChange& change, int better, int than,
                           char decimalSeparator = '.');

// Stores the change's proposed value in the model (the edit "Add This Statement" makes).
void ApplyChange(Model& model, const WhatIfChange& change);

// A stop check for the solver over a host: lets the host process its events at most every 20 ms
// and answers whether Cancel was asked for. Null host: never stops.
std::function<bool()> HostStopCheck(CalcHost* host);

} // namespace velor
