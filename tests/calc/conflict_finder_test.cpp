// Minimal conflicting sets of statements: on generated models with contradictions injected, the
// set found admits no solution, every set with one statement dropped does (both decided on the
// reference path, which solves each program from its text), and the set holds an injected
// statement. Feasible models never give a set.
#include "calc/calculation_driver.h"
#include "calc/conflict_finder.h"
#include "calc/constraint_generator.h"
#include "calc/solver_bridge.h"
#include "calc_test_model.h"
#include "injected_conflict.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velor {
namespace {

using testing::CalcTestModel;
using testing::Contradiction;
using testing::Injected;
using testing::MakeRandomModel;
using testing::RandomModelOptions;
using testing::Scenario;

// The plain constraint rows of a model, each attribute's worst level a row of its own, with the
// origin of each.
struct Rows {
    TConstraintModel program;
    std::vector<RowOrigin> origins;
};

Rows AllRows(const Model& model) {
    Rows rows;
    AppendStatementRows(model, &rows.program, nullptr, &rows.origins);
    return rows;
}

// Whether the rows that hold in every model together with the chosen ones admit a solution, on
// the reference path (the feasibility program of the calculation, solved from its text).
bool ReferenceFeasible(const Model& model, const Rows& rows, const std::vector<int>& chosen) {
    TConstraintModel program(kMinimize, TermsText(NodeValueTerms(model, 1, 1, 1.0)));
    for (std::size_t i = 0; i < rows.origins.size(); ++i) {
        const bool statement = StatementOfRow(model, rows.origins[i]).has_value();
        const bool picked =
            std::find(chosen.begin(), chosen.end(), static_cast<int>(i)) != chosen.end();
        if (!statement || picked) {
            program.AddConstraint(rows.program.Constraints[i]);
        }
    }
    return SolveModel(program).Optimal();
}

std::vector<int> Flatten(const std::vector<std::vector<int>>& groups, std::size_t skip) {
    std::vector<int> rows;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (g != skip) {
            rows.insert(rows.end(), groups[g].begin(), groups[g].end());
        }
    }
    return rows;
}

// The set admits no solution and is minimal, both on the reference path; each statement is the
// one its rows state.
void ExpectMinimalConflict(const Model& model, const ConflictResult& result) {
    ASSERT_EQ(result.Outcome, ConflictOutcome::Conflict) << result.Error;
    ASSERT_FALSE(result.Rows.empty());
    ASSERT_EQ(result.Rows.size(), result.Statements.size());
    const Rows rows = AllRows(model);
    EXPECT_TRUE(ReferenceFeasible(model, rows, {})) << "the rows every model holds";
    EXPECT_FALSE(ReferenceFeasible(model, rows, Flatten(result.Rows, result.Rows.size())))
        << "the set";
    for (std::size_t drop = 0; drop < result.Rows.size(); ++drop) {
        EXPECT_TRUE(ReferenceFeasible(model, rows, Flatten(result.Rows, drop)))
            << "without " << DescribeStatement(model, result.Statements[drop]);
    }
    for (std::size_t i = 0; i < result.Rows.size(); ++i) {
        ASSERT_FALSE(result.Rows[i].empty());
        EXPECT_TRUE(i == 0 || result.Rows[i - 1].front() < result.Rows[i].front());
        for (const int row : result.Rows[i]) {
            const auto statement =
                StatementOfRow(model, rows.origins[static_cast<std::size_t>(row)]);
            ASSERT_TRUE(statement.has_value());
            EXPECT_EQ(DescribeStatement(model, *statement),
                      DescribeStatement(model, result.Statements[i]));
        }
    }
}

// Small generated models: a few alternatives, attributes and goals.
std::optional<Scenario> MakeScenario(Contradiction kind, std::uint64_t seed) {
    RandomModelOptions options;
    options.minAlternatives = 3;
    options.maxAlternatives = 7;
    options.minAttributes = 2;
    options.maxAttributes = 5;
    options.maxGoals = 2;
    return testing::MakeScenario(kind, seed, options);
}

// The scenario of the first seed that gives one.
Scenario FirstScenario(Contradiction kind) {
    for (std::uint64_t seed = 1;; ++seed) {
        if (std::optional<Scenario> scenario = MakeScenario(kind, seed)) {
            return *scenario;
        }
    }
}

class InjectedContradiction : public ::testing::TestWithParam<Contradiction> {};

