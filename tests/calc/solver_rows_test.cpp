// Rewriting rows for the solvers never changes an optimum: merging tied columns and writing
// ranked chains in steps (random programs with chains, ties and other rows keep every optimum,
// and the optimal point, mapped back, satisfies the original rows), and scaling decimal rows so
// that they reach our own solver exactly.
#include "calc/chain_steps.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "calc/lp_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace velor {
namespace {

// Rows over n columns in the shape of a ranked model: a few chains whose columns are ordered
// (some of them tied) by two-term rows of either form, a sum row that bounds them, and random
// rows over all columns that a known point satisfies.
struct RandomRows {
    SolverRows rows;
    int columns = 0;
};

void Add(RandomRows& r, const std::vector<std::pair<int, double>>& terms, Relation relation,
         double rightSide) {
    ParsedConstraint row;
    for (const auto& [column, coefficient] : terms) {
        row.Terms.push_back({"x" + std::to_string(column), coefficient});
    }
    r.rows.AddRow(r.rows.RowCount() + 1, row);
    r.rows.Relations.push_back(relation);
    r.rows.RightSides.push_back(rightSide);
}

RandomRows MakeRows(unsigned seed) {
    std::mt19937 random(seed);
    RandomRows r;
    r.columns = 6 + static_cast<int>(seed % 10);
    const int n = r.columns;
    // Every column named once first, so that column j is "xj".
    std::vector<std::pair<int, double>> sum;
    for (int j = 1; j <= n; ++j) {
        sum.emplace_back(j, 1.0);
    }
    Add(r, sum, kRelationEqual, 1.0);
    // A feasible point: chains take increasing values in a random order of their columns.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<double> point(static_cast<std::size_t>(n) + 1, 0.0);
    std::uniform_int_distribution<int> coin(0, 3);
    std::uniform_int_distribution<int> coefficient(-4, 4);
    std::size_t k = 0;
    while (k < order.size()) {
        const std::size_t length = std::min<std::size_t>(order.size() - k, 1 + coin(random) * 2);
        double value = coin(random) == 0 ? 0.0 : 1.0;
        for (std::size_t i = k; i < k + length; ++i) {
            const int column = order[i];
            if (i > k) {
                const int previous = order[i - 1];
                const double a = 0.5 * (1 + coin(random));
                if (coin(random) == 0) {
                    Add(r, {{column, a}, {previous, -a}}, kRelationEqual, 0.0); // tied
                } else {
                    value += 1.0;
                    if (coin(random) % 2 == 0) {
                        Add(r, {{previous, a}, {column, -a}}, kRelationLessEqual, 0.0);
                    } else {
                        Add(r, {{column, a}, {previous, -a}}, kRelationGreaterEqual, 0.0);
                    }
                }
            }
            point[static_cast<std::size_t>(column)] = value;
        }
        k += length;
    }
    const double total = std::accumulate(point.begin(), point.end(), 0.0);
    for (double& value : point) {
        value /= total;
    }
    for (int i = 0; i < n / 2; ++i) {
        std::vector<std::pair<int, double>> terms;
        double activity = 0.0;
        for (int j = 1; j <= n; ++j) {
            const double a = coefficient(random) / 2.0;
            if (a != 0.0) {
                terms.emplace_back(j, a);
                activity += a * point[static_cast<std::size_t>(j)];
            }
        }
        if (!terms.empty()) {
            Add(r, terms, kRelationLessEqual, activity + 0.25 * coin(random));
        }
    }
    return r;
}

// The optimum of costs over rows, and the point, from the library solver.
std::pair<double, std::vector<double>> Optimum(const SolverRows& rows,
                                               const std::vector<std::pair<int, double>>& costs) {
    const std::unique_ptr<LpBackend> library = MakeBackend(BackendKind::Library, rows);
    library->SetCosts(costs);
    EXPECT_EQ(library->Minimize(RunOptions{}, {}), SolveStatus::Optimal);
    return {library->Objective(), library->Point()};
}

TEST(ChainSteps, MergedAndSteppedProgramsKeepEveryOptimum) {
    int stepped = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        const RandomRows r = MakeRows(seed);
        const std::optional<MergedColumns> merged = MergeTiedColumns(r.rows, TiedColumns(r.rows));
        ASSERT_TRUE(merged) << seed;
        const std::optional<ChainSteps> steps = WriteInSteps(merged->rows);
        stepped += steps ? 1 : 0;
        const SolverRows& solved = steps ? steps->rows : merged->rows;
        EXPECT_LE(solved.RowCount(), r.rows.RowCount()) << seed;

        std::mt19937 random(seed);
        std::uniform_int_distribution<int> cost(-3, 3);
        for (int objective = 0; objective < 8; ++objective) {
            std::vector<std::pair<int, double>> costs;
            std::vector<double> sum(static_cast<std::size_t>(solved.ColumnCount()) + 1, 0.0);
            std::vector<int> touched;
            for (int j = 1; j <= r.columns; ++j) {
                const double c = cost(random);
                if (c == 0.0) {
                    continue;
                }
                costs.emplace_back(j, c);
                const int column = merged->column[static_cast<std::size_t>(j)];
                AddTerms(steps ? steps->value[static_cast<std::size_t>(column)]
                               : ChainSteps::Terms{{column, 1.0}},
                         c, sum, touched);
            }
            std::vector<std::pair<int, double>> mapped;
            TakeSum(sum, touched, mapped);
            const auto [expected, unused] = Optimum(r.rows, costs);
            const auto [optimum, point] = Optimum(solved, mapped);
            EXPECT_NEAR(optimum, expected, 1e-9) << seed << " objective " << objective;

            // The point in the original columns satisfies the original rows.
            std::vector<double> x(static_cast<std::size_t>(r.columns) + 1, 0.0);
            for (int j = 1; j <= r.columns; ++j) {
                const int column = merged->column[static_cast<std::size_t>(j)];
                if (!steps) {
                    x[static_cast<std::size_t>(j)] = point[static_cast<std::size_t>(column)];
                    continue;
                }
                for (const auto& [step, factor] : steps->value[static_cast<std::size_t>(column)]) {
                    x[static_cast<std::size_t>(j)] +=
                        factor * point[static_cast<std::size_t>(step)];
                }
            }
            std::vector<double> activity(static_cast<std::size_t>(r.rows.RowCount()) + 1, 0.0);
            for (const SolverRows::Element& e : r.rows.Elements) {
                activity[static_cast<std::size_t>(e.Row)] +=
                    e.Value * x[static_cast<std::size_t>(e.Column)];
            }
            for (int i = 1; i <= r.rows.RowCount(); ++i) {
                const double value = activity[static_cast<std::size_t>(i)];
                const double b = r.rows.RightSides[static_cast<std::size_t>(i - 1)];
                const int relation = r.rows.Relations[static_cast<std::size_t>(i - 1)];
                if (relation != kRelationGreaterEqual) {
                    EXPECT_LE(value, b + 1e-9) << seed << " row " << i;
                }
                if (relation != kRelationLessEqual) {
                    EXPECT_GE(value, b - 1e-9) << seed << " row " << i;
                }
            }
            for (int j = 1; j <= r.columns; ++j) {
                EXPECT_GE(x[static_cast<std::size_t>(j)], -1e-9) << seed;
            }
        }
    }
    EXPECT_GT(stepped, 40); // most programs have ordered columns
}

