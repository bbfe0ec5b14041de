// The LP_ entry points: loading, status, solution values, pointer and index checks.
#include "lp_test_support.h"

#include "lp/lp_model.h"

#include <cmath>
#include <vector>

using lptest::ConsoleCapture;
using lptest::expectFatal;
using lptest::Model;

TEST(LpInterface, FreshModelIsFeasibleAndSolvesToZero) {
    Model lp(3, 2);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_FEASIBLE);
    EXPECT_EQ(LP_M(lp), 2);
    EXPECT_EQ(LP_N(lp), 3);
    EXPECT_EQ(LP_REINVERT(lp), 0);
    LP_PRIMAL(lp);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_GETSOL(0, lp), 0.0);
    EXPECT_EQ(LP_GETVARSTAT(0, lp), LP_OBJECTIVE);
}

TEST(LpInterface, ObjectiveConstantIsPartOfTheObjectiveLogical) {
    Model lp(1, 1);
    LP_PUTELEM(7.5f, 0, 0, lp);
    LP_PUTELEM(2.0f, 1, 0, lp); // min 2 x1 with x1 >= 3
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.greaterEqual(1, 3.0f);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_DOUBLE_EQ(LP_GETSOL(1, lp), 3.0);
    EXPECT_DOUBLE_EQ(LP_GETSOL(0, lp), 7.5 - 6.0); // c0 - sum c_j x_j
}

TEST(LpInterface, TinyCoefficientRemovesTheElement) {
    Model lp(2, 2);
    LP_PUTELEM(4.0f, 1, 1, lp);
    LP_PUTELEM(5.0f, 2, 1, lp);
    LP_PUTELEM(6.0f, 2, 2, lp);
    ASSERT_EQ(lp.get()->nonzeros, 3);
    LP_PUTELEM(1e-16f, 2, 1, lp);
    EXPECT_EQ(LP_GETELEM(2, 1, lp), 0.0);
    EXPECT_EQ(lp.get()->nonzeros, 2);
    LP_PUTELEM(1e-16f, 2, 1, lp); // removing an absent element changes nothing
    EXPECT_EQ(lp.get()->nonzeros, 2);
    // Just above the threshold the element is kept; objective entries are kept as passed.
    LP_PUTELEM(2e-15f, 2, 1, lp);
    EXPECT_FLOAT_EQ(static_cast<float>(LP_GETELEM(2, 1, lp)), 2e-15f);
    EXPECT_EQ(lp.get()->nonzeros, 3);
    LP_PUTELEM(0.0f, 1, 0, lp);
    EXPECT_EQ(LP_GETELEM(1, 0, lp), 0.0);
    // Right-hand side entries follow the same rule.
    LP_PUTELEM(3.0f, 0, 2, lp);
    LP_PUTELEM(0.0f, 0, 2, lp);
    EXPECT_TRUE(lp.get()->rhs.empty());

    std::vector<float> row(3, -1.0f);
    LP_GETROW(row.data(), 2, lp);
    EXPECT_EQ(row, (std::vector<float>{0.0f, 0.0f, 6.0f}));
}