TEST_P(InjectedContradiction, GivesAMinimalSetHoldingAnInjectedStatement) {
    int scenarios = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const std::optional<Scenario> scenario = MakeScenario(GetParam(), seed);
        if (!scenario) {
            continue;
        }
        ++scenarios;
        SCOPED_TRACE("seed " + std::to_string(seed));
        const ConflictResult result = FindConflict(scenario->model);
        ExpectMinimalConflict(scenario->model, result);
        EXPECT_TRUE(testing::HoldsInjected(*scenario, result.Statements));
    }
    EXPECT_GE(scenarios, 15);
}

// An all-tied ranking and an unranked level's bound are named where the set needs them: the
// set stands on its own, with every other statement taken away.
INSTANTIATE_TEST_SUITE_P(Kinds, InjectedContradiction,
                         ::testing::Values(Contradiction::RankingVsHolistic,
                                           Contradiction::RatioVsRanking,
                                           Contradiction::WeightCycle, Contradiction::RatioVsRatio,
                                           Contradiction::FlatRanking,
                                           Contradiction::UnrankedLevel));

TEST(ConflictFinder, SameSetOnEveryRun) {
    const Scenario scenario = FirstScenario(Contradiction::RatioVsRatio);
    const ConflictResult first = FindConflict(scenario.model);
    const ConflictResult second = FindConflict(Model(scenario.model));
    EXPECT_EQ(first.Rows, second.Rows);
    EXPECT_EQ(first.Checks, second.Checks);
}

// Takes a statement back the way its dialog would: a ratio statement goes, a weight bound is no
// longer given, a ranking relation goes with the worse level's rank.
void TakeBack(Model& model, const ConflictStatement& statement) {
    switch (statement.Kind) {
    case ConflictKind::RatioBound: {
        auto& statements = model.PreferenceData(statement.Node)->Statements;
        statements.erase(statements.begin() + statement.Statement);
        break;
    }
    case ConflictKind::BottomUpWeight:
    case ConflictKind::TopDownWeight: {
        TNodeData& data = ResultRecords(model).NodeData(statement.Node);
        const bool bottomUp = statement.Kind == ConflictKind::BottomUpWeight;
        double& bound = statement.Bound == BoundSide::Lower
                            ? (bottomUp ? data.BottomUpLower : data.TopDownLower)
                            : (bottomUp ? data.BottomUpUpper : data.TopDownUpper);
        bound = kNotGiven;
        break;
    }
    default:
        model.UnrankConsequence(model.ColumnOfNode(statement.Node),
                                model.RowOfAlternative(statement.Worse));
        break;
    }
}

TEST(ConflictFinder, FindsTheNextConflictOnceTheFirstIsResolved) {
    int pairs = 0;
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        std::optional<Scenario> scenario = MakeScenario(Contradiction::RatioVsRatio, seed);
        if (!scenario || scenario->model.AttributeCount() < 2) {
            continue;
        }
        // A second, independent contradiction: another attribute's weight bounds.
        Model& model = scenario->model;
        const NodeId reference = model.NodeByColumn(ReferenceAttributeColumn(model));
        NodeId other = kNone;
        for (const NodeId attribute : model.Attributes()) {
            if (attribute != reference) {
                other = attribute;
            }
        }
        model.StoreWeightBounds(false, {{other, 200.0, 100.0}});
        SCOPED_TRACE("seed " + std::to_string(seed));
        const ConflictResult first = FindConflict(model);
        ExpectMinimalConflict(model, first);
        // Resolve it by taking back its injected statements.
        const Injected weights{ConflictKind::BottomUpWeight, other, -1, BoundSide::Lower};
        bool weightsInFirst = false;
        for (const ConflictStatement& statement : first.Statements) {
            weightsInFirst = weightsInFirst || weights.Matches(statement);
        }
        if (weightsInFirst) {
            model.StoreWeightBounds(false, {{other, kNotGiven, 1000.0}});
        } else {
            model.PreferenceData(reference)->Statements.clear();
        }
        if (CheckFeasibility(model)) {
            continue; // the two shared the statement taken back
        }
        ++pairs;
        const ConflictResult second = FindConflict(model);
        ExpectMinimalConflict(model, second);
        bool weightsInSecond = false;
        for (const ConflictStatement& statement : second.Statements) {
            weightsInSecond = weightsInSecond || weights.Matches(statement);
        }
        EXPECT_NE(weightsInFirst, weightsInSecond);
    }
    EXPECT_GE(pairs, 10);
}

