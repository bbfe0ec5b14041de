// The one place where the what-if and stability analyses solve linear programs: the typed rows
// of one model variant, and the minimum of an objective over them. Rows can be changed, dropped
// and added between solves; the library problem is built from the rows when the first objective
// after a change is minimized, and every further objective over the same rows starts from the
// basis the previous one ended at (warm start). The library problem cannot change a coefficient
// in place, so a changed row costs one rebuild per variant, not one per objective.
#pragma once

#include "calc/constraint_model.h"
#include "calc/solve_status.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace velor {

class LpBackend;
struct SolverRows;

class VariantSolver {
public:
    // stop is polled inside every run; a true answer ends it with Cancelled.
    VariantSolver(std::vector<UnknownRow> rows, std::function<bool()> stop);
    ~VariantSolver();
    VariantSolver(const VariantSolver&) = delete;
    VariantSolver& operator=(const VariantSolver&) = delete;

    std::size_t RowCount() const { return rows_.size(); }
    const UnknownRow& Row(std::size_t index) const { return rows_[index]; }
    // Replaces a row; active false leaves it out of the program until it is set again.
    void SetRow(std::size_t index, UnknownRow row, bool active = true);
    // Appends a row; returns its index.
    std::size_t AddRow(UnknownRow row);
    // Leaves out every row from index on (rows added for one question).
    void TruncateRows(std::size_t count);

    // Minimum of objective over the active rows, every unknown non-negative. An unknown no
    // active row names takes 0 (its own minimum; a negative coefficient on it is unbounded,
    // reported as Unbounded). With point, the values of the unknowns asked for at the optimum.
    SolveStatus Minimize(const UnknownTerms& objective, double& minimum,
                     const std::vector<Unknown>* unknowns = nullptr,
                     std::vector<double>* point = nullptr);

    // Linear programs solved so far, for benchmarks and tests.
    long long SolveCount() const { return solves_; }

private:
    void Build();

    std::vector<UnknownRow> rows_;
    std::vector<char> active_;
    CancelToken stop_;
    std::unique_ptr<SolverRows> solverRows_;
    std::unique_ptr<LpBackend> problem_; // the library solver

    long long solves_ = 0;
};

} // namespace velor
