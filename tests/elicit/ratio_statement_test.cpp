#include "elicit/ratio_statement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velor::elicit {
namespace {

std::vector<LevelRow> Rows(const std::vector<std::pair<std::string, int>>& levels) {
    std::vector<LevelRow> rows;
    int id = 1;
    for (const auto& [label, rank] : levels) {
        rows.push_back(LevelRow{{LevelMember{id, id, rank, label, label}}});
        ++id;
    }
    return rows;
}

TCardinalStatement Statement(AltId n1, AltId n2, AltId d1, AltId d2, double lower, double upper) {
    TCardinalStatement s;
    s.Num1 = n1;
    s.Num2 = n2;
    s.Den1 = d1;
    s.Den2 = d2;
    s.Lower = lower;
    s.Upper = upper;
    return s;
}

TEST(RatioDifferences, EveryPairOfRowsSortedAlphabetically) {
    const auto entries = DifferenceEntries(Rows({{"good", 1}, {"fair", 2}, {"bad", 3}}));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Text, "From (2) fair to (1) good");
    EXPECT_EQ(entries[1].Text, "From (3) bad to (1) good");
    EXPECT_EQ(entries[2].Text, "From (3) bad to (2) fair");
    EXPECT_EQ(entries[1].Pair, (Difference{1, 3}));

    const auto tied = DifferenceEntries(Rows({{"a", 1}, {"b", 1}, {"c", 2}}));
    ASSERT_EQ(tied.size(), 3u);
    EXPECT_EQ(tied[0].Text, "From (1) b to (1) a") << "the zero difference of tied rows";
    EXPECT_TRUE(DifferenceEntries(Rows({{"a", 1}})).empty());
}

TEST(RatioKeyFilter, DigitsOneSeparatorSevenCharacters) {
    EXPECT_TRUE(AcceptMultiplierKey("", '5', '.'));
    EXPECT_TRUE(AcceptMultiplierKey("12", '.', '.'));
    EXPECT_FALSE(AcceptMultiplierKey("1.2", '.', '.')) << "second separator";
    EXPECT_TRUE(AcceptMultiplierKey("1", ',', '.')) << "a comma marks the decimals in every locale";
    EXPECT_TRUE(AcceptMultiplierKey("1", ',', ','));
    for (char c : {'-', '+', 'e', 'a', ' '})
        EXPECT_FALSE(AcceptMultiplierKey("1", c, '.')) << c;
    EXPECT_TRUE(AcceptMultiplierKey("123456", '7', '.'));
    EXPECT_FALSE(AcceptMultiplierKey("1234567", '8', '.')) << "an eighth character";
    EXPECT_TRUE(AcceptMultiplierKey("1234567", kBackspaceKey, '.'));
    EXPECT_TRUE(AcceptMultiplierKey("1234567", kEnterKey, '.'));
}

TEST(RatioKeyFilter, AcceptedKeysCheckTheirBoundsChoice) {
    RatioStatementInput in(DifferenceEntries(Rows({{"a", 1}, {"b", 2}, {"c", 3}})), {}, false, '.');
    EXPECT_FALSE(in.BoundGiven(Bound::Upper));
    EXPECT_FALSE(in.TypeKey(Bound::Upper, 'x'));
    EXPECT_FALSE(in.BoundGiven(Bound::Upper)) << "a refused key checks nothing";
    EXPECT_TRUE(in.TypeKey(Bound::Upper, '5'));
    EXPECT_TRUE(in.BoundGiven(Bound::Upper));
    EXPECT_FALSE(in.BoundGiven(Bound::Lower));
    EXPECT_EQ(in.BoundText(Bound::Upper), "5");
    in.TypeKey(Bound::Upper, kBackspaceKey);
    EXPECT_EQ(in.BoundText(Bound::Upper), "");
}

TEST(RatioInput, FixedDifferencesShowTheStatementAndSwapStillWorks) {
    const auto entries = DifferenceEntries(Rows({{"a", 1}, {"b", 2}, {"c", 3}}));
    RatioStatementInput in(entries, Statement(1, 2, 2, 3, 2.5, -1), true, ',');
    EXPECT_FALSE(in.DifferencesEnabled());
    EXPECT_EQ(entries[in.NumIndex()].Pair, (Difference{1, 2}));
    EXPECT_EQ(entries[in.DenomIndex()].Pair, (Difference{2, 3}));
    EXPECT_TRUE(in.BoundGiven(Bound::Lower));
    EXPECT_EQ(in.BoundText(Bound::Lower), "2,5");
    EXPECT_FALSE(in.BoundGiven(Bound::Upper));

    in.Swap();
    TCardinalStatement out;
    ASSERT_EQ(in.Apply(out).Issue, RatioStatementInput::Problem::None);
    EXPECT_EQ(out, Statement(2, 3, 1, 2, 2.5, -1));
}

