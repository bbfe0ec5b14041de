#include "calc/calculation_driver.h"

#include "calc/solver_bridge.h"
#include "calc_test_model.h"
#include "calc/lp_backend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <map>
#include <set>
#include <string>

namespace velor {
namespace {

using testing::CalcTestModel;
using testing::ScriptedHost;

constexpr double kTolerance = 1e-6;

// The real solver, except for the calls (counted from 1, the feasibility check included) that a
// test makes fail, report a fatal error, or throw.
struct ScriptedSolver {
    SolveFunction Function() {
        return [this](const TConstraintModel& program) {
            ++calls;
            if (failAt.count(calls) != 0) {
                TSolution solution;
                solution.Status = SolveStatus::Infeasible;
                return solution;
            }
            if (auto error = errorAt.find(calls); error != errorAt.end()) {
                TSolution solution;
                solution.Status = SolveStatus::Infeasible;
                solution.Error = error->second;
                return solution;
            }
            if (throwAt == calls) {
                throw std::runtime_error("Eta file overflow"); // as the solver does
            }
            TSolution solution = SolveModel(program);
            if (nudgeEvenCalls && calls % 2 == 0) {
                solution.Objective = std::nextafter(solution.Objective, -1.0);
            }
            return solution;
        };
    }
    bool nudgeEvenCalls = false; // every second optimum one unit in the last place lower
    int calls = 0;
    std::set<int> failAt;
    std::map<int, std::string> errorAt;
    int throwAt = 0;
};

// Main goal, goal G with attribute A below it, attribute B below the main goal: K = 4 nodes
// (columns 1 to 4), M = 3 alternatives, weights bottom up: A the reference, B 50 to 200 %.
struct FourNodeModel : CalcTestModel {
    FourNodeModel() : CalcTestModel(3) {
        g = Add(kGoal, root);
        a = Add(kAttribute, g);
        b = Add(kAttribute, root);
        Rank(a, {1, 2, 3});
        Rank(b, {3, 1, 2});
        BottomUp(a, 100, 100);
        BottomUp(b, 50, 200);
    }
    NodeId g = kNone;
    NodeId a = kNone;
    NodeId b = kNone;
};

TEST(ProgressPercent, IsLimitedAndNeverNaN) {
    EXPECT_DOUBLE_EQ(ProgressPercent(1, 4), 25.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(25, 24), 100.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(-1, 4), 0.0);
}

// Every type on the four-node model: steps done, the step total shown, linear programs solved
// (feasibility check included), the status text, the events pumped (one per step) and the final
// message.
TEST(CalculationDriver, RunsTheStepsOfEveryType) {
    struct Expected {
        CalculationType type;
        int steps;
        int lps;
        const char* status;
    };
    const Expected cases[] = {
        // dominance 9 (6 programs), values 12 (24), weights 3 (6), regret 1
        {kCalculateModel, 25, 1 + 6 + 24 + 6, "Calculating model..."},
        // main goal 3 (6), dominance 9 (6), regret 1
        {kCalculatePartially, 13, 1 + 6 + 6, "Calculating model partially..."},
        {kAllValueIntervals, 12, 1 + 24, "Calculating value intervals..."},
        {kWeights, 3, 1 + 6, "Calculating weights..."},
        {kDominances, 10, 1 + 6, "Calculating dominances..."},
        {kMainGoalIntervals, 3, 1 + 6, "Calculating value intervals..."},
        {kNormalizedIntervals, 12, 1 + 24, "Calculating normalized value intervals..."},
        {kNonNormalizedIntervals, 12, 1 + 24, "Calculating non-normalized value intervals..."},
    };
    for (const Expected& expected : cases) {
        SCOPED_TRACE(static_cast<int>(expected.type));
        FourNodeModel m;
        ScriptedHost host;
        CalculationDriver driver(m.model, host);
        // Pumps inside the simplex come only after this long: none on a loaded machine either.
        driver.SetPollInterval(std::chrono::hours(1));
        EXPECT_EQ(driver.Run(expected.type), RunOutcome::Complete);
        EXPECT_EQ(driver.Total(), StepTotal(expected.type, 3, 4));
        EXPECT_EQ(driver.Progress(), expected.steps);
        EXPECT_EQ(host.lastDone, expected.steps);
        EXPECT_EQ(host.lastTotal, driver.Total());
        EXPECT_EQ(host.eventPumps, expected.steps);
        EXPECT_EQ(driver.LpCount(), expected.lps);
        ASSERT_EQ(host.status.size(), 1u);
        EXPECT_EQ(host.status[0], expected.status);
        EXPECT_EQ(host.finished, 1);
        EXPECT_TRUE(host.questions.empty());
        const auto [kind, text] = host.Message();
        EXPECT_EQ(kind, MessageKind::Information);
        EXPECT_EQ(text, expected.type == kCalculatePartially ? kPartialCompleteMessage
                                                             : kCompleteMessage);
    }
}

TEST(CalculationDriver, WeightsOfAMainGoalAloneNeedNoStep) {
    CalcTestModel m(2);
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    EXPECT_EQ(driver.Run(kWeights), RunOutcome::Complete);
    EXPECT_EQ(driver.Total(), 0);
    EXPECT_EQ(driver.LpCount(), 0);
    EXPECT_EQ(host.Message(), std::pair(MessageKind::Information, std::string(kCompleteMessage)));
}

TEST(CalculationDriver, NothingRunsWithoutTreeOrAlternatives) {
    for (int alternatives : {0, 2}) {
        Model model;
        if (alternatives > 0) {
            for (int i = 0; i < alternatives; ++i) {
                model.NewAlternative();
            }
        } else {
            model.AddNode(kGoal, kNone);
        }
        const Model before = model;
        ScriptedHost host;
        CalculationDriver driver(model, host);
        EXPECT_EQ(driver.Run(kCalculateModel), RunOutcome::NothingToRun);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(model, before);
    }
}

TEST(CalculationDriver, InfeasibleModelChangesNothing) {
    FourNodeModel m;
    m.BottomUp(m.b, 200, 50); // at least twice and at most half of A's weight
    ResultRecords(m.model).AlternativeData(1).ValueLower = 0.25;
    const Model before = m.model;
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    EXPECT_EQ(driver.Run(kCalculateModel), RunOutcome::Infeasible);
    EXPECT_FALSE(driver.Feasible());
    EXPECT_EQ(host.Message(),
              std::pair(MessageKind::Warning, std::string("The model couldn't be computed!\n"
                                                          "There are no feasible solutions.")));
    EXPECT_TRUE(host.status.empty());
    EXPECT_EQ(driver.LpCount(), 1);
    EXPECT_EQ(m.model, before);
    EXPECT_FALSE(CheckFeasibility(m.model));
}

TEST(CalculationDriver, CancelStopsBeforeTheNextStep) {
    FourNodeModel m;
    ResultRecords(m.model).NodeData(m.a).WeightLower = 0.125; // the weights phase is never reached
    ScriptedHost host;
    host.cancelAtPump = 4; // three dominance pairs are done
    CalculationDriver driver(m.model, host);
    EXPECT_EQ(driver.Run(kCalculateModel), RunOutcome::NotFinished);
    EXPECT_EQ(driver.Progress(), 3);
    EXPECT_EQ(host.eventPumps, 4);
    EXPECT_EQ(driver.LpCount(), 1 + 2); // pairs (1,2) and (1,3); (1,1) needs none
    EXPECT_EQ(host.Message(), std::pair(MessageKind::Warning,
                                        std::string("Calculation was not finished successfully.")));
    EXPECT_EQ(host.finished, 1);
    EXPECT_FALSE(host.cancel); // cleared at the end of the run
    const TAlternativeData& first = m.model.Alternative(1);
    EXPECT_EQ(first.Dominance[1], kSelf);
    EXPECT_NE(first.Dominance[2], kNotComputed);
    EXPECT_EQ(m.model.Alternative(2).Dominance[3], kNotComputed);
    EXPECT_EQ(m.model.Node(m.a).WeightLower, 0.125);
    // The flags are recomputed even so, from results that were calculated only: none here.
    int flagged = 0;
    for (int row = 1; row <= 3; ++row) {
        for (const std::uint8_t flag : m.model.Alternative(row).Recommended) {
            flagged += flag;
        }
    }
    EXPECT_EQ(flagged, 0);
}

TEST(CalculationDriver, CancelBeforeTheRegretStep) {
    FourNodeModel m;
    ScriptedHost host;
    host.cancelAtPump = 10; // after the nine dominance pairs
    CalculationDriver driver(m.model, host);
    EXPECT_EQ(driver.Run(kDominances), RunOutcome::NotFinished);
    EXPECT_EQ(driver.Progress(), 9);
}

// Plain mode: a failed program asks; Yes keeps the stored value and goes on, No stops the run.
TEST(CalculationDriver, FailedProgramInPlainModeAsks) {
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        FourNodeModel m;
        ResultRecords(m.model).NodeData(m.model.Root()).Values[0].Lower = 0.375;
        ResultRecords(m.model).AlternativeData(1).ValueLower = 0.375;
        ScriptedSolver solver;
        solver.failAt = {2}; // the minimum of alternative 1's main-goal value
        ScriptedHost host;
        host.answerYes = yes;
        CalculationDriver driver(m.model, host, solver.Function());
        const RunOutcome outcome = driver.Run(kNonNormalizedIntervals);
        ASSERT_EQ(host.questions.size(), 1u);
        EXPECT_EQ(host.questions[0], "A linear program ended up with an infeasible solution.\n"
                                     "It may result from inconsistent constraints.\n"
                                     "Do you continue with next calculations?");
        EXPECT_EQ(m.model.Node(m.model.Root()).Values[0].Lower, 0.375);
        EXPECT_EQ(m.model.Alternative(1).ValueLower, 0.375);
        if (yes) {
            EXPECT_EQ(outcome, RunOutcome::Complete);
            EXPECT_EQ(driver.Progress(), 12);
            EXPECT_NEAR(m.model.Node(m.model.Root()).Values[0].Upper, 2.0 / 3.0, kTolerance);
            EXPECT_EQ(host.Message().second, kCompleteMessage);
        } else {
            EXPECT_EQ(outcome, RunOutcome::NotFinished);
            EXPECT_EQ(driver.Progress(), 0);
            EXPECT_EQ(solver.calls, 2); // not even the maximum of the same step
            EXPECT_EQ(host.Message(),
                      std::pair(MessageKind::Warning, std::string(kNotFinishedMessage)));
        }
    }
}

// Normalized mode: value and weight programs that fail store 0 without a question; dominance
// programs ask in either mode.
TEST(CalculationDriver, FailedProgramInNormalizedModeStoresZero) {
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        FourNodeModel m;
        m.model.SetNormalizedIntervals(true);
        ScriptedSolver solver;
        solver.failAt = {3}; // the maximum of alternative 1's main-goal value
        ScriptedHost host;
        host.answerYes = yes;
        CalculationDriver driver(m.model, host, solver.Function());
        EXPECT_EQ(driver.Run(kAllValueIntervals), RunOutcome::Complete);
        EXPECT_TRUE(host.questions.empty());
        EXPECT_EQ(m.model.Node(m.model.Root()).Values[0].NormUpper, 0.0);
        EXPECT_EQ(m.model.Consequence(1, 1).NormUpper, 0.0);
        EXPECT_EQ(m.model.Node(m.model.Root()).Values[0].Upper, 0.0); // plain field untouched

        ScriptedSolver weights;
        weights.failAt = {2}; // the minimum of G's weight
        ResultRecords(m.model).NodeData(m.g).NormWeightLower = 0.5;
        CalculationDriver weightDriver(m.model, host, weights.Function());
        EXPECT_EQ(weightDriver.Run(kWeights), RunOutcome::Complete);
        EXPECT_TRUE(host.questions.empty());
        EXPECT_EQ(m.model.Node(m.g).NormWeightLower, 0.0);

        ScriptedSolver dominance;
        dominance.failAt = {2}; // the pair (1, 2)
        CalculationDriver dominanceDriver(m.model, host, dominance.Function());
        EXPECT_EQ(dominanceDriver.Run(kDominances),
                  yes ? RunOutcome::Complete : RunOutcome::NotFinished);
        EXPECT_EQ(host.questions.size(), 1u);
    }
}

