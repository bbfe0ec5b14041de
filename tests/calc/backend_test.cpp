// Both backends against our own solver from scratch, on random programs whose coefficients are
// exact in single precision (so every solver solves the same program); cancellation through the
// token; and the order of the default policy's cascade.
#include "calc/lp_backend.h"
#include "calc/number_text.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "calc/solve_policy.h"
#include "calc/warm_start_solver.h"
#include "calc_test_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace velor {
namespace {

// A bounded feasible program over n columns: x1 + ... + xn = 1 and random rows a*x <= b (halves
// and quarters) that the point with every column 1/n satisfies; random objectives.
struct RandomProgram {
    TConstraintModel rows{kMinimize, ""};
    std::vector<std::string> objectives;
};

std::string Term(double coefficient, int column) {
    return (coefficient < 0 ? "-" : "+") + NumberText(std::abs(coefficient)) + "*x" +
           std::to_string(column);
}

RandomProgram MakeProgram(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> half(-6, 6);
    const int n = 3 + static_cast<int>(seed % 8);
    RandomProgram p;
    std::string sum;
    for (int j = 1; j <= n; ++j) {
        sum += Term(1.0, j);
    }
    p.rows.AddConstraint(sum + "=1");
    for (int i = 0; i < n; ++i) {
        std::string row;
        double sumOfCoefficients = 0.0;
        for (int j = 1; j <= n; ++j) {
            const double a = half(random) / 2.0;
            sumOfCoefficients += a;
            row += Term(a, j);
        }
        // Above a*x at the centre: at most sum/n rounded up to a quarter, plus a margin.
        const double b = std::ceil(4.0 * sumOfCoefficients / n) / 4.0 + (half(random) + 6) / 4.0;
        p.rows.AddConstraint(row + "<=" + NumberText(b));
    }
    for (int k = 0; k < 6; ++k) {
        std::string objective;
        for (int j = 1; j <= n; ++j) {
            objective += Term(half(random) / 2.0, j);
        }
        p.objectives.push_back(objective);
    }
    return p;
}

// On both backends, a sequence of objectives on one problem (each warm-started from the last
// optimum) ends where our own solver, solving each program from scratch, ends.
class BackendTest : public ::testing::TestWithParam<BackendKind> {};

TEST_P(BackendTest, WarmStartedSequencesAgreeWithSolvingFromScratch) {
    SetSolverConsole(nullptr);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const RandomProgram p = MakeProgram(seed);
        const SolverRows rows = ParseProgram(p.rows);
        const std::unique_ptr<LpBackend> backend = MakeBackend(GetParam(), rows);
        for (const std::string& objective : p.objectives) {
            for (const Direction direction : {kMinimize, kMaximize}) {
                TConstraintModel program(direction, objective);
                program.Constraints = p.rows.Constraints;
                const TSolution own = SolveModel(program);
                ASSERT_EQ(own.Status, SolveStatus::Optimal) << seed;
                std::vector<std::pair<int, double>> costs;
                for (const ParsedTerm& term : ParseConstraint(objective).Terms) {
                    const double cost =
                        direction == kMaximize ? -term.Coefficient : term.Coefficient;
                    costs.emplace_back(rows.ColumnOf(term.Name), cost);
                }
                backend->SetCosts(costs);
                RunOptions run;
                run.Budget = 10000;
                ASSERT_EQ(backend->Minimize(run, {}), SolveStatus::Optimal) << seed;
                const double optimum =
                    direction == kMaximize ? -backend->Objective() : backend->Objective();
                EXPECT_NEAR(optimum, own.Objective, 1e-9) << seed << " " << objective;
            }
        }
    }
    SetSolverConsole(&std::cout);
}

// A token that asks to stop ends the run as Cancelled; the backend stays usable, and the token
// does not outlive the run: the next solve without one is not stopped.
TEST_P(BackendTest, ACancelledRunLeavesNothingSetForTheNextSolve) {
    const RandomProgram p = MakeProgram(7);
    const std::unique_ptr<LpBackend> backend = MakeBackend(GetParam(), ParseProgram(p.rows));
    backend->SetCosts({{1, -1.0}, {2, -1.0}});
    int asked = 0;
    const CancelToken stop([&asked] { return ++asked > 0; });
    EXPECT_EQ(backend->Minimize(RunOptions{}, stop), SolveStatus::Cancelled);
    EXPECT_GT(asked, 0);
    backend->Restart();
    EXPECT_EQ(backend->Minimize(RunOptions{}, {}), SolveStatus::Optimal);
    TConstraintModel program(kMaximize, "x1+x2");
    program.Constraints = p.rows.Constraints;
    EXPECT_EQ(SolveModel(program).Status, SolveStatus::Optimal);
    EXPECT_EQ(SolveModel(program, stop).Status, SolveStatus::Cancelled);
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendTest,
                         ::testing::Values(BackendKind::OwnSimplex, BackendKind::Library),
                         [](const auto& info) {
                             return info.param == BackendKind::Library ? "Library" : "OwnSimplex";
                         });

// The default policy's cascade, in order: a program of a set whose rows do not split goes to the
// library solver; the same objective up to tied columns is known without solving; a minimum
// that an earlier optimum puts at 0 is proven; everything agrees with the reference policy.
TEST(SolvePolicy, TheDefaultCascadeAsksEarlierOptimaBeforeTheSolvers) {
    testing::CalcTestModel t(3);
    const NodeId a = t.Attribute();
    const NodeId b = t.Attribute();
    t.Rank(a, {1, 2, 3});
    t.Rank(b, {2, 1, 1}); // alternatives 2 and 3 tie on b
    t.Rank(t.root, {1, 2, 3}); // a holistic ranking: the rows do not split per attribute
    WarmStartSolver policy(t.model);
    const std::unique_ptr<SolvePolicy> reference = MakeReferencePolicy(t.model);
    const auto solve = [&](const ProgramParts& parts) {
        const TSolution fast = policy.Solve(parts, {});
        const TSolution slow = reference->Solve(parts, {});
        EXPECT_EQ(fast.Status, slow.Status);
        EXPECT_NEAR(fast.Objective, slow.Objective, 1e-9);
    };
    const int columnB = t.model.ColumnOfNode(b);
    solve(ValueProgram(t.model, columnB, 2, 1, false));
    EXPECT_EQ(policy.ClpSolves(), 1);
    solve(ValueProgram(t.model, columnB, 3, 1, false)); // tied with alternative 2 on b
    EXPECT_EQ(policy.KnownSolves(), 1);
    solve(ValueProgram(t.model, columnB, 2, 0, false)); // its minimum: 0 at the last optimum?
    solve(DominanceProgram(t.model, 1, 2));
    EXPECT_EQ(policy.ClpSolves() + policy.KnownSolves() + policy.ProvenSolves(), 4);
    EXPECT_EQ(policy.ScratchSolves(), 0);
}

} // namespace
} // namespace velor
