#include "calc/dominance.h"

#include "calc/calculation_driver.h"
#include "calc/solver_bridge.h"
#include "calc_test_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velor {
namespace {

using testing::CalcTestModel;
using testing::ScriptedHost;

constexpr double kTolerance = 1e-6;

// Attributes A and B, alternatives x1, x2, x3:
//   A: x1 and x2 rank 1, x3 rank 2  ->  a1 = a2 = wA, a3 = 0
//   B: x2 and x3 rank 1, x1 rank 2  ->  b2 = b3 = wB, b1 = 0
//   wA + wB = 1, B at 50 to 200 % of A  ->  wA in [1/3, 2/3], wB = 1 - wA
// Overall values: V1 = wA, V2 = 1, V3 = 1 - wA.
// Minimum differences (margins):
//   V1 - V2 = wA - 1      min -2/3      V2 - V1 = 1 - wA     min 1/3 > 0: x2 dominates x1
//   V1 - V3 = 2 wA - 1    min -1/3      V3 - V1 = 1 - 2 wA   min -1/3: neither
//   V2 - V3 = wA          min 1/3 > 0   V3 - V2 = -wA        min -2/3: x2 dominates x3
// Maximum regret = largest negated margin: x1 max(2/3, 1/3) = 2/3, x2 max(-1/3, -1/3) = -1/3,
// x3 max(1/3, 2/3) = 2/3. Value intervals: x1 [1/3, 2/3], x2 [1, 1], x3 [1/3, 2/3], so x2 is
// recommended by all four rules and x1, x3 by none.
struct HandModel : CalcTestModel {
    HandModel() : CalcTestModel(3) {
        a = Attribute();
        b = Attribute();
        Rank(a, {1, 1, 2});
        Rank(b, {2, 1, 1});
        BottomUp(a, 100, 100);
        BottomUp(b, 50, 200);
    }
    NodeId a = kNone;
    NodeId b = kNone;
};

TEST(Dominance, TwoAttributeModelByHand) {
    HandModel m;
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kCalculatePartially), RunOutcome::Complete);

    const std::uint8_t codes[3][3] = {{kSelf, kDominated, kNeither},
                                      {kDominates, kSelf, kDominates},
                                      {kNeither, kDominated, kSelf}};
    const double margins[3][3] = {
        {0, -2.0 / 3, -1.0 / 3}, {1.0 / 3, 0, 1.0 / 3}, {-1.0 / 3, -2.0 / 3, 0}};
    const double regrets[3] = {2.0 / 3, -1.0 / 3, 2.0 / 3};
    const double values[3][2] = {{1.0 / 3, 2.0 / 3}, {1, 1}, {1.0 / 3, 2.0 / 3}};
    for (int r = 1; r <= 3; ++r) {
        SCOPED_TRACE(r);
        const TAlternativeData& data = m.model.Alternative(r);
        for (int s = 1; s <= 3; ++s) {
            EXPECT_EQ(data.Dominance[s], codes[r - 1][s - 1]) << "against " << s;
            EXPECT_NEAR(data.DominanceMargin[s], margins[r - 1][s - 1], kTolerance);
        }
        EXPECT_NEAR(data.MaxRegret, regrets[r - 1], kTolerance);
        EXPECT_NEAR(data.ValueLower, values[r - 1][0], kTolerance);
        EXPECT_NEAR(data.ValueUpper, values[r - 1][1], kTolerance);
        const std::uint8_t flag = r == 2 ? 1 : 0;
        EXPECT_EQ(data.Recommended, (std::array<std::uint8_t, 4>{flag, flag, flag, flag}));
    }
}