TEST(CalculationDriver, FailedWeightProgramInPlainModeAsks) {
    FourNodeModel m;
    ResultRecords(m.model).NodeData(m.g).WeightUpper = 0.625;
    ScriptedSolver solver;
    solver.failAt = {3}; // the maximum of G's weight
    ScriptedHost host;
    host.answerYes = false;
    CalculationDriver driver(m.model, host, solver.Function());
    EXPECT_EQ(driver.Run(kWeights), RunOutcome::NotFinished);
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(m.model.Node(m.g).WeightUpper, 0.625);
    EXPECT_NEAR(m.model.Node(m.g).WeightLower, 1.0 / 3.0, kTolerance);
}

// A fatal solver error is not a question: the run stops at once with a message naming it.
TEST(CalculationDriver, SolverErrorStopsTheRun) {
    {
        FourNodeModel m;
        ScriptedSolver solver;
        solver.errorAt = {{5, "Singular basis after reinversion"}};
        ScriptedHost host;
        CalculationDriver driver(m.model, host, solver.Function());
        EXPECT_EQ(driver.Run(kCalculateModel), RunOutcome::SolverError);
        EXPECT_EQ(solver.calls, 5);
        EXPECT_TRUE(host.questions.empty());
        EXPECT_EQ(host.finished, 1);
        const auto [kind, text] = host.Message();
        EXPECT_EQ(kind, MessageKind::Error);
        EXPECT_NE(text.find("Singular basis after reinversion"), std::string::npos);
        EXPECT_EQ(driver.SolverErrorText(), "Singular basis after reinversion");
    }
    {
        FourNodeModel m;
        ScriptedSolver solver;
        solver.throwAt = 3;
        ScriptedHost host;
        CalculationDriver driver(m.model, host, solver.Function());
        EXPECT_EQ(driver.Run(kAllValueIntervals), RunOutcome::SolverError);
        EXPECT_EQ(solver.calls, 3);
        EXPECT_NE(host.Message().second.find("Eta file overflow"), std::string::npos);
    }
    {
        // during the feasibility check: nothing starts, nothing changes
        FourNodeModel m;
        ScriptedSolver solver;
        solver.errorAt = {{1, "Out of eta storage"}};
        ScriptedHost host;
        CalculationDriver driver(m.model, host, solver.Function());
        EXPECT_EQ(driver.Run(kCalculateModel), RunOutcome::SolverError);
        EXPECT_TRUE(host.status.empty());
        EXPECT_EQ(m.model, FourNodeModel().model) << "a failed feasibility check changes nothing";
        EXPECT_NE(host.Message().second.find("Out of eta storage"), std::string::npos);
    }
}