TEST(RatioInput, StatementWithoutMatchingEntryKeepsItsDifferences) {
    // Alternative 9 is no longer the first member of its level: no entry matches.
    RatioStatementInput in(DifferenceEntries(Rows({{"a", 1}, {"b", 2}, {"c", 3}})),
                           Statement(9, 2, 2, 3, 1, -1), true, '.');
    EXPECT_EQ(in.NumIndex(), -1);
    TCardinalStatement out;
    ASSERT_EQ(in.Apply(out).Issue, RatioStatementInput::Problem::None);
    EXPECT_EQ(out.Num1, 9);
}

struct BoundCase {
    const char* lower; // nullptr: "No Lower Bound"
    const char* upper;
    RatioStatementInput::Problem problem;
    double storedLower, storedUpper;
};

TEST(RatioInput, BoundValidations) {
    using P = RatioStatementInput::Problem;
    const BoundCase cases[] = {
        {"2", "2", P::None, 2, 2},
        {"3", "2", P::LowerAboveUpper, 0, 0},
        {"1.5", nullptr, P::None, 1.5, -1},
        {nullptr, "4", P::None, -1, 4},
        {nullptr, nullptr, P::NoBound, 0, 0},
        {"", "", P::NoBound, 0, 0}, // checked but empty counts as not given
        {"0", "0", P::None, 0, 0},
        {".", nullptr, P::ConversionError, 0, 0},
        {"2", ".", P::ConversionError, 0, 0},
        {".5", "5.", P::None, 0.5, 5},
    };
    for (const auto& c : cases) {
        RatioStatementInput in(DifferenceEntries(Rows({{"a", 1}, {"b", 2}, {"c", 3}})), {}, false,
                               '.');
        in.SelectNum(1);
        in.SelectDenom(2);
        if (c.lower) {
            in.SetBoundGiven(Bound::Lower, true);
            in.SetBoundText(Bound::Lower, c.lower);
        }
        if (c.upper) {
            in.SetBoundGiven(Bound::Upper, true);
            in.SetBoundText(Bound::Upper, c.upper);
        }
        TCardinalStatement out = Statement(7, 7, 7, 7, 9, 9);
        const auto verdict = in.Apply(out);
        const std::string label =
            std::string(c.lower ? c.lower : "-") + " / " + (c.upper ? c.upper : "-");
        EXPECT_EQ(verdict.Issue, c.problem) << label;
        if (c.problem == P::None) {
            EXPECT_EQ(out.Lower, c.storedLower) << label;
            EXPECT_EQ(out.Upper, c.storedUpper) << label;
        } else {
            EXPECT_EQ(out, Statement(7, 7, 7, 7, 9, 9)) << label << ": nothing written";
        }
    }
}

TEST(RatioInput, SameDifferenceOnlyWithBoundsOfOne) {
    auto make = [](const char* lower, const char* upper) {
        RatioStatementInput in(DifferenceEntries(Rows({{"a", 1}, {"b", 2}, {"c", 3}})), {}, false,
                               '.');
        in.SelectNum(2);
        in.SelectDenom(2);
        for (auto [b, t] : {std::pair{Bound::Lower, lower}, std::pair{Bound::Upper, upper}}) {
            if (t) {
                in.SetBoundGiven(b, true);
                in.SetBoundText(b, t);
            }
        }
        TCardinalStatement out;
        return in.Apply(out);
    };
    using P = RatioStatementInput::Problem;
    EXPECT_EQ(make("1", "1").Issue, P::None);
    EXPECT_EQ(make("1", nullptr).Issue, P::None);
    EXPECT_EQ(make(nullptr, "1.0").Issue, P::None);
    const auto refused = make("2", nullptr);
    EXPECT_EQ(refused.Issue, P::SameDifference);
    EXPECT_EQ(refused.Message, "Numerator and denominator are the same!\nThus, lower bound and "
                               "upper bound values must be equal to 1!");
    EXPECT_EQ(make("1", "2").Issue, P::SameDifference);
}

TEST(RatioNumbers, ShortestDecimalForm) {
    EXPECT_EQ(FormatMultiplier(2, '.'), "2");
    EXPECT_EQ(FormatMultiplier(2.5, ','), "2,5");
    EXPECT_EQ(FormatMultiplier(1000000, '.'), "1000000");
    EXPECT_EQ(FormatMultiplier(0.125, '.'), "0.125");
    EXPECT_EQ(ParseMultiplier("0,75", ','), 0.75);
    EXPECT_FALSE(ParseMultiplier(",", ','));
    EXPECT_FALSE(ParseMultiplier("1-2", '.'));
}

} // namespace
} // namespace velor::elicit
