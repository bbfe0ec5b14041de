// End-to-end tests of velor-cli: exit codes, outputs, the JSON summary and the command line.
#include "calc/calculation_driver.h"
#include "calc_test_model.h"
#include "cli_test_support.h"
#include "model/model_file.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef VELOR_CLI_PATH

namespace velor {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

using testing::CliResult;
using testing::CliTest;
using testing::ExpectUsageError;
using testing::ReadFile;

TEST_F(CliTest, CalcOnEveryExampleFinishes) {
    struct ExampleSize {
        const char* Name;
        int M;
        int K;
    };
    for (const ExampleSize& example : {ExampleSize{"car", 5, 9}, ExampleSize{"job_offers", 4, 10},
                                       ExampleSize{"supplier", 6, 10}}) {
        SCOPED_TRACE(example.Name);
        const std::string model = Example(example.Name);
        const CliResult result =
            Run({"calc", model, "--json", Path("summary.json"), "--report", Path("report.txt"),
                 "--constraints", Path("model.mdl"), "-o", Path("out.vlr")});
        ASSERT_EQ(result.Code, 0) << result.Err;
        EXPECT_NE(result.Err.find("Calculation complete"), std::string::npos);
        const Json summary = Json::parse(ReadFile(folder_ / "summary.json"));
        EXPECT_TRUE(summary["feasible"].get<bool>());
        EXPECT_TRUE(summary["complete"].get<bool>());
        EXPECT_EQ(summary["type"], 0);
        // Every goal of the examples has attributes below it, so each node needs two value
        // programs per alternative.
        const int m = example.M;
        const int k = example.K;
        EXPECT_EQ(summary["lp_count"], 1 + m * (m - 1) + 2 * m * k + 2 * (k - 1));
        std::cout << "[ bench    ] " << example.Name << ": " << summary["lp_count"]
                  << " linear programs in " << summary["seconds"].get<double>() * 1000.0 << " ms\n";

        ASSERT_EQ(summary["alternatives"].size(), static_cast<std::size_t>(m));
        for (const Json& alternative : summary["alternatives"]) {
            EXPECT_TRUE(alternative["name"].is_string());
            EXPECT_EQ(alternative["value"].size(), 2u);
            EXPECT_EQ(alternative["dominance"].size(), static_cast<std::size_t>(m));
            EXPECT_EQ(alternative["margins"].size(), static_cast<std::size_t>(m));
            EXPECT_TRUE(alternative["max_regret"].is_number());
            for (const char* rule : {"Maximax", "Maximin", "Central Values", "Minimax Regret"}) {
                EXPECT_TRUE(alternative["recommended"][rule].is_boolean()) << rule;
            }
        }
        ASSERT_EQ(summary["nodes"].size(), static_cast<std::size_t>(k));
        EXPECT_EQ(summary["nodes"][0]["kind"], "goal");
        EXPECT_EQ(summary["nodes"][0]["column"], 1);
        for (const Json& node : summary["nodes"]) {
            EXPECT_TRUE(node["kind"] == "goal" || node["kind"] == "attribute");
            EXPECT_EQ(node["weight"].size(), 2u);
            EXPECT_EQ(node["norm_weight"].size(), 2u);
            EXPECT_EQ(node["values"].size(), static_cast<std::size_t>(m));
            EXPECT_EQ(node["norm_values"].size(), static_cast<std::size_t>(m));
        }

        Model written;
        ASSERT_TRUE(LoadModelFile(written, Path("out.vlr")));
        for (int row = 1; row <= m; ++row) {
            const Json& alternative = summary["alternatives"][static_cast<std::size_t>(row - 1)];
            EXPECT_EQ(alternative["name"], written.AlternativeName(row));
            EXPECT_NEAR(alternative["value"][0].get<double>(), written.Alternative(row).ValueLower,
                        1e-6);
            EXPECT_NEAR(alternative["max_regret"].get<double>(), written.Alternative(row).MaxRegret,
                        1e-6);
        }
        EXPECT_NEAR(summary["nodes"][1]["weight"][1].get<double>(),
                    written.Node(written.NodeAt(1)).WeightUpper, 1e-6);
        EXPECT_EQ(ReadFile(folder_ / "report.txt").substr(0, 10), "MODEL DATA");
        EXPECT_EQ(ReadFile(folder_ / "model.mdl"),
                  ReadFile(fs::path(VELOR_SOURCE_DIR) / "tests/calc/data" /
                           (std::string(example.Name) + ".mdl")));
    }
}

TEST_F(CliTest, JsonOnStandardOutputCarriesNothingElse) {
    const CliResult result = Run({"calc", Example("car"), "--type", "4", "--json", "-"});
    ASSERT_EQ(result.Code, 0) << result.Err;
    const Json summary = Json::parse(result.Out); // throws on anything but JSON
    EXPECT_EQ(summary["type"], 4);
    EXPECT_EQ(summary["lp_count"], 1 + 5 * 4);
    EXPECT_NE(result.Err.find("Calculation complete"), std::string::npos);

    const CliResult quiet = Run({"calc", Example("car"), "--quiet", "--json", "-"});
    EXPECT_EQ(quiet.Code, 0);
    EXPECT_TRUE(quiet.Err.empty()) << quiet.Err;
    // Zero has no sign, in the JSON as in the model file (the car's lowest values are zeros
    // computed as -0).
    EXPECT_EQ(quiet.Out.find("-0.0"), std::string::npos);
    EXPECT_NE(quiet.Out.find(" 0.0"), std::string::npos);
    const std::string model = Example("car");
    ASSERT_EQ(Run({"calc", model, "--quiet", "--in-place"}).Code, 0);
    EXPECT_EQ(ReadFile(model).find("-0.000000"), std::string::npos);
}

TEST_F(CliTest, InPlaceRewritesTheModel) {
    const std::string model = Example("job_offers");
    Model before;
    ASSERT_TRUE(LoadModelFile(before, model));
    ResultRecords(before).NodeData(before.NodeAt(1)).WeightLower = 0.0;
    ASSERT_TRUE(SaveModelFile(before, model));
    ASSERT_EQ(Run({"calc", model, "--type", "3", "--in-place"}).Code, 0);
    Model after;
    ASSERT_TRUE(LoadModelFile(after, model));
    EXPECT_GT(after.Node(after.NodeAt(1)).WeightLower, 0.3);
}

TEST_F(CliTest, UsageErrorsExitWithOne) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"--frobnicate"},
        {"help", "frobnicate"},
        {"calc"},
        {"calc", "a.vlr", "--type", "8"},
        {"calc", "a.vlr", "--type=8"},
        {"calc", "a.vlr", "-t8"},
        {"calc", "a.vlr", "--type", "1x"},
        {"calc", "a.vlr", "--type"},
        {"calc", "a.vlr", "--type="},
        {"calc", "a.vlr", "--type", "1", "--type", "2"},
        {"calc", "a.vlr", "--answer", "maybe"},
        {"calc", "a.vlr", "-o", "b.vlr", "--in-place"},
        {"calc", "a.vlr", "--fast"},
        {"calc", "a.vlr", "--quiet=yes"},
        {"calc", "a.vlr", "-qx"},
        {"calc", "a.vlr", "b.vlr"},
        // A forgotten value is not taken from the next option.
        {"calc", "a.vlr", "--json", "--quiet"},
        // Empty names are not "no output".
        {"calc", "a.vlr", "-o", ""},
        {"calc", "a.vlr", "--report", ""},
        {"calc", "a.vlr", "--json", ""},
        {"calc", "a.vlr", "--json="},
        {"calc", "a.vlr", "--constraints", ""},
        {"convert", "a.vlr", ""},
        {"check"},
        {"check", "a.vlr", "--type", "1"},
        {"export-constraints", "a.vlr"},
        {"convert", "a.vlr", "b.vlr", "c.vlr"},
    };
    for (const auto& args : cases) {
        ExpectUsageError(Run(args), args);
    }
    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out.rfind("velor-cli ", 0), 0u);
}