TEST(LpInterface, SlackValuesAreRightHandSideMinusActivity) {
    // max x1 + x2 with x1 + x2 <= 4 (tight), x1 <= 3 (slack 3 - x1), x1 - x2 = 0.
    Model lp(2, 3);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    LP_PUTELEM(-1.0f, 2, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(1.0f, 2, 1, lp);
    lp.lessEqual(1, 4.0f);
    LP_PUTELEM(1.0f, 1, 2, lp);
    lp.lessEqual(2, 3.0f);
    LP_PUTELEM(1.0f, 1, 3, lp);
    LP_PUTELEM(-1.0f, 2, 3, lp);
    lp.equal(3, 0.0f);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_NEAR(LP_GETSOL(1, lp), 2.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(2, lp), 2.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(-2, lp), 1.0, 1e-12); // basic slack: 3 - x1
    EXPECT_EQ(LP_GETSOL(-3, lp), 0.0);          // equality row's logical, [0, 0]
    EXPECT_NEAR(LP_GETSOL(-1, lp), 0.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(0, lp), 4.0, 1e-12);
    EXPECT_EQ(LP_GETRCOST(1, lp), 0.0); // basic
}

TEST(LpInterface, BoundChangesTakeEffectAtReinversion) {
    Model lp(1, 1);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 5.0f);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    ASSERT_EQ(LP_GETSOL(-1, lp), 5.0); // basic slack at 5

    LP_PUTUBOUND(4.99998f, -1, lp); // outside by 2e-5
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_REINVERT(lp), 1);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_INFEASIBLE);
    EXPECT_EQ(LP_GETVARSTAT(-1, lp), LP_BASIC_INFEASIBLE);

    LP_PUTUBOUND(4.999995f, -1, lp); // outside by 5e-6: within the feasibility tolerance
    EXPECT_EQ(LP_REINVERT(lp), 0);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_FEASIBLE);
    EXPECT_EQ(LP_GETVARSTAT(-1, lp), LP_BASIC);
}

TEST(LpInterface, FixedVariableBecomesUpperBoundedWhenBoundsSeparate) {
    Model lp(1, 1);
    LP_PUTUBOUND(0.0f, 1, lp);
    LP_SETUP(lp);
    ASSERT_EQ(LP_GETVARSTAT(1, lp), LP_FIXED);
    LP_PUTUBOUND(2.0f, 1, lp);
    EXPECT_EQ(LP_GETVARSTAT(1, lp), LP_AT_UPPER);
    EXPECT_EQ(LP_GETSOL(1, lp), 2.0);
    EXPECT_EQ(LP_GETLBOUND(1, lp), 0.0);
    EXPECT_EQ(LP_GETUBOUND(1, lp), 2.0);
}

TEST(LpInterface, StaleNonbasicCodeAtInfiniteBoundIsRepairedByReinversion) {
    // A column made ">= -inf" after creation would otherwise sit at -1e31.
    Model lp(1, 1);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 5.0f);
    LP_PUTLBOUND(-1e31f, 1, lp);
    LP_PUTUBOUND(3.0f, 1, lp);
    LP_REINVERT(lp);
    EXPECT_EQ(LP_GETVARSTAT(1, lp), LP_AT_UPPER);
    EXPECT_EQ(LP_GETSOL(1, lp), 3.0);
    EXPECT_EQ(LP_GETSOL(-1, lp), 2.0);
}

TEST(LpInterface, FreeNonbasicColumnIsRefused) {
    Model lp(1, 1);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTLBOUND(-1e31f, 1, lp);
    expectFatal([&] { LP_REINVERT(lp); }, "Basic values: free nonbasic column is not supported");
}

TEST(LpInterface, TwoHundredModelsAtOnceAndNoMore) {
    std::vector<LpModel*> models;
    for (int k = 0; k < 200; ++k)
        models.push_back(LP_NEW(1, 1));
    expectFatal([] { LP_NEW(1, 1); }, "LP_NEW: Too many LP models simultaneously active");
    LP_DELETE(&models.back());
    models.pop_back();
    models.push_back(LP_NEW(1, 1)); // a freed slot can be used again
    for (LpModel*& lp : models)
        LP_DELETE(&lp);
}

TEST(LpInterface, IndexErrorsAreFatalWithTheirMessages) {
    Model lp(2, 3);
    expectFatal([&] { LP_GETSOL(3, lp); }, "LPX interface: variable index out of range");
    expectFatal([&] { LP_GETSOL(-4, lp); }, "LPX interface: variable index out of range");
    expectFatal([&] { LP_PUTELEM(1.0f, 1, 4, lp); }, "LPX interface: row index out of range");
    expectFatal([&] { LP_PUTELEM(1.0f, 3, 1, lp); }, "LPX interface: column index out of range");
    // The row is checked before the column.
    expectFatal([&] { LP_GETELEM(9, 9, lp); }, "LPX interface: row index out of range");
    expectFatal([&] { LP_PUTLBOUND(0.0f, -4, lp); }, "LPX interface: variable index out of range");
    expectFatal([&] { LP_BASISVAR(4, lp); }, "LPX interface: row index out of range");
    expectFatal([] { LP_SETLOG(6); }, "LP_SETLOG: loglevel must be in range 0..5");
    // The model is untouched by the refused calls and still solves.
    lp.solve();
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
}