TEST(CalculationDriver, PartialCalculationLeavesWeightsAndLowerLevelsAlone) {
    FourNodeModel m;
    TNodeData& a = ResultRecords(m.model).NodeData(m.a);
    a.WeightLower = 0.125;
    a.NormWeightUpper = 0.875;
    a.Values[1] = TNodeValue{0.25, 0.75, 0.125, 0.625};
    ResultRecords(m.model).ConsequenceData(m.model.ColumnOfNode(m.b), 2).Lower = 0.0625;
    const TNodeData gBefore = m.model.Node(m.g);
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    EXPECT_EQ(driver.Run(kCalculatePartially), RunOutcome::Complete);
    EXPECT_EQ(m.model.Node(m.a), a);
    EXPECT_EQ(m.model.Node(m.g), gBefore);
    EXPECT_EQ(m.model.Consequence(m.model.ColumnOfNode(m.b), 2).Lower, 0.0625);
    // The main goal and the dominance results are new.
    EXPECT_NEAR(m.model.Alternative(1).ValueUpper, 2.0 / 3.0, kTolerance);
    EXPECT_NE(m.model.Alternative(1).Dominance[2], kNotComputed);
}

TEST(CalculationDriver, NormalizedAndPlainResultsLiveInSeparateFields) {
    FourNodeModel m;
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kNonNormalizedIntervals), RunOutcome::Complete);
    const TNodeData plainA = m.model.Node(m.a);
    EXPECT_EQ(plainA.Values[0].NormLower, 0.0); // defaults: normalized [0, 1]
    EXPECT_EQ(plainA.Values[0].NormUpper, 1.0);
    ASSERT_EQ(driver.Run(kNormalizedIntervals), RunOutcome::Complete);
    const TNodeData& both = m.model.Node(m.a);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(both.Values[i].Lower, plainA.Values[i].Lower);
        EXPECT_EQ(both.Values[i].Upper, plainA.Values[i].Upper);
    }
    // Within A, its best level is worth A's whole weight and its worst nothing.
    EXPECT_NEAR(both.Values[0].NormLower, 1.0, kTolerance);
    EXPECT_NEAR(both.Values[0].NormUpper, 1.0, kTolerance);
    EXPECT_NEAR(both.Values[2].NormUpper, 0.0, kTolerance);
    // Plain: A's best level is worth A's weight, between 1/3 and 2/3.
    EXPECT_NEAR(plainA.Values[0].Lower, 1.0 / 3.0, kTolerance);
    EXPECT_NEAR(plainA.Values[0].Upper, 2.0 / 3.0, kTolerance);
    const int column = m.model.ColumnOfNode(m.a);
    EXPECT_EQ(m.model.Consequence(column, 1).NormLower, both.Values[0].NormLower);
    EXPECT_EQ(m.model.Consequence(column, 1).Lower, both.Values[0].Lower);
    // The option is left as it was.
    EXPECT_FALSE(m.model.NormalizedIntervals());
}