TEST_F(CliTest, HelpListsEveryCommandAndEachCommandHasItsOwn) {
    const CliResult overview = Run({"--help"});
    ASSERT_EQ(overview.Code, 0);
    EXPECT_TRUE(overview.Err.empty());
    EXPECT_NE(overview.Out.find("  calc MODEL.vlr "), std::string::npos);
    EXPECT_NE(overview.Out.find("Exit codes:"), std::string::npos);
    for (const std::string command :
         {"calc", "check", "convert", "export-constraints", "export-results", "summary"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(overview.Out.find("\n  " + command + " "), std::string::npos);
        // --help anywhere before "--", even after a bad option, and "help COMMAND" alike.
        for (const std::vector<std::string>& args : {std::vector<std::string>{command, "--help"},
                                                     {command, "a.vlr", "-h"},
                                                     {command, "--bad", "--help"},
                                                     {"help", command}}) {
            const CliResult help = Run(args);
            ASSERT_EQ(help.Code, 0) << help.Err;
            EXPECT_TRUE(help.Err.empty());
            EXPECT_EQ(help.Out.rfind("Usage: velor-cli " + command + " ", 0), 0u) << help.Out;
            EXPECT_NE(help.Out.find("--help"), std::string::npos);
            EXPECT_NE(help.Out.find("Exit codes:"), std::string::npos);
        }
    }
    const CliResult calc = Run({"calc", "--help"});
    for (const char* option : {"--type", "--answer", "--output", "--in-place", "--report",
                               "--constraints", "--json", "--quiet", "--reference"}) {
        EXPECT_NE(calc.Out.find(option), std::string::npos) << option;
    }
    // After "--" everything is an operand, so "--help" is a (missing) model file.
    EXPECT_EQ(Run({"check", "--", "--help"}).Code, 2);
}

// Every spelling of an option's value gives the same run.
TEST_F(CliTest, OptionValuesMayBeJoinedOrSeparate) {
    const std::string model = Example("car");
    const std::vector<std::vector<std::string>> spellings = {
        {"calc", model, "--type", "4", "--json", "-", "--answer", "no"},
        {"calc", model, "--type=4", "--json=-", "--answer=no"},
        {"calc", "-t4", model, "--json", "-", "--answer=no"},
        {"calc", "-t", "4", "--json=-", model, "--answer", "no"},
        {"calc", "-t4", "--json", "-", "--answer", "no", "--", model},
    };
    std::string first;
    for (const auto& args : spellings) {
        const CliResult result = Run(args);
        ASSERT_EQ(result.Code, 0) << ::testing::PrintToString(args) << result.Err;
        Json summary = Json::parse(result.Out);
        EXPECT_EQ(summary["type"], 4);
        summary.erase("seconds");
        if (first.empty()) {
            first = summary.dump();
        }
        EXPECT_EQ(summary.dump(), first) << ::testing::PrintToString(args);
    }

    // Output names given joined are written like separate ones.
    ASSERT_EQ(Run({"calc", model, "--type=3", "--output=" + Path("out.vlr"),
                   "--report=" + Path("r.txt"), "--constraints=" + Path("c.mdl")})
                  .Code,
              0);
    EXPECT_TRUE(fs::exists(Path("out.vlr")));
    EXPECT_TRUE(fs::exists(Path("r.txt")));
    EXPECT_TRUE(fs::exists(Path("c.mdl")));
    // An operand that starts with "-" follows "--".
    ASSERT_EQ(Run({"export-results", model, "--", Path("-r.txt")}).Code, 0);
    EXPECT_TRUE(fs::exists(Path("-r.txt")));
}

TEST_F(CliTest, UnreadableModelExitsWithTwo) {
    const std::string bad = Path("bad.vlr");
    std::ofstream(bad) << "0\n0\n0\n1\n0\nMain Goal\n1\n1\n1\n1\n1\n100\n100\n100\n100\nabc\n";
    for (const std::string& path : {bad, Path("missing.vlr")}) {
        for (const char* command : {"calc", "check", "summary", "export-results"}) {
            std::vector<std::string> args = {command, path};
            if (std::string(command) == "export-results") {
                args.push_back(Path("out.txt"));
            }
            const CliResult result = Run(args);
            EXPECT_EQ(result.Code, 2) << command;
            EXPECT_NE(result.Err.find(InvalidModelMessage(path)), std::string::npos);
        }
    }
}

// A model file with a statement of bounds 0.123456 ... 0.654321, for damaging one of them.
std::string StatementModelText() {
    testing::CalcTestModel m(2);
    const NodeId a = m.Attribute();
    m.Rank(a, {1, 2});
    m.Ratio(a, 1, 2, 1, 2, 0.123456, 0.654321);
    return WriteModelText(m.model);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// Line number (from 1) of the first line that is exactly line.
int LineNumberOf(const std::string& text, const std::string& line) {
    std::istringstream in(text);
    int number = 1;
    for (std::string each; std::getline(in, each); ++number) {
        if (each == line + "\r") {
            return number;
        }
    }
    return 0;
}

// Why a model was not read: the message, then the reason on a line of its own; exit 2, and no
// output written.
TEST_F(CliTest, UnreadableModelSaysWhy) {
    const std::string good = StatementModelText();
    const int lowerLine = LineNumberOf(good, "0.123456");
    ASSERT_GT(lowerLine, 0);
    std::ofstream(Path("nan.vlr"), std::ios::binary) << Replaced(good, "0.123456", "nan");
    std::ofstream(Path("inf.vlr"), std::ios::binary) << Replaced(good, "0.654321", "inf");
    std::ofstream(Path("truncated.vlr"), std::ios::binary) << good.substr(0, good.size() - 40);
    std::ofstream(Path("garbage.vlr"), std::ios::binary) << "\x7f"
                                                            "ELF\x02\x01\x01\n\n\n\n";
    // Main goal, goals A and B, then a1 under A and b1 under B: not in pre-order.
    std::string tree = "0\n0\n0\n5\n";
    const std::vector<std::pair<int, int>> blocks = {{-1, 0}, {0, 0}, {0, 0}, {1, 1}, {2, 1}};
    for (const auto& [parent, kind] : blocks) {
        tree += (parent < 0 ? "" : std::to_string(parent) + "\n") + std::to_string(kind) +
                "\nnode\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNULL\n";
    }
    std::ofstream(Path("order.vlr"), std::ios::binary) << tree + "5\n";
    ASSERT_EQ(::mkfifo(Path("pipe.vlr").c_str(), 0644), 0);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {Path("missing.vlr"), "No such file or directory"},
        {folder_.string(), "Is a directory"},
        {Path("pipe.vlr"), "not a regular file"},
        {Path("nan.vlr"),
         "line " + std::to_string(lowerLine) + ": a finite number was expected, not \"nan\""},
        {Path("inf.vlr"),
         "line " + std::to_string(lowerLine + 1) + ": a finite number was expected, not \"inf\""},
        {Path("truncated.vlr"), "line "},
        {Path("garbage.vlr"), "line 3: a number of alternatives was expected"},
        {Path("order.vlr"), "line 46: block 3 is out of pre-order"},
    };
    for (const auto& [path, reason] : cases) {
        for (const std::vector<std::string>& args : {std::vector<std::string>{"check", path},
                                                     {"calc", path, "-o", Path("out.vlr")},
                                                     {"convert", path, Path("out.vlr")},
                                                     {"summary", path}}) {
            const CliResult result = Run(args);
            EXPECT_EQ(result.Code, 2) << ::testing::PrintToString(args) << result.Err;
            EXPECT_EQ(result.Err.rfind(InvalidModelMessage(path) + "\n" + reason, 0), 0u)
                << result.Err;
            EXPECT_EQ(std::count(result.Err.begin(), result.Err.end(), '\n'), 3) << result.Err;
            EXPECT_FALSE(fs::exists(Path("out.vlr")));
        }
    }
    EXPECT_NE(Run({"check", Path("order.vlr")}).Err.find("pre-order"), std::string::npos);
}

TEST_F(CliTest, InfeasibleModelExitsWithThree) {
    const std::string model = InfeasibleModel();
    const std::string original = ReadFile(model);

    const CliResult check = Run({"check", model});
    EXPECT_EQ(check.Code, 3);
    EXPECT_NE(check.Err.find(kInfeasibleMessage), std::string::npos);

    const CliResult calc = Run({"calc", model, "--in-place", "--json", "-"});
    EXPECT_EQ(calc.Code, 3);
    EXPECT_NE(calc.Err.find(kInfeasibleMessage), std::string::npos);
    const Json summary = Json::parse(calc.Out);
    EXPECT_FALSE(summary["feasible"].get<bool>());
    EXPECT_FALSE(summary["complete"].get<bool>());
    EXPECT_EQ(ReadFile(model), original);

    EXPECT_EQ(Run({"check", Example("car")}).Code, 0);
}

TEST_F(CliTest, UnwritableOutputExitsWithFour) {
    const std::string model = Example("supplier");
    const std::string nowhere = Path("missing-folder/out");
    const std::vector<std::vector<std::string>> cases = {
        {"calc", model, "--report", nowhere + ".txt"},
        {"calc", model, "--constraints", nowhere + ".mdl"},
        {"calc", model, "--json", nowhere + ".json"},
        {"calc", model, "-o", nowhere + ".vlr"},
        {"export-constraints", model, nowhere + ".mdl"},
        {"export-results", model, nowhere + ".txt"},
        {"convert", model, nowhere + ".vlr"},
    };
    for (const auto& args : cases) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.Code, 4) << ::testing::PrintToString(args);
        EXPECT_NE(result.Err.find("Cannot write to the file " + args.back()), std::string::npos)
            << result.Err;
    }
}

