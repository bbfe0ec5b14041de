// Bounded-variable revised primal simplex with a composite phase-one objective.
#ifndef VELOR_LP_SIMPLEX_H
#define VELOR_LP_SIMPLEX_H

struct LpModel;

namespace lp {

// Runs the simplex from the model's current basis until optimal, infeasible, unbounded or the
// iteration limit, and returns the status code (0 feasible/limit, 1, 2 or 3).
int primalSimplex(LpModel& lp);

} // namespace lp

#endif
