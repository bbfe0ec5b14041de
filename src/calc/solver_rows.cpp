#include "calc/solver_rows.h"

#include "lp/lpx.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace velor {

namespace {

// Bound of a logical variable that the solver treats as infinite.
constexpr float kInfiniteBound = 1e31F;

} // namespace

void SolverRows::AddRow(int row, const ParsedConstraint& parsed) {
    for (const ParsedTerm& term : parsed.Terms) {
        auto [it, inserted] = columns_.try_emplace(term.Name, 0);
        if (inserted) {
            Names.push_back(term.Name);
            it->second = static_cast<int>(Names.size());
            lastRow_.push_back(-1);
            lastElement_.push_back(0);
        }
        const auto index = static_cast<std::size_t>(it->second - 1);
        if (lastRow_[index] == row) {
            Elements[lastElement_[index]].Value += term.Coefficient;
        } else {
            lastRow_[index] = row;
            lastElement_[index] = Elements.size();
            Elements.push_back({row, it->second, term.Coefficient});
        }
    }
}

int SolverRows::ColumnOf(const std::string& name) const {
    const auto it = columns_.find(name);
    return it == columns_.end() ? 0 : it->second;
}

SolverRows ParseProgram(const TConstraintModel& model) {
    SolverRows rows;
    rows.AddRow(0, ParseConstraint(model.Objective));
    const int m = model.ConstraintCount();
    rows.Relations.reserve(static_cast<std::size_t>(m));
    rows.RightSides.reserve(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const ParsedConstraint parsed = ParseConstraint(model.Constraint(i));
        if (!parsed.HasRightSide) {
            // A row without a right-hand side would leave the row's kind undefined.
            throw std::invalid_argument("constraint '" + model.Constraint(i) +
                                        "' has no relation and right-hand side");
        }
        rows.AddRow(i + 1, parsed);
        rows.Relations.push_back(parsed.Relation);
        rows.RightSides.push_back(parsed.RightSide);
    }
    return rows;
}

bool FitsSinglePrecision(double value) {
    return std::fabs(value) <= std::numeric_limits<float>::max();
}

bool FitsSinglePrecision(const SolverRows& rows, std::string& error) {
    for (const auto& element : rows.Elements) {
        if (!FitsSinglePrecision(element.Value)) {
            error = "coefficient of " + rows.Names[static_cast<std::size_t>(element.Column - 1)] +
                    " is too large for the solver";
            return false;
        }
    }
    for (const double value : rows.RightSides) {
        if (!FitsSinglePrecision(value)) {
            error = "right-hand side is too large for the solver";
            return false;
        }
    }
    return true;
}

LpModel* NewSolverProblem(const SolverRows& rows, bool maximize) {
    const int m = rows.RowCount();
    LpModel* lp = LP_NEW(rows.ColumnCount(), m);
    try {
        for (int i = 1; i <= m; ++i) {
            LP_PUTELEM(static_cast<float>(rows.RightSides[static_cast<std::size_t>(i - 1)]), 0, i,
                       lp);
        }
        for (const auto& element : rows.Elements) {
            // The solver minimizes: a maximized objective is loaded negated.
            const double value = element.Row == 0 && maximize ? -element.Value : element.Value;
            LP_PUTELEM(static_cast<float>(value), element.Column, element.Row, lp);
        }
        for (int i = 1; i <= m; ++i) {
            switch (rows.Relations[static_cast<std::size_t>(i - 1)]) {
            case kRelationLessEqual:
                LP_PUTLBOUND(0.0F, -i, lp);
                LP_PUTUBOUND(kInfiniteBound, -i, lp);
                break;
            case kRelationGreaterEqual:
                LP_PUTLBOUND(-kInfiniteBound, -i, lp);
                LP_PUTUBOUND(0.0F, -i, lp);
                break;
            default:
                LP_PUTLBOUND(0.0F, -i, lp);
                LP_PUTUBOUND(0.0F, -i, lp);
                break;
            }
        }
    } catch (...) {
        try {
            LP_DELETE(&lp);
        } catch (...) {
            // nothing more can be done for a problem that cannot be freed
        }
        throw;
    }
    return lp;
}

} // namespace velor
