// One constraint set held by the CLP library (Debian coinor-libclp), which the default path uses
// for sets whose rows do not split per attribute. Its LU factorization with updates and its
// pricing keep the bases of large holistic programs (thousands of rows tied together by one
// ranking) accurate and cheap, where the product-form inverse of our own simplex grows dense.
// Our own solver stays the reference path's and the fallback of every program this one does not
// settle.
//
// Rows and columns are numbered as in SolverRows (rows 1..m, columns 1..n). Coefficients, right
// sides and costs go in as the model states them, in double precision: rounded to single
// precision, as our own solver receives them, a statement such as a ratio of 0.3 would move
// optima by about 1e-8, enough to turn a tie into dominance.
#pragma once

#include "calc/solver_rows.h"

#include <memory>
#include <utility>
#include <vector>

class ClpSimplex;

namespace velor {

class ClpProblem {
public:
    enum class Outcome { Optimal, Infeasible, Unbounded, Stopped, Interrupted };

    explicit ClpProblem(const SolverRows& rows);
    ~ClpProblem();
    ClpProblem(const ClpProblem&) = delete;
    ClpProblem& operator=(const ClpProblem&) = delete;

    // The objective to minimize: a cost per column named, 0 for every other; the basis is kept.
    void SetCosts(const std::vector<std::pair<int, double>>& costs);
    // Runs the primal simplex from the current basis (the slack basis at first, and after
    // Restart) with at most budget iterations. The run polls lp::interruptRequested after every
    // iteration and stops when it says so.
    Outcome Minimize(int budget);
    // Forgets the basis: the next run starts from the slack basis.
    void Restart();

    // The optimum and its point (columns 1..n, index 0 unused) after an Optimal outcome.
    double Objective() const;
    std::vector<double> Point() const;

    int ColumnCount() const { return columns_; }

    // Iterations of every run of every problem so far, for benchmarks.
    static long long TotalIterations();

private:
    class Interrupt;
    // Whether the point and prices the last run ended at are an optimum to 1e-9.
    bool Exact() const;
    std::unique_ptr<ClpSimplex> simplex_;
    std::unique_ptr<Interrupt> interrupt_;
    int columns_ = 0;
    std::vector<int> costColumns_; // columns with a cost now
    bool keepFactorization_ = false;
};

} // namespace velor
