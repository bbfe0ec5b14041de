#include "calc/what_if.h"

#include "calc/lp_backend.h"
#include "calc/constraint_generator.h"
#include "calc/solver_rows.h"
#include "calc/stability.h"
#include "calc_test_model.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace velor {
namespace {

using testing::CalcTestModel;

// Two alternatives that mirror each other: Arrow best on Speed, Bison best on Comfort.
struct MirrorModel : CalcTestModel {
    explicit MirrorModel(bool topDown) : CalcTestModel(2) {
        model.SetTopDownWeights(topDown);
        speed = Attribute();
        comfort = Attribute();
        model.RenameNode(speed, "Speed");
        model.RenameNode(comfort, "Comfort");
        model.CommitCellText(1, 1, "Arrow", false);
        model.CommitCellText(1, 2, "Bison", false);
        Rank(speed, {1, 2});
        Rank(comfort, {2, 1});
    }
    NodeId speed = kNone;
    NodeId comfort = kNone;
};

const WhatIfChange* FindChange(const WhatIfResult& result, BoundKind kind, NodeId node,
                               NodeId reference) {
    for (const WhatIfChange& change : result.Changes) {
        if (change.Bound.Kind == kind && change.Bound.Node == node &&
            change.Bound.Reference == reference) {
            return &change;
        }
    }
    return nullptr;
}

class MirrorTest : public ::testing::TestWithParam<bool> {};

// With no weight statement, Arrow dominates Bison exactly when Speed weighs more than Comfort.
TEST_P(MirrorTest, DominanceNeedsTheWeightAboveTheOther) {
    MirrorModel m(GetParam());
    const WhatIfOutcome outcome = AnalyzePair(m.model, 1, 2, nullptr);
    ASSERT_EQ(outcome.Status, AnalysisStatus::Completed) << outcome.Message;
    const WhatIfResult& result = outcome.Result;
    EXPECT_FALSE(result.DominatesNow);
    EXPECT_NEAR(result.MarginNow, -1.0, 1e-9);

    const WhatIfChange* above = FindChange(result, BoundKind::WeightLower, m.speed, m.comfort);
    ASSERT_NE(above, nullptr);
    EXPECT_NEAR(above->Threshold, 100.0, 1e-6);
    EXPECT_EQ(above->Current, kNotGiven);
    EXPECT_GT(above->Proposed, 100.0);
    const std::string within = GetParam() ? ", within Main Goal," : "";
    EXPECT_EQ(above->Text, "If" + within +
                               " "
                               "the weight of Speed were above 100 % of the weight of Comfort "
                               "(now not stated), Arrow would dominate Bison.");
    const WhatIfChange* below = FindChange(result, BoundKind::WeightUpper, m.comfort, m.speed);
    ASSERT_NE(below, nullptr);
    EXPECT_NEAR(below->Threshold, 100.0, 1e-6);
    EXPECT_LT(below->Proposed, 100.0);
    // Raising Comfort or lowering Speed can only help Bison.
    EXPECT_EQ(FindChange(result, BoundKind::WeightUpper, m.speed, m.comfort), nullptr);
    EXPECT_EQ(FindChange(result, BoundKind::WeightLower, m.comfort, m.speed), nullptr);

    // Every proposed statement, once added, gives the promised dominance.
    for (const WhatIfChange& change : result.Changes) {
        Model changed = m.model;
        ApplyChange(changed, change);
        const WhatIfOutcome after = AnalyzePair(changed, 1, 2, nullptr);
        EXPECT_TRUE(after.Result.DominatesNow) << change.Text;
    }
    // Each weight moves the comparison from its low to its high end.
    ASSERT_EQ(result.Tornado.size(), 2u);
    for (const TornadoBar& bar : result.Tornado) {
        EXPECT_NEAR(bar.WeightLow, 0.0, 1e-9);
        EXPECT_NEAR(bar.WeightHigh, 1.0, 1e-9);
        EXPECT_NEAR(bar.Swing(), 2.0, 1e-8);
    }
}

INSTANTIATE_TEST_SUITE_P(WeightModes, MirrorTest, ::testing::Bool());

// Arrow best on Speed, Bison second and Cargo worst; Bison best on Comfort. The ratio statement
// puts Arrow's step above Bison at least ratio times Bison's step above Cargo, so
// V(Arrow) - V(Bison) >= wS * ratio / (1 + ratio) - wC: with Comfort at most u % of Speed, Arrow
// dominates Bison exactly while u < 100 * ratio / (1 + ratio).
struct RatioModel : CalcTestModel {
    RatioModel(double ratio, double comfortUpper) : CalcTestModel(3) {
        speed = Attribute();
        comfort = Attribute();
        Rank(speed, {1, 2, 3});
        Rank(comfort, {2, 1, 2});
        Ratio(speed, 1, 2, 2, 3, ratio, kNotGiven);
        BottomUp(speed, 100, 100);
        BottomUp(comfort, kNotGiven, comfortUpper);
    }
    NodeId speed = kNone;
    NodeId comfort = kNone;
};

TEST(WhatIf, ThresholdsOfAStatedBoundAndOfARatio) {
    RatioModel m(1.0, 60.0);
    const WhatIfOutcome outcome = AnalyzePair(m.model, 1, 2, nullptr);
    ASSERT_EQ(outcome.Status, AnalysisStatus::Completed);
    const WhatIfChange* upper =
        FindChange(outcome.Result, BoundKind::WeightUpper, m.comfort, m.speed);
    ASSERT_NE(upper, nullptr);
    EXPECT_NEAR(upper->Threshold, 50.0, 1e-6);
    EXPECT_EQ(upper->Current, 60.0);
    const WhatIfChange* ratio = FindChange(outcome.Result, BoundKind::RatioLower, m.speed, kNone);
    ASSERT_NE(ratio, nullptr);
    EXPECT_NEAR(ratio->Threshold, 1.5, 1e-6); // 1.5 / 2.5 = 60 %
}

TEST(Stability, StatedBoundKeepsTheDominanceUntilTheComputedValue) {
    RatioModel m(1.0, 40.0);
    const StabilityOutcome outcome = AnalyzeStability(m.model, nullptr);
    ASSERT_EQ(outcome.Status, AnalysisStatus::Completed);
    const auto found = std::find_if(
        outcome.Result.Intervals.begin(), outcome.Result.Intervals.end(),
        [&](const StabilityInterval& i) { return i.Bound.Kind == BoundKind::WeightUpper; });
    ASSERT_NE(found, outcome.Result.Intervals.end());
    EXPECT_EQ(found->Value, 40.0);
    ASSERT_TRUE(found->High.has_value());
    EXPECT_NEAR(*found->High, 50.0, kStabilityTolerance * 40.0);
    EXPECT_LE(*found->High, 50.0);
    EXPECT_FALSE(found->Low.has_value()); // down to 0 nothing changes
    EXPECT_EQ(found->Text, "The weight of Attribute is at most 40 % of the weight of Attribute.");
}

// The minimum of V(A) - V(B) on a copy of the model with the bound at value, its rows generated
// and loaded afresh; nothing when the copy is infeasible.
std::optional<double> ReferenceMargin(const Model& model, const StatementBound& bound, double value,
                                      int a, int b) {
    Model copy = model;
    SetBoundValue(copy, bound, value);
    SolverRows rows;
    ForEachModelRow(copy, {}, [&](const UnknownRow& row) { rows.AddConstraint(row); });
    std::map<int, double> costs;
    for (const UnknownTerm& term : DominanceProgram(copy, a, b).Objective) {
        costs[rows.ColumnOf(term.Var)] += term.Coefficient;
    }
    const std::unique_ptr<LpBackend> library = MakeBackend(BackendKind::Library, rows);
    library->SetCosts({costs.begin(), costs.end()});
    RunOptions run;
    run.Budget = 10000000;
    if (library->Minimize(run, {}) != SolveStatus::Optimal) {
        return std::nullopt;
    }
    return library->Objective();
}

// Thresholds agree with a search over the bound that solves the dominance program afresh at
// every value, and no bound left out makes A dominate B anywhere on a grid of its range.
TEST(WhatIf, ThresholdsAgreeWithBruteForceOnRandomModels) {
    testing::RandomModelOptions options;
    options.maxAlternatives = 4;
    options.maxAttributes = 3;
    options.maxGoals = 1;
    int checked = 0;
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        const Model model = testing::MakeRandomModel(seed, options).model;
        const WhatIfOutcome outcome = AnalyzePair(model, 1, 2, nullptr);
        ASSERT_NE(outcome.Status, AnalysisStatus::Cancelled);
        if (outcome.Status != AnalysisStatus::Completed || outcome.Result.DominatesNow) {
            continue;
        }
        for (const StatementBound& bound : CandidateBounds(model)) {
            SCOPED_TRACE(seed);
            SCOPED_TRACE(BoundKindName(bound.Kind));
            const auto found =
                std::find_if(outcome.Result.Changes.begin(), outcome.Result.Changes.end(),
                             [&](const WhatIfChange& c) { return c.Bound == bound; });
            if (found == outcome.Result.Changes.end()) {
                // A ratio statement whose second increase can be negative is left out.
                const std::optional<BoundRows> rows = MakeBoundRows(model, bound);
                if (rows && !NestedInValue(*rows, bound, {}).value_or(false)) {
                    continue;
                }
                const double current = BoundValue(model, bound);
                const double other = OtherBoundValue(model, bound);
                const double to = other != kNotGiven ? other : bound.IsLower() ? 1e3 : 0.0;
                const double from = current != kNotGiven ? current
                                    : bound.IsLower()    ? std::min(kSmallestBound, to / 2.0)
                                                         : 1e3;
                for (int k = 1; k <= 10; ++k) {
                    const std::optional<double> margin =
                        ReferenceMargin(model, bound, from + (to - from) * k / 10.0, 1, 2);
                    EXPECT_FALSE(margin && *margin > 1e-9) << from + (to - from) * k / 10.0;
                }
                continue;
            }
            if (found->Current == kNotGiven) {
                const std::optional<double> margin =
                    ReferenceMargin(model, bound, found->Threshold, 1, 2);
                if (margin && *margin > kDominanceMargin) {
                    // Stating the bound at all makes A dominate B: the threshold is where the
                    // search started, and every value below it works.
                    continue;
                }
            }
            // Bisection between the bound today and the proposed value.
            double off = found->Current != kNotGiven ? found->Current
                         : bound.IsLower()           ? 0.0
                                                     : kLargestBound;
            double on = found->Proposed;
            const std::optional<double> atProposed = ReferenceMargin(model, bound, on, 1, 2);
            ASSERT_TRUE(atProposed.has_value());
            EXPECT_GT(*atProposed, 0.0);
            // Where the margin grows by less than 1e-5 per unit of the bound, the solvers' last
            // digits move the crossing by more than 1e-6: no threshold is that exact there.
            if (*atProposed < 1e-5 * std::abs(found->Proposed - found->Threshold)) {
                continue;
            }
            while (std::abs(on - off) > 1e-8) {
                const double mid = (on + off) / 2.0;
                const std::optional<double> margin = ReferenceMargin(model, bound, mid, 1, 2);
                (margin && *margin > kDominanceMargin ? on : off) = mid;
            }
            EXPECT_NEAR(found->Threshold, (on + off) / 2.0, 1e-6);
            ++checked;
        }
    }
    EXPECT_GT(checked, 5);
}

