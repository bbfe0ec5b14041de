#include "calc/constraint_generator.h"

#include "calc/solver_rows.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velor {
namespace {

using Lines = std::vector<std::string>;

// The model's rows typed into solver rows and, parsed from their text, into solver rows: the
// same program, number for number, and every unknown of the typed rows found at the column of
// its name.
void ExpectSameRows(const Model& model, const UnknownTerms& normalizer, const SolverRows& parsed) {
    SolverRows typed;
    std::vector<Unknown> unknowns;
    ForEachModelRow(model, normalizer, [&](const UnknownRow& row) {
        typed.AddConstraint(row);
        for (const UnknownTerm& term : row.Terms) {
            unknowns.push_back(term.Var);
        }
    });
    EXPECT_EQ(typed.Names, parsed.Names);
    EXPECT_EQ(typed.Relations, parsed.Relations);
    EXPECT_EQ(typed.RightSides, parsed.RightSides);
    ASSERT_EQ(typed.Elements.size(), parsed.Elements.size());
    for (std::size_t k = 0; k < typed.Elements.size(); ++k) {
        const SolverRows::Element& a = typed.Elements[k];
        const SolverRows::Element& b = parsed.Elements[k];
        EXPECT_TRUE(a.Row == b.Row && a.Column == b.Column && a.Value == b.Value)
            << "element " << k << " of row " << b.Row << ": " << a.Value << " against " << b.Value;
    }
    for (const Unknown unknown : unknowns) {
        const std::string name = UnknownName(unknown);
        EXPECT_NE(typed.ColumnOf(unknown), 0) << name;
        EXPECT_EQ(typed.ColumnOf(unknown), parsed.ColumnOf(name)) << name;
    }
}

// A main goal with attributes (and goals) added below it in pre-order, and M alternatives whose
// consequence texts follow their ranks.
class ModelBuilder {
public:
    explicit ModelBuilder(int alternatives) {
        root = model.AddNode(kGoal, kNone);
        for (int i = 0; i < alternatives; ++i) {
            model.NewAlternative();
        }
    }

    NodeId Add(NodeKind kind, NodeId parent) {
        const NodeId node = model.AddNode(kind, parent);
        EXPECT_NE(node, kNone);
        return node;
    }

    void Rank(NodeId node, const std::vector<int>& ranks,
              const std::vector<TCardinalStatement>& statements = {}) {
        const int column = model.ColumnOfNode(node);
        for (int row = 1; row <= model.M(); ++row) {
            const int rank = ranks[static_cast<std::size_t>(row - 1)];
            model.CommitCellText(column, row, rank == 0 ? "" : "level " + std::to_string(rank),
                                 false);
        }
        model.StoreRanking(node, ranks, statements);
    }

    TCardinalStatement Ratio(int num1, int num2, int den1, int den2, double lower,
                             double upper) const {
        TCardinalStatement s;
        s.Num1 = model.AlternativeId(num1);
        s.Num2 = model.AlternativeId(num2);
        s.Den1 = model.AlternativeId(den1);
        s.Den2 = model.AlternativeId(den2);
        s.Lower = lower;
        s.Upper = upper;
        return s;
    }

    // The rows as text; the typed rows must be what the text reads back as.
    Lines Constraints(const UnknownTerms& normalizer = {}) const {
        TConstraintModel target;
        AppendModelConstraints(model, target, normalizer);
        ExpectSameRows(model, normalizer, ParseProgram(target));
        return target.Constraints;
    }

    Model model;
    NodeId root = kNone;
};

// Columns: 1 main goal, 2 attribute A, 3 attribute B; three alternatives.
class WorkedExample : public ::testing::Test {
protected:
    WorkedExample() : b_(3) {
        a_ = b_.Add(kAttribute, b_.root);
        bNode_ = b_.Add(kAttribute, b_.root);
        b_.Rank(a_, {1, 2, 2});
        b_.Rank(bNode_, {2, 3, 1}, {b_.Ratio(3, 1, 1, 2, 0.5, 2)});
        b_.model.StoreWeightBounds(false, {{a_, 100, 100}, {bNode_, 50, 200}});
    }

