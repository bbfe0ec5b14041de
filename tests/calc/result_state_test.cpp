// Which stored results are results: the parts a run calculated, the decision rules that may read
// them, the warnings beside them, the ties of the rules, and what a saved or imported model
// keeps of them.
#include "calc/calculation_driver.h"
#include "calc/dominance.h"
#include "calc/result_warnings.h"
#include "calc_test_model.h"
#include "cli_test_support.h"
#include "model/document.h"
#include "model/model_file.h"
#include "model/consequence_csv.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>

namespace velor {
namespace {

using testing::CalcTestModel;
using testing::ScriptedHost;

// Two attributes, three alternatives; the first attribute ranked, the second as given.
CalcTestModel ThreeByTwo(const std::vector<int>& secondRanks) {
    CalcTestModel m(3);
    const NodeId a = m.Attribute();
    const NodeId b = m.Attribute();
    m.model.RenameNode(a, "Price");
    m.model.RenameNode(b, "Range");
    m.Rank(a, {1, 2, 3});
    m.Rank(b, secondRanks);
    return m;
}

RunOutcome Calculate(Model& model, CalculationType type) {
    ScriptedHost host;
    CalculationDriver driver(model, host);
    return driver.Run(type);
}

int Flags(const Model& model, DecisionRule rule) {
    int count = 0;
    for (int row = 1; row <= model.M(); ++row) {
        count += model.Alternative(row).Recommended[rule];
    }
    return count;
}

bool Has(const std::vector<std::string>& warnings, const std::string& start) {
    for (const std::string& warning : warnings) {
        if (warning.rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

// A run recommends by the rules whose inputs it calculated or that are current, and says which
// parts are missing.
struct PartialCase {
    CalculationType Type;
    bool ValueRules;
    bool RegretRule;
};

class PartialCalculation : public ::testing::TestWithParam<PartialCase> {};

TEST_P(PartialCalculation, RecommendsOnlyFromCalculatedResults) {
    const PartialCase c = GetParam();
    CalcTestModel m = ThreeByTwo({3, 2, 1});
    ASSERT_EQ(Calculate(m.model, c.Type), RunOutcome::Complete);
    EXPECT_EQ(Flags(m.model, kMaximax) > 0, c.ValueRules);
    EXPECT_EQ(Flags(m.model, kCentralValues) > 0, c.ValueRules);
    EXPECT_EQ(Flags(m.model, kMinimaxRegret) > 0, c.RegretRule);
    const auto warnings = ResultWarnings(m.model);
    EXPECT_EQ(Has(warnings, "Value intervals have not been calculated."), !c.ValueRules);
    EXPECT_EQ(Has(warnings, "Dominance and regret have not been calculated."), !c.RegretRule);
    // The file holds what was calculated, and reading it tells the same values apart (weights
    // without any weight statement are [0, 1], as a new model's: a file cannot tell them apart).
    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, WriteModelText(m.model)));
    const CalculatedResults& calculated = m.model.Calculated();
    EXPECT_EQ(loaded.Calculated().MainValues, calculated.MainValues);
    EXPECT_EQ(loaded.Calculated().NodeValues, calculated.NodeValues);
    EXPECT_EQ(loaded.Calculated().Dominance, calculated.Dominance);
    EXPECT_FALSE(loaded.Calculated().Margins); // a file keeps only their integer part
}

INSTANTIATE_TEST_SUITE_P(Types, PartialCalculation,
                         ::testing::Values(PartialCase{kCalculateModel, true, true},
                                           PartialCase{kCalculatePartially, true, true},
                                           PartialCase{kAllValueIntervals, true, false},
                                           PartialCase{kWeights, false, false},
                                           PartialCase{kDominances, false, true},
                                           PartialCase{kMainGoalIntervals, true, false}));

TEST(ResultWarnings, NameUnrankedAttributesAndWeightsForcedToZero) {
    CalcTestModel m = ThreeByTwo({0, 0, 0});
    const NodeId range = m.model.Attributes()[1];
    EXPECT_TRUE(ResultWarnings(m.model).empty() || !Has(ResultWarnings(m.model), "Not every"));
    ASSERT_EQ(Calculate(m.model, kCalculateModel), RunOutcome::Complete);
    EXPECT_EQ(ResultWarnings(m.model).front(),
              "Not every attribute is ranked: Range. Results take the first alternative's level "
              "as the best where nothing is ranked.");

    m.Rank(range, {2, 1, 3});
    m.BottomUp(m.model.Attributes()[0], 100, 100);
    m.BottomUp(range, 0, 0);
    ASSERT_EQ(Calculate(m.model, kCalculateModel), RunOutcome::Complete);
    EXPECT_EQ(ResultWarnings(m.model),
              std::vector<std::string>{"The statements force the weight of this attribute to 0, "
                                       "so it cannot change any result: Range."});
}

TEST(SavedResults, OutOfDateResultsAreSavedAsNotCalculated) {
    CalcTestModel m = ThreeByTwo({3, 2, 1});
    m.BottomUp(m.model.Attributes()[0], 100, 100);
    m.BottomUp(m.model.Attributes()[1], 50, 200);
    Document document;
    document.Reset(m.model, "");
    const auto calculate = [&](CalculationType type) {
        document.ApplyCalculation("Calculate", [&](Model& model) {
            ScriptedHost host;
            CalculationDriver driver(model, host);
            driver.SetCurrentResults(document.CurrentResults());
            const RunOutcome outcome = driver.Run(type);
            Document::ResultSets sets = CalculatedSets(model, type, outcome);
            sets.parts = driver.RunParts();
            return sets;
        });
    };
    calculate(kCalculateModel);
    bool cleared = true;
    EXPECT_EQ(document.ModelToSave(&cleared), document.GetModel()); // right after a calculation
    EXPECT_FALSE(cleared);

    // An edit, then the weights alone: the values and the dominance are the old model's.
    document.Apply("Unrank", [](Model& model) { model.UnrankConsequence(2, 1); });
    calculate(kWeights);
    EXPECT_EQ(Flags(document.GetModel(), kMaximax), 0);
    EXPECT_EQ(Flags(document.GetModel(), kMinimaxRegret), 0);
    const Model saved = document.ModelToSave(&cleared);
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(saved.Calculated().Weights[kPlainSet]);
    EXPECT_FALSE(saved.Calculated().AnyMainValues() || saved.Calculated().Dominance);
    for (int row = 1; row <= saved.M(); ++row) {
        EXPECT_EQ(saved.Alternative(row).ValueUpper, TAlternativeData{}.ValueUpper);
        EXPECT_EQ(saved.Alternative(row).MaxRegret, 0.0);
        EXPECT_EQ(saved.Alternative(row).Dominance[row == 1 ? 2 : 1], kNotComputed);
    }
    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, WriteModelText(saved)));
    EXPECT_EQ(loaded.Calculated(), saved.Calculated());
}

TEST(NotCalculated, TheNormalizedOptionShowingANeverCalculatedSetSaysSo) {
    CalcTestModel m = ThreeByTwo({3, 2, 1});
    ASSERT_EQ(Calculate(m.model, kCalculateModel), RunOutcome::Complete);
    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, WriteModelText(m.model)));
    EXPECT_EQ(loaded.Caption(loaded.Attributes()[0]).find("not calculated"), std::string::npos);
    loaded.SetNormalizedIntervals(true);
    EXPECT_EQ(loaded.Caption(loaded.Attributes()[0]), "Price [not calculated]");
    EXPECT_TRUE(Has(ResultWarnings(loaded), "Normalized value intervals have not been"));
}

