#include "calc/solve_policy.h"

#include "calc/lp_backend.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "calc/warm_start_solver.h"

#include <algorithm>
#include <exception>
#include <new>

namespace velor {

TSolution Guarded(const std::function<TSolution()>& solve) {
    TSolution solution;
    try {
        solution = solve();
    } catch (const std::bad_alloc&) {
        solution = TSolution{};
        solution.Error = "out of memory";
    } catch (const std::exception& error) {
        solution = TSolution{};
        solution.Error = error.what();
        if (solution.Error.empty()) {
            solution.Error = "unknown solver error";
        }
    }
    // A solution with an error is never taken for a result.
    if (!solution.Error.empty() &&
        (solution.Optimal() || solution.Status == SolveStatus::NotRun)) {
        solution.Status = SolveStatus::NumericalTrouble;
    }
    return solution;
}

TSolution SolveGuarded(const SolveFunction& solve, const TConstraintModel& program,
                       const CancelToken& cancel) {
    return Guarded([&] { return solve ? solve(program) : SolveModel(program, cancel); });
}

namespace {

class ReferencePolicy final : public SolvePolicy {
public:
    ReferencePolicy(const Model& model, SolveFunction solve)
        : model_(model), solve_(std::move(solve)) {}

    TSolution Solve(const ProgramParts& parts, const CancelToken& cancel) override {
        return SolveGuarded(solve_, AssembleProgram(model_, parts), cancel);
    }

private:
    const Model& model_;
    SolveFunction solve_;
};

} // namespace

std::unique_ptr<SolvePolicy> MakeReferencePolicy(const Model& model, SolveFunction solve) {
    return std::make_unique<ReferencePolicy>(model, std::move(solve));
}

std::unique_ptr<SolvePolicy> MakeDefaultPolicy(const Model& model) {
    return std::make_unique<WarmStartSolver>(model);
}

SolveStatus SolveFeasibility(const SolverRows& rows, std::vector<double>* prices,
                             const CancelToken& cancel) {
    // Large systems go to the library solver first: a check of a model's weight rows may hold
    // a thousand statements, where the product-form inverse of our own simplex grows dense.
    // Its verdict counts when it is an optimum or a proof of infeasibility.
    constexpr int kLibraryRows = 200;
    if (rows.RowCount() >= kLibraryRows) {
        const std::unique_ptr<LpBackend> library = MakeBackend(BackendKind::Library, rows);
        RunOptions run;
        run.Budget = 10 * (rows.RowCount() + rows.ColumnCount()) + 1000;
        const SolveStatus status = library->Minimize(run, cancel);
        if (status == SolveStatus::Optimal || status == SolveStatus::Infeasible) {
            if (status == SolveStatus::Optimal && prices != nullptr) {
                *prices = library->RowPrices();
            }
            return status;
        }
        if (status == SolveStatus::Cancelled) {
            return status;
        }
    }
    // Without an objective the slack basis is dual feasible, so the dual simplex settles most
    // checks in a few iterations; the primal simplex finishes what it leaves open.
    const std::unique_ptr<LpBackend> backend = MakeBackend(BackendKind::OwnSimplex, rows);
    backend->Restart();
    RunOptions run;
    run.DualFirst = true;
    run.DualBudget = std::max(1000, 2 * rows.RowCount());
    run.DualVerdictStands = true;
    run.RequireExact = false;
    const SolveStatus status = backend->Minimize(run, cancel);
    if (status == SolveStatus::Optimal && prices != nullptr) {
        *prices = backend->RowPrices();
    }
    return status;
}

SolveStatus SolvePolytopeProgram(const SolverRows& rows,
                                 const std::vector<std::pair<int, double>>& costs,
                                 std::vector<double>& point, const CancelToken& cancel) {
    // Far more iterations than these programs take; the token ends a run sooner.
    constexpr int kPolytopeBudget = 10000000;
    const std::unique_ptr<LpBackend> backend = MakeBackend(BackendKind::Library, rows);
    backend->SetCosts(costs);
    RunOptions run;
    run.Budget = kPolytopeBudget;
    const SolveStatus status = backend->Minimize(run, cancel);
    point = backend->Point();
    return status;
}

} // namespace velor
