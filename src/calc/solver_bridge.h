// Solves a TConstraintModel with our own simplex: parses its texts, numbers the variables in
// order of first appearance (objective first, then the constraints), loads a fresh solver
// problem, runs the primal simplex and returns the optimum. Nothing survives from one solve to
// the next. This is the reference path's solve.
#pragma once

#include "calc/constraint_model.h"
#include "calc/solve_status.h"

#include <string>
#include <string_view>
#include <vector>

namespace velor {

// Relation codes of ParsedConstraint: kRelationLessEqual and the others of constraint_model.h.

struct ParsedTerm {
    std::string Name;
    double Coefficient;
};

struct ParsedConstraint {
    std::vector<ParsedTerm> Terms;
    bool HasRightSide = false;
    velor::Relation Relation = kRelationLessEqual;
    double RightSide = 0.0;
};

// Reads one expression ("-1*va3a2+0.5*va3a1") or constraint ("va3a1+va4a2=1"). Terms are split at
// "+" and "-" (a run of signs counts as its last sign; an empty term is skipped), except for the
// sign of an exponent ("1e-05*va2a1"). A term without "*" has coefficient 1. Throws
// std::invalid_argument when a coefficient or right-hand side is not a number.
ParsedConstraint ParseConstraint(std::string_view text);

// Solves a model with direction 0 (min) or 1 (max); other directions return an unsolved
// solution (status NotRun). A fatal solver error, memory exhaustion or a coefficient beyond
// single precision gives status NumericalTrouble with the error text in Error; the solver
// problem is freed in every case. cancel is asked after every iteration. Throws
// std::invalid_argument for a text that does not parse.
TSolution SolveModel(const TConstraintModel& model, const CancelToken& cancel = {});

} // namespace velor