TEST(ConflictFinder, TakingBackAnyStatementOfTheSetLeavesTheSetResolved) {
    const Scenario scenario = FirstScenario(Contradiction::RatioVsRanking);
    const ConflictResult result = FindConflict(scenario.model);
    ASSERT_EQ(result.Outcome, ConflictOutcome::Conflict);
    for (const ConflictStatement& statement : result.Statements) {
        Model changed = scenario.model;
        TakeBack(changed, statement);
        const ConflictResult after = FindConflict(changed);
        SCOPED_TRACE(DescribeStatement(scenario.model, statement));
        if (after.Outcome == ConflictOutcome::Conflict) {
            ExpectMinimalConflict(changed, after);
        } else {
            EXPECT_EQ(after.Outcome, ConflictOutcome::NoConflict);
        }
    }
}

// ----- feasible and generated models

TEST(ConflictFinder, FeasibleModelsGiveNoSet) {
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        RandomModelOptions options;
        options.maxAlternatives = 8;
        options.maxAttributes = 8;
        const Model model = MakeRandomModel(seed, options).model;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_TRUE(CheckFeasibility(model));
        const ConflictResult result = FindConflict(model);
        EXPECT_EQ(result.Outcome, ConflictOutcome::NoConflict);
        EXPECT_TRUE(result.Statements.empty());
        EXPECT_TRUE(result.Rows.empty());
        EXPECT_EQ(result.Checks > 0, model.AttributeCount() > 0);
    }
}

TEST(ConflictFinder, GeneratedInfeasibleModelsGiveMinimalSets) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        RandomModelOptions options;
        options.infeasible = true;
        const Model model = MakeRandomModel(seed, options).model;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_FALSE(CheckFeasibility(model));
        const ConflictResult result = FindConflict(model);
        if (result.Rows.empty()) {
            EXPECT_EQ(result.Outcome, ConflictOutcome::Conflict);
            EXPECT_FALSE(result.Statements.empty()); // flat rankings
            continue;
        }
        ExpectMinimalConflict(model, result);
    }
}

TEST(ConflictFinder, NothingToSolveGivesNoSet) {
    Model empty;
    EXPECT_EQ(FindConflict(empty).Outcome, ConflictOutcome::NoConflict);
    CalcTestModel goalsOnly(3);
    goalsOnly.Add(kGoal, goalsOnly.root);
    EXPECT_EQ(FindConflict(goalsOnly.model).Outcome, ConflictOutcome::NoConflict);
    EXPECT_EQ(FindConflict(goalsOnly.model).Checks, 0);
}

// One alternative: every ranked attribute's best level is its worst, so no attribute can carry
// the weight the scale asks for; unranking any one of them resolves it.
TEST(ConflictFinder, FlatRankingsWhenNoAttributeCanCarryWeight) {
    CalcTestModel t(1);
    const NodeId price = t.Attribute();
    const NodeId comfort = t.Attribute();
    t.Rank(price, {1});
    t.Rank(comfort, {1});
    ASSERT_FALSE(CheckFeasibility(t.model));
    const ConflictResult result = FindConflict(t.model);
    ExpectMinimalConflict(t.model, result);
    ASSERT_EQ(result.Statements.size(), 2u);
    EXPECT_EQ(result.Statements[0].Kind, ConflictKind::FlatRanking);
    EXPECT_EQ(result.Statements[0].Node, price);
    EXPECT_EQ(result.Statements[1].Node, comfort);
    t.model.UnrankConsequence(t.model.ColumnOfNode(comfort), 1);
    EXPECT_EQ(FindConflict(t.model).Outcome, ConflictOutcome::NoConflict);
}

TEST(ConflictFinder, StopsWhenAsked) {
    const Scenario scenario = FirstScenario(Contradiction::WeightCycle);
    int asked = 0;
    const ConflictResult result = FindConflict(scenario.model, [&asked] { return ++asked > 3; });
    EXPECT_EQ(result.Outcome, ConflictOutcome::Stopped);
    EXPECT_TRUE(result.Statements.empty());
    EXPECT_EQ(result.Checks, 3);
}

// ----- rows and statements

