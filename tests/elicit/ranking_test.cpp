#include "elicit/ranking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace velor::elicit {
namespace {

// Alternative ids equal rows; the label is the consequence text.
LevelMember Member(int alt, int rank, const std::string& text) {
    const bool empty = text.empty() || text == " ";
    return {alt, alt, rank, empty ? "(Alt " + std::to_string(alt) + ")" : text, text};
}

std::vector<std::string> RankedTexts(const Ranking& r) {
    std::vector<std::string> texts;
    for (int i = 0; i < static_cast<int>(r.Ranked().size()); ++i)
        texts.push_back(r.RankedText(i));
    return texts;
}

std::vector<std::string> UnrankedTexts(const Ranking& r) {
    std::vector<std::string> texts;
    for (int i = 0; i < static_cast<int>(r.Unranked().size()); ++i)
        texts.push_back(r.UnrankedText(i));
    return texts;
}

using Texts = std::vector<std::string>;

// A, B, C ranked as given.
Ranking Ranked(int a, int b, int c) {
    return Ranking({Member(1, a, "A"), Member(2, b, "B"), Member(3, c, "C")});
}

int RowOf(const Ranking& r, const std::string& label) {
    for (int i = 0; i < static_cast<int>(r.Ranked().size()); ++i) {
        if (r.Ranked()[i].Label() == label)
            return i;
    }
    return -1;
}

TEST(RankingLevels, EqualTextsShareARowEmptyCellsStandAlone) {
    Ranking r({Member(1, 0, "10"), Member(2, 0, ""), Member(3, 0, "10"), Member(4, 0, " ")});
    EXPECT_EQ(UnrankedTexts(r), (Texts{"(Alt 2)", "(Alt 4)", "10"}));
    EXPECT_EQ(r.Unranked()[2].Members.size(), 2u);

    // The same label under two empty cells still makes two rows.
    Ranking empties({Member(1, 0, ""), {2, 2, 0, "(Alt 1)", ""}});
    EXPECT_EQ(empties.Unranked().size(), 2u);
}

TEST(RankingLevels, StoredRanksAreSortedAndInconsistentRanksStaySeparate) {
    Ranking r({Member(1, 3, "x"), Member(2, 1, "y"), Member(3, 2, "x"), Member(4, 1, "z"),
               Member(5, 3, "x")});
    EXPECT_EQ(RankedTexts(r), (Texts{"(1) y", "(1) z", "(2) x", "(3) x"}));
    EXPECT_EQ(r.Ranked()[3].Members.size(), 2u) << "alternatives 1 and 5 share rank 3";
    EXPECT_EQ(r.RanksByRow(5), (std::vector<int>{3, 1, 2, 1, 3}));
}

TEST(RankingRank, RanksSelectedLevelLastAndSelectsTheNextUnranked) {
    Ranking r({Member(1, 0, "A"), Member(2, 0, "B"), Member(3, 0, "C")});
    EXPECT_FALSE(r.CanRank());
    EXPECT_FALSE(r.Rank()) << "nothing selected";
    for (int i = 0; i < 3; ++i) {
        r.SelectUnranked(0);
        ASSERT_TRUE(r.Rank());
    }
    EXPECT_EQ(RankedTexts(r), (Texts{"(1) A", "(2) B", "(3) C"}));
    EXPECT_FALSE(r.CanRank()) << "the unranked list is empty";

    Ranking s({Member(1, 0, "A"), Member(2, 0, "B"), Member(3, 0, "C")});
    s.SelectUnranked(1);
    s.Rank();
    EXPECT_EQ(s.SelectedUnranked(), 1) << "C moved up to the selected index";
    s.Rank();
    EXPECT_EQ(s.SelectedUnranked(), -1) << "no row left at index 1";
    EXPECT_EQ(RankedTexts(s), (Texts{"(1) B", "(2) C"}));
}

TEST(RankingRank, NewRankFollowsTheHighestEvenAfterAGap) {
    Ranking r({Member(1, 1, "A"), Member(2, 3, "B"), Member(3, 0, "C")});
    r.SelectRanked(1);
    r.SelectUnranked(0);
    r.Rank();
    EXPECT_EQ(RankedTexts(r), (Texts{"(1) A", "(3) B", "(4) C"}));
    EXPECT_EQ(r.SelectedRanked(), 1) << "the ranked selection stays on its row";
}

TEST(RankingMoreLess, TiedRowStandsAloneAboveOrBelowItsTies) {
    // A and B tied at 1, C at 2.
    Ranking more = Ranked(1, 1, 2);
    more.SelectRanked(RowOf(more, "B"));
    ASSERT_TRUE(more.More());
    EXPECT_EQ(more.RanksByRow(3), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(RankedTexts(more), (Texts{"(1) B", "(2) A", "(3) C"}));
    EXPECT_EQ(more.SelectedRanked(), 0) << "B stays selected after the re-sort";

    Ranking less = Ranked(1, 1, 2);
    less.SelectRanked(RowOf(less, "B"));
    ASSERT_TRUE(less.Less());
    EXPECT_EQ(less.RanksByRow(3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(less.SelectedRanked(), 1);

    // Tied at the bottom: Less still opens a new rank below.
    Ranking bottom = Ranked(1, 2, 2);
    bottom.SelectRanked(RowOf(bottom, "B"));
    bottom.Less();
    EXPECT_EQ(bottom.RanksByRow(3), (std::vector<int>{1, 3, 2}));
}

TEST(RankingMoreLess, LoneRowJoinsTheGroupAboveOrBelow) {
    Ranking more = Ranked(1, 2, 3);
    more.SelectRanked(1);
    more.More();
    EXPECT_EQ(more.RanksByRow(3), (std::vector<int>{1, 1, 2}));

    Ranking less = Ranked(1, 2, 3);
    less.SelectRanked(1);
    less.Less();
    EXPECT_EQ(less.RanksByRow(3), (std::vector<int>{1, 2, 2}));
}

TEST(RankingMoreLess, TopAndBottomLoneRowsDoNothing) {
    Ranking r = Ranked(1, 2, 3);
    r.SelectRanked(0);
    EXPECT_FALSE(r.More());
    r.SelectRanked(2);
    EXPECT_FALSE(r.Less());
    EXPECT_EQ(r.RanksByRow(3), (std::vector<int>{1, 2, 3}));
    Ranking none = Ranked(1, 2, 3);
    EXPECT_FALSE(none.More()) << "no selection";
    EXPECT_FALSE(none.CanMoveRanked());
}

TEST(RankingMoreLess, RepeatedMoreAlternatesBetweenTyingAndStandingAbove) {
    Ranking r = Ranked(1, 2, 3);
    r.SelectRanked(RowOf(r, "C"));
    r.More(); // C ties with B
    EXPECT_EQ(r.RanksByRow(3), (std::vector<int>{1, 2, 2}));
    r.More(); // C stands alone above B
    EXPECT_EQ(r.RanksByRow(3), (std::vector<int>{1, 3, 2}));
    r.More(); // C ties with A
    EXPECT_EQ(r.RanksByRow(3), (std::vector<int>{1, 2, 1}));
    r.More(); // C alone at the top
    EXPECT_EQ(r.RanksByRow(3), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(RankedTexts(r), (Texts{"(1) C", "(2) A", "(3) B"}));
    EXPECT_FALSE(r.More());
}

TEST(RankingRemove, ClosesTheGapOfALoneRankOnly) {
    Ranking r = Ranked(1, 2, 3);
    r.SelectRanked(1);
    ASSERT_TRUE(r.Remove());
    EXPECT_EQ(RankedTexts(r), (Texts{"(1) A", "(2) C"}));
    EXPECT_EQ(UnrankedTexts(r), (Texts{"B"}));
    EXPECT_EQ(r.SelectedRanked(), 1) << "the row now at the same index";

    Ranking tied = Ranked(1, 2, 2);
    tied.SelectRanked(1);
    tied.Remove();
    EXPECT_EQ(tied.RanksByRow(3), (std::vector<int>{1, 0, 2}));

    Ranking last = Ranked(1, 2, 3);
    last.SelectRanked(2);
    last.Remove();
    EXPECT_EQ(last.SelectedRanked(), -1);
    EXPECT_FALSE(last.CanMoveRanked());
}

TEST(RankingRemove, ReturnedRowIsSortedIntoTheUnrankedListKeepingItsSelection) {
    Ranking r({Member(1, 1, "b"), Member(2, 0, "a"), Member(3, 0, "C")});
    r.SelectUnranked(1); // "C"
    r.SelectRanked(0);
    r.Remove();
    EXPECT_EQ(UnrankedTexts(r), (Texts{"a", "b", "C"}));
    EXPECT_EQ(r.SelectedUnranked(), 2) << "still on C";
    EXPECT_TRUE(r.Ranked().empty());
}

// Numbers inside level texts are ordered by value, thousands groups separated by a blank or a
// no-break space included; each pair is strictly ascending.
class NaturalOrder : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(NaturalOrder, OrdersThePairAscendingAndTheReverseDescending) {
    const auto [lower, higher] = GetParam();
    EXPECT_EQ(NaturalCompare(lower, higher), -1) << lower << " < " << higher;
    EXPECT_EQ(NaturalCompare(higher, lower), 1) << higher << " > " << lower;
    EXPECT_EQ(NaturalCompare(lower, lower), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, NaturalOrder,
    ::testing::Values(std::pair{"EUR 700", "EUR 900"}, std::pair{"EUR 900", "EUR 1 200"},
                      std::pair{"EUR 999", "EUR 1\u00A0000"}, std::pair{"9 min", "10 min"},
                      std::pair{"2 km", "10 km"}, std::pair{"EUR 1 200", "EUR 2 000 000"},
                      std::pair{"007", "8"}, std::pair{"high", "Low"}, std::pair{"a2", "a10b"},
                      // Not a thousands group: more than three digits before or after the blank.
                      std::pair{"1200 500", "1201 1"}, std::pair{"1 2000", "2"},
                      // Equal values: the bytes decide.
                      std::pair{"1 200", "1200"}, std::pair{"A", "a"}));

TEST(NaturalOrder, IsATotalOrderOnRandomTexts) {
    const std::vector<std::string> pieces{"0", "1", "7", "12", "200", " ", "\u00A0", "a", "B", "."};
    std::mt19937 random(37);
    std::vector<std::string> texts(60);
    for (auto& text : texts) {
        for (int n = static_cast<int>(random() % 6); n >= 0; --n)
            text += pieces[random() % pieces.size()];
    }
    for (const auto& a : texts) {
        for (const auto& b : texts) {
            ASSERT_EQ(NaturalCompare(a, b), -NaturalCompare(b, a)) << a << " | " << b;
            ASSERT_EQ(NaturalCompare(a, b) == 0, a == b) << a << " | " << b;
        }
    }
    auto less = [](const std::string& a, const std::string& b) { return NaturalCompare(a, b) < 0; };
    std::sort(texts.begin(), texts.end(), less);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            ASSERT_LE(NaturalCompare(texts[i], texts[j]), 0) << texts[i] << " | " << texts[j];
    }
}

TEST(RankingLevels, UnrankedLevelsComeInNaturalOrderAlsoAfterRemove) {
    Ranking r({Member(1, 0, "EUR 1 200"), Member(2, 0, "EUR 900"), Member(3, 1, "EUR 700"),
               Member(4, 0, "EUR 10 500")});
    EXPECT_EQ(UnrankedTexts(r), (Texts{"EUR 900", "EUR 1 200", "EUR 10 500"}));
    r.SelectRanked(0);
    r.Remove();
    EXPECT_EQ(UnrankedTexts(r), (Texts{"EUR 700", "EUR 900", "EUR 1 200", "EUR 10 500"}));
}

} // namespace
} // namespace velor::elicit
