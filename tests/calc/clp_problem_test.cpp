// The library solver of whole constraint sets against our own solver, on random programs whose
// coefficients are exact in single precision (so both solve the same program), and its Cancel.
#include "calc/clp_problem.h"
#include "calc/number_text.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "lp/diagnostics.h"
#include "lp/lpx.h"

#include <gtest/gtest.h>

#include <cmath>
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

// A sequence of objectives on one problem (each warm-started from the last optimum) ends where
// our own solver, solving each program from scratch, ends.
TEST(ClpProblem, WarmStartedSequencesAgreeWithOurOwnSolver) {
    LP_SETCONSOLE(nullptr);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const RandomProgram p = MakeProgram(seed);
        const SolverRows rows = ParseProgram(p.rows);
        ClpProblem problem(rows);
        for (const std::string& objective : p.objectives) {
            for (const std::uint8_t direction : {kMinimize, kMaximize}) {
                TConstraintModel program(direction, objective);
                program.Constraints = p.rows.Constraints;
                const TSolution own = SolveModel(program);
                ASSERT_EQ(own.Failed, kSolveOptimal) << seed;
                std::vector<std::pair<int, double>> costs;
                for (const ParsedTerm& term : ParseConstraint(objective).Terms) {
                    const double cost =
                        direction == kMaximize ? -term.Coefficient : term.Coefficient;
                    costs.emplace_back(rows.ColumnOf(term.Name), cost);
                }
                problem.SetCosts(costs);
                ASSERT_EQ(problem.Minimize(10000), ClpProblem::Outcome::Optimal) << seed;
                const double optimum =
                    direction == kMaximize ? -problem.Objective() : problem.Objective();
                EXPECT_NEAR(optimum, own.Objective, 1e-9) << seed << " " << objective;
            }
        }
    }
}

TEST(ClpProblem, ARunStopsWhenTheCalculationIsCancelled) {
    const RandomProgram p = MakeProgram(7);
    ClpProblem problem(ParseProgram(p.rows));
    problem.SetCosts({{1, -1.0}, {2, -1.0}});
    lp::setInterrupt([] { return true; });
    EXPECT_EQ(problem.Minimize(10000), ClpProblem::Outcome::Interrupted);
    lp::setInterrupt({});
    problem.Restart();
    EXPECT_EQ(problem.Minimize(10000), ClpProblem::Outcome::Optimal);
}

} // namespace
} // namespace velor