TEST(LpInterface, UseAfterDeleteIsFatal) {
    LpModel* lp = LP_NEW(1, 1);
    LpModel* stale = lp;
    LP_GETSTATUS(lp); // the table remembers the model found last; deleting must forget it
    LP_DELETE(&lp);
    EXPECT_EQ(lp, nullptr);
    expectFatal([&] { LP_GETSTATUS(stale); }, "LPX interface: invalid LP pointer");
    expectFatal([&] { LP_PRIMAL(stale); }, "LPX interface: invalid LP pointer");
    expectFatal([&] { LP_DELETE(&stale); }, "LP_DELETE: invalid LP pointer");
    expectFatal([&] { LP_DELETE(&lp); }, "LP_DELETE: null LP pointer");
    expectFatal([] { LP_GETSTATUS(nullptr); }, "LPX interface: null LP pointer");
}

TEST(LpInterface, LibraryStaysUsableAfterAFatalError) {
    LpModel* broken = LP_NEW(2, 2);
    ConsoleCapture console;
    EXPECT_THROW(LP_GETSOL(5, broken), LpFatalError);
    LP_DELETE(&broken); // the failed problem can still be freed
    Model fresh(1, 1);
    LP_PUTELEM(-1.0f, 1, 0, fresh);
    LP_PUTELEM(1.0f, 1, 1, fresh);
    fresh.lessEqual(1, 2.0f);
    fresh.solve();
    EXPECT_EQ(LP_GETSTATUS(fresh), LP_OPTIMAL);
    EXPECT_EQ(LP_GETSOL(1, fresh), 2.0);
}

TEST(LpInterface, ArraysAreSizedToTheProblem) {
    // Beyond the old fixed capacity of 4000 rows: a chain x_i <= 1 with max sum x.
    const int m = 4500;
    Model lp(m, m);
    for (int i = 1; i <= m; ++i) {
        LP_PUTELEM(-1.0f, i, 0, lp);
        LP_PUTELEM(1.0f, i, i, lp);
        lp.lessEqual(i, 1.0f);
    }
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_DOUBLE_EQ(LP_GETSOL(0, lp), m);
}

TEST(LpInterface, AddedRowStartsInfeasibleWithBasicLogical) {
    Model lp(2, 1);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 4.0f);
    const float row[] = {3.0f, 1.0f, 1.0f}; // x1 + x2 <= 3
    LP_ADDROW(row, lp);
    EXPECT_EQ(LP_M(lp), 2);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_INFEASIBLE);
    EXPECT_EQ(LP_GETVARSTAT(-2, lp), LP_BASIC_INFEASIBLE);
    EXPECT_EQ(LP_GETELEM(0, 2, lp), 3.0);
    EXPECT_EQ(LP_BASISVAR(2, lp), -2);
    EXPECT_EQ(LP_REINVERT(lp), 0);
    EXPECT_EQ(LP_GETSOL(-2, lp), 3.0);
}

