// The desktop application's command line: help and version win wherever they stand before "--",
// one model file at most, and anything else starting with a dash is a usage error.
#include "ui/app_command_line.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velor::ui {
namespace {

using Action = AppCommandLine::Action;

struct LineCase {
    std::vector<std::string> args;
    Action action;
    std::string modelFile;
    std::string error;
};

class AppCommandLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(AppCommandLineTest, ReadsTheArguments) {
    const LineCase& c = GetParam();
    const AppCommandLine line = ParseAppCommandLine(c.args);
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.modelFile, c.modelFile);
    EXPECT_EQ(line.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppCommandLineTest,
    ::testing::Values(
        LineCase{{}, Action::Open, "", ""}, LineCase{{"car.vlr"}, Action::Open, "car.vlr", ""},
        LineCase{{"--help"}, Action::Help, "", ""}, LineCase{{"-h"}, Action::Help, "", ""},
        LineCase{{"--version"}, Action::Version, "", ""},
        // Help is not taken for a model file, wherever it stands.
        LineCase{{"car.vlr", "--help"}, Action::Help, "", ""},
        LineCase{{"--version", "--help"}, Action::Version, "", ""},
        LineCase{{"--bogus", "--help"}, Action::Help, "", ""},
        LineCase{{"--bogus"}, Action::UsageError, "", "unknown option --bogus"},
        LineCase{{"-x", "car.vlr"}, Action::UsageError, "", "unknown option -x"},
        LineCase{{"a.vlr", "b.vlr"}, Action::UsageError, "", "more than one model file given"},
        LineCase{{""}, Action::UsageError, "", "empty model file name"},
        // "--" ends the options: what follows is a file even with a dash.
        LineCase{{"--", "--help"}, Action::Open, "--help", ""},
        LineCase{{"--", "-model.vlr"}, Action::Open, "-model.vlr", ""},
        LineCase{
            {"--", "a.vlr", "b.vlr"}, Action::UsageError, "", "more than one model file given"},
        // A lone dash is a file name, as in most programs.
        LineCase{{"-"}, Action::Open, "-", ""}));

// Random argument lists: the result follows from the list's shape alone.
TEST(AppCommandLineRandomTest, ActionFollowsFromTheArguments) {
    const std::vector<std::string> pool = {"a.vlr", "b c.vlr", "--help", "-h", "--version",
                                           "--",    "--bogus", "-p",     "-",  "x"};
    std::mt19937 random(20261207);
    for (int run = 0; run < 2000; ++run) {
        std::vector<std::string> args(random() % 5);
        for (std::string& arg : args) {
            arg = pool[random() % pool.size()];
        }
        // What the rules say, worked out independently.
        Action expected = Action::Open;
        std::string file;
        int files = 0;
        bool unknown = false;
        bool ended = false;
        bool decided = false;
        for (const std::string& arg : args) {
            if (!ended && (arg == "--help" || arg == "-h" || arg == "--version")) {
                expected = arg == "--version" ? Action::Version : Action::Help;
                decided = true;
                break;
            }
            if (!ended && arg == "--") {
                ended = true;
            } else if (!ended && arg.size() > 1 && arg[0] == '-') {
                unknown = true;
            } else {
                ++files;
                file = arg;
            }
        }
        if (!decided && (unknown || files > 1)) {
            expected = Action::UsageError;
        }
        const AppCommandLine line = ParseAppCommandLine(args);
        ASSERT_EQ(line.action, expected) << ::testing::PrintToString(args);
        if (expected == Action::Open) {
            EXPECT_EQ(line.modelFile, files == 1 ? file : "") << ::testing::PrintToString(args);
        } else {
            EXPECT_TRUE(line.modelFile.empty());
        }
        EXPECT_EQ(line.error.empty(), expected != Action::UsageError);
    }
}

TEST(AppCommandLineTextTest, UsageNamesEveryOptionAndTheHintPointsAtHelp) {
    const std::string usage = AppUsageText();
    EXPECT_EQ(usage.rfind("Usage: velor ", 0), 0U);
    for (const char* option : {"--help", "-h", "--version", "--"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    EXPECT_NE(AppUsageHint().find("velor --help"), std::string::npos);
    EXPECT_EQ(AppUsageHint().find('\n'), std::string::npos);
}

} // namespace
} // namespace velor::ui
