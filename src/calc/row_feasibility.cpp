#include "calc/row_feasibility.h"

#include "calc/column_sets.h"
#include "calc/solve_policy.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>

namespace velor {

namespace {

constexpr double kPriceTolerance = 1e-9;

// Whether rows admit a point; prices, when given, receive the prices of the rows (from index 1)
// there. Throws std::runtime_error when the solver cannot tell.
bool Solve(const SolverRows& rows, std::vector<double>* prices) {
    const SolveStatus status = SolveFeasibility(rows, prices);
    if (status != SolveStatus::Optimal && status != SolveStatus::Infeasible) {
        throw std::runtime_error("the solver could not decide whether " +
                                 std::to_string(rows.RowCount()) + " rows admit a solution");
    }
    return status == SolveStatus::Optimal;
}

// "1*a-1*b=0" in either order.
bool IsPlainEquality(const std::vector<SolverRows::Element>& elements, int relation,
                     double rightSide) {
    return relation == kRelationEqual && rightSide == 0.0 && elements.size() == 2 &&
           elements[0].Column != elements[1].Column && std::fabs(elements[0].Value) == 1.0 &&
           elements[0].Value == -elements[1].Value;
}

} // namespace

RowFeasibility::RowFeasibility(const SolverRows& rows, const std::vector<int>& kept,
                               std::function<bool()> stopRequested)
    : rows_(static_cast<std::size_t>(rows.RowCount())), stopRequested_(std::move(stopRequested)),
      positionOf_(static_cast<std::size_t>(rows.RowCount()) + 1, 0),
      columnOf_(static_cast<std::size_t>(rows.ColumnCount()) + 1, 0) {
    for (const SolverRows::Element& element : rows.Elements) {
        if (element.Row > 0) {
            rows_[static_cast<std::size_t>(element.Row - 1)].elements.push_back(element);
        }
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].relation = rows.Relations[i];
        rows_[i].rightSide = rows.RightSides[i];
    }
    Simplify(kept);
}

void RowFeasibility::Simplify(const std::vector<int>& kept) {
    std::vector<char> gone(rows_.size(), 0);
    ColumnSets sets(static_cast<int>(columnOf_.size()) - 1);
    for (const int row : kept) {
        const Row& r = rows_[static_cast<std::size_t>(row - 1)];
        if (IsPlainEquality(r.elements, r.relation, r.rightSide)) {
            sets.Join(r.elements[0].Column, r.elements[1].Column);
            gone[static_cast<std::size_t>(row - 1)] = 1;
        }
    }
    // Every row over the joined columns, a column named twice in a row summed.
    std::vector<int> count(columnOf_.size(), 0);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (gone[i]) {
            continue;
        }
        auto& elements = rows_[i].elements;
        for (SolverRows::Element& element : elements) {
            element.Column = sets.Find(element.Column);
        }
        std::stable_sort(elements.begin(), elements.end(),
                         [](const auto& a, const auto& b) { return a.Column < b.Column; });
        std::vector<SolverRows::Element> summed;
        for (const SolverRows::Element& element : elements) {
            if (!summed.empty() && summed.back().Column == element.Column) {
                summed.back().Value += element.Value;
            } else {
                summed.push_back(element);
            }
        }
        std::erase_if(summed, [](const auto& e) { return e.Value == 0.0; });
        elements = std::move(summed);
        for (const SolverRows::Element& element : elements) {
            ++count[static_cast<std::size_t>(element.Column)];
        }
    }
    // Leave out the kept "<= 0" rows that a variable named nowhere else can always satisfy.
    for (bool changed = true; changed;) {
        changed = false;
        for (const int row : kept) {
            const auto at = static_cast<std::size_t>(row - 1);
            const Row& r = rows_[at];
            if (gone[at] || r.relation != kRelationLessEqual || r.rightSide < 0.0) {
                continue;
            }
            bool ownNegative = false;
            bool otherPositive = false;
            for (const SolverRows::Element& element : r.elements) {
                const bool own = count[static_cast<std::size_t>(element.Column)] == 1;
                ownNegative = ownNegative || (own && element.Value < 0.0);
                otherPositive = otherPositive || (!own && element.Value > 0.0);
            }
            if (ownNegative || !otherPositive) {
                gone[at] = 1;
                for (const SolverRows::Element& element : r.elements) {
                    --count[static_cast<std::size_t>(element.Column)];
                }
                changed = true;
            }
        }
    }
    for (const int row : kept) {
        if (gone[static_cast<std::size_t>(row - 1)]) {
            ++absorbed_;
        } else {
            kept_.push_back(row);
        }
    }
    std::sort(kept_.begin(), kept_.end());
}

void RowFeasibility::BeforeCheck() {
    if (stopRequested_ && stopRequested_()) {
        throw StopRequested{};
    }
    ++checks_;
}

void RowFeasibility::Load(const std::vector<int>& candidates) {
    std::vector<int> rows = kept_;
    const std::size_t first = rows.size();
    rows.insert(rows.end(), candidates.begin(), candidates.end());
    std::sort(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.end());
    problem_.Elements.clear();
    problem_.Relations.clear();
    problem_.RightSides.clear();
    for (const int row : rows) {
        const Row& r = rows_[static_cast<std::size_t>(row - 1)];
        const int position = problem_.RowCount() + 1;
        positionOf_[static_cast<std::size_t>(row)] = position;
        for (const SolverRows::Element& element : r.elements) {
            int& column = columnOf_[static_cast<std::size_t>(element.Column)];
            if (column == 0) {
                usedColumns_.push_back(element.Column);
                column = static_cast<int>(usedColumns_.size());
            }
            problem_.Elements.push_back({position, column, element.Value});
        }
        problem_.Relations.push_back(r.relation);
        problem_.RightSides.push_back(r.rightSide);
    }
    problem_.Names.resize(usedColumns_.size());
    for (const int column : usedColumns_) {
        columnOf_[static_cast<std::size_t>(column)] = 0;
    }
    usedColumns_.clear();
}

bool RowFeasibility::Feasible(const std::vector<int>& candidates) {
    BeforeCheck();
    Load(candidates);
    return Solve(problem_, nullptr);
}

std::vector<int> RowFeasibility::ElasticSupport(const std::vector<int>& candidates) {
    BeforeCheck();
    Load(candidates);
    SolverRows elastic = problem_;
    for (const int row : candidates) {
        const int position = positionOf_[static_cast<std::size_t>(row)];
        // Every candidate row is homogeneous: "<= 0" gives way upwards, "= 0" both ways.
        const int relation = elastic.Relations[static_cast<std::size_t>(position - 1)];
        for (const double direction : {-1.0, 1.0}) {
            if (direction > 0 && relation != kRelationEqual) {
                continue;
            }
            elastic.Names.emplace_back();
            const int column = elastic.ColumnCount();
            elastic.Elements.push_back({0, column, 1.0});
            elastic.Elements.push_back({position, column, direction});
        }
    }
    std::vector<int> support;
    std::vector<double> prices;
    if (!Solve(elastic, &prices)) {
        support = candidates;
    } else {
        for (const int row : candidates) {
            const int position = positionOf_[static_cast<std::size_t>(row)];
            if (std::fabs(prices[static_cast<std::size_t>(position)]) > kPriceTolerance) {
                support.push_back(row);
            }
        }
    }
    std::sort(support.begin(), support.end());
    return support;
}

} // namespace velor