TEST_F(CliTest, ConvertAndExportsOfStoredResults) {
    const std::string model = Example("car");
    ASSERT_EQ(Run({"convert", model, Path("copy.vlr")}).Code, 0);
    EXPECT_EQ(ReadFile(Path("copy.vlr")), ReadFile(model));

    const CliResult exported = Run({"export-results", model, Path("car.txt")});
    ASSERT_EQ(exported.Code, 0);
    EXPECT_NE(exported.Err.find("Model data exported successfully."), std::string::npos);
    EXPECT_EQ(ReadFile(Path("car.txt")),
              ReadFile(fs::path(VELOR_SOURCE_DIR) / "tests/calc/data/car.txt"));

    const CliResult constraints = Run({"export-constraints", model, Path("car.mdl")});
    ASSERT_EQ(constraints.Code, 0);
    EXPECT_NE(constraints.Err.find("Model exported successfully."), std::string::npos);

    const CliResult summary = Run({"summary", model});
    ASSERT_EQ(summary.Code, 0);
    EXPECT_NE(summary.Out.find("Family estate"), std::string::npos);
    EXPECT_NE(summary.Out.find("Purchase price"), std::string::npos);
}

TEST_F(CliTest, ExplainNamesTheContradictingStatements) {
    testing::CalcTestModel m(2);
    const NodeId price = m.Attribute();
    const NodeId comfort = m.Attribute();
    m.model.RenameNode(price, "Price");
    m.model.RenameNode(comfort, "Comfort");
    m.Rank(price, {1, 2});
    m.Rank(comfort, {2, 1});
    m.BottomUp(price, 100, 100);
    m.BottomUp(comfort, 200, 50);
    const std::string model = Path("infeasible.vlr");
    ASSERT_TRUE(SaveModelFile(m.model, model));

    const CliResult explained = Run({"check", model, "--explain"});
    EXPECT_EQ(explained.Code, 3);
    EXPECT_NE(explained.Err.find(kInfeasibleMessage), std::string::npos);
    EXPECT_EQ(explained.Out, "The weight of Comfort is at most 50 % of the weight of Price.\n"
                             "The weight of Comfort is at least 200 % of the weight of Price.\n");

    const CliResult json = Run({"check", model, "--json", Path("conflict.json")});
    EXPECT_EQ(json.Code, 3);
    EXPECT_EQ(json.Out, explained.Out);
    const Json conflict = Json::parse(ReadFile(Path("conflict.json")));
    EXPECT_FALSE(conflict["feasible"].get<bool>());
    EXPECT_TRUE(conflict["conflict"].get<bool>());
    ASSERT_EQ(conflict["statements"].size(), 2u);
    const Json& lower = conflict["statements"][1];
    EXPECT_EQ(lower["kind"], "bottom-up-weight");
    EXPECT_EQ(lower["node"]["name"], "Comfort");
    EXPECT_EQ(lower["node"]["column"], 3);
    EXPECT_EQ(lower["reference"]["column"], 2);
    EXPECT_EQ(lower["bound"], "lower");
    EXPECT_EQ(lower["value"], 200.0);
}

