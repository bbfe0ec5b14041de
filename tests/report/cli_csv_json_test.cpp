// velor-cli's spreadsheet and JSON outputs end to end: consequences exported and imported again
// come back the same; a bad table is refused with its line and leaves the model file as it was,
// byte for byte; the results CSV reads back as a table; and the JSON of every command follows
// docs/velor-cli.schema.json.
#include "calc/cli_test_support.h"
#include "json_schema_validator.h"
#include "model/consequence_csv.h"
#include "model/csv_table.h"
#include "model/model_file.h"

#include <nlohmann/json.hpp>

#include <numeric>
#include <regex>
#include <set>
#include <string>

namespace velor::testing {
namespace {

using Json = nlohmann::json;

const std::vector<std::string> kExamples = {"car", "job_offers", "supplier"};

class CliCsvTest : public CliTest {
protected:
    // The example without its alternatives, saved into the test folder.
    std::string EmptyTree(const std::string& example) {
        Model model;
        EXPECT_TRUE(LoadModelFile(model, Example(example)));
        model.ClearAlternatives();
        const std::string path = Path(example + "-empty.vlr");
        EXPECT_TRUE(SaveModelFile(model, path));
        return path;
    }
};

TEST_F(CliCsvTest, ExportedConsequencesImportBackUnchanged) {
    for (const std::string& example : kExamples) {
        SCOPED_TRACE(example);
        const std::string csv = Path(example + ".csv");
        ASSERT_EQ(Run({"export-csv", Example(example), csv, "--quiet"}).Code, 0);
        const std::string out = Path(example + "-imported.vlr");
        const CliResult imported = Run({"import-csv", EmptyTree(example), csv, "-o", out});
        ASSERT_EQ(imported.Code, 0) << imported.Err;
        EXPECT_NE(imported.Err.find("added, 0 replaced, 0 kept"), std::string::npos)
            << imported.Err;
        const CliResult again = Run({"export-csv", out, "-"});
        ASSERT_EQ(again.Code, 0) << again.Err;
        EXPECT_EQ(again.Out, ReadFile(csv));
    }
}

TEST_F(CliCsvTest, TheSeparatorCanBeChosenAndIsFoundOnImport) {
    const std::string csv = Path("car.csv");
    ASSERT_EQ(Run({"export-csv", Example("car"), csv, "--separator", "semicolon"}).Code, 0);
    EXPECT_NE(ReadFile(csv).find("Name;"), std::string::npos);
    const CliResult dry = Run({"import-csv", Example("car"), csv, "--dry-run"});
    EXPECT_EQ(dry.Code, 0) << dry.Err;
    EXPECT_NE(dry.Err.find("Separator: semicolon."), std::string::npos) << dry.Err;
    EXPECT_NE(dry.Err.find("0 added, 5 replaced, 0 kept"), std::string::npos) << dry.Err;
    EXPECT_NE(dry.Err.find("No ranked consequence changes."), std::string::npos) << dry.Err;
}

struct BadCsv {
    const char* name;
    const char* text;
    const char* reason;
};

void PrintTo(const BadCsv& value, std::ostream* out) {
    *out << value.name;
}

class CliBadCsv : public CliCsvTest, public ::testing::WithParamInterface<BadCsv> {};

TEST_P(CliBadCsv, LeavesTheModelFileByteForByte) {
    const std::string model = Example("car");
    const std::string before = ReadFile(model);
    const std::string table = Path("bad.csv");
    {
        std::ofstream out(table, std::ios::binary);
        out << GetParam().text;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"import-csv", model, table, "--in-place"},
          std::vector<std::string>{"import-csv", model, table, "-o", Path("out.vlr")}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.Code, 2) << result.Err;
        EXPECT_EQ(result.Err,
                  "Cannot import the consequences of " + table + ".\n" + GetParam().reason + "\n");
        EXPECT_EQ(ReadFile(model), before);
        EXPECT_FALSE(fs::exists(Path("out.vlr")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CliBadCsv,
    ::testing::Values(
        BadCsv{"Unclosed", "Name,Purchase price\nA,\"12\n", "line 2: a quoted field is not closed"},
        BadCsv{"Ragged", "Name,Purchase price\nA,1\nB\n",
               "line 3: 1 field where the first line has 2"},
        BadCsv{
            "LongName",
            "Name,Purchase price\n"
            "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
            "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
            "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
            ",1\n",
            "line 2: the name of the alternative is longer than 255 bytes"},
        BadCsv{"NotUtf8", "Name,Purchase price\nA,\xff\n", "line 2: the text is not UTF-8"},
        BadCsv{"Empty", "", "the file holds no table"},
        BadCsv{"Utf16", "\xFF\xFEN",
               "line 1: the text is UTF-16; save the table as UTF-8 (in a "
               "spreadsheet: CSV UTF-8) and import it again"},
        BadCsv{"Escape", "Name,Purchase price\nA\x1b[2J,1\n",
               "line 2: a field holds the control character U+001B"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliCsvTest, ExportsWriteNamesAsShownAndFormulasAsText) {
    Model model;
    ASSERT_TRUE(LoadModelFile(model, Example("car")));
    model.CommitCellText(1, 1, "=2+3", true);
    model.CommitCellText(1, 2, "Caf\xE9", true); // written by a system with another encoding
    const std::string path = Path("odd-names.vlr");
    ASSERT_TRUE(SaveModelFile(model, path));
    const CliResult results = Run({"export-results", path, "-", "--csv"});
    ASSERT_EQ(results.Code, 0) << results.Err;
    CsvTable table;
    CsvError error;
    ASSERT_TRUE(ParseCsv(results.Out, ',', table, &error)) << error.Text();
    EXPECT_EQ(table.Records[2][1], "'=2+3");
    EXPECT_EQ(table.Records[3][1], "Caf\xEF\xBF\xBD");
    const std::string csv = Path("odd-names.csv");
    ASSERT_EQ(Run({"export-csv", path, csv, "--quiet"}).Code, 0);
    const CliResult dry = Run({"import-csv", path, csv, "--dry-run"});
    EXPECT_EQ(dry.Code, 0) << dry.Err;
    EXPECT_NE(dry.Err.find("0 added, 5 replaced, 0 kept"), std::string::npos) << dry.Err;
    EXPECT_NE(dry.Err.find("No ranked consequence changes."), std::string::npos) << dry.Err;
}

TEST_F(CliCsvTest, AMissingTableOrTargetIsAUsageOrReadError) {
    const std::string model = Example("car");
    const CliResult missing = Run({"import-csv", model, Path("none.csv"), "--dry-run"});
    EXPECT_EQ(missing.Code, 2);
    EXPECT_NE(missing.Err.find("No such file"), std::string::npos) << missing.Err;
    ExpectUsageError(Run({"import-csv", model, Path("none.csv")}),
                     {"import-csv", model, "none.csv"});
    const std::string table = Path("t.csv");
    ASSERT_EQ(Run({"export-csv", model, table}).Code, 0);
    ExpectUsageError(Run({"import-csv", model, table, "-o", table}), {"import-csv", "-o TABLE"});
    ExpectUsageError(Run({"export-csv", model, Path("x.csv"), "--separator", "pipe"}),
                     {"export-csv", "--separator pipe"});
}

TEST_F(CliCsvTest, ResultsAsCsvReadBackAsSections) {
    const CliResult result = Run({"export-results", Example("car"), "-", "--csv"});
    ASSERT_EQ(result.Code, 0) << result.Err;
    CsvTable table;
    CsvError error;
    ASSERT_TRUE(ParseCsv(result.Out, ',', table, &error)) << error.Text();
    std::vector<std::string> titles;
    for (const auto& record : table.Records) {
        if (record.size() == 1) {
            titles.push_back(record[0]);
        }
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Value intervals", "Weights", "Dominance",
                                                "Dominance margins", "Decision rules"}));
    EXPECT_FALSE(std::regex_search(result.Out, std::regex(R"(-0(\.0*)?[^.0-9])")));
    EXPECT_NE(result.Out.find("is dominated by"), std::string::npos);
    ExpectUsageError(Run({"export-results", Example("car"), Path("r.txt"), "--separator", "tab"}),
                     {"export-results", "--separator without --csv"});
}

// ----- JSON against the schema

Json Schema() {
    return Json::parse(ReadFile(fs::path(VELOR_SOURCE_DIR) / "docs" / "velor-cli.schema.json"));
}

void ExpectValid(const std::string& text, const std::string& format) {
    const Json document = Json::parse(text);
    const std::vector<std::string> errors = JsonSchemaValidator(Schema()).Validate(document);
    EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
    EXPECT_EQ(document["format"]["name"], format);
    EXPECT_FALSE(std::regex_search(text, std::regex(R"(-0(\.0*)?[^.0-9])")))
        << "zero is written without a sign";
}

TEST_F(CliCsvTest, EveryJsonOutputFollowsTheSchema) {
    for (const std::string& example : kExamples) {
        SCOPED_TRACE(example);
        const std::string model = Example(example);
        for (const char* type : {"0", "3", "4"}) {
            const CliResult calc = Run({"calc", model, "--type", type, "--json", "-", "--quiet"});
            ASSERT_EQ(calc.Code, 0) << calc.Err;
            ExpectValid(calc.Out, "velor-results");
        }
        const CliResult summary = Run({"summary", model, "--json", "-"});
        ASSERT_EQ(summary.Code, 0) << summary.Err;
        ExpectValid(summary.Out, "velor-summary");
        const CliResult check = Run({"check", model, "--json", "-", "--quiet"});
        ASSERT_EQ(check.Code, 0) << check.Err;
        ExpectValid(check.Out, "velor-conflict");
        const CliResult acceptability =
            Run({"acceptability", model, "--samples", "200", "--json", "-", "--quiet"});
        ASSERT_EQ(acceptability.Code, 0) << acceptability.Err;
        ExpectValid(acceptability.Out, "velor-acceptability");
    }
    const std::string infeasible = InfeasibleModel();
    const CliResult calc = Run({"calc", infeasible, "--json", "-", "--quiet"});
    EXPECT_EQ(calc.Code, 3);
    ExpectValid(calc.Out, "velor-results");
    const CliResult check = Run({"check", infeasible, "--json", "-", "--quiet"});
    EXPECT_EQ(check.Code, 3);
    ExpectValid(check.Out, "velor-conflict");
    EXPECT_FALSE(Json::parse(check.Out)["statements"].empty());
    const CliResult acceptability = Run({"acceptability", infeasible, "--json", "-", "--quiet"});
    EXPECT_EQ(acceptability.Code, 3);
    EXPECT_TRUE(acceptability.Out.empty()) << "no samples of an infeasible model";
    EXPECT_NE(acceptability.Err.find("infeasible"), std::string::npos) << acceptability.Err;
}

// The group's JSON, with the consensus's results and with its conflict, follows the schema.
TEST_F(CliCsvTest, GroupJsonFollowsTheSchema) {
    const std::string car = Example("car");
    fs::copy_file(car, Path("car2.vlr"));
    const CliResult group =
        Run({"group", car, Path("car2.vlr"), "--names", "Ann,Bob", "--json", "-"});
    ASSERT_EQ(group.Code, 0) << group.Err;
    ExpectValid(group.Out, "velor-group");
    const std::string infeasible = InfeasibleModel();
    fs::copy_file(infeasible, Path("infeasible2.vlr"));
    const CliResult conflict = Run({"group", infeasible, Path("infeasible2.vlr"), "--json", "-"});
    EXPECT_EQ(conflict.Code, 3);
    ExpectValid(conflict.Out, "velor-group");
    EXPECT_FALSE(Json::parse(conflict.Out)["consensus"]["conflict"].empty());
}

// The kinds of an all-tied ranking and of an unranked level's bound are in the schema.
TEST_F(CliCsvTest, ConflictJsonOfTiedRankingsAndUnrankedLevelsIsValid) {
    testing::CalcTestModel m(3);
    const NodeId tied = m.Attribute();
    const NodeId size = m.Attribute();
    m.Rank(tied, {1, 1, 1});
    m.Rank(size, {1, 2, 0});
    // From row 2 to the unranked row 3 at least twice as much as from row 2 to row 1.
    m.Ratio(size, 3, 2, 1, 2, 2.0, kNotGiven);
    const std::string path = Path("tied.vlr");
    ASSERT_TRUE(SaveModelFile(m.model, path));
    const CliResult check = Run({"check", path, "--json", "-", "--quiet"});
    EXPECT_EQ(check.Code, 3);
    ExpectValid(check.Out, "velor-conflict");
    const Json conflict = Json::parse(check.Out);
    std::set<std::string> kinds;
    for (const Json& statement : conflict["statements"]) {
        kinds.insert(statement["kind"].get<std::string>());
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"flat-ranking", "unranked-level", "ratio"}));
}

// The acceptability JSON: one entry per row with M shares per list, the shares of each rank
// and of each alternative summing to 1, and the same document for the same seed.
TEST_F(CliCsvTest, AcceptabilityJsonHoldsDistributionsAndFollowsItsSeed) {
    const std::vector<std::string> args = {
        "acceptability", Example("car"), "--samples", "300", "--seed", "7", "--json", "-"};
    const CliResult first = Run(args);
    ASSERT_EQ(first.Code, 0) << first.Err;
    EXPECT_EQ(Run(args).Out, first.Out);
    const Json json = Json::parse(first.Out);
    EXPECT_EQ(json["samples"], 300);
    EXPECT_EQ(json["seed"], 7);
    Model model;
    ASSERT_TRUE(LoadModelFile(model, Example("car")));
    const auto m = static_cast<std::size_t>(model.M());
    ASSERT_EQ(json["alternatives"].size(), m);
    std::vector<double> byRank(m, 0.0);
    for (std::size_t a = 0; a < m; ++a) {
        const Json& alternative = json["alternatives"][a];
        EXPECT_EQ(alternative["name"], model.AlternativeName(static_cast<int>(a) + 1));
        for (const char* list :
             {"rank_acceptability", "rank_acceptability_error", "pairwise_winning"}) {
            EXPECT_EQ(alternative[list].size(), m) << list;
        }
        double sum = 0.0;
        for (std::size_t r = 0; r < m; ++r) {
            sum += alternative["rank_acceptability"][r].get<double>();
            byRank[r] += alternative["rank_acceptability"][r].get<double>();
        }
        EXPECT_NEAR(sum, 1.0, 1e-9);
        EXPECT_EQ(alternative["central_weights"].size(), json["attributes"].size());
    }
    for (const double sum : byRank) {
        EXPECT_NEAR(sum, 1.0, 1e-9);
    }
    const CliResult table = Run({"acceptability", Example("car"), "--samples", "300"});
    ASSERT_EQ(table.Code, 0) << table.Err;
    for (const char* heading : {"Rank acceptability", "Pairwise winning", "Central weights"}) {
        EXPECT_NE(table.Out.find(heading), std::string::npos) << table.Out;
    }
    for (const char* bad : {"--samples=99", "--samples=many", "--seed=-1"}) {
        ExpectUsageError(Run({"acceptability", Example("car"), bad}), {"acceptability", bad});
    }
    ExpectUsageError(Run({"acceptability", Example("car"), "--json", Example("car")}),
                     {"acceptability", "--json MODEL"});
}

// Attributes of the same name (and one named like the others with a column added) each keep
// their central weight, in the order of attributes.
TEST_F(CliCsvTest, AcceptabilityJsonKeepsTheCentralWeightOfEveryAttribute) {
    CalcTestModel t(3);
    std::vector<NodeId> nodes;
    for (int i = 0; i < 3; ++i) {
        nodes.push_back(t.Attribute());
        std::vector<int> ranks(3, 2);
        ranks[static_cast<std::size_t>(i)] = 1;
        t.Rank(nodes.back(), ranks);
    }
    const std::string column = std::to_string(t.model.ColumnOfNode(nodes[2]));
    t.model.RenameNode(nodes[0], "Cost");
    t.model.RenameNode(nodes[1], "Cost (column " + column + ")");
    t.model.RenameNode(nodes[2], "Cost");
    const std::string path = Path("same_names.vlr");
    ASSERT_TRUE(SaveModelFile(t.model, path));
    const CliResult run = Run({"acceptability", path, "--json", "-", "--quiet"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    ExpectValid(run.Out, "velor-acceptability");
    const Json json = Json::parse(run.Out);
    ASSERT_EQ(json["attributes"].size(), 3U);
    for (std::size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(json["attributes"][j]["column"], t.model.ColumnOfNode(nodes[j]));
    }
    for (const Json& alternative : json["alternatives"]) {
        ASSERT_EQ(alternative["central_weights"].size(), 3U);
        double sum = 0.0;
        for (const Json& weight : alternative["central_weights"]) {
            sum += weight.get<double>();
        }
        EXPECT_NEAR(sum, 1.0, 1e-9) << "every alternative ranks first in some samples";
    }
}

// However large the model, the analysis ends with its own message when memory runs out (the
// full tables of this model would take 400 MB, its linear ones 50 MB).
TEST_F(CliCsvTest, AcceptabilityOutOfMemoryEndsWithItsMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    const int m = 1500; // the full tables would take 400 MB
    CalcTestModel t(m);
    std::vector<int> up(static_cast<std::size_t>(m));
    std::iota(up.begin(), up.end(), 1);
    t.Rank(t.Attribute(), up);
    t.Rank(t.Attribute(), std::vector<int>(up.rbegin(), up.rend()));
    const std::string path = Path("large.vlr");
    ASSERT_TRUE(SaveModelFile(t.model, path));
    const std::string command = "ulimit -v 60000; exec " + Quote(VELOR_CLI_PATH) +
                                " acceptability " + Quote(path) + " --samples 100 --quiet >" +
                                Quote(Path("stdout")) + " 2>" + Quote(Path("stderr"));
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << ReadFile(Path("stderr"));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(ReadFile(Path("stderr")), "error: Out of memory.\n");
    EXPECT_TRUE(ReadFile(Path("stdout")).empty());
}

TEST_F(CliCsvTest, SummaryJsonCarriesTheDominanceInWords) {
    const CliResult summary = Run({"summary", Example("car"), "--json", Path("s.json")});
    ASSERT_EQ(summary.Code, 0) << summary.Err;
    const Json json = Json::parse(ReadFile(Path("s.json")));
    for (const Json& alternative : json["alternatives"]) {
        ASSERT_EQ(alternative["dominance"].size(), alternative["dominance_words"].size());
        for (std::size_t i = 0; i < alternative["dominance"].size(); ++i) {
            EXPECT_EQ(alternative["dominance_words"][i],
                      DominanceCodeName(alternative["dominance"][i].get<std::uint8_t>()));
        }
    }
}

TEST(JsonSchemaValidator, RefusesWhatTheSchemaDoesNotAllow) {
    const JsonSchemaValidator validator(Schema());
    Json document = {{"format", {{"name", "velor-conflict"}, {"version", 1}}},
                     {"feasible", true},
                     {"conflict", false},
                     {"statements", Json::array()}};
    EXPECT_TRUE(validator.Validate(document).empty());
    for (const auto& damage : std::vector<std::pair<std::string, Json>>{
             {"/feasible", "yes"},
             {"/format/version", 2},
             {"/format/name", "velor-results"},
             {"/extra", 1},
             {"/statements", Json::array({Json::object({{"kind", "ranking"}})})}}) {
        Json damaged = document;
        damaged[Json::json_pointer(damage.first)] = damage.second;
        EXPECT_FALSE(validator.Validate(damaged).empty()) << damage.first;
    }
    Json missing = document;
    missing.erase("conflict");
    EXPECT_FALSE(validator.Validate(missing).empty());
}

} // namespace
} // namespace velor::testing
