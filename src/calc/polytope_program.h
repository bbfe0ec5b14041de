// A linear program of the feasible polytope's analysis over named columns ("y3", "t", "s7"),
// maximized by the CLP library in double precision: the programs there are as large as the
// model's whole constraint set, and their optima sit on highly degenerate vertices, which the
// library's factorization and pricing handle where our own simplex may not finish.
#pragma once

#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"

#include <functional>
#include <string>
#include <vector>

namespace velor {

class PolytopeProgram {
public:
    // Appends the row sum terms <= rightSide.
    void AddRow(std::vector<ParsedTerm> terms, double rightSide);
    // Adds the column, which some row names, to the sum to maximize.
    void Maximize(const std::string& name) { objective_.push_back(name); }
    bool HasObjective() const { return !objective_.empty(); }

    // Solves the program, polling stopRequested inside the simplex. Throws PolytopeError for a
    // stop, a solver error, a program the simplex shows infeasible (no point satisfies the rows)
    // or unbounded. Returns whether the run ended at a proven optimum; a run that ended
    // otherwise (iteration limit, inexact) keeps the point it ended at.
    bool Solve(const std::function<bool()>& stopRequested);

    // The value of a column after Solve; 0 for a name no row holds.
    double ValueOf(const std::string& name) const;

private:
    SolverRows rows_;
    std::vector<std::string> objective_;
    std::vector<double> point_;
};

} // namespace velor