namespace {

// The rows x1 + x2 <= 4 and x1 + 3 x2 <= 6, and the objective max 2 x1 + 3 x2, whose optimum is
// x = (3, 1).
void loadTwoRowProblem(Model& lp) {
    LP_PUTELEM(-2.0f, 1, 0, lp);
    LP_PUTELEM(-3.0f, 2, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(1.0f, 2, 1, lp);
    lp.lessEqual(1, 4.0f);
    LP_PUTELEM(1.0f, 1, 2, lp);
    LP_PUTELEM(3.0f, 2, 2, lp);
    lp.lessEqual(2, 6.0f);
}

} // namespace

TEST(LpInterface, InverseRowsAndReducedCostsAgreeWithTheBasis) {
    Model lp(2, 2);
    loadTwoRowProblem(lp);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_NEAR(LP_GETSOL(1, lp), 3.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(2, lp), 1.0, 1e-12);
    // Row p of the inverse times the column basic in position q is 1 for p = q, else 0
    // (over rows 1..m; the objective entry is carried separately).
    std::vector<double> row(3);
    for (int p = 1; p <= 2; ++p) {
        LP_INVROW(row.data(), p, lp);
        for (int q = 1; q <= 2; ++q) {
            const int j = LP_BASISVAR(q, lp);
            ASSERT_GT(j, 0);
            EXPECT_NEAR(LP_INPROD(j, row.data(), lp), p == q ? 1.0 : 0.0, 1e-12);
        }
    }
    // Both logicals are nonbasic at 0; their reduced costs are the dual prices of the rows
    // (as rates of z = -(2 x1 + 3 x2)): 1.5 and 0.5.
    EXPECT_NEAR(LP_GETRCOST(-1, lp), 1.5, 1e-12);
    EXPECT_NEAR(LP_GETRCOST(-2, lp), 0.5, 1e-12);
    EXPECT_EQ(LP_GETRCOST(1, lp), 0.0);
}

TEST(LpInterface, OptimalityCheckSeesBoundsAndRatesBeyondItsTolerance) {
    Model lp(2, 2);
    loadTwoRowProblem(lp);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 1);

    // Another objective, max x2, leaves the basis feasible but no longer optimal: raising the
    // logical of row 1 would improve it.
    const std::vector<float> costs = {0.0f, 0.0f, -1.0f};
    LP_PUTOBJECTIVE(costs.data(), lp);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 0);
    LP_PRIMAL(lp);
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_NEAR(LP_GETSOL(2, lp), 2.0, 1e-12);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 1);

    // A bound that the basic x2 = 2 now violates by 1e-6: seen at 1e-9, not at 1e-5.
    LP_PUTUBOUND(2.0f - 1e-6f, 2, lp);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 0);
    EXPECT_EQ(LP_ISOPTIMAL(1e-5, lp), 1);
}

TEST(LpInterface, TighterTolerancesGoOnWhereTheUsualOnesStop) {
    // max 1e-6 x1 with x1 <= 1: a rate of 1e-6 is below the usual optimality tolerance.
    Model lp(1, 1);
    LP_PUTELEM(-1e-6f, 1, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 1.0f);
    LP_REINVERT(lp);
    // One run under the given tolerance; x1 where it ends.
    auto runUnder = [&](double tolerance) {
        LP_SETTOLERANCES(tolerance, tolerance, lp);
        LP_PRIMAL(lp);
        EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
        return LP_GETSOL(1, lp);
    };
    EXPECT_EQ(runUnder(1e-5), 0.0);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 0);
    EXPECT_EQ(runUnder(1e-10), 1.0);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 1);

    // An upper bound of x1 that its basic value 1 exceeds by about 1e-6: feasible to the usual
    // tolerance, so the run keeps the basis; under the tight one x1 goes back to its bound.
    const float bound = 1.0f - 1e-6f;
    LP_PUTUBOUND(bound, 1, lp);
    LP_REINVERT(lp);
    EXPECT_EQ(runUnder(1e-5), 1.0);
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 0);
    EXPECT_EQ(runUnder(1e-10), static_cast<double>(bound));
    EXPECT_EQ(LP_ISOPTIMAL(1e-9, lp), 1);

    expectFatal([&] { LP_SETTOLERANCES(0.0, 1e-9, lp); },
                "LP_SETTOLERANCES: tolerances must be positive");
    expectFatal([&] { LP_SETTOLERANCES(1e-9, std::nan(""), lp); },
                "LP_SETTOLERANCES: tolerances must be positive");
}