// A row that merging or stepping leaves without terms is dropped only when it holds at 0; one
// that cannot hold leaves the rows to the solver as they are, which reports them infeasible.
TEST(ChainSteps, RowsLeftWithoutTermsThatCannotHoldStopTheRewriting) {
    RandomRows tied;
    Add(tied, {{1, 1.0}, {2, -1.0}}, kRelationEqual, 0.0);
    Add(tied, {{1, 2.0}, {2, -2.0}}, kRelationGreaterEqual, 1.0);
    EXPECT_FALSE(MergeTiedColumns(tied.rows, TiedColumns(tied.rows)));

    RandomRows holds;
    Add(holds, {{1, 1.0}, {2, -1.0}}, kRelationEqual, 0.0);
    Add(holds, {{1, 2.0}, {2, -2.0}}, kRelationLessEqual, 1.0);
    const std::optional<MergedColumns> merged =
        MergeTiedColumns(holds.rows, TiedColumns(holds.rows));
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->rows.RowCount(), 0);
    EXPECT_EQ(merged->rows.ColumnCount(), 1);

    // x1 <= x2 and, named twice, x2 <= x1 + ... : the second ordering row of a pair already in
    // one chain stays a row over the steps between them.
    RandomRows cycle;
    Add(cycle, {{1, 1.0}, {2, -1.0}}, kRelationLessEqual, 0.0);
    Add(cycle, {{2, 1.0}, {1, -1.0}}, kRelationLessEqual, 0.0);
    Add(cycle, {{1, 1.0}, {2, 1.0}}, kRelationEqual, 1.0);
    const std::optional<ChainSteps> steps = WriteInSteps(cycle.rows);
    ASSERT_TRUE(steps);
    const auto [optimum, point] = Optimum(steps->rows, {{steps->value[1][0].first, 1.0}});
    EXPECT_NEAR(optimum, 0.5, 1e-12);                                           // x1 = x2 = 1/2
    EXPECT_FALSE(WriteInSteps(ParseProgram(TConstraintModel{kMinimize, "x"}))); // nothing ordered
}

