// The group of decision makers: refusals of models that cannot join, the consensus over every
// member's statements, and the members named in its conflicts.
#include "calc/group.h"

#include "calc_test_model.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace velor::testing {
namespace {

// Two attributes, Price (the reference) and Safety, three alternatives ranked alike.
struct TwoAttributes {
    CalcTestModel m{3};
    NodeId price = m.Attribute();
    NodeId safety = m.Attribute();
    TwoAttributes() {
        m.model.RenameNode(price, "Price");
        m.model.RenameNode(safety, "Safety");
        m.Rank(price, {1, 2, 3});
        m.Rank(safety, {3, 2, 1});
        m.BottomUp(price, 100, 100);
    }
};

std::vector<GroupMember> Group(const Model& ann, const Model& bob) {
    return {{"Ann", "ann.vlr", ann}, {"Bob", "bob.vlr", bob}};
}

TEST(GroupMatch, EachDifferenceIsRefusedNamingTheMemberAndTheDifference) {
    const TwoAttributes base;
    struct Case {
        const char* what;
        std::function<void(Model&)> change;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"tree", [](Model& m) { m.RenameNode(m.NodeAt(2), "Security"); },
         "node 3 of the value tree is \"Security\" instead of \"Safety\""},
        {"tree size", [](Model& m) { m.AddNode(kAttribute, m.Root()); },
         "the value tree has 4 nodes instead of 3"},
        {"alternatives", [](Model& m) { m.CommitCellText(1, 2, "Other", false); },
         "alternative 2 is \"Other\" instead of \"Alternative 2\""},
        {"alternative count", [](Model& m) { m.NewAlternative(); },
         "it has 4 alternatives instead of 3"},
        {"consequences", [](Model& m) { m.CommitCellText(2, 1, "cheap", true); },
         "the consequence of \"Alternative 1\" on \"Price\" is \"cheap\" instead of \"level 1\""},
        {"weight mode", [](Model& m) { m.SetTopDownWeights(true); },
         "it weighs top-down instead of bottom-up"},
        {"normalized", [](Model& m) { m.SetNormalizedIntervals(true); },
         "its option Normalized Intervals is on instead of off"},
    };
    for (const Case& c : cases) {
        Model bob = base.m.model;
        c.change(bob);
        const std::optional<std::string> refusal = GroupMismatch(Group(base.m.model, bob));
        ASSERT_TRUE(refusal.has_value()) << c.what;
        EXPECT_EQ(*refusal,
                  std::string("Bob (bob.vlr) cannot join the group of Ann: ") + c.message + ".")
            << c.what;
    }
    // Other ranks and statements are what members may differ in.
    Model bob = base.m.model;
    bob.StoreRanking(base.safety, {1, 1, 2}, {});
    bob.StoreWeightBounds(false, {{base.safety, 10, 20}});
    EXPECT_FALSE(GroupMismatch(Group(base.m.model, bob)).has_value());
}

TEST(GroupConsensus, ContradictingWeightStatementsNameOneStatementOfEachMember) {
    TwoAttributes ann;
    ann.m.BottomUp(ann.safety, 150, kNotGiven);
    TwoAttributes bob;
    bob.m.BottomUp(bob.safety, kNotGiven, 50);
    const std::vector<GroupMember> members = Group(ann.m.model, bob.m.model);
    const GroupResults results = CalculateGroup(members);
    EXPECT_EQ(results.Members[0].Outcome, RunOutcome::Complete);
    EXPECT_EQ(results.Members[1].Outcome, RunOutcome::Complete);
    ASSERT_EQ(results.ConsensusOutcome, RunOutcome::Infeasible);
    ASSERT_EQ(results.Conflict.Outcome, ConflictOutcome::Conflict);
    ASSERT_EQ(results.Conflict.Statements.size(), 2u);
    const ConflictStatement& first = results.Conflict.Statements[0];
    const ConflictStatement& second = results.Conflict.Statements[1];
    EXPECT_EQ(first.Member, 0);
    EXPECT_EQ(second.Member, 1);
    EXPECT_EQ(DescribeMemberStatement(members, results.Consensus, first),
              "Ann: The weight of Safety is at least 150 % of the weight of Price.");
    EXPECT_EQ(DescribeMemberStatement(members, results.Consensus, second),
              "Bob: The weight of Safety is at most 50 % of the weight of Price.");
    // Taking back either statement makes the consensus feasible.
    for (int drop = 0; drop < 2; ++drop) {
        std::vector<GroupMember> fewer = members;
        fewer[static_cast<std::size_t>(drop)].Data.StoreWeightBounds(
            false, {{ann.safety, kNotGiven, kNotGiven}});
        EXPECT_TRUE(CheckFeasibility(ConsensusModel(fewer))) << drop;
    }
}