// One attribute, three ranked levels: its weight is the whole weight, so the best level is
// worth 1, the worst 0 and the middle one anything between.
TEST(CalculationDriver, OneAttributeWithThreeLevels) {
    CalcTestModel m(3);
    const NodeId a = m.Attribute();
    m.Rank(a, {1, 2, 3});
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kCalculateModel), RunOutcome::Complete);
    const double expected[3][2] = {{1, 1}, {0, 1}, {0, 0}};
    for (int row = 1; row <= 3; ++row) {
        SCOPED_TRACE(row);
        for (NodeId node : {m.root, a}) {
            const TNodeValue& value = m.model.Node(node).Values[row - 1];
            EXPECT_NEAR(value.Lower, expected[row - 1][0], kTolerance);
            EXPECT_NEAR(value.Upper, expected[row - 1][1], kTolerance);
        }
        EXPECT_NEAR(m.model.Alternative(row).ValueLower, expected[row - 1][0], kTolerance);
        EXPECT_NEAR(m.model.Alternative(row).ValueUpper, expected[row - 1][1], kTolerance);
        EXPECT_NEAR(m.model.Consequence(2, row).Upper, expected[row - 1][1], kTolerance);
    }
    EXPECT_NEAR(m.model.Node(a).WeightLower, 1.0, kTolerance);
    EXPECT_NEAR(m.model.Node(a).WeightUpper, 1.0, kTolerance);
}

