// The primal simplex: termination statuses, phase one, ratio test and iteration budget.
#include "lp_test_support.h"

#include "lp/lp_model.h"
#include "lp/simplex.h"

#include <cmath>
#include <string>

using lptest::ConsoleCapture;
using lptest::Model;

TEST(PrimalSimplex, FeasibleSlackBasisWithZeroCostsIsOptimalAtOnce) {
    Model lp(2, 2);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(1.0f, 2, 2, lp);
    lp.lessEqual(1, 3.0f);
    lp.lessEqual(2, 4.0f);
    lp.solve();
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(lp.get()->iterations, 0);
}

TEST(PrimalSimplex, InfeasibleStartResetsTheObjectiveWeight) {
    // min x1 subject to x1 >= 1: the slack starts at 1 above its upper bound 0. With S = 2 the
    // composite objective prices x1 at +1, so the first pass finds nothing; after S is reset to
    // 0, x1 enters and the slack leaves at its upper bound.
    Model lp(1, 1);
    LP_PUTELEM(1.0f, 1, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.greaterEqual(1, 1.0f);
    EXPECT_EQ(LP_REINVERT(lp), 1);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_INFEASIBLE);
    {
        ConsoleCapture console;
        LP_SETLOG(2);
        LP_PRIMAL(lp);
        LP_SETLOG(0);
        EXPECT_NE(console.text().find("S reset to zero !\n"), std::string::npos) << console.text();
    }
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(lp.get()->iterations, 1);
    EXPECT_EQ(LP_GETSOL(1, lp), 1.0);
    EXPECT_EQ(LP_GETSOL(0, lp), -1.0);
    EXPECT_EQ(LP_GETVARSTAT(-1, lp), LP_AT_UPPER);
    EXPECT_EQ(LP_GETSOL(-1, lp), 0.0);
}

TEST(PrimalSimplex, EmptyRowWithImprovingColumnIsUnbounded) {
    Model lp(1, 1);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    lp.lessEqual(1, 0.0f);
    lp.solve();
    EXPECT_EQ(LP_GETSTATUS(lp), LP_UNBOUNDED);
}

TEST(PrimalSimplex, UnboundedAfterFeasibleIterations) {
    // max x1 + x2 with x1 - x2 <= 1 and x1 <= 3: x2 grows without limit.
    Model lp(2, 2);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    LP_PUTELEM(-1.0f, 2, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(-1.0f, 2, 1, lp);
    lp.lessEqual(1, 1.0f);
    LP_PUTELEM(1.0f, 1, 2, lp);
    lp.lessEqual(2, 3.0f);
    lp.solve();
    EXPECT_EQ(LP_GETSTATUS(lp), LP_UNBOUNDED);
}

TEST(PrimalSimplex, EnteringColumnFlipsToItsUpperBoundWithoutNewEta) {
    // max x1 with 0 <= x1 <= 5 and x1 + x2 <= 100: nothing blocks before the flip.
    Model lp(2, 1);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    LP_PUTUBOUND(5.0f, 1, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(1.0f, 2, 1, lp);
    lp.lessEqual(1, 100.0f);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(lp.get()->iterations, 1);
    EXPECT_EQ(lp.get()->etas.count(), 0);
    EXPECT_EQ(lp.get()->pivotsSinceReinversion, 0);
    EXPECT_EQ(LP_GETVARSTAT(1, lp), LP_AT_UPPER);
    EXPECT_EQ(LP_GETSOL(1, lp), 5.0);
    EXPECT_EQ(LP_GETSOL(-1, lp), 95.0);
    EXPECT_EQ(LP_BASISVAR(1, lp), -1);
}

TEST(PrimalSimplex, ContradictoryRowsAreInfeasible) {
    Model lp(1, 2);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 1.0f);
    LP_PUTELEM(1.0f, 1, 2, lp);
    lp.greaterEqual(2, 2.0f);
    lp.solve();
    EXPECT_EQ(LP_GETSTATUS(lp), LP_INFEASIBLE);
}

TEST(PrimalSimplex, LargestPivotLeavesAmongTies) {
    // max x1 with x1 <= 1 (pivot 1) and 2 x1 <= 2 (pivot 2): both block at 1; row 2 leaves.
    Model lp(1, 2);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 1.0f);
    LP_PUTELEM(2.0f, 1, 2, lp);
    lp.lessEqual(2, 2.0f);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_BASISVAR(2, lp), 1);
    EXPECT_EQ(LP_BASISVAR(1, lp), -1);
    EXPECT_EQ(LP_GETVARSTAT(-2, lp), LP_AT_LOWER);
}

TEST(PrimalSimplex, LaterPositionLeavesOnEqualPivots) {
    Model lp(1, 2);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    for (int row = 1; row <= 2; ++row) {
        LP_PUTELEM(1.0f, 1, row, lp);
        lp.lessEqual(row, 1.0f);
    }
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_BASISVAR(2, lp), 1);
    EXPECT_EQ(LP_BASISVAR(1, lp), -1);
}

TEST(PrimalSimplex, LargerPivotWithinTheRelaxedRatioWins) {
    // Row 1 blocks exactly at 1 with pivot 1; row 2 at 1.000004 with pivot 10, which is within
    // the step allowed by the bounds relaxed by 1e-5. The larger pivot leaves, and row 1 ends
    // up 4e-6 beyond its bound, within the feasibility tolerance.
    Model lp(1, 2);
    LP_PUTELEM(-1.0f, 1, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    lp.lessEqual(1, 1.0f);
    LP_PUTELEM(10.0f, 1, 2, lp);
    lp.lessEqual(2, 10.00004f);
    lp.solve();
    ASSERT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_BASISVAR(2, lp), 1);
    EXPECT_NEAR(LP_GETSOL(1, lp), 1.000004, 1e-7);
    EXPECT_NEAR(LP_GETSOL(-1, lp), -4e-6, 1e-7);
    EXPECT_EQ(LP_GETVARSTAT(-1, lp), LP_BASIC);
}