// Member b: a's ranks with weight bounds and ratio statements of its own, near a's.
Model Neighbour(const Model& a, std::mt19937_64& random) {
    Model b = a;
    std::uniform_real_distribution<double> factor(0.6, 1.3);
    std::vector<Model::WeightBound> bounds;
    for (const NodeId node : b.PreOrder()) {
        const TNodeData& data = b.Node(node);
        const double lower = b.TopDownWeights() ? data.TopDownLower : data.BottomUpLower;
        const double upper = b.TopDownWeights() ? data.TopDownUpper : data.BottomUpUpper;
        if (node == b.Root() || (lower == kReferenceWeight && upper == kReferenceWeight)) {
            continue;
        }
        bounds.push_back({node, lower >= 0 ? lower * factor(random) : (factor(random) - 0.5) * 80,
                          upper >= 0 ? upper * factor(random) : kNotGiven});
    }
    b.StoreWeightBounds(b.TopDownWeights(), bounds);
    for (const NodeId node : b.PreOrder()) {
        if (TPreferenceData* preference = b.PreferenceData(node)) {
            for (TCardinalStatement& s : preference->Statements) {
                s.Lower = s.Lower >= 0 ? s.Lower * factor(random) : kNotGiven;
                s.Upper = s.Upper >= 0 ? s.Upper * factor(random) : kNotGiven;
            }
        }
    }
    return b;
}

double Meet(double x, double y, bool lower) {
    if (x < 0 || y < 0) {
        return std::max(x, y);
    }
    return lower ? std::max(x, y) : std::min(x, y);
}

// One model with a's ranks, the intersection of both weight bounds and both ratio statements.
Model Merged(const Model& a, const Model& b) {
    Model merged = a;
    std::vector<Model::WeightBound> bounds;
    const bool topDown = a.TopDownWeights();
    for (const NodeId node : a.PreOrder()) {
        const TNodeData& x = a.Node(node);
        const TNodeData& y = b.Node(node);
        bounds.push_back({node,
                          Meet(topDown ? x.TopDownLower : x.BottomUpLower,
                               topDown ? y.TopDownLower : y.BottomUpLower, true),
                          Meet(topDown ? x.TopDownUpper : x.BottomUpUpper,
                               topDown ? y.TopDownUpper : y.BottomUpUpper, false)});
        if (TPreferenceData* preference = merged.PreferenceData(node)) {
            const auto& more = b.Preference(node)->Statements;
            preference->Statements.insert(preference->Statements.end(), more.begin(), more.end());
        }
    }
    merged.StoreWeightBounds(topDown, bounds);
    return merged;
}

TEST(GroupConsensus, WithTheSameRanksEqualsOneModelWithIntersectedBoundsAndEveryRatio) {
    RandomModelOptions options;
    options.maxAlternatives = 5;
    options.maxAttributes = 4;
    options.maxGoals = 2;
    int feasible = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const Model a = MakeRandomModel(seed, options).model;
        std::mt19937_64 random(seed);
        const Model b = Neighbour(a, random);
        Model single = Merged(a, b);
        ScriptedHost host;
        const RunOutcome expected = CalculationDriver(single, host).Run(kCalculateModel);
        const GroupResults group = CalculateGroup(Group(a, b));
        ASSERT_EQ(group.ConsensusOutcome, expected) << "seed " << seed;
        if (expected != RunOutcome::Complete) {
            continue;
        }
        ++feasible;
        const Model& consensus = group.Consensus;
        const auto near = [seed](double x, double y, const char* what) {
            EXPECT_NEAR(x, y, 1e-9) << what << ", seed " << seed;
        };
        for (const NodeId node : single.PreOrder()) {
            const TNodeData& want = single.Node(node);
            const TNodeData& got = consensus.Node(node);
            near(got.WeightLower, want.WeightLower, "weight");
            near(got.WeightUpper, want.WeightUpper, "weight");
            near(got.NormWeightLower, want.NormWeightLower, "normalized weight");
            near(got.NormWeightUpper, want.NormWeightUpper, "normalized weight");
            for (std::size_t i = 0; i < want.Values.size(); ++i) {
                near(got.Values[i].Lower, want.Values[i].Lower, "value");
                near(got.Values[i].Upper, want.Values[i].Upper, "value");
                near(got.Values[i].NormLower, want.Values[i].NormLower, "normalized value");
                near(got.Values[i].NormUpper, want.Values[i].NormUpper, "normalized value");
            }
        }
        for (int row = 1; row <= single.M(); ++row) {
            const TAlternativeData& want = single.Alternative(row);
            const TAlternativeData& got = consensus.Alternative(row);
            near(got.MaxRegret, want.MaxRegret, "regret");
            for (std::size_t s = 1; s < want.DominanceMargin.size(); ++s) {
                near(got.DominanceMargin[s], want.DominanceMargin[s], "margin");
                if (std::fabs(want.DominanceMargin[s]) > 1e-9) {
                    EXPECT_EQ(got.Dominance[s], want.Dominance[s]) << "seed " << seed;
                }
            }
        }
    }
    EXPECT_GE(feasible, 10);
}

