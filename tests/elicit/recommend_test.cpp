#include "elicit/recommend.h"

#include <gtest/gtest.h>

#include <vector>

namespace velor::elicit {
namespace {

// Ranked rows with the given ranks (best first); the row at index p has alternative id 10 + p.
std::vector<LevelRow> Rows(const std::vector<int>& ranks) {
    std::vector<LevelRow> rows;
    for (std::size_t p = 0; p < ranks.size(); ++p) {
        const int id = 10 + static_cast<int>(p);
        rows.push_back(LevelRow{{LevelMember{id, id, ranks[p], "L" + std::to_string(p), "x"}}});
    }
    return rows;
}

// A proposal as (Num1, Num2, Den1, Den2) in row indices.
struct P {
    int n1, n2, d1, d2;
};

std::vector<TCardinalStatement> Expect(const std::vector<P>& ps) {
    std::vector<TCardinalStatement> out;
    for (const auto& p : ps) {
        TCardinalStatement s;
        s.Num1 = 10 + p.n1;
        s.Num2 = 10 + p.n2;
        s.Den1 = 10 + p.d1;
        s.Den2 = 10 + p.d2;
        out.push_back(s);
    }
    return out;
}

TEST(Recommend, NeedsThreeDistinctRanks) {
    EXPECT_FALSE(RatioStatementsPossible(Rows({})));
    EXPECT_FALSE(RatioStatementsPossible(Rows({1, 2})));
    EXPECT_FALSE(RatioStatementsPossible(Rows({1, 1, 2, 2})));
    EXPECT_TRUE(RatioStatementsPossible(Rows({1, 2, 3})));
    for (int style = 0; style < 4; ++style)
        EXPECT_TRUE(Recommend(Rows({1, 1, 2, 2}), style, {}).empty()) << style;
}

TEST(Recommend, SuccessiveDifferencesWithFiveRanksStartAtTheLowestSteps) {
    const auto got = Recommend(Rows({1, 2, 3, 4, 5}), kSuccessiveDifferences, {});
    EXPECT_EQ(got, Expect({{2, 3, 3, 4}, {1, 2, 2, 3}, {0, 1, 1, 2}}));
}

TEST(Recommend, SuccessiveDifferencesUseTheLowestRowOfEachTiedGroup) {
    // Ranks 1, 2, 2, 3: the group of rank 2 is represented by row 2, met first from below.
    EXPECT_EQ(Recommend(Rows({1, 2, 2, 3}), kSuccessiveDifferences, {}), Expect({{0, 2, 2, 3}}));
    EXPECT_EQ(Recommend(Rows({1, 2, 3}), kSuccessiveDifferences, {}), Expect({{0, 1, 1, 2}}));
}

TEST(Recommend, TwoDifferencesFromLowestCountRows) {
    EXPECT_EQ(Recommend(Rows({1, 2, 3}), kTwoDifferencesFromLowest, {}), Expect({{0, 2, 1, 2}}));
    EXPECT_EQ(Recommend(Rows({1, 2, 2, 3}), kTwoDifferencesFromLowest, {}),
              Expect({{0, 3, 1, 3}, {1, 3, 2, 3}}))
        << "tied rows count like distinct levels";
    EXPECT_EQ(Recommend(Rows({1, 2, 3, 4, 5}), kTwoDifferencesFromLowest, {}).size(), 3u);
}

TEST(Recommend, LowestAndHighestCompareEachInnerRowWithTheTop) {
    EXPECT_EQ(Recommend(Rows({1, 2, 3, 4}), kLowestAndHighest, {}),
              Expect({{1, 3, 0, 1}, {2, 3, 0, 2}}));
    EXPECT_EQ(Recommend(Rows({1, 2, 2, 3}), kLowestAndHighest, {}),
              Expect({{1, 3, 0, 1}, {2, 3, 0, 2}}));
}

TEST(Recommend, DirectRatingProposesTheFirstRowOfEachInnerRank) {
    EXPECT_EQ(Recommend(Rows({1, 2, 3, 4, 5}), kDirectRating, {}),
              Expect({{1, 4, 0, 4}, {2, 4, 0, 4}, {3, 4, 0, 4}}));
    EXPECT_EQ(Recommend(Rows({1, 2, 2, 3, 3}), kDirectRating, {}),
              Expect({{1, 4, 0, 4}, {3, 4, 0, 4}}))
        << "row 2 ties with row 1, row 4 is the lowest row";
    EXPECT_EQ(Recommend(Rows({1, 1, 2, 3}), kDirectRating, {}), Expect({{2, 3, 0, 3}}));
}

TEST(Recommend, GivenStatementsAreSkippedAlsoWhenSwapped) {
    const auto rows = Rows({1, 2, 3, 4, 5});
    auto given = Expect({{2, 3, 3, 4}});
    given[0].Lower = 2;
    EXPECT_EQ(Recommend(rows, kSuccessiveDifferences, given), Expect({{1, 2, 2, 3}, {0, 1, 1, 2}}));

    auto swapped = Expect({{2, 3, 1, 2}}); // {1, 2, 2, 3} with its differences swapped
    swapped[0].Upper = 5;
    EXPECT_EQ(Recommend(rows, kSuccessiveDifferences, swapped),
              Expect({{2, 3, 3, 4}, {0, 1, 1, 2}}));

    // Sharing only one difference is not enough to skip.
    const auto partial = Expect({{2, 3, 0, 1}});
    EXPECT_EQ(Recommend(rows, kSuccessiveDifferences, partial).size(), 3u);
}

} // namespace
} // namespace velor::elicit