class StoredResultsCli : public testing::CliTest {};

TEST_F(StoredResultsCli, MarginsReadFromAFileAreNoFigures) {
    const std::string model = Example("car");
    const testing::CliResult csv = Run({"export-results", model, Path("results.csv"), "--csv"});
    ASSERT_EQ(csv.Code, 0) << csv.Err;
    const std::string table = testing::ReadFile(Path("results.csv"));
    EXPECT_NE(table.find(kMarginNotStoredText), std::string::npos);
    const auto stored = nlohmann::json::parse(Run({"summary", model, "--json", "-"}).Out);
    EXPECT_TRUE(stored["alternatives"][0]["margins"][1].is_null());
    const auto calculated = nlohmann::json::parse(Run({"calc", model, "--json", "-"}).Out);
    EXPECT_TRUE(calculated["alternatives"][0]["margins"][1].is_number());
    EXPECT_TRUE(calculated["warnings"].is_array());
}

TEST_F(StoredResultsCli, AnImportThatChangesTheModelResetsItsResults) {
    const std::string model = Example("car");
    const std::string table = Path("table.csv");
    ASSERT_EQ(Run({"export-csv", model, table}).Code, 0);
    // One more alternative: the last one's consequences under a new name.
    std::string text = testing::ReadFile(table);
    const std::size_t last = text.rfind("\r\n", text.size() - 3) + 2;
    const std::string row = text.substr(last);
    text += "Brand new" + row.substr(row.find(','));
    std::ofstream(table, std::ios::binary) << text;
    const testing::CliResult imported = Run({"import-csv", model, table, "--in-place"});
    ASSERT_EQ(imported.Code, 0) << imported.Err;
    EXPECT_NE(imported.Err.find(kResultsResetMessage), std::string::npos);
    const auto json = nlohmann::json::parse(Run({"summary", model, "--json", "-"}).Out);
    EXPECT_FALSE(json["calculated"]["main_goal_values"].get<bool>());
    for (const auto& alternative : json["alternatives"]) {
        for (const auto& [rule, on] : alternative["recommended"].items()) {
            EXPECT_FALSE(on.get<bool>()) << rule;
        }
    }
}

} // namespace
} // namespace velor