// Ann ranks Price's levels 2 > 1 > 3, Bob ties 1 and 2 above 3: both hold only where levels 1
// and 2 are worth the same, which is Bob's ranking. The consensus, whose objectives read Ann's
// best levels, equals Bob's model alone.
TEST(GroupConsensus, DifferentRanksTieWhereTheMembersDisagree) {
    TwoAttributes ann;
    ann.m.Rank(ann.price, {2, 1, 3});
    ann.m.BottomUp(ann.safety, 50, 200);
    TwoAttributes bob;
    bob.m.Rank(bob.price, {1, 1, 2});
    bob.m.BottomUp(bob.safety, 50, 200);
    Model alone = bob.m.model;
    ScriptedHost host;
    ASSERT_EQ(CalculationDriver(alone, host).Run(kCalculateModel), RunOutcome::Complete);
    const GroupResults group = CalculateGroup(Group(ann.m.model, bob.m.model));
    ASSERT_EQ(group.ConsensusOutcome, RunOutcome::Complete);
    for (const NodeId node : alone.PreOrder()) {
        EXPECT_NEAR(group.Consensus.Node(node).WeightLower, alone.Node(node).WeightLower, 1e-9);
        EXPECT_NEAR(group.Consensus.Node(node).WeightUpper, alone.Node(node).WeightUpper, 1e-9);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(group.Consensus.Node(node).Values[i].Lower,
                        alone.Node(node).Values[i].Lower, 1e-9);
            EXPECT_NEAR(group.Consensus.Node(node).Values[i].Upper,
                        alone.Node(node).Values[i].Upper, 1e-9);
        }
    }
}

// Levels ranked first to last by row (or last to first), the middle level strictly between.
Model Ordered(bool firstRowBest) {
    TwoAttributes t;
    const std::vector<int> ranks =
        firstRowBest ? std::vector<int>{1, 2, 3} : std::vector<int>{3, 2, 1};
    const int best = firstRowBest ? 1 : 3;
    const int worst = firstRowBest ? 3 : 1;
    for (const NodeId node : {t.price, t.safety}) {
        t.m.Rank(node, ranks);
        t.m.Ratio(node, best, 2, best, worst, 0.4, 0.6);
    }
    t.m.BottomUp(t.safety, 50, 200);
    return t.m.model;
}

TEST(GroupCommonGround, DominatedForAllUndominatedForSomeAndWhoHoldsWhat) {
    const GroupResults results = CalculateGroup(Group(Ordered(true), Ordered(false)));
    // Alternative 2 lies between the others for both: dominated for each.
    EXPECT_EQ(results.Common.DominatedForAll, std::vector<int>{2});
    EXPECT_EQ(results.Common.UndominatedForSome, (std::vector<int>{1, 3}));
    ASSERT_EQ(results.Common.Disagreements.size(), 3u);
    const DominanceDisagreement& d = results.Common.Disagreements.front();
    EXPECT_EQ(d.Row, 1);
    EXPECT_EQ(d.OtherRow, 2);
    ASSERT_EQ(d.Holders.size(), 2u);
    EXPECT_EQ(d.Holders[0].Code, kDominates);
    EXPECT_EQ(d.Holders[0].Members, std::vector<int>{0});
    EXPECT_EQ(d.Holders[1].Code, kDominated);
    EXPECT_EQ(d.Holders[1].Members, std::vector<int>{1});
    // Opposite rankings tie every level in the consensus, whose ratio statements then fail.
    EXPECT_EQ(results.ConsensusOutcome, RunOutcome::Infeasible);
}

} // namespace
} // namespace velor::testing