// Two alternatives with one consequence text are one level: their equality is no statement.
TEST(StatementOfRow, RanksSharedByOneLevelAreNoStatement) {
    CalcTestModel t(3);
    const NodeId price = t.Attribute();
    t.model.CommitCellText(2, 1, "650", false);
    t.model.CommitCellText(2, 2, "650", false);
    t.model.CommitCellText(2, 3, "700", false);
    t.model.StoreRanking(price, {1, 1, 1}, {});
    const Rows rows = AllRows(t.model);
    std::vector<RowOrigin> ties;
    for (const RowOrigin& origin : rows.origins) {
        if (origin.Source == RowSource::EqualRank) {
            ties.push_back(origin);
        }
    }
    ASSERT_EQ(ties.size(), 2u);
    EXPECT_FALSE(StatementOfRow(t.model, ties[0]).has_value()); // rows 1 and 2: one level
    const auto tie = StatementOfRow(t.model, ties[1]);          // rows 1 and 3
    ASSERT_TRUE(tie.has_value());
    EXPECT_TRUE(tie->Equal);
    EXPECT_EQ(DescribeStatement(t.model, *tie), "On Attribute, 650 and 700 are equally good.");
}

// Taking back a ratio statement or a weight bound removes exactly the rows whose origin names it.
TEST(RowOrigins, NameTheStatementOfEachRow) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const Model model = MakeRandomModel(seed).model;
        const Rows rows = AllRows(model);
        ASSERT_EQ(rows.origins.size(), rows.program.Constraints.size());
        for (std::size_t i = 0; i < rows.origins.size(); ++i) {
            const auto statement = StatementOfRow(model, rows.origins[i]);
            if (!statement || (statement->Kind != ConflictKind::RatioBound &&
                               statement->Kind != ConflictKind::BottomUpWeight &&
                               statement->Kind != ConflictKind::TopDownWeight)) {
                continue;
            }
            SCOPED_TRACE("seed " + std::to_string(seed) + ": " +
                         DescribeStatement(model, *statement));
            Model without = model;
            if (statement->Kind == ConflictKind::RatioBound) {
                TCardinalStatement& ratio =
                    without.PreferenceData(statement->Node)
                        ->Statements[static_cast<std::size_t>(statement->Statement)];
                (statement->Bound == BoundSide::Lower ? ratio.Lower : ratio.Upper) = kNotGiven;
            } else {
                TakeBack(without, *statement);
            }
            std::multiset<std::string> expected(rows.program.Constraints.begin(),
                                                rows.program.Constraints.end());
            expected.erase(expected.find(rows.program.Constraints[i]));
            const Rows after = AllRows(without);
            EXPECT_EQ(std::multiset<std::string>(after.program.Constraints.begin(),
                                                 after.program.Constraints.end()),
                      expected);
        }
    }
}

// ----- words

struct Wording {
    const char* name;
    std::string (*describe)();
    const char* expected;
};

// Price: 650 (rank 1), 700 (2), 900 (3) on rows 1..3; Comfort unranked; weights bottom up with
// Price as the reference, or top down under a goal Costs.
class WordingModel {
public:
    WordingModel() : t(3) {
        costs = t.Add(kGoal, t.root);
        t.model.RenameNode(t.root, "Car");
        t.model.RenameNode(costs, "Costs");
        price = t.Add(kAttribute, costs);
        comfort = t.Add(kAttribute, costs);
        t.model.RenameNode(price, "Price");
        t.model.RenameNode(comfort, "Comfort");
        const char* names[] = {"Estate", "SUV", "Coupe"};
        const char* prices[] = {"650", "700", "900"};
        for (int row = 1; row <= 3; ++row) {
            t.model.CommitCellText(1, row, names[row - 1], true);
            t.model.CommitCellText(t.model.ColumnOfNode(price), row, prices[row - 1], false);
        }
        t.model.StoreRanking(price, {1, 2, 3}, {});
    }
    ConflictStatement Of(RowSource source) const {
        for (const RowOrigin& origin : AllRows(t.model).origins) {
            if (origin.Source == source) {
                return StatementOfRow(t.model, origin).value();
            }
        }
        ADD_FAILURE() << "no row of that origin";
        return {};
    }
    CalcTestModel t;
    NodeId costs = kNone;
    NodeId price = kNone;
    NodeId comfort = kNone;
};

class StatementWords : public ::testing::TestWithParam<Wording> {};