// Inside every interval the conclusions are those of today; just beyond a finite end that no
// other bound sets, some conclusion differs.
TEST(Stability, IntervalEndsMatchTheConclusionsOnRandomModels) {
    testing::RandomModelOptions options;
    options.maxAlternatives = 4;
    options.maxAttributes = 3;
    options.maxGoals = 1;
    int ends = 0;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        const Model model = testing::MakeRandomModel(seed, options).model;
        Conclusions now;
        if (!CurrentConclusions(model, now)) {
            continue;
        }
        const StabilityOutcome outcome = AnalyzeStability(model, nullptr);
        ASSERT_EQ(outcome.Status, AnalysisStatus::Completed);
        for (const StabilityInterval& interval : outcome.Result.Intervals) {
            SCOPED_TRACE(interval.Text);
            const double tolerance = kStabilityTolerance * std::max(1.0, std::abs(interval.Value));
            const double other = OtherBoundValue(model, interval.Bound);
            for (const std::optional<double>& end : {interval.Low, interval.High}) {
                if (!end || *end == other || *end == interval.Value) {
                    continue;
                }
                Model copy = model;
                SetBoundValue(copy, interval.Bound, *end);
                Conclusions there;
                EXPECT_TRUE(CurrentConclusions(copy, there) && there == now) << *end;
                const double beyond = *end + (*end > interval.Value ? 2 : -2) * tolerance;
                if (beyond < 0.0 || *end >= kLargestBound) {
                    continue;
                }
                SetBoundValue(copy, interval.Bound, beyond);
                EXPECT_FALSE(CurrentConclusions(copy, there) && there == now) << beyond;
                ++ends;
            }
        }
    }
    EXPECT_GT(ends, 5);
}

} // namespace
} // namespace velor
