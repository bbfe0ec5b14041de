#include "calc/polytope_program.h"

#include "calc/feasible_polytope.h"
#include "calc/solve_policy.h"

#include <exception>
#include <new>
#include <utility>

namespace velor {

void PolytopeProgram::AddRow(std::vector<ParsedTerm> terms, double rightSide) {
    ParsedConstraint parsed;
    parsed.Terms = std::move(terms);
    rows_.AddRow(rows_.RowCount() + 1, parsed);
    rows_.Relations.push_back(kRelationLessEqual);
    rows_.RightSides.push_back(rightSide);
}

bool PolytopeProgram::Solve(const std::function<bool()>& stopRequested) {
    SolveStatus status = SolveStatus::NotRun;
    try {
        std::vector<std::pair<int, double>> costs;
        for (const std::string& name : objective_) {
            costs.emplace_back(rows_.ColumnOf(name), -1.0);
        }
        status = SolvePolytopeProgram(rows_, costs, point_, CancelToken(stopRequested));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        throw PolytopeError(PolytopeError::Kind::Solver, error.what());
    } catch (...) {
        throw PolytopeError(PolytopeError::Kind::Solver, "the linear program failed");
    }
    if (status == SolveStatus::Cancelled || (stopRequested && stopRequested())) {
        throw PolytopeError(PolytopeError::Kind::Stopped, "stopped");
    }
    if (status == SolveStatus::Infeasible) {
        // The programs keep every row of the set.
        throw PolytopeError(PolytopeError::Kind::Infeasible, "the statements contradict each other");
    }
    if (status == SolveStatus::Unbounded) {
        throw PolytopeError(PolytopeError::Kind::Unbounded,
                            "the statements leave some value without an upper limit");
    }
    return status == SolveStatus::Optimal;
}

double PolytopeProgram::ValueOf(const std::string& name) const {
    const int column = rows_.ColumnOf(name);
    return column > 0 && static_cast<std::size_t>(column) < point_.size()
               ? point_[static_cast<std::size_t>(column)]
               : 0.0;
}

} // namespace velor
