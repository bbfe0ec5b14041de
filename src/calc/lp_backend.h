// The one seam between the calculation and its linear-program solvers. A backend holds one
// problem (rows in the numbering of SolverRows: rows 1..m, columns 1..n, every column
// non-negative), takes costs, and minimizes from its current basis. Two backends exist: our own
// simplex (the reference path and the fallback of every program) and the CLP library's (whole
// constraint sets of the default path, the feasible polytope). Each owns its problem; a backend
// that cannot be created throws (LpFatalError of our own solver, std::bad_alloc), as does a run
// that fails fatally.
//
// Which backend solves what, in which order, is decided by the policies (solve_policy.h).
#pragma once

#include "calc/solve_status.h"

#include <iosfwd>
#include <memory>
#include <utility>
#include <vector>

namespace velor {

struct SolverRows;

// Iterations our own simplex allows one run unless told otherwise.
inline constexpr int kDefaultIterationBudget = 12093;

// What one run may do. The library solver reads only Budget; it always runs its primal simplex
// and reports Optimal only at an exact optimum.
struct RunOptions {
    int Budget = kDefaultIterationBudget; // iterations of each simplex run
    // Our own simplex: a run from the slack basis starts with the dual simplex, for at most
    // DualBudget iterations (Budget when 0); the primal simplex finishes from where it stops.
    bool DualFirst = false;
    int DualBudget = 0;
    // Our own simplex: an optimum or infeasibility the dual simplex proves ends the run.
    bool DualVerdictStands = false;
    // Our own simplex: Optimal only at an exact optimum (every basic value within its bounds and
    // no improving rate, both to 1e-9). A basis optimal only to the simplex's own tolerances
    // (1e-5) is polished under tight ones and counts when its optimum moved at most
    // MoveTolerance relative to 1 + its magnitude; otherwise the run ends NumericalTrouble and
    // the problem is put back on the slack basis. Without RequireExact, the simplex's verdict
    // stands as it is.
    bool RequireExact = true;
    double MoveTolerance = 1e-10;
};

class LpBackend {
public:
    virtual ~LpBackend() = default;

    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    // The objective to minimize: a cost per column named, 0 for every other; the basis is kept.
    virtual void SetCosts(const std::vector<std::pair<int, double>>& costs) = 0;
    // Runs from the current basis (the slack basis at first and after Restart).
    virtual SolveStatus Minimize(const RunOptions& options, const CancelToken& cancel) = 0;
    // Puts the problem back on the slack basis.
    virtual void Restart() = 0;
    // After a run: the objective as minimized, the point (columns 1..n, index 0 unused) and the
    // prices of the rows (rows 1..m, index 0 unused; our own simplex gives them at an optimum).
    virtual double Objective() const = 0;
    virtual std::vector<double> Point() const = 0;
    virtual std::vector<double> RowPrices() const = 0;
    // Simplex iterations of the last run.
    virtual int Iterations() const = 0;
};

enum class BackendKind { OwnSimplex, Library };

// A backend holding rows; row 0's elements, if any, are the starting costs. Our own simplex
// takes every number in single precision (see FitsSinglePrecision), the library in double.
std::unique_ptr<LpBackend> MakeBackend(BackendKind kind, const SolverRows& rows);

// Our own simplex holds a limited number of problems at a time: how many more it can take now.
int OwnSimplexRoom();
// Simplex iterations of both backends in this process, for benchmarks.
long long SolverIterationTotal();
// Where our own simplex writes its diagnostics ("?" errors, "%" warnings); nullptr silences it.
void SetSolverConsole(std::ostream* console);

} // namespace velor
