#include "calc/chain_steps.h"

#include "calc/solver_bridge.h"

#include <cstddef>
#include <numeric>
#include <string>

namespace velor {

namespace {

// The two columns a row orders, lower first, when it has the form "a * x - a * y <= 0" or
// ">= 0"; nothing otherwise.
std::optional<std::pair<int, int>> Ordered(const SolverRows& rows, std::size_t first) {
    const auto& e = rows.Elements;
    const int row = e[first].Row;
    if (row == 0 || first + 1 >= e.size() || e[first + 1].Row != row ||
        (first + 2 < e.size() && e[first + 2].Row == row)) {
        return std::nullopt;
    }
    const Relation relation = rows.Relations[static_cast<std::size_t>(row - 1)];
    if ((relation != kRelationLessEqual && relation != kRelationGreaterEqual) ||
        rows.RightSides[static_cast<std::size_t>(row - 1)] != 0.0 || e[first].Value == 0.0 ||
        e[first].Value != -e[first + 1].Value) {
        return std::nullopt;
    }
    // a * x - a * y >= 0 with a > 0 puts x above y.
    const bool firstAbove = (relation == kRelationGreaterEqual) == (e[first].Value > 0.0);
    return firstAbove ? std::pair{e[first + 1].Column, e[first].Column}
                      : std::pair{e[first].Column, e[first + 1].Column};
}

} // namespace

std::optional<ChainSteps> WriteInSteps(const SolverRows& rows) {
    const int n = rows.ColumnCount();
    const auto size = static_cast<std::size_t>(n) + 1;
    // Ordering rows join chains end to end: a row is taken when its lower column is the top of
    // one chain and its upper column the bottom of another, so every chain stays a path.
    std::vector<int> above(size, 0);
    std::vector<int> below(size, 0);
    std::vector<int> chain(size);
    std::iota(chain.begin(), chain.end(), 0);
    auto find = [&chain](int j) {
        while (chain[static_cast<std::size_t>(j)] != j) {
            j = chain[static_cast<std::size_t>(j)] =
                chain[static_cast<std::size_t>(chain[static_cast<std::size_t>(j)])];
        }
        return j;
    };
    std::vector<bool> dropped(static_cast<std::size_t>(rows.RowCount()) + 1, false);
    bool ordered = false;
    const auto& e = rows.Elements;
    for (std::size_t k = 0; k < e.size();) {
        const std::optional<std::pair<int, int>> pair = Ordered(rows, k);
        std::size_t end = k + 1;
        while (end < e.size() && e[end].Row == e[k].Row) {
            ++end;
        }
        if (pair) {
            const auto [lower, upper] = *pair;
            const auto l = static_cast<std::size_t>(lower);
            const auto u = static_cast<std::size_t>(upper);
            if (above[l] == 0 && below[u] == 0 && find(lower) != find(upper)) {
                above[l] = upper;
                below[u] = lower;
                chain[static_cast<std::size_t>(find(upper))] = find(lower);
                dropped[static_cast<std::size_t>(e[k].Row)] = true;
                ordered = true;
            }
        }
        k = end;
    }
    if (!ordered) {
        return std::nullopt;
    }

    // Columns of the step rows: per chain from the bottom up one step per column, then the top
    // column; a column that no row orders keeps a column of its own.
    ChainSteps steps;
    steps.value.assign(size, {});
    std::vector<int> tops; // per chain of two columns or more: its top column, then its steps
    std::vector<std::vector<int>> chainSteps;
    for (int j = 1; j <= n; ++j) {
        if (below[static_cast<std::size_t>(j)] != 0) {
            continue;
        }
        if (above[static_cast<std::size_t>(j)] == 0) {
            steps.rows.Names.push_back(rows.Names[static_cast<std::size_t>(j - 1)]);
            steps.value[static_cast<std::size_t>(j)] = {{steps.rows.ColumnCount(), 1.0}};
            continue;
        }
        std::vector<int> path;
        for (int c = j; c != 0; c = above[static_cast<std::size_t>(c)]) {
            steps.rows.Names.push_back("step " + rows.Names[static_cast<std::size_t>(c - 1)]);
            path.push_back(steps.rows.ColumnCount());
            // Below the top, a level is the sum of the steps up to its own.
            if (above[static_cast<std::size_t>(c)] != 0) {
                ChainSteps::Terms& terms = steps.value[static_cast<std::size_t>(c)];
                for (const int step : path) {
                    terms.emplace_back(step, 1.0);
                }
            }
        }
        int top = j;
        while (above[static_cast<std::size_t>(top)] != 0) {
            top = above[static_cast<std::size_t>(top)];
        }
        steps.rows.Names.push_back(rows.Names[static_cast<std::size_t>(top - 1)]);
        steps.value[static_cast<std::size_t>(top)] = {{steps.rows.ColumnCount(), 1.0}};
        tops.push_back(steps.rows.ColumnCount());
        chainSteps.push_back(std::move(path));
    }

    // Every other row with each column written in steps; a row naming two levels of one chain
    // keeps the steps between them, the others cancel. Ordering rows are the steps' bounds.
    if (!RewriteRows(rows, steps.value, dropped, steps.rows)) {
        return std::nullopt;
    }
    // The top of each chain is the sum of its steps.
    for (std::size_t c = 0; c < tops.size(); ++c) {
        const int index = steps.rows.RowCount() + 1;
        steps.rows.Elements.push_back({index, tops[c], 1.0});
        for (const int step : chainSteps[c]) {
            steps.rows.Elements.push_back({index, step, -1.0});
        }
        steps.rows.Relations.push_back(kRelationEqual);
        steps.rows.RightSides.push_back(0.0);
    }
    return steps;
}

} // namespace velor