    ModelBuilder b_;
    NodeId a_ = kNone;
    NodeId bNode_ = kNone;
};

TEST_F(WorkedExample, TenConstraintLinesInOrder) {
    const Lines expected = {
        "1*va2a2-1*va2a1<=0",
        "1*va2a3-1*va2a2=0",
        "1*va3a1-1*va3a3<=0",
        "1*va3a2-1*va3a1<=0",
        "-1*va3a3+1*va3a1+0.5*va3a1-0.5*va3a2<=0",
        "1*va3a3-1*va3a1-2*va3a1+2*va3a2<=0",
        "1*va3a3-2*va2a1<=0",
        "-1*va3a3+0.5*va2a1<=0",
        "va2a1+va3a3=1",
        "va2a2+va3a2=0",
    };
    EXPECT_EQ(b_.Constraints(), expected);
}

TEST_F(WorkedExample, DerivedRowsAndTerms) {
    EXPECT_EQ(BestAlternativeRow(b_.model, 2), 1);
    EXPECT_EQ(BestAlternativeRow(b_.model, 3), 3);
    EXPECT_EQ(WorstAlternativeRow(b_.model, 2), 2); // first of the two rows ranked 2
    EXPECT_EQ(WorstAlternativeRow(b_.model, 3), 2);
    EXPECT_EQ(BestAlternativeRow(b_.model, 1), 0); // goal without holistic ranking
    EXPECT_EQ(WorstAlternativeRow(b_.model, 1), 0);
    EXPECT_EQ(ReferenceAttributeColumn(b_.model), 2);
    EXPECT_EQ(TermsText(NodeValueTerms(b_.model, 1, 2, 1)), "1*va2a2+1*va3a2");
    EXPECT_EQ(TermsText(NodeValueTerms(b_.model, 1, -1, -0.5)), "-0.5*va2a1-0.5*va3a3");
    EXPECT_EQ(TermsText(NodeValueTerms(b_.model, 3, 1, 2)), "2*va3a1");
    EXPECT_EQ(TermsText(NodeValueTerms(b_.model, 0, 1, 1)), "");
    EXPECT_EQ(ValueVariable(3, 12), "va3a12");
}

TEST_F(WorkedExample, DominanceModel) {
    const TConstraintModel m = BuildDominanceModel(b_.model, 1, 2);
    EXPECT_EQ(m.Objective, "1*va2a1-1*va2a2+1*va3a1-1*va3a2");
    EXPECT_EQ(m.Direction, kMinimize);
    EXPECT_EQ(m.Constraints, b_.Constraints());
}

TEST_F(WorkedExample, NormalizedValueModel) {
    const TConstraintModel m = BuildValueModel(b_.model, 1, 2, kMaximize, true);
    EXPECT_EQ(m.Objective, "1*va2a2+1*va3a2");
    EXPECT_EQ(m.Direction, kMaximize);
    ASSERT_EQ(m.ConstraintCount(), 11);
    Lines expected = b_.Constraints();
    expected[8] = "va2a1+va3a3 - z=0";
    expected.push_back("1*va2a1+1*va3a3=1");
    EXPECT_EQ(m.Constraints, expected);

    const TConstraintModel plain = BuildValueModel(b_.model, 3, 1, kMinimize, false);
    EXPECT_EQ(plain.Objective, "1*va3a1");
    EXPECT_EQ(plain.Constraints, b_.Constraints());
}

TEST_F(WorkedExample, WeightModels) {
    const TConstraintModel plain = BuildWeightModel(b_.model, bNode_, kMaximize, false);
    EXPECT_EQ(plain.Objective, "1*va3a3");
    EXPECT_EQ(plain.Constraints, b_.Constraints());

    const TConstraintModel local = BuildWeightModel(b_.model, bNode_, kMinimize, true);
    EXPECT_EQ(local.Objective, "1*va3a3");
    EXPECT_EQ(local.Constraints.back(), "1*va2a1+1*va3a3=1");

    // The main goal has no parent: the normalized form is the plain one.
    const TConstraintModel main = BuildWeightModel(b_.model, b_.root, kMinimize, true);
    EXPECT_EQ(main.Objective, "1*va2a1+1*va3a3");
    EXPECT_EQ(main.Constraints, b_.Constraints());
}

TEST_F(WorkedExample, SwitchingToTopDownDropsBottomUpRows) {
    b_.model.SetTopDownWeights(true);
    const Lines lines = b_.Constraints();
    ASSERT_EQ(lines.size(), 8U);
    EXPECT_EQ(lines[5], "1*va3a3-1*va3a1-2*va3a1+2*va3a2<=0");
    EXPECT_EQ(lines[6], "va2a1+va3a3=1");
    EXPECT_EQ(b_.model.Node(bNode_).BottomUpLower, 50); // the stored statement is kept
    b_.model.SetTopDownWeights(false);
    EXPECT_EQ(b_.Constraints().size(), 10U);
}

TEST(ConstraintGenerator, NoAlternativesGivesNothing) {
    ModelBuilder b(0);
    const NodeId a = b.Add(kAttribute, b.root);
    EXPECT_TRUE(b.Constraints().empty());
    EXPECT_TRUE(b.Constraints({{{2, 1}, 1.0}}).empty());
    const TConstraintModel weight = BuildWeightModel(b.model, a, kMaximize, false);
    EXPECT_TRUE(weight.Objective.empty());
    EXPECT_EQ(weight.ConstraintCount(), 0);
    EXPECT_EQ(BestAlternativeRow(b.model, 2), 0);
}

TEST(ConstraintGenerator, UnrankedAttributeUsesRowOneEverywhere) {
    ModelBuilder b(3);
    const NodeId ranked = b.Add(kAttribute, b.root);
    const NodeId unranked = b.Add(kAttribute, b.root);
    b.Rank(ranked, {2, 1, 3});
    b.model.StoreWeightBounds(false, {{ranked, 100, 100}, {unranked, 20, 80}});
    EXPECT_EQ(BestAlternativeRow(b.model, 3), 1);
    EXPECT_EQ(WorstAlternativeRow(b.model, 3), 0);
    const Lines expected = {
        "1*va2a1-1*va2a2<=0",
        "1*va2a3-1*va2a1<=0",
        "1*va3a2-1*va3a1<=0", // unranked levels at most row 1
        "1*va3a3-1*va3a1<=0",
        "1*va3a1-0.8*va2a2<=0", // its weight is its row-1 variable
        "-1*va3a1+0.2*va2a2<=0",
        "va2a2+va3a1=1",
        "va2a3=0", // nothing of the unranked attribute is pinned to 0
    };
    EXPECT_EQ(b.Constraints(), expected);
    EXPECT_EQ(TermsText(NodeValueTerms(b.model, 1, -1, 1)), "1*va2a2+1*va3a1");
}

TEST(ConstraintGenerator, UnrankedAttributeWithOneAlternativeOnlyWeighs) {
    ModelBuilder b(1);
    b.Add(kAttribute, b.root);
    EXPECT_EQ(b.Constraints(), Lines{"va2a1=1"});
}

TEST(ConstraintGenerator, RankGapLinksEachRankToTheNextPresent) {
    ModelBuilder b(4);
    const NodeId a = b.Add(kAttribute, b.root);
    b.Rank(a, {1, 3, 4, 3});
    const Lines expected = {
        "1*va2a2-1*va2a1<=0", // rank 3 at most rank 1
        "1*va2a4-1*va2a2=0",
        "1*va2a3-1*va2a2<=0", // rank 4 at most rank 3
        "va2a1=1",
        "va2a3=0",
    };
    EXPECT_EQ(b.Constraints(), expected);
}

TEST(ConstraintGenerator, ColumnWithoutRankOneTakesItsSmallestRank) {
    ModelBuilder b(3);
    const NodeId a = b.Add(kAttribute, b.root);
    b.Rank(a, {0, 3, 2});
    EXPECT_EQ(BestAlternativeRow(b.model, 2), 3);
    const Lines expected = {
        "1*va2a2-1*va2a3<=0",
        "1*va2a1-1*va2a3<=0", // unranked row at most the best level
        "va2a3=1",
        "va2a2=0",
    };
    EXPECT_EQ(b.Constraints(), expected);
    EXPECT_EQ(TermsText(NodeValueTerms(b.model, 2, -1, 1)), "1*va2a3");
}

TEST(ConstraintGenerator, SeveralWorstRowsNameTheFirst) {
    ModelBuilder b(4);
    const NodeId a = b.Add(kAttribute, b.root);
    b.Rank(a, {2, 1, 2, 2});
    EXPECT_EQ(WorstAlternativeRow(b.model, 2), 1);
    const Lines expected = {
        "1*va2a1-1*va2a2<=0", "1*va2a3-1*va2a1=0", "1*va2a4-1*va2a1=0", "va2a2=1", "va2a1=0",
    };
    EXPECT_EQ(b.Constraints(), expected);
}

TEST(ConstraintGenerator, GoalRowsNeedAHolisticRanking) {
    ModelBuilder b(3);
    const NodeId goal = b.Add(kGoal, b.root);
    const NodeId x = b.Add(kAttribute, goal);
    const NodeId y = b.Add(kAttribute, goal);
    b.Rank(x, {1, 2, 3});
    b.Rank(y, {3, 2, 1});
    // Statements without any rank: no rows.
    b.model.StoreRanking(goal, {0, 0, 0}, {b.Ratio(1, 2, 2, 3, 1, 2)});
    const Lines unrankedGoal = b.Constraints();
    EXPECT_EQ(unrankedGoal.size(), 6U);

    b.model.StoreRanking(goal, {1, 0, 2}, {b.Ratio(1, 3, 1, 2, 0, -1)});
    const Lines lines = b.Constraints();
    const Lines goalRows = {
        "1*va3a3+1*va4a3-1*va3a1-1*va4a1<=0", // rank 2 at most rank 1
        "1*va3a2+1*va4a2-1*va3a1-1*va4a1<=0", // unranked row 2 at most the best row
        "-1*va3a1-1*va4a1+1*va3a3+1*va4a3+0*va3a1+0*va4a1+0*va3a2+0*va4a2<=0",
    };
    ASSERT_EQ(lines.size(), unrankedGoal.size() + goalRows.size());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3), goalRows);
    EXPECT_EQ(Lines(lines.begin() + 3, lines.end()), unrankedGoal);
}

