#include "model/model.h"
#include "model_invariants.h"

#include <gtest/gtest.h>

namespace velor {
namespace {

using testing::CheckInvariants;

// Main goal with `attributes` attributes below it and `alternatives` alternatives.
Model Flat(int attributes, int alternatives) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    for (int i = 0; i < attributes; ++i) {
        m.AddNode(kAttribute, root);
    }
    for (int i = 0; i < alternatives; ++i) {
        m.NewAlternative();
    }
    return m;
}

TEST(Alternatives, NewAlternativeNamesRowsAndSizesEveryList) {
    Model m = Flat(4, 2);
    const int row = m.NewAlternative();
    EXPECT_EQ(row, 3);
    EXPECT_EQ(m.AlternativeName(3), "Alternative 3");
    EXPECT_EQ(m.CellText(1, 3), "Alternative 3") << "the main-goal column mirrors the name";
    for (int col = 1; col <= 5; ++col) {
        EXPECT_DOUBLE_EQ(m.Consequence(col, 3).Upper, 0.2) << "1 / N with five nodes";
        EXPECT_EQ(m.Consequence(col, 3).Rank, 0);
    }
    EXPECT_EQ(m.Alternative(3).Dominance, (std::vector<std::uint8_t>{4, 4, 4, 4}));
    EXPECT_EQ(m.Alternative(1).Dominance.size(), 4u);
    EXPECT_EQ(m.ModelSize(), (2 * 5 - 2) * 4 + 3 * 5);
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(Alternatives, WithoutNodesRowsAreNamedButNotEditable) {
    Model m;
    m.NewAlternative();
    EXPECT_EQ(m.AlternativeName(1), "Alternative 1");
    EXPECT_FALSE(m.Table().Consequence(1, 1).has_value());
    EXPECT_FALSE(m.CellsEditable());
    EXPECT_FALSE(m.CommitCellText(1, 1, "x", true));
    EXPECT_EQ(m.ModelSize(), 0);
}

TEST(Alternatives, ModelSizeFigure) {
    EXPECT_EQ(Flat(2, 2).ModelSize(), 20) << "three node columns, two alternatives";
    EXPECT_EQ(Flat(2, 0).ModelSize(), 0);
}

TEST(Alternatives, DeletingTheOnlyAlternativeKeepsOneEmptyRow) {
    Model m = Flat(1, 1);
    m.CommitCellText(2, 1, "red", true);
    m.DeleteAlternative(1);
    EXPECT_EQ(m.M(), 0);
    EXPECT_EQ(m.Table().RowCount(), 2);
    EXPECT_EQ(m.AlternativeName(1), "");
    EXPECT_EQ(m.CellText(2, 1), "");
    EXPECT_FALSE(m.CellsEditable());
    EXPECT_EQ(CheckInvariants(m), "");
    EXPECT_EQ(m.NewAlternative(), 1);
    EXPECT_EQ(m.AlternativeName(1), "Alternative 1");
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(Alternatives, DeletingARowShrinksListsAndRenumbers) {
    Model m = Flat(2, 4);
    m.CommitCellText(1, 3, "Third", true);
    m.DeleteAlternative(2);
    EXPECT_EQ(m.M(), 3);
    EXPECT_EQ(m.AlternativeName(2), "Third");
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(m.Alternative(row).Index, row);
        EXPECT_EQ(m.Alternative(row).Dominance.size(), 4u);
    }
    for (NodeId n : m.PreOrder()) {
        EXPECT_EQ(m.Node(n).Values.size(), 3u);
    }
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(Alternatives, DeletionClosesRankGapsOnlyForALoneRank) {
    Model m = Flat(1, 4);
    const NodeId a = m.NodeAt(1);
    m.StoreRanking(a, {1, 2, 3, 3}, {});
    m.DeleteAlternative(2); // the only rank 2
    EXPECT_EQ(m.Rank(2, 1), 1);
    EXPECT_EQ(m.Rank(2, 2), 2);
    EXPECT_EQ(m.Rank(2, 3), 2);
    m.DeleteAlternative(3); // one of two tied at rank 2
    EXPECT_EQ(m.Rank(2, 1), 1);
    EXPECT_EQ(m.Rank(2, 2), 2);
    Model u = Flat(1, 3);
    u.StoreRanking(u.NodeAt(1), {0, 1, 2}, {});
    u.DeleteAlternative(1); // unranked: no change
    EXPECT_EQ(u.Rank(2, 1), 1);
    EXPECT_EQ(u.Rank(2, 2), 2);
}

TEST(Alternatives, StatementsGoExactlyWithTheAlternativesTheyName) {
    Model m = Flat(1, 3);
    const NodeId root = m.Root();
    const AltId a1 = m.AlternativeId(1), a2 = m.AlternativeId(2), a3 = m.AlternativeId(3);
    m.StoreRanking(root, {1, 2, 3}, {{a1, a2, a1, a3, 1, -1}, {a1, a3, a1, a3, 1, 1}});
    m.StoreRanking(m.NodeAt(1), {1, 2, 3}, {{a2, a3, a1, a3, 0.5, -1}});
    m.DeleteAlternative(2);
    ASSERT_EQ(m.Preference(root)->Statements.size(), 1u);
    const auto& kept = m.Preference(root)->Statements[0];
    EXPECT_EQ(m.RowOfAlternative(kept.Num2), 2) << "alternative 3 now sits in row 2";
    EXPECT_TRUE(m.Preference(m.NodeAt(1))->Statements.empty());
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(Alternatives, DuplicateCopiesTextsButNoRanks) {
    Model m = Flat(1, 2);
    m.CommitCellText(1, 1, "Sedan", true);
    m.CommitCellText(2, 1, "fast", true);
    m.StoreRanking(m.NodeAt(1), {1, 2}, {});
    const int row = m.DuplicateAlternative(1);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(m.AlternativeName(3), "Sedan");
    EXPECT_EQ(m.CellText(2, 3), "fast");
    EXPECT_EQ(m.Rank(2, 3), 0);
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(Alternatives, CommitRenamesThroughColumnOne) {
    Model m = Flat(1, 2);
    m.CommitCellText(1, 2, "Coupe", true);
    EXPECT_EQ(m.AlternativeName(2), "Coupe");
    m.CommitCellText(2, 2, "slow", true);
    EXPECT_EQ(m.AlternativeName(2), "Coupe");
    m.CommitCellText(2, 2, "", true);
    m.CommitCellText(1, 2, "", true, /*renameAlternative=*/false);
    EXPECT_EQ(m.AlternativeName(2), "Coupe") << "clearing or pasting into column 1 keeps names";
    EXPECT_EQ(m.CellText(1, 2), "");
    m.CommitCellText(2, 1, std::string(400, 'x'), true);
    EXPECT_EQ(m.CellText(2, 1).size(), 255u);
}

TEST(Alternatives, CommitOverARankedCellAsksToKeepOrUnrank) {
    Model m = Flat(1, 3);
    const NodeId a = m.NodeAt(1);
    for (int row = 1; row <= 3; ++row) {
        m.CommitCellText(2, row, row < 3 ? "same" : "other", true);
    }
    const AltId a1 = m.AlternativeId(1), a2 = m.AlternativeId(2), a3 = m.AlternativeId(3);
    m.StoreRanking(a, {1, 1, 2}, {{a1, a3, a1, a3, 1, 1}, {a2, a3, a2, a3, 1, 1}});
    m.CommitCellText(2, 1, "changed", /*keepRanking=*/true);
    EXPECT_EQ(m.Rank(2, 1), 1);
    EXPECT_EQ(m.Preference(a)->Statements.size(), 2u);
    m.CommitCellText(2, 1, "changed again", /*keepRanking=*/false);
    EXPECT_EQ(m.Rank(2, 1), 0);
    EXPECT_EQ(m.Rank(2, 2), 1) << "the other member of the old level keeps its rank";
    ASSERT_EQ(m.Preference(a)->Statements.size(), 1u);
    EXPECT_EQ(m.Preference(a)->Statements[0].Num1, a2);
}

TEST(Alternatives, AchievementLevelsMergeEqualTextsOnly) {
    Model m = Flat(1, 4);
    m.CommitCellText(2, 1, "high", true);
    m.CommitCellText(2, 2, "high", true);
    m.CommitCellText(2, 3, "", true);
    m.CommitCellText(2, 4, "High", true);
    const auto levels = m.Levels(2);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0].Text, "high");
    EXPECT_EQ(levels[0].Rows, (std::vector<int>{1, 2}));
    EXPECT_EQ(levels[1].Text, "(Alternative 3)");
    EXPECT_EQ(levels[2].Text, "High") << "case-sensitive";
    EXPECT_EQ(m.DisplayText(2, 3), "(Alternative 3)");
}

TEST(Alternatives, ClearAlternativesKeepsNodeNamesAndDropsStatements) {
    Model m = Flat(2, 3);
    const AltId a1 = m.AlternativeId(1), a2 = m.AlternativeId(2), a3 = m.AlternativeId(3);
    m.StoreRanking(m.NodeAt(1), {1, 2, 3}, {{a1, a2, a2, a3, 1, -1}});
    m.ClearAlternatives();
    EXPECT_EQ(m.M(), 0);
    EXPECT_EQ(m.Table().RowCount(), 2);
    EXPECT_EQ(m.Table().Text(2, 0), "Attribute");
    EXPECT_TRUE(m.Preference(m.NodeAt(1))->Statements.empty());
    EXPECT_EQ(CheckInvariants(m), "");
}

TEST(Alternatives, RankQueries) {
    Model m = Flat(1, 4);
    const int col = 2;
    EXPECT_EQ(m.RankOneRow(col), 0);
    EXPECT_EQ(m.HighestRankRow(col), 0);
    m.StoreRanking(m.NodeAt(1), {2, 1, 3, 3}, {});
    EXPECT_EQ(m.RankOneRow(col), 2);
    EXPECT_EQ(m.HighestRankRow(col), 3) << "first row of the largest rank";
}

} // namespace
} // namespace velor
