#include "calc/statement_bound.h"

#include "calc/constraint_generator.h"
#include "calc/stability.h"
#include "calc/variant_solver.h"
#include "calc/what_if.h"
#include "calc_test_model.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velor {
namespace {

using testing::CalcTestModel;
using testing::ScriptedHost;

// The parameterized row of every stated bound is the row the generator writes for the model with
// the bound at that value, term by term, and the other rows are the model's own.
TEST(StatementBound, RowAtMatchesTheGeneratedRowOnRandomModels) {
    int checked = 0;
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        const Model model = testing::MakeRandomModel(seed).model;
        for (const StatementBound& bound : StatedBounds(model)) {
            SCOPED_TRACE(seed);
            const std::optional<BoundRows> rows = MakeBoundRows(model, bound);
            ASSERT_TRUE(rows.has_value()) << BoundKindName(bound.Kind);
            const double value = BoundValue(model, bound);
            ASSERT_NE(value, kNotGiven);
            for (const double factor : {0.5, 1.0, 3.0}) {
                Model copy = model;
                SetBoundValue(copy, bound, value * factor);
                std::vector<UnknownRow> generated;
                ForEachModelRow(copy, {}, [&](const UnknownRow& row) { generated.push_back(row); });
                ASSERT_EQ(generated.size(), rows->Rows.size());
                const UnknownRow row = rows->RowAt(value * factor);
                const UnknownRow& expected = generated[rows->Index];
                ASSERT_EQ(row.Terms.size(), expected.Terms.size());
                EXPECT_EQ(row.Relation, expected.Relation);
                EXPECT_EQ(row.RightSide, expected.RightSide);
                for (std::size_t i = 0; i < row.Terms.size(); ++i) {
                    EXPECT_EQ(row.Terms[i].Var, expected.Terms[i].Var);
                    EXPECT_NEAR(row.Terms[i].Coefficient, expected.Terms[i].Coefficient, 1e-12);
                }
                for (std::size_t k = 0; k < generated.size(); ++k) {
                    if (k != rows->Index) {
                        EXPECT_EQ(generated[k].Terms, rows->Rows[k].Terms);
                    }
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 30);
}

// A stated bound is found again under its own kind, node and value, and reads back what
// SetBoundValue stores.
TEST(StatementBound, StatedBoundsRoundTrip) {
    for (const bool topDown : {false, true}) {
        CalcTestModel m(2);
        m.model.SetTopDownWeights(topDown);
        const NodeId a = m.Attribute();
        const NodeId b = m.Attribute();
        m.Rank(a, {1, 2});
        m.Rank(b, {2, 1});
        if (topDown) {
            m.TopDown(a, 100, 100);
            m.TopDown(b, 20, 80);
        } else {
            m.BottomUp(a, 100, 100);
            m.BottomUp(b, 20, 80);
        }
        const std::vector<StatementBound> bounds = StatedBounds(m.model);
        ASSERT_EQ(bounds.size(), 2u) << topDown;
        for (const StatementBound& bound : bounds) {
            EXPECT_EQ(bound.Node, b);
            EXPECT_EQ(bound.Reference, a);
            EXPECT_EQ(bound.TopDown, topDown);
            EXPECT_EQ(BoundValue(m.model, bound), bound.IsLower() ? 20.0 : 80.0);
            Model copy = m.model;
            SetBoundValue(copy, bound, 55.5);
            EXPECT_EQ(BoundValue(copy, bound), 55.5);
            EXPECT_EQ(OtherBoundValue(copy, bound), bound.IsLower() ? 80.0 : 20.0);
        }
    }
}

TEST(VariantSolver, RowsChangeTheMinimum) {
    // x + y = 1, x <= 0.25: the minimum of y is 0.75; without that row 0.
    const Unknown x{1, 1};
    const Unknown y{2, 1};
    VariantSolver solver(
        {{{{x, 1.0}, {y, 1.0}}, kRelationEqual, 1.0}, {{{x, 1.0}}, kRelationLessEqual, 0.25}}, {});
    double minimum = -1.0;
    ASSERT_EQ(solver.Minimize({{y, 1.0}}, minimum), SolveStatus::Optimal);
    EXPECT_NEAR(minimum, 0.75, 1e-12);
    solver.SetRow(1, solver.Row(1), false);
    ASSERT_EQ(solver.Minimize({{y, 1.0}}, minimum), SolveStatus::Optimal);
    EXPECT_NEAR(minimum, 0.0, 1e-12);
    solver.SetRow(1, {{{x, 1.0}}, kRelationLessEqual, 0.5}, true);
    std::vector<double> point;
    const std::vector<Unknown> unknowns{x, y};
    ASSERT_EQ(solver.Minimize({{y, 1.0}}, minimum, &unknowns, &point),
              SolveStatus::Optimal);
    EXPECT_NEAR(minimum, 0.5, 1e-12);
    EXPECT_NEAR(point[0], 0.5, 1e-12);
    // A row added for one question and taken away again.
    solver.AddRow({{{x, 1.0}}, kRelationGreaterEqual, 0.75});
    EXPECT_EQ(solver.Minimize({{y, 1.0}}, minimum), SolveStatus::Infeasible);
    solver.TruncateRows(2);
    EXPECT_EQ(solver.Minimize({{y, 1.0}}, minimum), SolveStatus::Optimal);
    // An unknown that no row bounds has no minimum going down.
    EXPECT_EQ(solver.Minimize({{Unknown{3, 1}, -1.0}}, minimum), SolveStatus::Unbounded);
    VariantSolver stopped(solver.RowCount() > 0 ? std::vector<UnknownRow>{solver.Row(0)}
                                                : std::vector<UnknownRow>{},
                          [] { return true; });
    EXPECT_EQ(stopped.Minimize({{y, 1.0}}, minimum), SolveStatus::Cancelled);
}

// Both analyses report an infeasible model and a cancel request instead of a result.
TEST(WhatIf, InfeasibleAndCancelledRunsGiveNoResult) {
    CalcTestModel m(3);
    const NodeId a = m.Attribute();
    const NodeId b = m.Attribute();
    m.Rank(a, {1, 2, 3});
    m.Rank(b, {3, 2, 1});
    m.BottomUp(a, 100, 100);
    m.BottomUp(b, 40, 60);
    ScriptedHost host;
    host.cancel = true;
    EXPECT_EQ(AnalyzePair(m.model, 1, 2, &host).Status, AnalysisStatus::Cancelled);
    EXPECT_EQ(AnalyzeStability(m.model, &host).Status, AnalysisStatus::Cancelled);
    host.cancel = false;
    const StabilityOutcome done = AnalyzeStability(m.model, &host);
    EXPECT_EQ(done.Status, AnalysisStatus::Completed);
    EXPECT_EQ(host.lastDone, host.lastTotal);
    EXPECT_EQ(AnalyzePair(m.model, 2, 2, nullptr).Status, AnalysisStatus::Failed);

    m.BottomUp(b, 200, 50); // at least twice and at most half of a's weight
    EXPECT_EQ(AnalyzePair(m.model, 1, 2, nullptr).Status, AnalysisStatus::Infeasible);
    EXPECT_EQ(AnalyzeStability(m.model, nullptr).Status, AnalysisStatus::Infeasible);
}

} // namespace
} // namespace velor