TEST(ConstraintGenerator, TopDownReferenceSiblings) {
    ModelBuilder b(2);
    const NodeId g = b.Add(kGoal, b.root);       // column 2
    const NodeId a1 = b.Add(kAttribute, g);      // column 3
    const NodeId a2 = b.Add(kAttribute, g);      // column 4
    const NodeId a3 = b.Add(kAttribute, b.root); // column 5
    for (const NodeId n : {a1, a2, a3}) {
        b.Rank(n, {1, 2});
    }
    b.model.SetTopDownWeights(true);
    b.model.StoreWeightBounds(
        true, {{b.root, 100, 100}, {g, 100, 100}, {a3, 50, 200}, {a1, 100, 100}, {a2, 100, 100}});
    EXPECT_EQ(ReferenceSiblingColumn(b.model, 1), 1);
    EXPECT_EQ(ReferenceSiblingColumn(b.model, 5), 2);
    EXPECT_EQ(ReferenceSiblingColumn(b.model, 4), 3);
    const Lines expected = {
        "1*va3a2-1*va3a1<=0",         "1*va4a2-1*va4a1<=0",
        "1*va4a1-1*va3a1<=0", // a later sibling at 100..100 equals the reference
        "1*va3a1-1*va4a1<=0",         "1*va5a2-1*va5a1<=0",
        "1*va5a1-2*va3a1-2*va4a1<=0", "0.5*va3a1+0.5*va4a1-1*va5a1<=0",
        "va3a1+va4a1+va5a1=1",        "va3a2+va4a2+va5a2=0",
    };
    EXPECT_EQ(b.Constraints(), expected);
}