// Decimal coefficients rounded to single precision term by term move exact optima by about 1e-8
// here:
// -x1 + 0.001 * x2 + 0.999 * x3 <= 0 no longer admits x1 = x2 = x3. Scaled by a power of ten
// first, the rows reach the solver exactly; rows without such a power stay as they are.
TEST(SolverRows, DecimalRowsReachOurSolverExactly) {
    SetSolverConsole(nullptr);
    TConstraintModel program(kMaximize, "x2+x3");
    program.AddConstraint("x1=1");
    program.AddConstraint("-x1+0.001*x2+0.999*x3<=0");
    program.AddConstraint("x2-x1<=0");
    program.AddConstraint("x3-x1<=0");
    program.AddConstraint("0.1234567*x1+x2<=5.5");
    const SolverRows rows = ParseProgram(program);
    auto maximum = [](SolverRows loaded) {
        for (SolverRows::Element& element : loaded.Elements) {
            element.Value = element.Row == 0 ? -element.Value : element.Value;
        }
        const std::unique_ptr<LpBackend> own = MakeBackend(BackendKind::OwnSimplex, loaded);
        own->Restart();
        // Only an exact optimum counts, as on the default path.
        return own->Minimize(RunOptions{}, {}) == SolveStatus::Optimal
                   ? std::optional<double>(-own->Objective())
                   : std::nullopt;
    };
    const std::optional<double> rounded = maximum(rows);
    ASSERT_TRUE(!rounded || std::fabs(*rounded - 2.0) > 1e-9); // the fault the scaling mends
    const SolverRows exact = ExactInSinglePrecision(rows);
    ASSERT_TRUE(maximum(exact).has_value());
    EXPECT_NEAR(*maximum(exact), 2.0, 1e-14);

    // Every row admits the same points: its values are the original times one power of ten,
    // whole and exact in single precision; the row of seven places is left alone.
    std::vector<double> scale(static_cast<std::size_t>(rows.RowCount()) + 1, 0.0);
    ASSERT_EQ(exact.Elements.size(), rows.Elements.size());
    for (std::size_t e = 0; e < rows.Elements.size(); ++e) {
        const double value = exact.Elements[e].Value;
        if (rows.Elements[e].Row < 5) {
            EXPECT_EQ(static_cast<double>(static_cast<float>(value)), value);
        }
        double& factor = scale[static_cast<std::size_t>(rows.Elements[e].Row)];
        if (factor == 0.0) {
            factor = value / rows.Elements[e].Value;
        }
        EXPECT_NEAR(value, factor * rows.Elements[e].Value, 1e-12 * factor);
    }
    EXPECT_EQ(scale[2], 1000.0);
    EXPECT_EQ(exact.RightSides[4], rows.RightSides[4]);
    EXPECT_EQ(exact.Elements.back().Value, rows.Elements.back().Value);
}

// Typed rows find a column by its unknown and by its name alike; rows parsed from text, by name.
TEST(SolverRows, ColumnsOfUnknownsAndNamesAlike) {
    const SolverRows rows = ParseProgram(TConstraintModel(kMinimize, "va2a1+z+va02a1+x"));
    EXPECT_EQ(rows.ColumnOf("va02a1"), 3);
    EXPECT_EQ(rows.ColumnOf(Unknown{2, 1}), 0);

    SolverRows typed;
    typed.AddConstraint(
        {{{{3, 2}, 1.0}, {kTotalWeight, -2.0}, {{3, 2}, 0.5}}, kRelationLessEqual, 0.0});
    typed.AddConstraint({{{{5, 1}, 1.0}, {{3, 2}, 1.0}}, kRelationEqual, 1.0});
    EXPECT_EQ(typed.Names, (std::vector<std::string>{"va3a2", "z", "va5a1"}));
    ASSERT_EQ(typed.Elements.size(), 4U); // the two terms of va3a2 summed in one element
    EXPECT_EQ(typed.Elements[0].Value, 1.5);
    EXPECT_EQ(typed.ColumnOf(Unknown{3, 2}), 1);
    EXPECT_EQ(typed.ColumnOf(kTotalWeight), 2);
    EXPECT_EQ(typed.ColumnOf(Unknown{5, 1}), 3);
    EXPECT_EQ(typed.ColumnOf("va5a1"), 3);
    EXPECT_EQ(typed.ColumnOf(Unknown{5, 2}), 0);
    EXPECT_EQ(typed.ColumnOf(Unknown{9, 1}), 0);
    EXPECT_EQ(typed.ColumnOf(Unknown{-1, 1}), 0);
    EXPECT_THROW(typed.AddConstraint({{{{3, 2}, std::nan("")}}, kRelationEqual, 0.0}),
                 std::invalid_argument);
}

} // namespace
} // namespace velor
