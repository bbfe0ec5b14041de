// Solving a RandomLp with our solver and with GLPK's primal simplex, for comparison.
#ifndef VELOR_TESTS_LP_REFERENCE_SOLVERS_H
#define VELOR_TESTS_LP_REFERENCE_SOLVERS_H

#include "random_lp.h"

#include <vector>

namespace lptest {

enum class Outcome { Optimal, Infeasible, Unbounded, Other };
const char* outcomeName(Outcome o);

struct Result {
    Outcome outcome = Outcome::Other;
    int rawStatus = -1;
    double objective = 0.0; // c0 + sum c_j x_j
    std::vector<double> x;  // 1..n (ours only)
    int iterations = 0;
    bool boundsAsGiven = true; // every bound after solving as it was before (ours only)
};

struct SolveOptions {
    bool dualFirst = false; // LP_DUALBUDGET from the slack basis before LP_PRIMAL
};

Result solveOurs(const RandomLp& lp, const SolveOptions& options = {});
Result solveGlpk(const RandomLp& lp);

// Largest violation of a row or column bound by x, over the problem's data.
double maxViolation(const RandomLp& lp, const std::vector<double>& x);
// c0 + sum c_j x_j.
double objectiveAt(const RandomLp& lp, const std::vector<double>& x);

} // namespace lptest

#endif
