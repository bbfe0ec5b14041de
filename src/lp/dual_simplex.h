// Bounded-variable revised dual simplex, for a basis whose reduced costs are already optimal.
#ifndef VELOR_LP_DUAL_SIMPLEX_H
#define VELOR_LP_DUAL_SIMPLEX_H

#include "lp/lpx.h"

struct LpModel;

namespace lp {

// Runs the dual simplex from the model's current basis for at most budget iterations and
// returns LP_OPTIMAL when the basis is optimal (primal and dual feasible), LP_INFEASIBLE when a
// row proves the problem infeasible, and LP_FEASIBLE otherwise: the budget is spent, or the
// basis was not dual feasible to begin with (then nothing was changed).
LpStatus dualSimplex(LpModel& lp, int budget);

} // namespace lp

#endif
