// Bounded-variable revised dual simplex, for a basis whose reduced costs are already optimal.
#ifndef VELOR_LP_DUAL_SIMPLEX_H
#define VELOR_LP_DUAL_SIMPLEX_H

struct LpModel;

namespace lp {

// Runs the dual simplex from the model's current basis for at most budget iterations and
// returns 3 when the basis is optimal (primal and dual feasible), 1 when a row proves the
// problem infeasible, and 0 otherwise: the budget is spent, or the basis was not dual feasible
// to begin with (then nothing was changed).
int dualSimplex(LpModel& lp, int budget);

} // namespace lp

#endif