TEST_P(StatementWords, SayWhatTheUserStated) {
    EXPECT_EQ(GetParam().describe(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StatementWords,
    ::testing::Values(
        Wording{"Ranking",
                [] {
                    WordingModel w;
                    return DescribeStatement(w.t.model, w.Of(RowSource::NextRank));
                },
                "On Price, 650 is preferred to 700."},
        Wording{"Tie",
                [] {
                    WordingModel w;
                    w.t.model.StoreRanking(w.price, {1, 1, 2}, {});
                    return DescribeStatement(w.t.model, w.Of(RowSource::EqualRank));
                },
                "On Price, 650 and 700 are equally good."},
        Wording{"Holistic",
                [] {
                    WordingModel w;
                    w.t.model.StoreRanking(w.costs, {0, 1, 2}, {});
                    return DescribeStatement(w.t.model, w.Of(RowSource::NextRank));
                },
                "On Costs, SUV is preferred to Coupe."},
        Wording{"HolisticUnranked",
                [] {
                    WordingModel w;
                    w.t.model.StoreRanking(w.costs, {0, 1, 2}, {});
                    return DescribeStatement(w.t.model, w.Of(RowSource::UnrankedLevel));
                },
                "On Costs, SUV, ranked best, is at least as good as Estate, which is not "
                "ranked."},
        Wording{"RatioLower",
                [] {
                    WordingModel w;
                    testing::AddRatio(w.t.model, w.price,
                                      testing::Ratio(w.t.model, 2, 3, 1, 3, 0.25, 0.5));
                    return DescribeStatement(w.t.model, w.Of(RowSource::RatioLower), ',');
                },
                "On Price, the increase in value from 900 to 700 is at least 0,25 times the "
                "increase from 900 to 650."},
        Wording{"RatioUpper",
                [] {
                    WordingModel w;
                    testing::AddRatio(w.t.model, w.price,
                                      testing::Ratio(w.t.model, 2, 3, 1, 3, 0.25, 0.5));
                    return DescribeStatement(w.t.model, w.Of(RowSource::RatioUpper));
                },
                "On Price, the increase in value from 900 to 700 is at most 0.5 times the "
                "increase from 900 to 650."},
        Wording{"BottomUp",
                [] {
                    WordingModel w;
                    w.t.BottomUp(w.price, 100, 100);
                    w.t.BottomUp(w.comfort, 12.5, 150);
                    return DescribeStatement(w.t.model, w.Of(RowSource::BottomUpLower));
                },
                "The weight of Comfort is at least 12.5 % of the weight of Price."},
        Wording{"TopDown",
                [] {
                    WordingModel w;
                    w.t.model.SetTopDownWeights(true);
                    w.t.TopDown(w.price, 100, 100);
                    w.t.TopDown(w.comfort, -1, 150);
                    return DescribeStatement(w.t.model, w.Of(RowSource::TopDownUpper));
                },
                "Within Costs, the weight of Comfort is at most 150 % of the weight of Price."},
        Wording{"Flat",
                [] {
                    WordingModel w;
                    ConflictStatement flat;
                    flat.Kind = ConflictKind::FlatRanking;
                    flat.Node = w.price;
                    return DescribeStatement(w.t.model, flat);
                },
                "On Price, all ranked levels are equally good, so Price can carry no weight."},
        Wording{"FlatFromItsRow",
                [] {
                    WordingModel w;
                    w.t.model.StoreRanking(w.price, {1, 1, 0}, {});
                    return DescribeStatement(w.t.model, w.Of(RowSource::WorstLevel));
                },
                "On Price, all ranked levels are equally good, so Price can carry no weight."},
        Wording{"UnrankedLevel",
                [] {
                    WordingModel w;
                    w.t.model.StoreRanking(w.price, {1, 2, 0}, {});
                    return DescribeStatement(w.t.model, w.Of(RowSource::UnrankedLevel));
                },
                "On Price, 900 is not ranked, so it is worth at most the best level, 650."},
        Wording{"UnrankedAttribute",
                [] {
                    WordingModel w;
                    return DescribeStatement(w.t.model, w.Of(RowSource::UnrankedLevel));
                },
                "On Comfort, no level is ranked, so SUV is worth at most the first level, "
                "Estate."}),
    [](const ::testing::TestParamInfo<Wording>& info) { return std::string(info.param.name); });

TEST(StatementWords, TopDownStatementsNameTheGoalOfTheirDialog) {
    WordingModel w;
    w.t.model.SetTopDownWeights(true);
    w.t.TopDown(w.price, 100, 100);
    w.t.TopDown(w.comfort, 50, -1);
    const ConflictStatement statement = w.Of(RowSource::TopDownLower);
    EXPECT_EQ(statement.Kind, ConflictKind::TopDownWeight);
    EXPECT_EQ(statement.Node, w.comfort);
    EXPECT_EQ(statement.Reference, w.price);
    EXPECT_EQ(WeightAssessmentGoal(w.t.model, statement), w.costs);
    EXPECT_EQ(WeightAssessmentGoal(w.t.model, w.Of(RowSource::NextRank)), kNone);
    EXPECT_STREQ(ConflictKindName(statement.Kind), "top-down-weight");
}

} // namespace
} // namespace velor
