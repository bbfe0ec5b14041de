// Which backend solves what, in which order: one policy per use of the linear programs, each
// with its cascade in one place (solve_policy.cpp and, for the default path, warm_start_solver).
//
//   default path   WarmStartSolver: per constraint set, the split per attribute, optima known
//                  from earlier programs, minima proven 0, the library solver, our own simplex
//                  warm, from the slack basis, a recovery run, and last the reference path
//   reference path every program as text, parsed, solved from scratch by our own simplex
//   feasibility    CheckFeasibility: the default path's solver on one program
//   conflicts      SolveFeasibility: the library solver for systems of 200 rows or more, then
//                  our own simplex, dual simplex first
//   polytope and   SolvePolytopeProgram: the library solver, one program from scratch
//   sampling
//
// A third calculation policy implements SolvePolicy and is chosen where CalcSession chooses
// between the two above.
#pragma once

#include "calc/constraint_generator.h"
#include "calc/constraint_model.h"
#include "calc/solve_status.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace velor {

class Model;
struct SolverRows;

// Solves one linear program given as text; SolveModel unless a test or tool substitutes its own.
using SolveFunction = std::function<TSolution(const TConstraintModel&)>;

class SolvePolicy {
public:
    virtual ~SolvePolicy() = default;
    // Solves one program of the calculation. Status says how it ended; Error is set when the
    // solver failed fatally. May throw for a failure to run at all.
    virtual TSolution Solve(const ProgramParts& parts, const CancelToken& cancel) = 0;
};

// Calls solve, turning an exception (a fatal solver error, std::bad_alloc, ...) into a failed
// solution whose Error names it; a solution with Error set is never Optimal.
TSolution Guarded(const std::function<TSolution()>& solve);
// The same for a program given as text, solved by solve, or by SolveModel with cancel.
TSolution SolveGuarded(const SolveFunction& solve, const TConstraintModel& program,
                       const CancelToken& cancel = {});

// The reference path: every program assembled as text and solved from scratch, by solve when
// given (which then gets the whole text of every program), else by SolveModel.
std::unique_ptr<SolvePolicy> MakeReferencePolicy(const Model& model, SolveFunction solve = {});
// The default path (WarmStartSolver). The model must not change while the policy is in use.
std::unique_ptr<SolvePolicy> MakeDefaultPolicy(const Model& model);

// Whether rows admit a point (row 0, when it has elements, is an objective to minimize, as in
// the elastic programs of the conflict search): Optimal when they do, Infeasible when they do
// not; prices, when given, receive the prices of the rows (from index 1) at the optimum. Any
// other status means the solvers could not tell. Throws the solver's fatal errors.
SolveStatus SolveFeasibility(const SolverRows& rows, std::vector<double>* prices,
                             const CancelToken& cancel = {});

// Minimizes costs over rows from scratch with the library solver, for programs as large as a
// model's whole constraint set whose optima sit on highly degenerate vertices. point receives
// the point the run ended at (columns 1..n), whatever its status.
SolveStatus SolvePolytopeProgram(const SolverRows& rows,
                                 const std::vector<std::pair<int, double>>& costs,
                                 std::vector<double>& point, const CancelToken& cancel);

} // namespace velor
