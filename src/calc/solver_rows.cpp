#include "calc/solver_rows.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace velor {

int SolverRows::ColumnFor(const std::string& name) {
    auto [it, inserted] = columns_.try_emplace(name, 0);
    if (inserted) {
        Names.push_back(name);
        it->second = static_cast<int>(Names.size());
        lastRow_.push_back(-1);
        lastElement_.push_back(0);
    }
    return it->second;
}

void SolverRows::AddElement(int row, int column, double value) {
    const auto index = static_cast<std::size_t>(column - 1);
    if (lastRow_[index] == row) {
        Elements[lastElement_[index]].Value += value;
    } else {
        lastRow_[index] = row;
        lastElement_[index] = Elements.size();
        Elements.push_back({row, column, value});
    }
}

void SolverRows::AddRow(int row, const ParsedConstraint& parsed) {
    for (const ParsedTerm& term : parsed.Terms) {
        AddElement(row, ColumnFor(term.Name), term.Coefficient);
    }
}

void SolverRows::AddRow(int row, const UnknownTerms& terms) {
    for (const UnknownTerm& term : terms) {
        if (!std::isfinite(term.Coefficient)) {
            throw std::invalid_argument("the coefficient of " + UnknownName(term.Var) +
                                        " is not a valid number");
        }
        int column = ColumnOf(term.Var);
        if (column == 0) {
            column = ColumnFor(UnknownName(term.Var));
            if (term.Var.Column >= 0 && term.Var.Row >= 0) {
                const auto j = static_cast<std::size_t>(term.Var.Column);
                const auto r = static_cast<std::size_t>(term.Var.Row);
                if (unknownColumns_.size() <= j) {
                    unknownColumns_.resize(j + 1);
                }
                if (unknownColumns_[j].size() <= r) {
                    unknownColumns_[j].resize(r + 1, 0);
                }
                unknownColumns_[j][r] = column;
            }
        }
        AddElement(row, column, term.Coefficient);
    }
}

int SolverRows::ColumnOf(const std::string& name) const {
    const auto it = columns_.find(name);
    return it == columns_.end() ? 0 : it->second;
}

int SolverRows::ColumnOf(Unknown unknown) const {
    if (unknown.Column < 0 || unknown.Row < 0 ||
        static_cast<std::size_t>(unknown.Column) >= unknownColumns_.size()) {
        return 0;
    }
    const std::vector<int>& rows = unknownColumns_[static_cast<std::size_t>(unknown.Column)];
    return static_cast<std::size_t>(unknown.Row) < rows.size()
               ? rows[static_cast<std::size_t>(unknown.Row)]
               : 0;
}

