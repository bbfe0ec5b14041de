// The reduced polytope and the walk inside it: every point of the walk, mapped back to the
// unknowns, satisfies every row of the system; what the reduction refuses, it refuses with the
// right reason.
#include "calc/acceptability.h"
#include "calc/feasible_polytope.h"
#include "calc/hit_and_run.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace velor {
namespace {

// The largest violation of any row or of x >= 0 at the point.
double Violation(const std::vector<LinearRow>& rows, const FeasiblePolytope& polytope,
                 const std::vector<double>& point) {
    std::vector<double> x;
    double worst = 0.0;
    for (int u = 0; u < polytope.UnknownCount(); ++u) {
        x.push_back(polytope.Unknown(u).At(point));
        worst = std::max(worst, -x.back());
    }
    for (const LinearRow& row : rows) {
        double sum = 0.0;
        for (const SparseTerm& term : row.Terms) {
            sum += term.Value * x[static_cast<std::size_t>(term.Index)];
        }
        const double excess = sum - row.RightSide;
        switch (row.Relation) {
        case RowRelation::LessEqual:
            worst = std::max(worst, excess);
            break;
        case RowRelation::GreaterEqual:
            worst = std::max(worst, -excess);
            break;
        case RowRelation::Equal:
            worst = std::max(worst, std::fabs(excess));
            break;
        }
    }
    return worst;
}

TEST(HitAndRun, EveryPointOfTheWalkSatisfiesTheModelsRows) {
    int walked = 0;
    for (std::uint64_t seed = 1; seed <= 25; ++seed) {
        const Model model = testing::MakeRandomModel(seed).model;
        const FeasibleRows rows = FeasibleRowsOf(model);
        try {
            const FeasiblePolytope polytope(rows.Rows, static_cast<int>(rows.Names.size()));
            const std::vector<double> slacks = polytope.Slacks(polytope.InnerPoint());
            EXPECT_TRUE(std::all_of(slacks.begin(), slacks.end(), [](double s) { return s > 0; }));
            HitAndRun walk(polytope, seed);
            for (int sweep = 0; sweep < 200; ++sweep) {
                walk.Sweep();
                ASSERT_LT(Violation(rows.Rows, polytope, walk.Point()), 1e-9)
                    << "seed " << seed << " sweep " << sweep;
            }
            ++walked;
        } catch (const PolytopeError& error) {
            ADD_FAILURE() << "seed " << seed << ": " << error.what();
        }
    }
    EXPECT_EQ(walked, 25);
}

LinearRow Row(std::vector<SparseTerm> terms, RowRelation relation, double rightSide) {
    return {std::move(terms), relation, rightSide};
}

constexpr auto kLe = RowRelation::LessEqual;
constexpr auto kGe = RowRelation::GreaterEqual;
constexpr auto kEq = RowRelation::Equal;

struct Reduction {
    const char* name;
    std::vector<LinearRow> rows;
    int unknowns;
    int dimension; // -1: refused
    PolytopeError::Kind refusal;
};

class ReductionTest : public ::testing::TestWithParam<Reduction> {};

TEST_P(ReductionTest, DimensionOrRefusal) {
    const Reduction& c = GetParam();
    if (c.dimension >= 0) {
        const FeasiblePolytope polytope(c.rows, c.unknowns);
        EXPECT_EQ(polytope.Dimension(), c.dimension);
        EXPECT_LT(Violation(c.rows, polytope, polytope.InnerPoint()), 1e-12);
        EXPECT_EQ(polytope.InnerRadius() > 0.0, c.dimension > 0); // a point has no ball
        return;
    }
    try {
        const FeasiblePolytope polytope(c.rows, c.unknowns);
        ADD_FAILURE() << "not refused";
    } catch (const PolytopeError& error) {
        EXPECT_EQ(error.kind(), c.refusal) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Polytope, ReductionTest,
    ::testing::Values(
        Reduction{"Simplex", {Row({{0, 1}, {1, 1}, {2, 1}}, kEq, 1)}, 3, 2, {}},
        // x2 + x3 = 0 pins both at 0, and so x1 at 1.
        Reduction{"ZeroSum",
                  {Row({{0, 1}, {1, 1}, {2, 1}}, kEq, 1), Row({{1, 1}, {2, 1}}, kEq, 0)},
                  3,
                  0,
                  {}},
        // x2 <= x3 with x3 = 0 pins x2 too.
        Reduction{
            "ZeroChain",
            {Row({{0, 1}, {1, 1}}, kEq, 1), Row({{2, 1}}, kEq, 0), Row({{1, 1}, {2, -1}}, kLe, 0)},
            3,
            0,
            {}},
        // 2 x1 <= x2 and 2 x1 >= x2 state x2 = 2 x1.
        Reduction{"SumOfTwo",
                  {Row({{0, 1}, {1, 1}, {2, 1}}, kEq, 1), Row({{1, 1}, {2, 1}}, kLe, 0.5)},
                  3,
                  2,
                  {}},
        Reduction{"OppositeRows",
                  {Row({{0, 1}, {1, 1}, {2, 1}}, kEq, 1), Row({{0, 2}, {1, -1}}, kLe, 0),
                   Row({{0, 2}, {1, -1}}, kGe, 0)},
                  3,
                  1,
                  {}},
        Reduction{"Contradiction",
                  {Row({{0, 1}, {1, 1}}, kEq, 1), Row({{0, 1}, {1, 1}}, kGe, 2)},
                  2,
                  -1,
                  PolytopeError::Kind::Infeasible},
        Reduction{"NegativeSum",
                  {Row({{0, 1}, {1, 1}}, kEq, -1)},
                  2,
                  -1,
                  PolytopeError::Kind::Infeasible},
        Reduction{"NoUpperLimit",
                  {Row({{0, 1}, {1, -1}}, kLe, 1)},
                  2,
                  -1,
                  PolytopeError::Kind::Unbounded},
        // x1 >= 2 x2 and x2 >= 2 x1 hold only at x1 = x2 = 0, which no row states.
        Reduction{"HiddenZeros",
                  {Row({{0, 1}, {1, 1}, {2, 1}}, kEq, 1), Row({{0, -1}, {1, 2}}, kLe, 0),
                   Row({{0, 2}, {1, -1}}, kLe, 0)},
                  3,
                  0,
                  {}},
        // x1 <= x2 <= x3 <= x1: three rows that only together say x1 = x2 = x3.
        Reduction{"HiddenChain",
                  {Row({{0, 1}, {1, 1}, {2, 1}, {3, 1}}, kEq, 1), Row({{0, 1}, {1, -1}}, kLe, 0),
                   Row({{1, 1}, {2, -1}}, kLe, 0), Row({{2, 1}, {0, -1}}, kLe, 0)},
                  4,
                  1,
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace velor