TEST(ConstraintGenerator, BottomUpNeedsAReference) {
    ModelBuilder b(2);
    const NodeId a = b.Add(kAttribute, b.root);
    const NodeId c = b.Add(kAttribute, b.root);
    const NodeId d = b.Add(kAttribute, b.root);
    for (const NodeId n : {a, c, d}) {
        b.Rank(n, {1, 2});
    }
    b.model.StoreWeightBounds(false, {{a, 50, 100}, {c, 100, 200}, {d, 10, 90}});
    EXPECT_EQ(ReferenceAttributeColumn(b.model), 0);
    EXPECT_EQ(b.Constraints().size(), 5U); // ordinal rows and the two sums only

    // With a first and a later attribute at 100..100 the later one is tied to the first.
    b.model.StoreWeightBounds(false, {{a, 100, 100}, {c, 100, 100}, {d, -1, -1}});
    const Lines lines = b.Constraints();
    ASSERT_EQ(lines.size(), 7U);
    EXPECT_EQ(lines[2], "1*va3a1-1*va2a1<=0");
    EXPECT_EQ(lines[3], "-1*va3a1+1*va2a1<=0");
}

TEST(ConstraintGenerator, ZeroBoundsKeepTheirPlusSign) {
    ModelBuilder b(2);
    std::vector<NodeId> attributes;
    for (int i = 0; i < 4; ++i) {
        attributes.push_back(b.Add(kAttribute, b.root)); // columns 2..5
    }
    for (std::size_t i = 0; i < 3; ++i) {
        b.Rank(attributes[i], {1, 2});
    }
    b.Rank(attributes[3], {1, 2}, {b.Ratio(1, 2, 1, 2, 0, -1)});
    b.model.StoreWeightBounds(false, {{attributes[0], 100, 100}, {attributes[3], 0, -1}});
    const Lines lines = b.Constraints();
    ASSERT_EQ(lines.size(), 8U);
    EXPECT_EQ(lines[4], "-1*va5a1+1*va5a2+0*va5a1+0*va5a2<=0");
    EXPECT_EQ(lines[5], "-1*va5a1+0*va2a1<=0");
}