void SolverRows::AddConstraint(const UnknownRow& constraint) {
    AddRow(RowCount() + 1, constraint.Terms);
    Relations.push_back(constraint.Relation);
    RightSides.push_back(constraint.RightSide);
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

bool HoldsAtZero(const SolverRows& rows, int row) {
    const double rightSide = rows.RightSides[static_cast<std::size_t>(row - 1)];
    switch (rows.Relations[static_cast<std::size_t>(row - 1)]) {
    case kRelationLessEqual:
        return 0.0 <= rightSide;
    case kRelationGreaterEqual:
        return 0.0 >= rightSide;
    default:
        return rightSide == 0.0;
    }
}

void AddTerms(const ColumnTerms& terms, double coefficient, std::vector<double>& sum,
              std::vector<int>& touched) {
    for (const auto& [column, factor] : terms) {
        double& value = sum[static_cast<std::size_t>(column)];
        if (value == 0.0) {
            touched.push_back(column);
        }
        value += coefficient * factor;
    }
}

void TakeSum(std::vector<double>& sum, const std::vector<int>& touched, ColumnTerms& out) {
    for (const int column : touched) {
        double& value = sum[static_cast<std::size_t>(column)];
        if (value != 0.0) {
            out.emplace_back(column, value);
        }
        value = 0.0; // a column touched twice is taken once
    }
}

bool RewriteRows(const SolverRows& rows, const std::vector<ColumnTerms>& value,
                 const std::vector<bool>& dropped, SolverRows& target) {
    std::vector<double> sum(static_cast<std::size_t>(target.ColumnCount()) + 1, 0.0);
    std::vector<int> touched;
    ColumnTerms terms;
    std::vector<bool> named(static_cast<std::size_t>(rows.RowCount()) + 1, false);
    const auto& e = rows.Elements;
    for (std::size_t k = 0; k < e.size();) {
        const int row = e[k].Row;
        named[static_cast<std::size_t>(row)] = true;
        touched.clear();
        for (; k < e.size() && e[k].Row == row; ++k) {
            AddTerms(value[static_cast<std::size_t>(e[k].Column)], e[k].Value, sum, touched);
        }
        terms.clear();
        TakeSum(sum, touched, terms);
        if (row == 0 || dropped[static_cast<std::size_t>(row)]) {
            continue; // the objective is set per program
        }
        if (terms.empty()) {
            if (!HoldsAtZero(rows, row)) {
                return false;
            }
            continue;
        }
        const int index = target.RowCount() + 1;
        for (const auto& [column, coefficient] : terms) {
            target.Elements.push_back({index, column, coefficient});
        }
        target.Relations.push_back(rows.Relations[static_cast<std::size_t>(row - 1)]);
        target.RightSides.push_back(rows.RightSides[static_cast<std::size_t>(row - 1)]);
    }
    for (int i = 1; i <= rows.RowCount(); ++i) {
        if (!named[static_cast<std::size_t>(i)] && !HoldsAtZero(rows, i)) {
            return false;
        }
    }
    return true;
}

std::vector<int> TiedColumns(const SolverRows& rows) {
    const int n = rows.ColumnCount();
    std::vector<int> representative(static_cast<std::size_t>(n) + 1);
    std::iota(representative.begin(), representative.end(), 0);
    auto find = [&representative](int j) {
        while (representative[static_cast<std::size_t>(j)] != j) {
            j = representative[static_cast<std::size_t>(j)];
        }
        return j;
    };
    const auto& e = rows.Elements;
    std::size_t k = 0;
    while (k < e.size()) {
        std::size_t end = k + 1;
        while (end < e.size() && e[end].Row == e[k].Row) {
            ++end;
        }
        const int row = e[k].Row;
        if (row > 0 && end - k == 2 &&
            rows.Relations[static_cast<std::size_t>(row - 1)] == kRelationEqual &&
            rows.RightSides[static_cast<std::size_t>(row - 1)] == 0.0 &&
            e[k].Value == -e[k + 1].Value && e[k].Value != 0.0) {
            const int a = find(e[k].Column);
            const int b = find(e[k + 1].Column);
            representative[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
        }
        k = end;
    }
    for (int j = 1; j <= n; ++j) {
        representative[static_cast<std::size_t>(j)] = find(j);
    }
    return representative;
}

std::optional<MergedColumns> MergeTiedColumns(const SolverRows& rows,
                                              const std::vector<int>& representative) {
    MergedColumns merged;
    const int n = rows.ColumnCount();
    merged.column.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int j = 1; j <= n; ++j) {
        const auto first = static_cast<std::size_t>(representative[static_cast<std::size_t>(j)]);
        if (merged.column[first] == 0) {
            merged.rows.Names.push_back(rows.Names[first - 1]);
            merged.column[first] = static_cast<int>(merged.rows.Names.size());
        }
        merged.column[static_cast<std::size_t>(j)] = merged.column[first];
    }
    std::vector<ColumnTerms> value(static_cast<std::size_t>(n) + 1);
    for (int j = 1; j <= n; ++j) {
        value[static_cast<std::size_t>(j)] = {{merged.column[static_cast<std::size_t>(j)], 1.0}};
    }
    if (!RewriteRows(rows, value, std::vector<bool>(static_cast<std::size_t>(rows.RowCount()) + 1),
                     merged.rows)) {
        return std::nullopt;
    }
    return merged;
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

namespace {

// The smallest power of ten (up to 1e6) that makes every value a whole number exact in single
// precision, or 0 when none does. A value counts as whole within 1e-9 of one, relative: the
// product of a decimal's nearest double and its power of ten lies a few units of the last place
// away.
double DecimalScale(const std::vector<double>& values) {
    constexpr double kExactInFloat = 16777216.0; // 2^24
    double scale = 1.0;
    for (int places = 0; places <= 6; ++places, scale *= 10.0) {
        const bool whole = std::all_of(values.begin(), values.end(), [scale](double value) {
            const double scaled = value * scale;
            return std::fabs(scaled) <= kExactInFloat &&
                   std::fabs(scaled - std::nearbyint(scaled)) <=
                       1e-9 * std::max(1.0, std::fabs(scaled));
        });
        if (whole) {
            return scale;
        }
    }
    return 0.0;
}

} // namespace

SolverRows ExactInSinglePrecision(const SolverRows& rows) {
    SolverRows exact = rows;
    std::vector<double> values;
    std::size_t k = 0;
    while (k < exact.Elements.size()) {
        const int row = exact.Elements[k].Row;
        std::size_t end = k;
        values.clear();
        for (; end < exact.Elements.size() && exact.Elements[end].Row == row; ++end) {
            values.push_back(exact.Elements[end].Value);
        }
        if (row > 0) {
            double& rightSide = exact.RightSides[static_cast<std::size_t>(row - 1)];
            values.push_back(rightSide);
            const double scale = DecimalScale(values);
            if (scale > 1.0) {
                for (std::size_t e = k; e < end; ++e) {
                    exact.Elements[e].Value = std::nearbyint(exact.Elements[e].Value * scale);
                }
                rightSide = std::nearbyint(rightSide * scale);
            }
        }
        k = end;
    }
    return exact;
}

} // namespace velor
