#include "calc/lp_backend.h"

namespace velor {

// Defined by the two backends.
std::unique_ptr<LpBackend> MakeOwnSimplexBackend(const SolverRows& rows);
std::unique_ptr<LpBackend> MakeClpBackend(const SolverRows& rows);
long long OwnSimplexIterations();
long long ClpIterations();

std::unique_ptr<LpBackend> MakeBackend(BackendKind kind, const SolverRows& rows) {
    return kind == BackendKind::Library ? MakeClpBackend(rows) : MakeOwnSimplexBackend(rows);
}

long long SolverIterationTotal() {
    return OwnSimplexIterations() + ClpIterations();
}

const char* SolveStatusText(SolveStatus status) {
    switch (status) {
    case SolveStatus::NotRun:
        return "not run";
    case SolveStatus::Optimal:
        return "optimal";
    case SolveStatus::Infeasible:
        return "infeasible";
    case SolveStatus::Unbounded:
        return "unbounded";
    case SolveStatus::IterationLimit:
        return "iteration limit";
    case SolveStatus::Cancelled:
        return "cancelled";
    case SolveStatus::NumericalTrouble:
        return "numerical trouble";
    }
    return "unknown";
}

} // namespace velor