// Alternatives 1 and 2 share the top level, so every rule recommends both. With the optimum of
// every second program one unit in the last place off, as a different basis may leave it, the
// stored values and so the ties stay exact.
TEST(CalculationDriver, RoundingNoiseDoesNotDecideTies) {
    CalcTestModel m(3);
    const NodeId a = m.Attribute();
    m.Rank(a, {1, 1, 2});
    ScriptedSolver solver;
    solver.nudgeEvenCalls = true;
    ScriptedHost host;
    CalculationDriver driver(m.model, host, solver.Function());
    ASSERT_EQ(driver.Run(kCalculateModel), RunOutcome::Complete);
    for (int row : {1, 2}) {
        SCOPED_TRACE(row);
        const TAlternativeData& alternative = m.model.Alternative(row);
        EXPECT_EQ(alternative.ValueLower, 1.0);
        EXPECT_EQ(alternative.ValueUpper, 1.0);
        EXPECT_EQ(alternative.MaxRegret, 0.0);
        EXPECT_EQ(alternative.Recommended, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
    }
    EXPECT_EQ(m.model.Alternative(3).Recommended, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(WithoutRoundingNoise, MovesOnlyValuesWithinNoiseOfASimpleFraction) {
    EXPECT_EQ(WithoutRoundingNoise(std::nextafter(1.0, 0.0)), 1.0);
    EXPECT_EQ(WithoutRoundingNoise(std::nextafter(0.5, 1.0)), 0.5);
    EXPECT_EQ(WithoutRoundingNoise(-1e-17), 0.0);
    EXPECT_EQ(WithoutRoundingNoise(1e-13), 0.0);
    // Values a model states or a solver finds are not moved.
    for (double value : {0.3, 1.0 / 3.0, 2.0 / 3.0, 1e-11, 0.1 + 1e-9, -0.7, 12345.678}) {
        EXPECT_EQ(WithoutRoundingNoise(value), value) << value;
    }
}

// Two attributes, A the reference (100) and B at 50 to 200 % of it: wA + wB = 1 and
// wA / 2 <= wB <= 2 wA give wA, wB in [1/3, 2/3], in plain and (below the main goal, whose
// weight is 1) normalized mode alike.
TEST(CalculationDriver, BottomUpWeightIntervals) {
    for (bool normalized : {false, true}) {
        SCOPED_TRACE(normalized);
        CalcTestModel m(2);
        const NodeId a = m.Attribute();
        const NodeId b = m.Attribute();
        m.Rank(a, {1, 2});
        m.Rank(b, {2, 1});
        m.BottomUp(a, 100, 100);
        m.BottomUp(b, 50, 200);
        m.model.SetNormalizedIntervals(normalized);
        ScriptedHost host;
        CalculationDriver driver(m.model, host);
        ASSERT_EQ(driver.Run(kWeights), RunOutcome::Complete);
        for (NodeId node : {a, b}) {
            const TNodeData& data = m.model.Node(node);
            EXPECT_NEAR(normalized ? data.NormWeightLower : data.WeightLower, 1.0 / 3.0,
                        kTolerance);
            EXPECT_NEAR(normalized ? data.NormWeightUpper : data.WeightUpper, 2.0 / 3.0,
                        kTolerance);
        }
    }
}

// Top down: goal G (reference) holds A and B, with B at 50 to 100 % of A; attribute C below the
// main goal is 25 to 50 % of G. Normalized weights are local to the parent: B in [1/3, 1/2].
TEST(CalculationDriver, TopDownWeightsAreLocalWhenNormalized) {
    CalcTestModel m(2);
    const NodeId g = m.Add(kGoal, m.root);
    const NodeId a = m.Add(kAttribute, g);
    const NodeId b = m.Add(kAttribute, g);
    const NodeId c = m.Add(kAttribute, m.root);
    m.Rank(a, {1, 2});
    m.Rank(b, {2, 1});
    m.Rank(c, {1, 2});
    m.TopDown(g, 100, 100);
    m.TopDown(c, 25, 50);
    m.TopDown(a, 100, 100);
    m.TopDown(b, 50, 100);
    m.model.SetTopDownWeights(true);
    m.model.SetNormalizedIntervals(true);
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kWeights), RunOutcome::Complete);
    EXPECT_NEAR(m.model.Node(b).NormWeightLower, 1.0 / 3.0, kTolerance);
    EXPECT_NEAR(m.model.Node(b).NormWeightUpper, 0.5, kTolerance);
    // C = k G with k in [1/4, 1/2] and G + C = 1: C in [1/5, 1/3].
    EXPECT_NEAR(m.model.Node(c).NormWeightLower, 0.2, kTolerance);
    EXPECT_NEAR(m.model.Node(c).NormWeightUpper, 1.0 / 3.0, kTolerance);
}

TEST(CalculationDriver, GoalWithNothingBelowIsWorthNothing) {
    CalcTestModel m(2);
    const NodeId a = m.Attribute();
    const NodeId empty = m.Add(kGoal, m.root);
    m.Rank(a, {1, 2});
    ResultRecords(m.model).NodeData(empty).Values[0] = TNodeValue{0.5, 0.5, 0.5, 0.5};
    ResultRecords(m.model).NodeData(empty).WeightLower = 0.5;
    ScriptedHost host;
    CalculationDriver driver(m.model, host);
    ASSERT_EQ(driver.Run(kCalculateModel), RunOutcome::Complete);
    // 1 check, 2 pairs, 2 x 2 value programs for the main goal and A, 2 x 2 weight programs of A.
    EXPECT_EQ(driver.LpCount(), 1 + 2 + 8 + 2);
    const TNodeData& data = m.model.Node(empty);
    EXPECT_EQ(data.Values[0].Lower, 0.0);
    EXPECT_EQ(data.Values[0].Upper, 0.0);
    EXPECT_EQ(data.WeightLower, 0.0);
    EXPECT_EQ(data.WeightUpper, 1.0);
}

} // namespace
} // namespace velor
