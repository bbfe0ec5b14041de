#include "../model/status_words.h"
#include "elicit/weight_table.h"

#include <gtest/gtest.h>

namespace velor::elicit {
namespace {

std::string Status(const Model& m, EntryId id) {
    return StatusWords(m.Entry(id)->Status);
}

// Main goal with attributes Price and Comfort and a sub-goal Safety (attributes Airbags and
// Brakes), three alternatives.
struct CarModel {
    Model m;
    NodeId root, price, comfort, safety, airbags, brakes;
    CarModel() {
        root = m.AddNode(kGoal, kNone);
        price = m.AddNode(kAttribute, root);
        comfort = m.AddNode(kAttribute, root);
        safety = m.AddNode(kGoal, root);
        airbags = m.AddNode(kAttribute, safety);
        brakes = m.AddNode(kAttribute, safety);
        m.RenameNode(price, "Price");
        m.RenameNode(comfort, "Comfort");
        m.RenameNode(safety, "Safety");
        m.RenameNode(airbags, "Airbags");
        m.RenameNode(brakes, "Brakes");
        for (const char* name : {"Alpha", "Beta", "Gamma"}) {
            const int row = m.NewAlternative();
            m.CommitCellText(1, row, name, true); // the main goal's column names them
        }
        Fill(price, {"20000", "25000", "30000"});
        Fill(comfort, {"good", "good", "poor"});
        Fill(airbags, {"6", "", "2"});
    }
    void Fill(NodeId node, const std::vector<std::string>& texts) {
        for (int row = 1; row <= 3; ++row) {
            m.CommitCellText(m.Node(node).Column, row, texts[row - 1], true);
        }
    }
};

TEST(WeightTableRows, TopDownGoalWithSubGoal) {
    CarModel f;
    f.m.StoreRanking(f.price, {1, 2, 3}, {});
    f.m.StoreRanking(f.comfort, {1, 1, 2}, {});
    WeightTable table(f.m, f.root);
    EXPECT_TRUE(table.TopDown());
    EXPECT_EQ(table.Caption(), "Top Down Weight Assessment: Main Goal");
    EXPECT_EQ(table.Caption(2, 5),
              "Top Down Weight Assessment: Main Goal (Elicitation Tour Step 2 of 5)");
    ASSERT_EQ(table.RowCount(), 3) << "two attributes and one sub-goal, not the grandchildren";
    EXPECT_EQ(table.Row(0).name, "Price");
    EXPECT_EQ(table.Row(0).worst, "30000");
    EXPECT_EQ(table.Row(0).best, "20000");
    EXPECT_EQ(table.Row(1).worst, "poor");
    EXPECT_EQ(table.Row(1).best, "good");
    EXPECT_EQ(table.Row(2).name, "Safety");
    EXPECT_EQ(table.Row(2).worst, "Implicit (Goal)");
    EXPECT_EQ(table.Row(2).best, "Implicit (Goal)");
    EXPECT_EQ(table.Text(2, kLowerColumn), "");

    // A holistic ranking of the sub-goal names the alternatives; a childless goal is undefined.
    f.m.StoreRanking(f.safety, {2, 1, 3}, {});
    WeightTable ranked(f.m, f.root);
    EXPECT_EQ(ranked.Row(2).best, "(Beta)");
    EXPECT_EQ(ranked.Row(2).worst, "(Gamma)");
    const NodeId empty = f.m.AddNode(kGoal, f.safety);
    WeightTable sub(f.m, f.safety);
    ASSERT_EQ(sub.RowCount(), 3);
    EXPECT_EQ(sub.Row(2).node, empty);
    EXPECT_EQ(sub.Row(2).worst, "Not defined");
}

TEST(WeightTableRows, BottomUpListsEveryAttributeWithStoredBounds) {
    CarModel f;
    f.m.StoreWeightBounds(false, {{f.price, 100, 100}, {f.airbags, 12.5, -1}});
    f.m.StoreWeightBounds(true, {{f.price, 7, 9}});
    WeightTable table(f.m, kNone, ',');
    EXPECT_FALSE(table.TopDown());
    EXPECT_EQ(table.Caption(), "Bottom Up Weight Assessment");
    ASSERT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.Row(0).name, "Price");
    EXPECT_EQ(table.Row(2).name, "Airbags");
    EXPECT_EQ(table.Row(0).lower, "100");
    EXPECT_EQ(table.Row(0).upper, "100");
    EXPECT_EQ(table.Row(2).lower, "12,5") << "the locale's separator";
    EXPECT_EQ(table.Row(2).upper, "");
    // Unranked attributes show "Not defined" on both sides.
    EXPECT_EQ(table.Row(1).worst, "Not defined");
    EXPECT_EQ(table.Row(1).best, "Not defined");
}

TEST(WeightTableRows, EmptyCellsShowTheAlternativeAndTiedLevelsOfferZero) {
    CarModel f;
    f.m.StoreRanking(f.airbags, {1, 2, 3}, {});
    f.m.StoreRanking(f.comfort, {1, 1, 1}, {});
    f.m.StoreRanking(f.price, {2, 2, 0}, {});
    f.m.StoreRanking(f.brakes, {1, 1, 1}, {});
    f.m.StoreWeightBounds(false, {{f.brakes, 100, 100}});
    WeightTable table(f.m, kNone);
    EXPECT_EQ(table.Row(2).worst, "2");
    EXPECT_EQ(table.Row(2).best, "6");
    // Airbags' second alternative has no text: shown by its name when it is the worst.
    f.m.StoreRanking(f.airbags, {1, 3, 2}, {});
    EXPECT_EQ(WeightTable(f.m, kNone).Row(2).worst, "(Beta)");

    EXPECT_EQ(table.Row(1).lower, "0") << "every level of Comfort tied";
    EXPECT_EQ(table.Row(1).upper, "0");
    EXPECT_EQ(table.Row(0).lower, "0") << "ranks with a gap at the top, still all tied";
    EXPECT_EQ(table.Row(0).best, "20000");
    EXPECT_EQ(table.Row(3).lower, "100") << "stored bounds are not replaced by the offer";
    EXPECT_EQ(table.Row(2).lower, "") << "not tied, no offer";
}

TEST(WeightTableRows, NothingToWeighDisablesTheGrid) {
    Model empty;
    EXPECT_FALSE(WeightTable(empty, kNone).Enabled());
    Model goalsOnly;
    const NodeId root = goalsOnly.AddNode(kGoal, kNone);
    goalsOnly.AddNode(kGoal, root);
    EXPECT_FALSE(WeightTable(goalsOnly, kNone).Enabled()) << "no twig-level attribute";
    EXPECT_TRUE(WeightTable(goalsOnly, root).Enabled());
}

TEST(WeightTablePopup, ListsEveryAttributeOfTheSubtree) {
    CarModel f;
    f.m.StoreRanking(f.airbags, {1, 0, 2}, {});
    WeightTable table(f.m, f.root);
    EXPECT_EQ(table.PopupText(2), "The following consequences change:\n"
                                  "Airbags: 2 -> 6\n"
                                  "Brakes: Not defined -> Not defined\n");
    EXPECT_EQ(table.PopupText(0), "The following consequences change:\n"
                                  "Price: Not defined -> Not defined\n");
}

TEST(BoundKeyFilter, DigitsOneSeparatorSevenCharacters) {
    EXPECT_TRUE(AcceptBoundKey("", '5', '.'));
    EXPECT_TRUE(AcceptBoundKey("12", '.', '.'));
    EXPECT_FALSE(AcceptBoundKey("1.2", '.', '.')) << "a second separator";
    EXPECT_TRUE(AcceptBoundKey("12", ',', '.')) << "a comma marks the decimals in every locale";
    EXPECT_TRUE(AcceptBoundKey("12", ',', ','));
    EXPECT_FALSE(AcceptBoundKey("12", '-', '.'));
    EXPECT_FALSE(AcceptBoundKey("12", 'e', '.'));
    EXPECT_FALSE(AcceptBoundKey("12", ' ', '.'));
    EXPECT_TRUE(AcceptBoundKey("123456", '7', '.'));
    EXPECT_FALSE(AcceptBoundKey("1234567", '8', '.')) << "an eighth character";
    EXPECT_TRUE(AcceptBoundKey("1234567", kBoundBackspace, '.'));
    EXPECT_TRUE(AcceptBoundKey("1234567", kBoundEnter, '.'));
}

TEST(BoundParsing, NumbersOnlyAndNeverNegative) {
    EXPECT_EQ(ParseBound("100", '.'), 100.0);
    EXPECT_EQ(ParseBound(" 12.5 ", '.'), 12.5);
    EXPECT_EQ(ParseBound("12,5", ','), 12.5);
    EXPECT_EQ(ParseBound("1e2", '.'), 100.0);
    EXPECT_EQ(ParseBound("0", '.'), 0.0);
    EXPECT_EQ(ParseBound("12.5", ','), 12.5) << "a point is a decimal point in every locale";
    EXPECT_FALSE(ParseBound("1.000,5", ',')) << "never a group separator";
    EXPECT_FALSE(ParseBound("", '.'));
    EXPECT_FALSE(ParseBound(".", '.'));
    EXPECT_FALSE(ParseBound("abc", '.'));
    EXPECT_FALSE(ParseBound("12abc", '.'));
    EXPECT_FALSE(ParseBound("-5", '.'));
    EXPECT_FALSE(ParseBound("inf", '.'));
    EXPECT_FALSE(ParseBound("nan", '.'));
    EXPECT_FALSE(ParseBound("1e999", '.'));
    EXPECT_EQ(BoundText(-1, '.'), "");
    EXPECT_EQ(BoundText(100, '.'), "100");
    EXPECT_EQ(BoundText(0.333333, ','), "0,333333");
}

TEST(WeightTablePaste, BlocksRepeatAtEverySelectedCellAndStayInTheBoundColumns) {
    EXPECT_EQ(SplitPastedText("1\t2\r\n3\t4").size(), 4U);
    EXPECT_EQ(SplitPastedText("1\t2\r\n3\t4")[1].text, "2") << "CR before LF dropped";
    EXPECT_EQ(SplitPastedText("a\rb")[0].text, "a\rb") << "a lone CR is text";

    CarModel f;
    WeightTable table(f.m, kNone);
    table.Paste("100\t100\r\n50\t80\r\n", {0, kLowerColumn, 0, kLowerColumn});
    EXPECT_EQ(table.Row(0).lower, "100");
    EXPECT_EQ(table.Row(0).upper, "100");
    EXPECT_EQ(table.Row(1).lower, "50");
    EXPECT_EQ(table.Row(1).upper, "80");
    EXPECT_EQ(table.Row(2).lower, "") << "the empty piece after the last LF";

    // Past the grid's right edge and bottom nothing is written; fixed columns never change.
    table.Paste("7\t8\t9", {3, kUpperColumn, 3, kUpperColumn});
    EXPECT_EQ(table.Row(3).upper, "7");
    table.Paste("x", {0, kNameColumn, 0, kBestColumn});
    EXPECT_EQ(table.Row(0).name, "Price");
    // A single text pasted on a range fills every cell of it.
    table.Paste("5", {1, kLowerColumn, 2, kUpperColumn});
    EXPECT_EQ(table.Copy({0, kLowerColumn, 2, kUpperColumn}), "100\t100\n5\t5\n5\t5");
    table.Clear({1, kNameColumn, 1, kUpperColumn});
    EXPECT_EQ(table.Copy({1, kNameColumn, 1, kUpperColumn}),
              "Comfort\tNot defined\tNot defined\t\t");
}

TEST(WeightTableCheck, AcceptedBoundsStoreMinusOneForEmptyCells) {
    CarModel f;
    WeightTable table(f.m, kNone);
    table.SetText(1, kLowerColumn, "100");
    table.SetText(1, kUpperColumn, "100");
    table.SetText(2, kLowerColumn, "50");
    table.SetText(3, kUpperColumn, "20");
    const WeightCheck check = table.Check();
    ASSERT_EQ(check.outcome, WeightCheck::Outcome::Accepted);
    ASSERT_EQ(check.bounds.size(), 4U);
    EXPECT_EQ(check.bounds[0].Node, f.price);
    EXPECT_EQ(check.bounds[0].Lower, -1);
    EXPECT_EQ(check.bounds[0].Upper, -1);
    EXPECT_EQ(check.bounds[2].Lower, 50);
    EXPECT_EQ(check.bounds[2].Upper, -1);
    EXPECT_EQ(check.bounds[3].Lower, -1);
    EXPECT_EQ(check.bounds[3].Upper, 20);

    table.SetText(1, kUpperColumn, "120");
    table.SetText(0, kLowerColumn, "40");
    table.SetText(0, kUpperColumn, "40");
    EXPECT_EQ(table.Check().outcome, WeightCheck::Outcome::ReferenceMissing)
        << "100 to 120 is no reference";
    EXPECT_EQ(table.Check().caption, "Reference Value Missing");
    EXPECT_TRUE(table.Check().bounds.empty());
}

TEST(WeightTableCheck, RefusedBoundSetsNameTheirCell) {
    CarModel f;
    WeightTable table(f.m, kNone);
    table.SetText(0, kLowerColumn, "100");
    table.SetText(0, kUpperColumn, "100");
    table.SetText(2, kLowerColumn, "50");
    table.SetText(2, kUpperColumn, "40");
    WeightCheck check = table.Check();
    EXPECT_EQ(check.outcome, WeightCheck::Outcome::UnsuitableValue);
    EXPECT_EQ(check.caption, "Unsuitable Value");
    EXPECT_EQ(check.message, "Lower bound value is greater than upper bound value!");
    EXPECT_EQ(check.row, 2);
    EXPECT_EQ(check.column, kLowerColumn);

    table.SetText(2, kUpperColumn, "50");
    EXPECT_EQ(table.Check().outcome, WeightCheck::Outcome::Accepted) << "equal bounds are fine";

    // A pasted text that is not a number, even after valid rows, is refused as a whole.
    table.SetText(3, kUpperColumn, "lots");
    check = table.Check();
    EXPECT_EQ(check.outcome, WeightCheck::Outcome::NotANumber);
    EXPECT_EQ(check.row, 3);
    EXPECT_EQ(check.column, kUpperColumn);
    EXPECT_NE(check.message.find("'lots'"), std::string::npos);
    EXPECT_NE(check.message.find("Upper bound of Brakes"), std::string::npos);
    EXPECT_TRUE(check.bounds.empty());
    table.SetText(3, kUpperColumn, "-3");
    EXPECT_EQ(table.Check().outcome, WeightCheck::Outcome::NotANumber) << "no negative bound";
}

TEST(WeightTableCheck, StatusesAfterEachKindOfInput) {
    CarModel f;
    const EntryId bottomUp = f.m.BottomUpEntry();
    const EntryId topDown = f.m.WeightEntryOf(f.root);
    auto store = [&f](NodeId goal, const std::vector<std::pair<std::string, std::string>>& cells) {
        WeightTable table(f.m, goal);
        for (int row = 0; row < static_cast<int>(cells.size()); ++row) {
            table.SetText(row, kLowerColumn, cells[row].first);
            table.SetText(row, kUpperColumn, cells[row].second);
        }
        const WeightCheck check = table.Check();
        if (check.outcome == WeightCheck::Outcome::Accepted) {
            f.m.StoreWeightBounds(table.TopDown(), check.bounds);
        }
        return check.outcome;
    };
    using O = WeightCheck::Outcome;
    EXPECT_EQ(store(kNone, {{"100", "100"}, {"", ""}, {"", ""}, {"", ""}}), O::Accepted);
    EXPECT_EQ(Status(f.m, bottomUp), "Partially");
    EXPECT_EQ(Status(f.m, topDown), "No") << "the other weight mode is untouched";
    EXPECT_EQ(store(kNone, {{"100", "100"}, {"50", ""}, {"", ""}, {"", ""}}), O::Accepted);
    EXPECT_EQ(Status(f.m, bottomUp), "Partially") << "a row with only a lower bound";
    EXPECT_EQ(store(kNone, {{"100", "100"}, {"50", "80"}, {"0", "0"}, {"100", "100"}}),
              O::Accepted);
    EXPECT_EQ(Status(f.m, bottomUp), "Yes");
    EXPECT_EQ(f.m.Node(f.airbags).BottomUpLower, 0);
    EXPECT_EQ(store(kNone, {{"100", "120"}, {"50", "80"}, {"0", "0"}, {"10", "20"}}),
              O::ReferenceMissing);
    EXPECT_EQ(Status(f.m, bottomUp), "Yes") << "a refused OK stores nothing";
    EXPECT_EQ(f.m.Node(f.price).BottomUpUpper, 100);
    EXPECT_EQ(store(kNone, {{"100", "100"}, {"50", "8x"}, {"", ""}, {"", ""}}), O::NotANumber);
    EXPECT_EQ(f.m.Node(f.comfort).BottomUpUpper, 80) << "nothing stored before the bad cell";
    EXPECT_EQ(f.m.Node(f.airbags).BottomUpLower, 0);

    EXPECT_EQ(store(f.root, {{"", ""}, {"100", "100"}, {"30", "60"}}), O::Accepted);
    EXPECT_EQ(Status(f.m, topDown), "Partially");
    EXPECT_EQ(f.m.Node(f.safety).TopDownLower, 30);
    EXPECT_EQ(f.m.Node(f.airbags).BottomUpLower, 0) << "top down leaves bottom-up bounds";
    EXPECT_EQ(store(f.root, {{"10", "20"}, {"100", "100"}, {"30", "60"}}), O::Accepted);
    EXPECT_EQ(Status(f.m, topDown), "Yes");
}

} // namespace
} // namespace velor::elicit
