// Bounded-variable revised primal simplex with a composite phase-one objective.
#ifndef VELOR_LP_SIMPLEX_H
#define VELOR_LP_SIMPLEX_H

#include "lp/lpx.h"

struct LpModel;

namespace lp {

// Runs the simplex from the model's current basis until optimal, infeasible, unbounded or the
// iteration limit, and returns the status: LP_FEASIBLE (also at the limit or when interrupted),
// LP_INFEASIBLE, LP_UNBOUNDED or LP_OPTIMAL.
LpStatus primalSimplex(LpModel& lp);

} // namespace lp

#endif
