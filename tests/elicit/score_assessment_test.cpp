#include "elicit/score_assessment.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velor::elicit {
namespace {

// Main goal "Car" with goal "Cost" holding attribute "Price", and attribute "Speed" directly
// under the main goal; four alternatives.
struct Fixture {
    Model m;
    NodeId root, cost, price, speed;
    Fixture() {
        root = m.AddNode(kGoal, kNone);
        m.RenameNode(root, "Car");
        cost = m.AddNode(kGoal, root);
        m.RenameNode(cost, "Cost");
        price = m.AddNode(kAttribute, cost);
        m.RenameNode(price, "Price");
        speed = m.AddNode(kAttribute, root);
        m.RenameNode(speed, "Speed");
        for (int i = 0; i < 4; ++i)
            m.NewAlternative();
    }
    EntryId Entry(NodeId node) const { return m.Node(node).Assessment; }
    void Texts(NodeId node, std::vector<std::string> texts) {
        for (int row = 1; row <= static_cast<int>(texts.size()); ++row)
            m.CommitCellText(m.ColumnOfNode(node), row, texts[row - 1], false);
    }
    void RankAll(ScoreAssessment& s) {
        while (!s.Levels().Unranked().empty()) {
            s.SelectUnranked(0);
            s.Rank();
        }
    }
};

TEST(ScoreAssessmentTexts, NamesCaptionsAndInstructionsInBothModes) {
    Fixture f;
    ScoreAssessment speed(f.m, f.Entry(f.speed));
    EXPECT_EQ(speed.NodeName(), "Speed") << "the main goal is not named";
    EXPECT_EQ(speed.Caption(), "Score Assessment: Speed");
    EXPECT_STREQ(speed.InfoText(), kScoreInfoText);
    EXPECT_FALSE(speed.HolisticMode());

    ScoreAssessment price(f.m, f.Entry(f.price));
    EXPECT_EQ(price.NodeName(), "Cost -> Price");

    ScoreAssessment cost(f.m, f.Entry(f.cost));
    EXPECT_TRUE(cost.HolisticMode());
    EXPECT_EQ(cost.Caption(), "Holistic Comparison: Cost");
    EXPECT_STREQ(cost.InfoText(), kHolisticInfoText);
    EXPECT_EQ(cost.Levels().UnrankedText(0), "(Alternative 1)") << "a goal's cells are empty";

    ScoreAssessment mainGoal(f.m, f.Entry(f.root));
    EXPECT_EQ(mainGoal.NodeName(), "Car");
    EXPECT_EQ(mainGoal.Levels().UnrankedText(0), "Alternative 1") << "names mirrored";

    EXPECT_THROW(ScoreAssessment(f.m, f.m.BottomUpEntry()), std::invalid_argument);
    EXPECT_FALSE(ScoreAssessment::CanAssess(f.m, 9999));
}

TEST(ScoreAssessmentTexts, TourVariantOfCaptionAndButtons) {
    Fixture f;
    ScoreAssessment plain(f.m, f.Entry(f.speed));
    EXPECT_EQ(plain.OkCaption(), "&OK");
    EXPECT_EQ(plain.CancelCaption(), "&Cancel");
    EXPECT_FALSE(plain.TourButtonsVisible());
    EXPECT_EQ(plain.InfeasibleQuestion(),
              "The preferences you just gave have made the model infeasible.\nPlease check the "
              "correctness of the given preferences.\nDo you want to continue anyway?\n");

    ScoreAssessment first(f.m, f.Entry(f.speed), 1, 3);
    EXPECT_EQ(first.Caption(), "Score Assessment: Speed (Elicitation Tour Step 1 of 3)");
    EXPECT_EQ(first.OkCaption(), "&OK >>");
    EXPECT_EQ(first.CancelCaption(), "&Skip >>");
    EXPECT_TRUE(first.TourButtonsVisible());
    EXPECT_FALSE(first.BackEnabled());
    EXPECT_NE(first.InfeasibleQuestion().find("This will quit the elicitation tour.\nDo you"),
              std::string::npos);

    ScoreAssessment last(f.m, f.Entry(f.speed), 3, 3);
    EXPECT_EQ(last.OkCaption(), "&OK");
    EXPECT_EQ(last.CancelCaption(), "&Skip");
    EXPECT_TRUE(last.BackEnabled());
    last.SetInfeasibleNo();
    EXPECT_FALSE(last.BackEnabled());
    EXPECT_FALSE(last.CancelEnabled());
    EXPECT_FALSE(last.AbortEnabled());

    ScoreAssessment stepsWithoutCount(f.m, f.Entry(f.speed), 2, 0);
    EXPECT_EQ(stepsWithoutCount.TourStep(), 0) << "steps only count on the tour";
}

TEST(ScoreAssessmentLevels, SharedAndEmptyConsequences) {
    Fixture f;
    f.Texts(f.speed, {"10", "", "10", "20"});
    ScoreAssessment s(f.m, f.Entry(f.speed));
    ASSERT_EQ(s.Levels().Unranked().size(), 3u);
    EXPECT_EQ(s.Levels().UnrankedText(0), "(Alternative 2)");
    EXPECT_EQ(s.Levels().UnrankedText(1), "10");
    EXPECT_TRUE(s.StartOnOrdinalPage());
    s.SelectUnranked(1);
    s.Rank();
    Model copy = f.m;
    s.Store(copy);
    const int col = copy.ColumnOfNode(f.speed);
    EXPECT_EQ(copy.Rank(col, 1), 1);
    EXPECT_EQ(copy.Rank(col, 3), 1) << "the whole level is ranked";
    EXPECT_EQ(copy.Rank(col, 2), 0);
}

TEST(ScoreAssessmentLevels, FullyRankedNodeOpensOnTheCardinalPage) {
    Fixture f;
    f.Texts(f.speed, {"a", "b", "c", "d"});
    f.m.StoreRanking(f.speed, {1, 2, 3, 4}, {});
    ScoreAssessment s(f.m, f.Entry(f.speed));
    EXPECT_FALSE(s.StartOnOrdinalPage());
    EXPECT_TRUE(s.CardinalEnabled());
    EXPECT_EQ(s.Recommendations().size(), 2u);
    EXPECT_EQ(s.RecommendationTexts(0)[0], "From (3) c to (2) b") << "lowest steps first";
    EXPECT_EQ(s.RecommendationTexts(0)[1], "From (4) d to (3) c");
}

TEST(ScoreAssessmentStatements, AddEditRemoveAndRecommendationsReappear) {
    Fixture f;
    f.Texts(f.speed, {"a", "b", "c", "d"});
    ScoreAssessment s(f.m, f.Entry(f.speed));
    f.RankAll(s);
    s.SetStyle(kDirectRating);
    ASSERT_EQ(s.Recommendations().size(), 2u);
    EXPECT_FALSE(s.CanAdd());
    EXPECT_FALSE(s.AddRecommendation({}));

    s.SelectRecommendation(0);
    EXPECT_TRUE(s.CanAdd());
    TCardinalStatement confirmed = s.Recommendations()[0];
    confirmed.Lower = 0.5;
    ASSERT_TRUE(s.AddRecommendation(confirmed));
    EXPECT_EQ(s.Given().size(), 1u);
    EXPECT_EQ(s.Recommendations().size(), 1u);
    EXPECT_EQ(s.SelectedRecommendation(), 0) << "the next proposal is selected";
    EXPECT_EQ(s.GivenTexts(0), (std::array<std::string, 4>{"From (4) d to (2) b",
                                                           "From (4) d to (1) a", "0.5", ""}));

    // Switching the style and back does not offer the given statement again.
    s.SetStyle(kSuccessiveDifferences);
    s.SetStyle(kDirectRating);
    EXPECT_EQ(s.Recommendations().size(), 1u);

    TCardinalStatement edited = s.Given()[0];
    edited.Upper = 2;
    EXPECT_TRUE(s.ReplaceGiven(0, edited));
    EXPECT_EQ(s.GivenTexts(0, ',')[3], "2");

    EXPECT_FALSE(s.RemoveGiven()) << "nothing selected";
    s.SelectGiven(0);
    EXPECT_TRUE(s.CanEditGiven());
    ASSERT_TRUE(s.RemoveGiven());
    EXPECT_EQ(s.Recommendations().size(), 2u) << "the removed statement is proposed again";
    EXPECT_FALSE(s.CanRemoveGiven());
}

TEST(ScoreAssessmentStatements, StoredStatementsAreShownAndKeptWhenTheirLevelIsUnranked) {
    Fixture f;
    f.Texts(f.speed, {"a", "b", "c", "d"});
    const AltId a1 = f.m.AlternativeId(1), a2 = f.m.AlternativeId(2), a3 = f.m.AlternativeId(3);
    TCardinalStatement st{a1, a2, a2, a3, 1.25, -1};
    f.m.StoreRanking(f.speed, {1, 2, 3, 0}, {st});
    ScoreAssessment s(f.m, f.Entry(f.speed));
    EXPECT_EQ(s.GivenTexts(0)[0], "From (2) b to (1) a");
    EXPECT_EQ(s.GivenTexts(0)[2], "1.25");
    EXPECT_TRUE(s.Recommendations().empty()) << "the only proposal is already given";

    s.SelectRanked(2);
    s.Remove();
    EXPECT_EQ(s.GivenTexts(0)[1], "From c to (2) b");
    s.Store(f.m);
    ASSERT_EQ(f.m.Preference(f.speed)->Statements.size(), 1u);
    EXPECT_EQ(f.m.Preference(f.speed)->Statements[0], st);
}

TEST(ScoreAssessmentStore, WritesRanksStatementsAndStatus) {
    Fixture f;
    f.Texts(f.speed, {"a", "b", "c", "d"});
    const Model before = f.m;
    ScoreAssessment s(f.m, f.Entry(f.speed));
    f.RankAll(s);
    s.SelectRecommendation(1);
    TCardinalStatement st = s.Recommendations()[1];
    st.Upper = 3;
    s.AddRecommendation(st);
    const int column = f.m.ColumnOfNode(f.speed);
    EXPECT_EQ(f.m.Rank(column, 1), 0) << "nothing reaches the model before Store";
    EXPECT_EQ(f.m, before) << "nothing reaches the model before Store";

    s.Store(f.m);
    const int col = f.m.ColumnOfNode(f.speed);
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(f.m.Rank(col, row), row);
    ASSERT_EQ(f.m.Preference(f.speed)->Statements.size(), 1u);
    EXPECT_EQ(f.m.Preference(f.speed)->Statements[0], st);
    EXPECT_EQ(f.m.Entry(f.Entry(f.speed))->Status, AssessmentStatus::Yes);
}

TEST(ScoreAssessmentLevels, UnrankedLevelsNameTheAlternativesHoldingThem) {
    Fixture f;
    f.m.CommitCellText(1, 1, "Compact hatchback", false);
    f.m.CommitCellText(1, 3, "Small SUV", false);
    f.Texts(f.speed, {"EUR 700", "EUR 1 200", "EUR 700", " "});
    ScoreAssessment s(f.m, f.Entry(f.speed));
    ASSERT_EQ(s.Levels().Unranked().size(), 3u);
    EXPECT_EQ(s.Levels().UnrankedText(0), "(Alternative 4)") << "the empty cell";
    EXPECT_EQ(s.UnrankedHolders(0), "") << "its text already names its alternative";
    EXPECT_EQ(s.Levels().UnrankedText(1), "EUR 700");
    EXPECT_EQ(s.UnrankedHolders(1), "Compact hatchback, Small SUV");
    EXPECT_EQ(s.Levels().UnrankedText(2), "EUR 1 200");
    EXPECT_EQ(s.UnrankedHolders(2), "Alternative 2");

    ScoreAssessment mainGoal(f.m, f.Entry(f.root));
    EXPECT_EQ(mainGoal.UnrankedHolders(0), "") << "a name needs no repeating";
}

} // namespace
} // namespace velor::elicit