TEST(ConstraintGenerator, PercentAndRatioCoefficientTexts) {
    ModelBuilder b(3);
    const NodeId a = b.Add(kAttribute, b.root);
    const NodeId c = b.Add(kAttribute, b.root);
    b.Rank(a, {1, 2, 3});
    b.Rank(c, {1, 2, 3}, {b.Ratio(1, 2, 2, 3, 1.0 / 3.0, 7)});
    b.model.StoreWeightBounds(false, {{a, 100, 100}, {c, 33, 0.001}});
    const Lines lines = b.Constraints();
    ASSERT_EQ(lines.size(), 10U);
    EXPECT_EQ(lines[4], "-1*va3a1+1*va3a2+0.333333333333333*va3a2-0.333333333333333*va3a3<=0");
    EXPECT_EQ(lines[5], "1*va3a1-1*va3a2-7*va3a2+7*va3a3<=0");
    EXPECT_EQ(lines[6], "1*va3a1-0.00001*va2a1<=0");
    EXPECT_EQ(lines[7], "-1*va3a1+0.33*va2a1<=0");
}

// Every row of every constraint set and every objective of a calculation, typed, is what its text
// reads back as, over generated models (ties, gaps, unranked levels, holistic rankings, ratio
// statements with decimals, both weight modes).
TEST(ConstraintGenerator, TypedRowsAndObjectivesAreWhatTheirTextsReadBackAs) {
    for (int seed = 1; seed <= 40; ++seed) {
        testing::RandomModelOptions options;
        options.maxAlternatives = 8;
        options.maxAttributes = 8;
        const Model model =
            testing::MakeRandomModel(static_cast<std::uint64_t>(seed), options).model;
        std::vector<ProgramParts> programs;
        for (const NodeId node : model.Attributes()) {
            for (int row = 1; row <= model.M(); ++row) {
                programs.push_back(
                    ValueProgram(model, model.ColumnOfNode(node), row, kMaximize, true));
            }
            programs.push_back(WeightProgram(model, node, kMinimize, true));
        }
        programs.push_back(ValueProgram(model, 1, 1, kMinimize, true));
        programs.push_back(DominanceProgram(model, 1, model.M()));
        for (const ProgramParts& parts : programs) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", normalizer " +
                         TermsText(parts.Normalizer));
            TConstraintModel text = AssembleProgram(model, parts);
            const std::vector<ParsedTerm> objective = ParseConstraint(text.Objective).Terms;
            ASSERT_EQ(objective.size(), parts.Objective.size());
            for (std::size_t k = 0; k < objective.size(); ++k) {
                EXPECT_EQ(objective[k].Name, UnknownName(parts.Objective[k].Var));
                EXPECT_EQ(objective[k].Coefficient, parts.Objective[k].Coefficient);
            }
            text.Objective.clear();
            ExpectSameRows(model, parts.Normalizer, ParseProgram(text));
        }
    }
}

} // namespace
} // namespace velor