// x1 and x2 have identical consequences everywhere, x3 is worse on both attributes: the minima
// between x1 and x2 are exactly 0, which is not dominance.
TEST(Dominance, IdenticalAlternativesTieEverywhere) {
    CalcTestModel m(3);
    const NodeId a = m.Attribute();
    const NodeId b = m.Attribute();
    m.Rank(a, {1, 1, 2});
    m.Rank(b, {1, 1, 2});
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kCalculateModel), RunOutcome::Complete);
    for (int r = 1; r <= 2; ++r) {
        SCOPED_TRACE(r);
        const TAlternativeData& data = m.model.Alternative(r);
        EXPECT_EQ(data.Dominance[3 - r], kNeither);
        EXPECT_NEAR(data.DominanceMargin[3 - r], 0.0, kTolerance);
        EXPECT_EQ(data.Dominance[3], kDominates);
        EXPECT_NEAR(data.MaxRegret, 0.0, kTolerance);
        EXPECT_EQ(data.Recommended, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
    }
    EXPECT_EQ(m.model.Alternative(3).Recommended, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(Dominance, SingleAlternative) {
    CalcTestModel m(1);
    m.Attribute(); // unranked: its one level carries the whole weight
    ResultRecords(m.model).AlternativeData(1).MaxRegret = 0.5;
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kDominances), RunOutcome::Complete);
    EXPECT_EQ(driver.LpCount(), 1); // the feasibility check only
    const TAlternativeData& data = m.model.Alternative(1);
    EXPECT_EQ(data.Dominance[1], kSelf);
    EXPECT_EQ(data.MaxRegret, 0.0);
    // The value intervals were never calculated: only the regret's rule recommends.
    EXPECT_EQ(data.Recommended, (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
}

// A failed pair answered Yes keeps code 4 and the old margin, which the regret then uses.
TEST(Dominance, FailedPairAnsweredYesKeepsTheOldMargin) {
    HandModel m;
    ResultRecords(m.model).AlternativeData(1).DominanceMargin[3] = -0.25;
    int calls = 0;
    const SolveFunction solve = [&](const TConstraintModel& program) {
        if (++calls == 3) { // check, (1, 2), then (1, 3)
            TSolution failed;
            failed.Status = SolveStatus::Infeasible;
            return failed;
        }
        return SolveModel(program);
    };
    ScriptedHost host;
    CalculationDriver driver(m.model, host, solve);
    ASSERT_EQ(driver.Run(kDominances), RunOutcome::Complete);
    EXPECT_EQ(host.questions.size(), 1u);
    const TAlternativeData& first = m.model.Alternative(1);
    EXPECT_EQ(first.Dominance[3], kNotComputed);
    EXPECT_EQ(first.DominanceMargin[3], -0.25);
    EXPECT_NEAR(first.MaxRegret, 2.0 / 3.0, kTolerance); // max(2/3, 0.25)
    // The code that a later pair sets still arrives: x2 dominates x1.
    EXPECT_EQ(first.Dominance[2], kDominated);
}

TEST(Dominance, CancelStopsTheMatrixAndTheRegret) {
    HandModel m;
    ScriptedHost host;
    CalcSession session(m.model, host);
    int progress = 0;
    host.cancelAtPump = 5;
    EXPECT_FALSE(CalculateDominance(session, progress, 9));
    EXPECT_EQ(progress, 4);
    EXPECT_EQ(m.model.Alternative(2).Dominance[2], kNotComputed);
    EXPECT_FALSE(CalculateMaxRegret(session, progress, 9)); // the flag is still set
    EXPECT_EQ(progress, 4);
}

TEST(UpdateRecommendations, KeysTieWithinTheTolerance) {
    CalcTestModel m(4);
    const double justAbove = std::nextafter(0.2, 1.0);
    const struct {
        double lower, upper, regret;
    } data[4] = {
        {0.0, 0.9, 0.2},       // central 0.45
        {0.4, 0.6, 0.2},       // central 0.5
        {0.1, 0.9, justAbove}, // central 0.5; regret one unit in the last place worse: a tie
        {0.3, 0.7, 0.5},       // central 0.5
    };
    for (int row = 1; row <= 4; ++row) {
        TAlternativeData& alternative = ResultRecords(m.model).AlternativeData(row);
        alternative.ValueLower = data[row - 1].lower;
        alternative.ValueUpper = data[row - 1].upper;
        alternative.MaxRegret = data[row - 1].regret;
        alternative.Recommended = {1, 1, 1, 1};
    }
    UpdateRecommendations(m.model, {true, true});
    const std::array<std::uint8_t, 4> expected[4] = {
        {1, 0, 0, 1}, // Maximax (0.9), Minimax Regret (0.2)
        {0, 1, 1, 1}, // Maximin (0.4), Central Values (0.5), Minimax Regret (0.2)
        {1, 0, 1, 1}, // Maximax (0.9), Central Values (0.5), Minimax Regret (0.2 + 1 ulp)
        {0, 0, 1, 0}, // Central Values (0.5)
    };
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(m.model.Alternative(row).Recommended, expected[row - 1]) << "row " << row;
    }
    // A key better by solver noise (1e-11) ties; one better by 1e-8 wins alone, in any row.
    ResultRecords(m.model).AlternativeData(4).ValueUpper = 0.9 + 1e-11;
    UpdateRecommendations(m.model, {true, true});
    EXPECT_EQ(m.model.Alternative(1).Recommended[kMaximax], 1);
    EXPECT_EQ(m.model.Alternative(4).Recommended[kMaximax], 1);
    ResultRecords(m.model).AlternativeData(1).ValueUpper = 0.9 + 1e-8;
    UpdateRecommendations(m.model, {true, true});
    EXPECT_EQ(m.model.Alternative(1).Recommended[kMaximax], 1);
    EXPECT_EQ(m.model.Alternative(3).Recommended[kMaximax], 0);
    EXPECT_EQ(m.model.Alternative(4).Recommended[kMaximax], 0);
}

} // namespace
} // namespace velor
