// Pairwise dominance, maximum regret and the four decision rules. Dominance and regret are phases
// of a calculation run; UpdateRecommendations only reads stored results.
#pragma once

#include "calc/calc_session.h"
#include "model/model.h"

namespace velor {

// Solves min V(main, r) - V(main, s) for every ordered pair of alternatives (one step per pair,
// the pair of an alternative with itself included) and stores codes and margins. Returns false
// when the user cancelled, answered No after a failed program, or the solver failed fatally.
bool CalculateDominance(CalcSession& session, int& progress, int total);

// MaxRegret of every alternative from the stored margins; one step. False when cancelled.
bool CalculateMaxRegret(CalcSession& session, int& progress, int total);

// Keys of a decision rule closer than this to the best key tie with it: the solvers' optima of
// equal values may differ in their last digits.
inline constexpr double kRuleTieTolerance = 1e-9;

// Which results the decision rules may read: the main-goal value intervals (Maximax, Maximin,
// Central Values) and the maximum regrets (Minimax Regret). A rule whose input is not usable
// recommends nothing.
struct RuleInputs {
    bool Values = true;
    bool Regrets = true;
};

// Recomputes the four recommendation flags of every alternative from the stored main-goal value
// intervals and regrets. Every alternative whose key lies within kRuleTieTolerance of the best
// key is recommended.
void UpdateRecommendations(Model& model, RuleInputs inputs);
// The same with the inputs the model holds calculated.
void UpdateRecommendations(Model& model);

} // namespace velor
