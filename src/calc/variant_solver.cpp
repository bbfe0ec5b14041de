#include "calc/variant_solver.h"

#include "calc/lp_backend.h"
#include "calc/solver_rows.h"

#include <cassert>
#include <new>
#include <utility>

namespace velor {

namespace {

// Far more iterations than these programs take; the stop token ends a run sooner.
constexpr int kIterationBudget = 10000000;

} // namespace

VariantSolver::VariantSolver(std::vector<UnknownRow> rows, std::function<bool()> stop)
    : rows_(std::move(rows)), active_(rows_.size(), 1), stop_(std::move(stop)) {}

VariantSolver::~VariantSolver() = default;

void VariantSolver::SetRow(std::size_t index, UnknownRow row, bool active) {
    assert(index < rows_.size());
    rows_[index] = std::move(row);
    active_[index] = active ? 1 : 0;
    problem_.reset();
}

std::size_t VariantSolver::AddRow(UnknownRow row) {
    rows_.push_back(std::move(row));
    active_.push_back(1);
    problem_.reset();
    return rows_.size() - 1;
}

void VariantSolver::TruncateRows(std::size_t count) {
    if (count < rows_.size()) {
        rows_.resize(count);
        active_.resize(count);
        problem_.reset();
    }
}

void VariantSolver::Build() {
    auto rows = std::make_unique<SolverRows>();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (active_[i] == 0) {
            continue;
        }
        UnknownRow row = rows_[i];
        std::erase_if(row.Terms, [](const UnknownTerm& term) { return term.Coefficient == 0.0; });
        rows->AddConstraint(row);
    }
    problem_ = MakeBackend(BackendKind::Library, *rows);
    solverRows_ = std::move(rows);
}

SolveStatus VariantSolver::Minimize(const UnknownTerms& objective, double& minimum,
                                               const std::vector<Unknown>* unknowns,
                                               std::vector<double>* point) {
    if (stop_.Requested()) {
        return SolveStatus::Cancelled;
    }
    try {
        if (!problem_) {
            Build();
        }
        std::vector<std::pair<int, double>> costs;
        for (const UnknownTerm& term : objective) {
            const int column = solverRows_->ColumnOf(term.Var);
            if (column == 0) {
                if (term.Coefficient < 0.0) {
                    return SolveStatus::Unbounded; // an unknown no row bounds grows without limit
                }
                continue;
            }
            costs.emplace_back(column, term.Coefficient);
        }
        ++solves_;
        problem_->SetCosts(costs);
        RunOptions run;
        run.Budget = kIterationBudget;
        SolveStatus status = problem_->Minimize(run, stop_);
        if (status == SolveStatus::NumericalTrouble || status == SolveStatus::IterationLimit) {
            // Not proven optimal from the warm basis: once more from the slack basis.
            problem_->Restart();
            status = problem_->Minimize(run, stop_);
        }
        if (status != SolveStatus::Optimal) {
            return status;
        }
        minimum = problem_->Objective();
        if (unknowns != nullptr && point != nullptr) {
            const std::vector<double> values = problem_->Point();
            point->clear();
            for (const Unknown& unknown : *unknowns) {
                const int column = solverRows_->ColumnOf(unknown);
                point->push_back(column > 0 && static_cast<std::size_t>(column) < values.size()
                                     ? values[static_cast<std::size_t>(column)]
                                     : 0.0);
            }
        }
        return SolveStatus::Optimal;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        problem_.reset();
        return SolveStatus::NumericalTrouble;
    }
}

} // namespace velor