TEST(PrimalSimplex, ExhaustedBudgetKeepsTheLastBasis) {
    // A Klee-Minty cube, which takes many iterations, run with a budget of two.
    const int n = 4;
    Model lp(n, n);
    for (int i = 1; i <= n; ++i) {
        LP_PUTELEM(-static_cast<float>(1 << (n - i)), i, 0, lp);
        for (int j = 1; j < i; ++j)
            LP_PUTELEM(static_cast<float>(1 << (i - j + 1)), j, i, lp);
        LP_PUTELEM(1.0f, i, i, lp);
        lp.lessEqual(i, static_cast<float>(std::pow(5.0, i)));
    }
    LP_REINVERT(lp);
    LpModel& model = *lp.get();
    model.iterLimit = 2;
    EXPECT_EQ(lp::primalSimplex(model), LP_FEASIBLE);
    EXPECT_EQ(model.iterations, 2);
    // The values read back are those of the basis left by the second iteration.
    const std::vector<double> values = model.basicValues;
    lp::computeBasicValues(model);
    EXPECT_EQ(values, model.basicValues);
    for (int p = 1; p <= n; ++p)
        EXPECT_EQ(LP_GETSOL(LP_BASISVAR(p, lp), lp), LP_BASISVAL(p, lp));

    // A further LP_PRIMAL continues from there with a fresh budget.
    LP_PRIMAL(lp);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_GT(model.iterations, 2);
    EXPECT_DOUBLE_EQ(LP_GETSOL(0, lp), 625.0); // x_n = 5^n
}

// min x1 + 2 x2 + 3 x3 subject to x1 + x2 + x3 >= 4, x2 + x3 >= 2, x1 <= 3, x >= 0: the slack
// basis is dual feasible (all costs penalise) and two rows are violated. The optimum is
// x = (2, 2, 0) with objective 6.
void buildCoveringProblem(Model& lp) {
    for (int j = 1; j <= 3; ++j) {
        LP_PUTELEM(static_cast<float>(j), j, 0, lp);
        LP_PUTELEM(1.0f, j, 1, lp);
    }
    LP_PUTELEM(1.0f, 2, 2, lp);
    LP_PUTELEM(1.0f, 3, 2, lp);
    LP_PUTELEM(1.0f, 1, 3, lp);
    lp.greaterEqual(1, 4.0f);
    lp.greaterEqual(2, 2.0f);
    lp.lessEqual(3, 3.0f);
}

TEST(DualSimplex, ReachesTheOptimumFromADualFeasibleSlackBasis) {
    Model lp(3, 3);
    buildCoveringProblem(lp);
    EXPECT_EQ(LP_REINVERT(lp), 2);
    const long long before = LP_ITERATIONTOTAL();
    LP_DUALBUDGET(100, lp);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(LP_ITERATIONTOTAL() - before, lp.get()->iterations);
    EXPECT_LE(lp.get()->iterations, 3);
    EXPECT_NEAR(LP_GETSOL(0, lp), -6.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(1, lp), 2.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(2, lp), 2.0, 1e-12);
    EXPECT_NEAR(LP_GETSOL(3, lp), 0.0, 1e-12);
    // The primal simplex finds nothing left to do.
    const int iterations = lp.get()->iterations;
    LP_PRIMAL(lp);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_OPTIMAL);
    EXPECT_EQ(lp.get()->iterations, iterations);
    EXPECT_NEAR(LP_GETSOL(0, lp), -6.0, 1e-12);
}

TEST(DualSimplex, ARowNothingCanSatisfyShowsTheProblemInfeasible) {
    // x1 + x2 <= -1 with x >= 0 and penalising costs.
    Model lp(2, 1);
    LP_PUTELEM(1.0f, 1, 0, lp);
    LP_PUTELEM(1.0f, 2, 0, lp);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(1.0f, 2, 1, lp);
    lp.lessEqual(1, -1.0f);
    LP_REINVERT(lp);
    LP_DUALBUDGET(100, lp);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_INFEASIBLE);
    EXPECT_EQ(lp.get()->iterations, 0);
}

TEST(DualSimplex, LeavesABasisThatIsNotDualFeasibleAlone) {
    Model lp(3, 3);
    buildCoveringProblem(lp);
    LP_PUTELEM(-1.0f, 3, 0, lp); // x3 now pays to increase: the slack basis is not dual feasible
    LP_REINVERT(lp);
    const std::vector<int> base = lp.get()->base;
    LP_DUALBUDGET(100, lp);
    EXPECT_EQ(lp.get()->iterations, 0);
    EXPECT_EQ(lp.get()->base, base);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_INFEASIBLE); // as after LP_REINVERT: two rows violated
    // A budget of nothing changes nothing either.
    Model other(3, 3);
    buildCoveringProblem(other);
    LP_REINVERT(other);
    LP_DUALBUDGET(0, other);
    EXPECT_EQ(other.get()->iterations, 0);
    EXPECT_EQ(LP_GETSTATUS(other), LP_INFEASIBLE);
    lptest::expectFatal([&] { LP_DUALBUDGET(-1, other); },
                        "LP_DUALBUDGET: negative iteration budget");
}
