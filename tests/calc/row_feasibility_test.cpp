// Feasibility of parts of a constraint system: with its rows simplified and its columns
// renumbered, every check answers as the reference path does on the same rows.
#include "calc/calculation_driver.h"
#include "calc/constraint_generator.h"
#include "calc/row_feasibility.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velor {
namespace {

// The generated rows of a model, split into the kind of rows a conflict search keeps in every
// check (the scale, the bounds of unranked levels, the equalities within rankings) and the rest.
struct SplitRows {
    TConstraintModel program{kMinimize, std::string()};
    std::vector<int> kept;       // from 1
    std::vector<int> candidates; // from 1
};

SplitRows Split(const Model& model) {
    SplitRows split;
    std::vector<RowOrigin> origins;
    AppendModelConstraints(model, split.program, {}, &origins);
    for (std::size_t i = 0; i < origins.size(); ++i) {
        const RowSource source = origins[i].Source;
        const bool kept = source == RowSource::Scale || source == RowSource::UnrankedLevel ||
                          source == RowSource::EqualRank;
        (kept ? split.kept : split.candidates).push_back(static_cast<int>(i) + 1);
    }
    return split;
}

bool ReferenceFeasible(const Model& model, const SplitRows& split,
                       const std::vector<int>& candidates) {
    TConstraintModel program(kMinimize, TermsText(NodeValueTerms(model, 1, 1, 1.0)));
    for (const std::vector<int>* rows : {&split.kept, &candidates}) {
        for (const int row : *rows) {
            program.AddConstraint(split.program.Constraints[static_cast<std::size_t>(row - 1)]);
        }
    }
    return SolveModel(program).Optimal();
}

struct Case {
    const char* name;
    bool infeasible;
};

class RowFeasibilityAgrees : public ::testing::TestWithParam<Case> {};

// Random parts of the candidates of generated models: each check gives the reference's answer.
TEST_P(RowFeasibilityAgrees, WithTheReferencePathOnRandomParts) {
    std::mt19937_64 random(7);
    int infeasibleChecks = 0;
    int absorbed = 0;
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        testing::RandomModelOptions options;
        options.infeasible = GetParam().infeasible;
        options.maxAlternatives = 8;
        options.maxAttributes = 8;
        const Model model = testing::MakeRandomModel(seed, options).model;
        if (model.AttributeCount() == 0) {
            continue;
        }
        const SplitRows split = Split(model);
        RowFeasibility check(ParseProgram(split.program), split.kept);
        absorbed += check.AbsorbedRows();
        for (int trial = 0; trial < 8; ++trial) {
            // Every candidate with a chance that goes from none to all.
            const double share = trial / 7.0;
            std::vector<int> part;
            for (const int row : split.candidates) {
                if (std::bernoulli_distribution(share)(random)) {
                    part.push_back(row);
                }
            }
            const bool expected = ReferenceFeasible(model, split, part);
            infeasibleChecks += expected ? 0 : 1;
            EXPECT_EQ(check.Feasible(part), expected)
                << "seed " << seed << ", " << part.size() << " of " << split.candidates.size();
        }
        EXPECT_EQ(check.Checks(), 8);
    }
    EXPECT_GT(absorbed, 0);
    EXPECT_EQ(infeasibleChecks > 0, GetParam().infeasible);
}

INSTANTIATE_TEST_SUITE_P(Models, RowFeasibilityAgrees,
                         ::testing::Values(Case{"Feasible", false}, Case{"Infeasible", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The rows the elastic program names admit no solution with the kept rows, and they are
// candidates.
TEST(RowFeasibility, ElasticSupportIsAContradictionAmongTheCandidates) {
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        testing::RandomModelOptions options;
        options.infeasible = true;
        const Model model = testing::MakeRandomModel(seed, options).model;
        const SplitRows split = Split(model);
        RowFeasibility check(ParseProgram(split.program), split.kept);
        const std::vector<int> support = check.ElasticSupport(split.candidates);
        SCOPED_TRACE("seed " + std::to_string(seed));
        EXPECT_TRUE(std::is_sorted(support.begin(), support.end()));
        EXPECT_TRUE(std::includes(split.candidates.begin(), split.candidates.end(), support.begin(),
                                  support.end()));
        EXPECT_FALSE(ReferenceFeasible(model, split, support));
    }
}

// A feasible system needs no part of it to give way.
TEST(RowFeasibility, ElasticSupportOfAFeasibleSystemIsEmpty) {
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        const Model model = testing::MakeRandomModel(seed).model;
        const SplitRows split = Split(model);
        RowFeasibility check(ParseProgram(split.program), split.kept);
        EXPECT_TRUE(check.ElasticSupport(split.candidates).empty()) << "seed " << seed;
    }
}

// An equality of two variables joins them; a row that a variable of its own satisfies goes.
TEST(RowFeasibility, SimplifiesTheKeptRows) {
    TConstraintModel program(kMinimize, std::string());
    program.AddConstraint("1*a-1*b=0");   // kept: joins a and b
    program.AddConstraint("1*c-1*a<=0");  // kept: c is named nowhere else
    program.AddConstraint("a+d=1");       // kept
    program.AddConstraint("1*b-1*d<=0");  // candidate
    program.AddConstraint("-1*d+1*b<=0"); // candidate: the same row
    program.AddConstraint("1*d<=0");      // candidate
    RowFeasibility check(ParseProgram(program), {1, 2, 3});
    EXPECT_EQ(check.AbsorbedRows(), 2);
    EXPECT_TRUE(check.Feasible({}));
    EXPECT_TRUE(check.Feasible({4, 5}));
    EXPECT_FALSE(check.Feasible({4, 6}));
    EXPECT_TRUE(check.Feasible({6}));
    EXPECT_EQ(check.ElasticSupport({4, 5, 6}), (std::vector<int>{4, 6}));
}

TEST(RowFeasibility, StopsBeforeACheckWhenAsked) {
    TConstraintModel program(kMinimize, std::string());
    program.AddConstraint("a=1");
    RowFeasibility check(ParseProgram(program), {1}, [] { return true; });
    EXPECT_THROW(check.Feasible({}), RowFeasibility::StopRequested);
    EXPECT_EQ(check.Checks(), 0);
}

} // namespace
} // namespace velor
