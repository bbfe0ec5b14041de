// Consequences in and out as CSV: every example's table survives export and import into an empty
// tree; an import is planned before it changes anything (added, replaced and kept alternatives,
// matched, added and skipped columns, ranks lost) and does what its plan says; every kind of bad
// table is refused with its line and leaves the model as it was.
#include "model/consequence_csv.h"
#include "model/model_file.h"
#include "model_invariants.h"

#include <gtest/gtest.h>

namespace velor {
namespace {

using Plan = ConsequenceImportPlan;

Model LoadExample(const std::string& name) {
    Model model;
    std::string reason;
    EXPECT_TRUE(LoadModelFile(model, std::string(VELOR_SOURCE_DIR) + "/examples/" + name, &reason))
        << reason;
    return model;
}

CsvTable Table(const std::string& text) {
    CsvTable table;
    CsvError error;
    EXPECT_TRUE(ParseCsv(text, kCsvDetect, table, &error)) << error.Text();
    return table;
}

Plan PlanOf(const Model& model, const std::string& text, ConsequenceImportOptions options = {}) {
    Plan plan;
    CsvError error;
    EXPECT_TRUE(PlanConsequenceImport(model, Table(text), options, plan, &error)) << error.Text();
    return plan;
}

// The same tree without alternatives.
Model EmptyTreeOf(Model model) {
    model.ClearAlternatives();
    return model;
}

Model Import(Model model, const std::string& text) {
    ApplyConsequenceImport(model, PlanOf(model, text));
    return model;
}

// Main goal with Price and Comfort; alternatives A and B; A's price is ranked.
Model SmallModel() {
    Model model;
    const NodeId root = model.AddNode(kGoal, kNone);
    model.RenameNode(root, "Choose");
    model.RenameNode(model.AddNode(kAttribute, root), "Price");
    model.RenameNode(model.AddNode(kAttribute, root), "Comfort");
    model.CommitCellText(1, model.NewAlternative(), "A", true);
    model.CommitCellText(1, model.NewAlternative(), "B", true);
    model.CommitCellText(2, 1, "cheap", true);
    model.CommitCellText(2, 2, "dear", true);
    model.CommitCellText(3, 1, "good", true);
    model.StoreRanking(model.NodeByColumn(2), {1, 2}, {});
    return model;
}

class ExampleRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleRoundTrip, ExportedTableImportsIntoAnEmptyTreeUnchanged) {
    const Model original = LoadExample(GetParam());
    ASSERT_GT(original.M(), 0);
    for (char separator : {',', ';', '\t'}) {
        const std::string csv = ConsequenceCsv(original, separator);
        const Model imported = Import(EmptyTreeOf(original), csv);
        EXPECT_EQ(testing::CheckInvariants(imported), "");
        EXPECT_EQ(ConsequenceRecords(imported), ConsequenceRecords(original));
        ASSERT_EQ(imported.M(), original.M());
        // Names, the main goal's column and every attribute's column are the same; the
        // sub-goals' cells, which the file does not hold, are empty in both.
        for (int row = 1; row <= original.M(); ++row) {
            for (int col = 0; col <= original.N(); ++col) {
                const NodeId node = col == 0 ? kNone : original.NodeByColumn(col);
                if (col <= 1 || original.IsAttribute(node)) {
                    EXPECT_EQ(imported.CellText(col, row), original.CellText(col, row))
                        << col << ", " << row;
                } else {
                    EXPECT_TRUE(Model::IsEmptyText(imported.CellText(col, row)));
                    EXPECT_TRUE(Model::IsEmptyText(original.CellText(col, row)));
                }
            }
        }
        EXPECT_EQ(ConsequenceCsv(imported, separator), csv);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRoundTrip,
                         ::testing::Values("car.vlr", "job_offers.vlr", "supplier.vlr"));

TEST(ConsequenceCsv, AwkwardTextsSurviveTheRoundTrip) {
    Model model = SmallModel();
    model.RenameNode(model.NodeByColumn(3), "Komfort, \"gef\xc3\xbchlt\"");
    model.CommitCellText(1, 1, "Caf\xc3\xa9; \"Le Petit\"", true);
    model.CommitCellText(2, 1, "12,000 \xe2\x82\xac\tnet", false);
    model.CommitCellText(3, 2, "two\nlines", true);
    model.CommitCellText(3, 1, " padded ", true);
    for (char separator : {',', ';', '\t'}) {
        const std::string csv = ConsequenceCsv(model, separator);
        const Model imported = Import(EmptyTreeOf(model), csv);
        EXPECT_EQ(ConsequenceRecords(imported), ConsequenceRecords(model)) << csv;
    }
}

TEST(ConsequenceCsv, ThePlanSaysWhatWillHappenAndChangesNothing) {
    const Model model = SmallModel();
    const Model before = model;
    // " price " matches ignoring case and blanks, "Colour" is new, "Choose" names the main goal.
    const Plan plan = PlanOf(model, "Name, price ,Colour,Choose\nC,mid,red,x\na,dear,blue,y\n");
    EXPECT_EQ(model, before);
    ASSERT_EQ(plan.Columns.size(), 3u);
    EXPECT_EQ(plan.Columns[0].Action, Plan::ColumnAction::Match);
    EXPECT_EQ(plan.Columns[0].Node, model.NodeByColumn(2));
    EXPECT_EQ(plan.Columns[1].Action, Plan::ColumnAction::Add);
    EXPECT_EQ(plan.Columns[2].Action, Plan::ColumnAction::Skip);
    EXPECT_EQ(plan.AddedCount(), 1);
    EXPECT_EQ(plan.ReplacedCount(), 1);
    EXPECT_EQ(plan.Kept, std::vector<std::string>{"B"});
    ASSERT_EQ(plan.LostRanks.size(), 1u);
    EXPECT_EQ(plan.LostRanks[0].OldText, "cheap");
    EXPECT_EQ(plan.LostRanks[0].NewText, "dear");

    std::string described;
    for (const std::string& line : plan.Describe()) {
        described += line + "\n";
    }
    for (const char* expected : {"1 added, 1 replaced, 1 kept", "Kept (not in the file): B",
                                 "1 matched, 1 added", "1 skipped", "names a goal",
                                 "New attributes: Colour", "\"cheap\" (rank 1) becomes \"dear\""}) {
        EXPECT_NE(described.find(expected), std::string::npos) << expected << "\n" << described;
    }

    ConsequenceImportOptions skip;
    skip.AddUnmatchedColumns = false;
    EXPECT_EQ(PlanOf(model, "Name,Price,Colour\nC,mid,red\n", skip).Columns[1].Action,
              Plan::ColumnAction::Skip);
}

TEST(ConsequenceCsv, ApplyingThePlanDoesWhatItSaid) {
    Model model = SmallModel();
    const NodeId price = model.NodeByColumn(2);
    TCardinalStatement statement;
    statement.Num1 = statement.Den1 = model.AlternativeId(1);
    statement.Num2 = statement.Den2 = model.AlternativeId(2);
    model.PreferenceData(price)->Statements.push_back(statement);

    ApplyConsequenceImport(model, PlanOf(model, "Name,Price,Colour\nC,mid,red\na,dear,blue\n"));
    EXPECT_EQ(testing::CheckInvariants(model), "");
    ASSERT_EQ(model.M(), 3);
    EXPECT_EQ(model.AlternativeName(3), "C");
    EXPECT_EQ(model.CellText(2, 3), "mid");
    EXPECT_EQ(model.CellText(2, 1), "dear");
    EXPECT_EQ(model.Rank(2, 1), 0) << "a changed ranked text is unranked";
    EXPECT_EQ(model.Rank(2, 2), 2) << "other ranks stay";
    EXPECT_TRUE(model.Preference(price)->Statements.empty());
    EXPECT_EQ(model.CellText(3, 1), "good") << "columns not in the file are kept";
    const NodeId colour = model.NodeByColumn(model.N());
    EXPECT_EQ(model.Node(colour).Name, "Colour");
    EXPECT_EQ(model.Parent(colour), model.Root());
    EXPECT_EQ(model.CellText(model.N(), 1), "blue");
    EXPECT_EQ(model.CellText(model.N(), 2), "") << "kept alternatives get empty new cells";
}

TEST(ConsequenceCsv, AnUnchangedRankedTextKeepsItsRank) {
    Model model = SmallModel();
    ApplyConsequenceImport(model, PlanOf(model, "Name,Price\nA,cheap\nB,dear\n"));
    EXPECT_EQ(model.Rank(2, 1), 1);
    EXPECT_EQ(model.Rank(2, 2), 2);
}

TEST(ConsequenceCsv, ImportIntoAModelWithoutATreeMakesAMainGoal) {
    Model model;
    const Plan plan = PlanOf(model, "Name,Price,Comfort\nA,1,2\nB,3,4\n");
    EXPECT_TRUE(plan.CreatesMainGoal);
    ApplyConsequenceImport(model, plan);
    EXPECT_EQ(testing::CheckInvariants(model), "");
    EXPECT_EQ(model.AttributeCount(), 2);
    EXPECT_EQ(model.M(), 2);
    EXPECT_EQ(model.CellText(2, 2), "3");
    EXPECT_EQ(model.CellText(3, 2), "4");
}

TEST(ConsequenceCsv, ExactNamesMatchBeforeCaseInsensitiveOnes) {
    Model model = SmallModel();
    model.CommitCellText(1, 1, "Alpha", true);
    model.CommitCellText(1, 2, "ALPHA", true);
    model.RenameNode(model.AddNode(kAttribute, model.Root()), "PRICE");
    // Each name finds the row and the column of exactly its name, in whatever order.
    Plan plan = PlanOf(model, "Name,PRICE,Price\nALPHA,1,2\nAlpha,3,4\n");
    ASSERT_EQ(plan.Rows.size(), 2u);
    EXPECT_EQ(plan.Rows[0].ModelRow, 2);
    EXPECT_EQ(plan.Rows[1].ModelRow, 1);
    EXPECT_EQ(plan.Columns[0].Node, model.NodeByColumn(4));
    EXPECT_EQ(plan.Columns[1].Node, model.NodeByColumn(2));
    // A name that only one item matches ignoring case and blanks still finds it.
    plan = PlanOf(model, "Name, comfort \nALPHA,x\n");
    EXPECT_EQ(plan.Columns[0].Node, model.NodeByColumn(3));
    // Where several match that way, the table is refused with the line.
    CsvError error;
    EXPECT_FALSE(
        PlanConsequenceImport(model, Table("Name,Comfort\nB,1\nalpha,2\n"), {}, plan, &error));
    EXPECT_EQ(error.Line, 3);
    EXPECT_NE(error.Message.find("\"alpha\" matches 2 alternatives"), std::string::npos)
        << error.Message;
    EXPECT_FALSE(PlanConsequenceImport(model, Table("Name,price\nB,1\n"), {}, plan, &error));
    EXPECT_EQ(error.Line, 1);
    EXPECT_NE(error.Message.find("matches 2 attributes"), std::string::npos) << error.Message;
}

TEST(ConsequenceCsv, NamesThatOccurTwicePairUpInOrder) {
    // Two alternatives of the model share a name: the table cannot say which one it means, and a
    // name twice in the table would replace one alternative twice. Both are refused.
    Model model = SmallModel();
    model.CommitCellText(1, 2, "A", true);
    Plan plan;
    CsvError error;
    EXPECT_FALSE(PlanConsequenceImport(model, Table("Name,Price\nA,1\n"), {}, plan, &error));
    EXPECT_EQ(error.Text(), "line 2: the model has 2 alternatives named \"A\"; rename them so "
                            "that the table can say which one it means");
    EXPECT_FALSE(PlanConsequenceImport(SmallModel(), Table("Name,Price\nA,1\nB,2\nA,3\n"), {}, plan,
                                       &error));
    EXPECT_EQ(error.Text(), "line 4: the alternative \"A\" appears twice (line 2 and line 4)");
}

TEST(ConsequenceCsv, FormulasAreExportedAsTextAndImportedExactly) {
    Model model = SmallModel();
    const std::vector<std::string> texts = {"=1+2", "@SUM(A1)", "-", "-12.5", "'=x", "+", "'"};
    for (const std::string& text : texts) {
        model.CommitCellText(1, model.NewAlternative(), "+" + text, true);
        model.CommitCellText(3, model.M(), text, true);
    }
    model.RenameNode(model.NodeByColumn(2), "=Price");
    for (char separator : {',', ';', '\t'}) {
        const std::string csv = ConsequenceCsv(model, separator);
        const CsvTable table = Table(csv);
        EXPECT_EQ(table.Records[0][1], "'=Price");
        EXPECT_EQ(table.Records[3][0], "'+=1+2");
        EXPECT_EQ(table.Records[6][2], "-12.5");
        const Model imported = Import(EmptyTreeOf(model), csv);
        EXPECT_EQ(ConsequenceRecords(imported), ConsequenceRecords(model)) << csv;
        // Imported into the model it came from, the table changes nothing.
        EXPECT_EQ(Import(model, csv), model);
    }
}

TEST(ConsequenceCsv, TextThatIsNotUtf8ExportsAsShownAndImportsAgain) {
    Model model = SmallModel();
    model.CommitCellText(1, 1, "Caf\xE9", true);
    model.RenameNode(model.NodeByColumn(3), "Gr\xF6\xDF"
                                            "e");
    model.CommitCellText(3, 1, "gut \xFC", true);
    model.CommitCellText(2, 2, "\xE2\x82", true); // cut off in the middle of a character
    model.StoreRanking(model.NodeByColumn(2), {1, 2}, {});
    const std::string csv = ConsequenceCsv(model);
    CsvTable table;
    CsvError error;
    ASSERT_TRUE(ParseCsv(csv, kCsvDetect, table, &error)) << error.Text();
    EXPECT_EQ(table.Records[0][2], "Gr\xEF\xBF\xBD\xEF\xBF\xBD"
                                   "e");
    EXPECT_EQ(table.Records[1][0], "Caf\xEF\xBF\xBD");
    EXPECT_EQ(table.Records[2][1], "\xEF\xBF\xBD\xEF\xBF\xBD");
    Plan plan;
    ASSERT_TRUE(PlanConsequenceImport(model, table, {}, plan, &error)) << error.Text();
    EXPECT_EQ(plan.ReplacedCount(), 2);
    EXPECT_EQ(plan.ColumnCount(Plan::ColumnAction::Match), 2);
    EXPECT_TRUE(plan.LostRanks.empty());
    Model imported = model;
    ApplyConsequenceImport(imported, plan);
    EXPECT_EQ(imported, model);
}

struct BadTable {
    const char* name;
    std::string text;
    int line;
    const char* message;
};

void PrintTo(const BadTable& value, std::ostream* out) {
    *out << value.name;
}

class BadConsequenceTable : public ::testing::TestWithParam<BadTable> {};

TEST_P(BadConsequenceTable, IsRefusedWithItsLineAndChangesNothing) {
    const Model model = SmallModel();
    const Model before = model;
    Plan plan;
    CsvError error;
    EXPECT_FALSE(PlanConsequenceImport(model, Table(GetParam().text), {}, plan, &error));
    EXPECT_EQ(error.Line, GetParam().line);
    EXPECT_NE(error.Message.find(GetParam().message), std::string::npos) << error.Message;
    EXPECT_TRUE(plan.Rows.empty());
    EXPECT_EQ(model, before);
}

std::string ManyRows(int rows) {
    std::string text = "Name,Price\n";
    for (int i = 0; i < rows; ++i) {
        text += "Alt " + std::to_string(i) + ",x\n";
    }
    return text;
}

std::string ManyColumns(int columns) {
    std::string text = "Name";
    for (int i = 0; i < columns; ++i) {
        text += ",C" + std::to_string(i);
    }
    return text + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BadConsequenceTable,
    ::testing::Values(
        BadTable{"Ragged", "Name,Price,Comfort\nA,1,2\nB,1\n", 3, "2 fields where"},
        BadTable{"RaggedAfterQuotedBreak", "Name,Price\nA,\"x\ny\"\nB,1,2\n", 4, "3 fields"},
        BadTable{"NoName", "Name,Price\n ,1\n", 2, "has no name"},
        BadTable{"LongName", "Name,Price\n" + std::string(256, 'n') + ",1\n", 2, "255 bytes"},
        BadTable{"LongText", "Name,Price\nA," + std::string(300, 't') + "\n", 2, "column 2"},
        BadTable{"LongHeader", "Name," + std::string(256, 'h') + "\nA,1\n", 1, "255 bytes"},
        BadTable{"EmptyHeaderWithTexts", "Name,Price,\nA,1,x\n", 1, "column 3 has no name"},
        BadTable{"AttributeTwice", "Name,Price,PRICE\nA,1,2\n", 1, "a second time"},
        BadTable{"OnlyNames", "Name\nA\n", 1, "no column besides"},
        BadTable{"ColumnTwice", "Name,Colour,Price,Colour\nA,1,2,3\n", 1,
                 "\"Colour\" appears twice (column 2 and column 4)"},
        BadTable{"AlternativeTwiceIgnoringCase", "Name,Price\nA,1\na,2\n", 3,
                 "names the alternative \"A\" a second time"},
        BadTable{"NewAlternativeTwice", "Name,Price\nC,1\nC,2\n", 3, "appears twice"},
        BadTable{"ByteOrderMarkInName",
                 "Name,Price\n\xEF\xBB\xBF"
                 "A,1\n",
                 2, "differs from the alternative \"A\" only by invisible characters"},
        BadTable{"NoBreakSpaceInHeader", "Name,Price\xC2\xA0\nA,1\n", 1,
                 "differs from the attribute \"Price\" only by invisible"},
        BadTable{"LookalikesInTheTable",
                 "Name,Price\nC\xC2\xA0"
                 "D,1\nC D,2\n",
                 3,
                 "differs from \"C\xC2\xA0"
                 "D\" (line 2) only by invisible"},
        BadTable{"TooManyAlternatives", ManyRows(kMaxImportedAlternatives - 1), 1000, "more than"},
        BadTable{"TooManyNodes", ManyColumns(kMaxImportedNodes), 1, "nodes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConsequenceCsv, AModelBeyondTheLimitStillImportsIntoItsColumns) {
    Model model;
    const NodeId root = model.AddNode(kGoal, kNone);
    for (int i = 0; i < kMaxImportedNodes; ++i) {
        model.RenameNode(model.AddNode(kAttribute, root), "Attribute " + std::to_string(i));
    }
    ASSERT_GT(model.NodeCount(), kMaxImportedNodes);
    Plan plan;
    CsvError error;
    EXPECT_TRUE(PlanConsequenceImport(model, Table("Name,Attribute 7\nA,x\n"), {}, plan, &error))
        << error.Text();
    EXPECT_FALSE(
        PlanConsequenceImport(model, Table("Name,Attribute 7,New\nA,x,y\n"), {}, plan, &error));
    EXPECT_EQ(error.Line, 1);
}

TEST(ConsequenceCsv, AnEmptyFileIsRefused) {
    Plan plan;
    CsvError error;
    EXPECT_FALSE(PlanConsequenceImport(SmallModel(), CsvTable{}, {}, plan, &error));
    EXPECT_EQ(error.Text(), "the file holds no table");
}

TEST(ConsequenceCsv, AnEmptyUnnamedColumnIsSkipped) {
    const Plan plan = PlanOf(SmallModel(), "Name,Price,,\nA,1,,\n");
    EXPECT_EQ(plan.ColumnCount(Plan::ColumnAction::Skip), 2);
}

} // namespace
} // namespace velor
