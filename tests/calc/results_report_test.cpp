#include "calc/results_report.h"

#include "calc/calculation_driver.h"
#include "calc/constraint_file.h"
#include "calc_test_model.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace velor {
namespace {

namespace fs = std::filesystem;
using testing::CalcTestModel;
using testing::ScriptedHost;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

class TempFolder {
public:
    TempFolder() {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) {
            c = c == '/' ? '_' : c;
        }
        path_ = fs::temp_directory_path() /
                ("velor_report_test_" + std::to_string(::getpid()) + "_" + name);
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// Price ranks Cheap over Déjà; results set by hand so that every branch of the layout shows.
Model SmallModel() {
    CalcTestModel m(2);
    const NodeId price = m.Attribute();
    m.model.RenameNode(price, "Price");
    m.model.CommitCellText(1, 1, "Cheap", true);
    m.model.CommitCellText(1, 2, "Déjà", true);
    m.model.CommitCellText(2, 1, "10 EUR", false);
    m.model.CommitCellText(2, 2, "20 EUR", false);
    m.model.StoreRanking(price, {1, 2}, {});
    m.Ratio(price, 1, 2, 1, 2, 1, kNotGiven);
    TAlternativeData& cheap = ResultRecords(m.model).AlternativeData(1);
    cheap.ValueLower = 0.25;
    cheap.Dominance[2] = kDominates;
    cheap.Recommended = {1, 1, 1, 1};
    TAlternativeData& deja = ResultRecords(m.model).AlternativeData(2);
    deja.ValueUpper = 0.5;
    deja.Dominance[1] = kDominated;
    deja.MaxRegret = 0.75;
    ResultRecords(m.model).NodeData(price).Values[0] = TNodeValue{0.125, 1, 0.5, 0.75};
    ResultRecords(m.model).ConsequenceData(2, 1).Rank = 1;
    CalculatedResults& calculated = ResultRecords(m.model).Calculated();
    calculated.MainValues = calculated.NodeValues = calculated.Weights = {true, true};
    calculated.Dominance = calculated.Margins = true;
    return m.model;
}

TEST(ResultsReport, LaysOutEverySection) {
    const std::string expected = R"(MODEL DATA
----------

ALTERNATIVES
------------

Cheap
-----
Value Interval = 0.25 ... 1
Dominances:
- dominates Déjà
Minimax Regret = 0
Decision Rule Recommendations:
- Maximax
- Maximin
- Central Values
- Minimax Regret

Déjà
----
Value Interval = 0 ... 0.5
Dominances:
- is dominated by Cheap
Minimax Regret = 0.75
Decision Rule Recommendations:
- none



DECISION TREE
-------------

Main Goal
---------
Type = Goal
Weight = 1 ... 1
Normalized Weight = 1 ... 1
Value Intervals per Alternative:
- Cheap = 0 ... 0
- Déjà = 0 ... 0
- Cheap (Normalized) = 0 ... 1
- Déjà (Normalized) = 0 ... 1
No Cardinal Preferences

Price
-----
Type = Attribute
Weight = 0 ... 1
Normalized Weight = 0 ... 1
Value Intervals per Alternative:
- Cheap = 0.5 ... 0.75
- Déjà = 0 ... 0
- Cheap (Normalized) = 0.125 ... 1
- Déjà (Normalized) = 0 ... 1
Cardinal Preferences:
- Cheap ... Déjà vs. Cheap ... Déjà
  - Bounds = 1 ... -1



SCORES
------

Main Goal: Cheap
----------------
Caption = 'Cheap'
Not ranked
Value Interval = 0 ... 1
Normalized Value Interval = 0 ... 1

Main Goal: Déjà
---------------
Caption = 'Déjà'
Not ranked
Value Interval = 0 ... 1
Normalized Value Interval = 0 ... 1

Price: Cheap
------------
Caption = '10 EUR'
Preferred as 1
Value Interval = 0 ... 0
Normalized Value Interval = 0 ... 1

Price: Déjà
-----------
Caption = '20 EUR'
Preferred as 2
Value Interval = 0 ... 0
Normalized Value Interval = 0 ... 1

)";
    EXPECT_EQ(ResultsReportText(SmallModel()), WithCrLf(expected));
}

TEST(ResultsReport, EmptyModelHasOnlyTheHeadings) {
    EXPECT_EQ(ResultsReportText(Model{}),
              WithCrLf("MODEL DATA\n----------\n\nALTERNATIVES\n------------\n\n\n\n"
                       "DECISION TREE\n-------------\n\n\n\nSCORES\n------\n\n"));
}

TEST(ResultsReport, WritesAndReplacesWithoutLeavingTemporaryFiles) {
    TempFolder folder;
    const fs::path target = folder / "report.txt";
    const fs::path before = fs::current_path();
    ASSERT_TRUE(WriteResultsReport(SmallModel(), target.string()));
    ASSERT_TRUE(WriteResultsReport(Model{}, target.string()));
    EXPECT_EQ(ReadFile(target), ResultsReportText(Model{}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
    EXPECT_EQ(fs::current_path(), before);
}

TEST(ResultsReport, UnwritableTargetFailsAndKeepsTheOldFile) {
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(
        WriteResultsReport(SmallModel(), (folder / "missing/report.txt").string(), &error));
    EXPECT_FALSE(error.empty());
    // A folder in the way of the file.
    fs::create_directory(folder / "taken.txt");
    EXPECT_FALSE(WriteResultsReport(SmallModel(), (folder / "taken.txt").string()));
    EXPECT_TRUE(fs::is_directory(folder / "taken.txt"));
    EXPECT_EQ(CannotWriteMessage("a.txt"), "Cannot write to the file a.txt.");
}

TEST(ProposedExportName, CutsAtTheFirstDotOfTheFileName) {
    EXPECT_EQ(ProposedExportName("", ".mdl"), "Untitled.mdl");
    EXPECT_EQ(ProposedExportName("", ".txt"), "Untitled.txt");
    EXPECT_EQ(ProposedExportName("/home/ann/plans.v2/plan.final.vlr", ".mdl"), "plan.mdl");
    EXPECT_EQ(ProposedExportName("car.vlr", ".txt"), "car.txt");
    EXPECT_EQ(ProposedExportName("models/budget", ".txt"), "budget.txt");
}

class ExampleExports : public ::testing::TestWithParam<const char*> {
protected:
    fs::path Source(const std::string& relative) const {
        return fs::path(VELOR_SOURCE_DIR) / relative;
    }
};

// The exports of the example models, reviewed by hand once and checked in.
TEST_P(ExampleExports, MatchTheReviewedFiles) {
    const std::string name = GetParam();
    Model model;
    ASSERT_TRUE(LoadModelFile(model, Source("examples/" + name + ".vlr").string()));
    EXPECT_EQ(ResultsReportText(model), ReadFile(Source("tests/calc/data/" + name + ".txt")));

    TempFolder folder;
    const fs::path mdl = folder / (name + ".mdl");
    ASSERT_TRUE(WriteConstraintFile(ConstraintExportModel(model), mdl.string()));
    EXPECT_EQ(ReadFile(mdl), ReadFile(Source("tests/calc/data/" + name + ".mdl")));
}

// The stored results of the examples are what the engine calculates now.
TEST_P(ExampleExports, StoredResultsAreCurrent) {
    const std::string name = GetParam();
    Model stored;
    ASSERT_TRUE(LoadModelFile(stored, Source("examples/" + name + ".vlr").string()));
    ASSERT_TRUE(CheckFeasibility(stored));
    Model fresh = stored;
    ScriptedHost host;
    CalculationDriver driver(fresh, host);
    for (const CalculationType type : {kNormalizedIntervals, kNonNormalizedIntervals, kCalculateModel}) {
        ASSERT_EQ(driver.Run(type), RunOutcome::Complete);
    }
    constexpr double kFileRounding = 1e-6; // six decimals in the model file
    for (int row = 1; row <= stored.M(); ++row) {
        const TAlternativeData& a = stored.Alternative(row);
        const TAlternativeData& b = fresh.Alternative(row);
        EXPECT_NEAR(a.ValueLower, b.ValueLower, kFileRounding);
        EXPECT_NEAR(a.ValueUpper, b.ValueUpper, kFileRounding);
        EXPECT_NEAR(a.MaxRegret, b.MaxRegret, kFileRounding);
        EXPECT_EQ(a.Dominance, b.Dominance);
        EXPECT_EQ(a.Recommended, b.Recommended);
    }
    for (NodeId node : stored.PreOrder()) {
        const TNodeData& a = stored.Node(node);
        const TNodeData& b = fresh.Node(node);
        EXPECT_NEAR(a.WeightLower, b.WeightLower, kFileRounding) << a.Name;
        EXPECT_NEAR(a.WeightUpper, b.WeightUpper, kFileRounding) << a.Name;
        EXPECT_NEAR(a.NormWeightLower, b.NormWeightLower, kFileRounding) << a.Name;
        EXPECT_NEAR(a.NormWeightUpper, b.NormWeightUpper, kFileRounding) << a.Name;
        for (std::size_t i = 0; i < a.Values.size(); ++i) {
            EXPECT_NEAR(a.Values[i].Lower, b.Values[i].Lower, kFileRounding) << a.Name;
            EXPECT_NEAR(a.Values[i].Upper, b.Values[i].Upper, kFileRounding) << a.Name;
            EXPECT_NEAR(a.Values[i].NormLower, b.Values[i].NormLower, kFileRounding) << a.Name;
            EXPECT_NEAR(a.Values[i].NormUpper, b.Values[i].NormUpper, kFileRounding) << a.Name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleExports,
                         ::testing::Values("car", "job_offers", "supplier"));

} // namespace
} // namespace velor