// A set that needs an all-tied ranking or an unranked level's bound names it, with a kind of
// its own: the statements printed contradict each other without any other.
TEST_F(CliTest, ExplainNamesTiedRankingsAndUnrankedLevels) {
    testing::CalcTestModel tied(2);
    const NodeId price = tied.Attribute();
    const NodeId comfort = tied.Attribute();
    tied.model.RenameNode(price, "Price");
    tied.model.RenameNode(comfort, "Comfort");
    tied.Rank(price, {1, 1});
    tied.Rank(comfort, {2, 1});
    tied.BottomUp(price, 100, 100);
    tied.BottomUp(comfort, -1, 140);
    ASSERT_TRUE(SaveModelFile(tied.model, Path("tied.vlr")));
    const CliResult flat = Run({"check", Path("tied.vlr"), "--json", "-"});
    EXPECT_EQ(flat.Code, 3);
    const Json flatSet = Json::parse(flat.Out);
    ASSERT_EQ(flatSet["statements"].size(), 2u);
    EXPECT_EQ(flatSet["statements"][0]["text"],
              "The weight of Comfort is at most 140 % of the weight of Price.");
    EXPECT_EQ(flatSet["statements"][1]["kind"], "flat-ranking");
    EXPECT_EQ(flatSet["statements"][1]["text"],
              "On Price, all ranked levels are equally good, so Price can carry no weight.");

    testing::CalcTestModel unranked(3);
    const NodeId size = unranked.Attribute();
    unranked.model.RenameNode(size, "Size");
    unranked.Rank(size, {1, 2, 0});
    // From row 2 to the unranked row 3 at least twice as much as from row 2 to row 1.
    unranked.Ratio(size, 3, 2, 1, 2, 2.0, kNotGiven);
    ASSERT_TRUE(SaveModelFile(unranked.model, Path("unranked.vlr")));
    const CliResult bound = Run({"check", Path("unranked.vlr"), "--json", "-"});
    EXPECT_EQ(bound.Code, 3);
    const Json boundSet = Json::parse(bound.Out);
    ASSERT_EQ(boundSet["statements"].size(), 2u);
    const Json& level = boundSet["statements"][0];
    EXPECT_EQ(level["kind"], "unranked-level");
    EXPECT_EQ(level["better"]["row"], 1);
    EXPECT_EQ(level["worse"]["row"], 3);
    EXPECT_EQ(boundSet["statements"][1]["kind"], "ratio");
}

TEST_F(CliTest, ExplainOfAFeasibleModelSaysNoConflict) {
    const CliResult explained = Run({"check", Example("car"), "--explain"});
    EXPECT_EQ(explained.Code, 0);
    EXPECT_EQ(explained.Out, "No conflict.\n");

    const CliResult json = Run({"check", Example("car"), "--quiet", "--json", "-"});
    EXPECT_EQ(json.Code, 0);
    EXPECT_TRUE(json.Err.empty()) << json.Err;
    const Json conflict = Json::parse(json.Out); // nothing but JSON on standard output
    EXPECT_TRUE(conflict["feasible"].get<bool>());
    EXPECT_FALSE(conflict["conflict"].get<bool>());
    EXPECT_TRUE(conflict["statements"].empty());
}

} // namespace
} // namespace velor

#endif // VELOR_CLI_PATH
