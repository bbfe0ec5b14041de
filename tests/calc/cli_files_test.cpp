// velor-cli and the files it writes: write-protected targets, outputs that name an input or each
// other, standard output that cannot be written, runs that did not finish, and links.
#include "calc_test_model.h"
#include "cli_test_support.h"
#include "model/model_file.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifdef VELOR_CLI_PATH

namespace velor {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::CliTest;
using testing::ExpectUsageError;
using testing::ReadFile;

// Replaces "{m}" by the model's path and "{x}" by the path of a file x in the test folder.
std::vector<std::string> Expand(const std::vector<std::string>& pattern, const std::string& model,
                                const std::function<std::string(const std::string&)>& path) {
    std::vector<std::string> args;
    for (const std::string& arg : pattern) {
        std::string expanded;
        for (std::size_t i = 0; i < arg.size(); ++i) {
            const std::size_t close = arg.find('}', i);
            if (arg[i] == '{' && close != std::string::npos) {
                const std::string name = arg.substr(i + 1, close - i - 1);
                expanded += name == "m" ? model : path(name);
                i = close;
            } else {
                expanded += arg[i];
            }
        }
        args.push_back(expanded);
    }
    return args;
}

class CliFiles : public CliTest {
protected:
    std::vector<std::string> Args(const std::vector<std::string>& pattern,
                                  const std::string& model) const {
        return Expand(pattern, model, [this](const std::string& name) { return Path(name); });
    }
};

// A target without write permission is not replaced: exit 4 with the reason, the file as it was.
TEST_F(CliFiles, WriteProtectedTargetsAreKept) {
    const std::string model = Example("car");
    const std::vector<std::vector<std::string>> cases = {
        {"convert", "{m}", "{target}"},
        {"calc", "{m}", "-o", "{target}"},
        {"calc", "{m}", "--report", "{target}"},
        {"calc", "{m}", "--constraints", "{target}"},
        {"calc", "{m}", "--json", "{target}"},
        {"export-results", "{m}", "{target}"},
        {"export-constraints", "{m}", "{target}"},
    };
    for (unsigned mode : {0444u, 0u}) {
        for (const auto& pattern : cases) {
            const std::vector<std::string> args = Args(pattern, model);
            SCOPED_TRACE(::testing::PrintToString(args) + " mode " + std::to_string(mode));
            fs::copy_file(Example("supplier"), Path("target"),
                          fs::copy_options::overwrite_existing);
            ASSERT_EQ(::chmod(Path("target").c_str(), mode), 0);
            const CliResult result = Run(args);
            EXPECT_EQ(result.Code, 4) << result.Err;
            EXPECT_NE(result.Err.find("Cannot write to the file " + Path("target") +
                                      ". (the file is write-protected)"),
                      std::string::npos)
                << result.Err;
            ::chmod(Path("target").c_str(), 0644);
            EXPECT_EQ(ReadFile(Path("target")), ReadFile(Example("supplier")));
        }
    }
    // The model itself, rewritten in place.
    ASSERT_EQ(::chmod(model.c_str(), 0444), 0);
    const std::string before = ReadFile(model);
    EXPECT_EQ(Run({"calc", model, "--in-place"}).Code, 4);
    EXPECT_EQ(ReadFile(model), before);
}

// An output that is an input, or another output of the same command, is a usage error, and
// nothing is written.
TEST_F(CliFiles, OutputsThatNameTheSameFileAreRefused) {
    const std::string model = Example("car");
    const std::string original = ReadFile(model);
    const std::string folder = folder_.string();
    fs::create_symlink(model, Path("link.vlr"));
    fs::create_hard_link(model, Path("hard.vlr"));
    fs::create_symlink(Path("new.txt"), Path("new-link.txt"));
    const std::vector<std::vector<std::string>> refused = {
        {"export-results", "{m}", "{m}"},
        {"export-constraints", "{m}", "{m}"},
        {"export-results", "{m}", folder + "/./car.vlr"},
        {"export-results", "{m}", "{link.vlr}"},
        {"export-constraints", "{m}", "{hard.vlr}"},
        {"convert", "{m}", "{link.vlr}"},
        {"calc", "{m}", "--in-place", "--json", "{m}"},
        {"calc", "{m}", "--report", "{m}"},
        {"calc", "{m}", "--constraints", "{link.vlr}"},
        {"calc", "{m}", "--json={hard.vlr}"},
        {"calc", "{m}", "-o", "{out.vlr}", "--report", "{out.vlr}"},
        {"calc", "{m}", "--report", "{new.txt}", "--json", "{new-link.txt}"},
        {"calc", "{m}", "--constraints", "{new.txt}", "--json", folder + "/x/../new.txt"},
    };
    for (const auto& pattern : refused) {
        const std::vector<std::string> args = Args(pattern, model);
        ExpectUsageError(Run(args), args);
        EXPECT_NE(Run(args).Err.find("is the same file as"), std::string::npos);
        EXPECT_EQ(ReadFile(model), original);
        EXPECT_FALSE(fs::exists(Path("out.vlr")));
        EXPECT_FALSE(fs::exists(Path("new.txt")));
    }
    // The model output may be the model itself; standard output is no file.
    EXPECT_EQ(Run({"calc", model, "-o", model, "--json", "-", "--report", Path("r.txt")}).Code, 0);
    EXPECT_EQ(Run({"calc", model, "--in-place", "--quiet"}).Code, 0);
}

// What goes to standard output must arrive; a failure is exit 4 with a message on stderr, for
// every command that writes there.
TEST_F(CliFiles, StandardOutputThatCannotBeWrittenIsExitFour) {
    const std::string model = Example("car");
    const std::vector<std::vector<std::string>> writers = {
        {"summary", model},  {"--help"},    {"calc", "--help"},
        {"help", "convert"}, {"--version"}, {"calc", model, "--type", "4", "--json", "-"},
    };
    for (const std::string target : {">/dev/full", ">&-"}) {
        for (const auto& args : writers) {
            SCOPED_TRACE(::testing::PrintToString(args) + " " + target);
            const CliResult result = Run(args, target);
            EXPECT_EQ(result.Code, 4) << result.Err;
            EXPECT_NE(result.Err.find("velor-cli: cannot write to standard output"),
                      std::string::npos)
                << result.Err;
        }
        // A command that writes nothing there does not mind.
        EXPECT_EQ(Run({"convert", model, Path("copy.vlr")}, target).Code, 0);
    }
    // With standard output closed, a file the command creates does not take its place.
    const CliResult closed =
        Run({"calc", model, "--json", "-", "-o", Path("out.vlr"), "--quiet"}, ">&-");
    EXPECT_EQ(closed.Code, 4);
    Model written;
    EXPECT_TRUE(LoadModelFile(written, Path("out.vlr")));
}

// A run that did not finish writes none of its outputs; the JSON summary on standard output
// says so.
TEST_F(CliFiles, AnUnfinishedRunWritesNothing) {
    const std::string model = InfeasibleModel();
    std::ofstream(Path("old.txt")) << "old report\n";

    const CliResult result = Run({"calc", model, "-o", Path("out.vlr"), "--report", Path("old.txt"),
                                  "--constraints", Path("c.mdl"), "--json", Path("s.json")});
    EXPECT_EQ(result.Code, 3);
    EXPECT_FALSE(fs::exists(Path("out.vlr")));
    EXPECT_FALSE(fs::exists(Path("c.mdl")));
    EXPECT_FALSE(fs::exists(Path("s.json")));
    EXPECT_EQ(ReadFile(Path("old.txt")), "old report\n");
    for (const std::string& path :
         {Path("out.vlr"), Path("old.txt"), Path("c.mdl"), Path("s.json")}) {
        EXPECT_NE(result.Err.find(" was not written to " + path + "."), std::string::npos)
            << result.Err;
    }

    const CliResult summary = Run({"calc", model, "--report", Path("old.txt"), "--json", "-"});
    EXPECT_EQ(summary.Code, 3);
    EXPECT_FALSE(nlohmann::json::parse(summary.Out)["complete"].get<bool>());
    EXPECT_EQ(ReadFile(Path("old.txt")), "old report\n");
}

// A link whose target does not exist yet is written through, like a link to an existing file.
TEST_F(CliFiles, ADanglingLinkIsWrittenThrough) {
    const std::string model = Example("car");
    fs::create_directories(Path("sub"));
    fs::create_symlink("sub/new.vlr", Path("link.vlr"));
    ASSERT_EQ(Run({"convert", model, Path("link.vlr")}).Code, 0);
    EXPECT_TRUE(fs::is_symlink(Path("link.vlr")));
    EXPECT_EQ(ReadFile(Path("sub/new.vlr")), ReadFile(model));

    fs::create_symlink("missing/new.txt", Path("nowhere.txt"));
    const CliResult result = Run({"export-results", model, Path("nowhere.txt")});
    EXPECT_EQ(result.Code, 4);
    EXPECT_TRUE(fs::is_symlink(Path("nowhere.txt")));
}

// "-" as an output is standard output where the command writes a text, and a usage error where
// it writes a model: never a file named "-".
TEST_F(CliFiles, DashIsStandardOutputOrAUsageErrorNeverAFile) {
    const std::string model = Example("car");
    const std::string table = Path("t.csv");
    ASSERT_EQ(Run({"export-csv", model, table}).Code, 0);
    const fs::path dash = fs::current_path() / "-";
    const std::vector<std::vector<std::string>> texts = {
        {"export-results", model, "{}"},
        {"export-constraints", model, "{}"},
        {"calc", model, "--type", "4", "--quiet", "--report", "{}"},
        {"calc", model, "--type", "4", "--quiet", "--constraints", "{}"},
    };
    for (const auto& pattern : texts) {
        SCOPED_TRACE(::testing::PrintToString(pattern));
        std::vector<std::string> toStandardOutput = pattern;
        std::vector<std::string> toFile = pattern;
        std::replace(toStandardOutput.begin(), toStandardOutput.end(), std::string("{}"),
                     std::string("-"));
        std::replace(toFile.begin(), toFile.end(), std::string("{}"), Path("out.txt"));
        const CliResult written = Run(toStandardOutput);
        EXPECT_EQ(written.Code, 0) << written.Err;
        ASSERT_EQ(Run(toFile).Code, 0);
        EXPECT_EQ(written.Out, ReadFile(Path("out.txt")));
        EXPECT_FALSE(fs::exists(dash));
    }
    const std::vector<std::vector<std::string>> refused = {
        {"convert", model, "-"},
        {"calc", model, "-o", "-"},
        {"import-csv", model, table, "-o", "-"},
        {"calc", model, "--report", "-", "--json", "-"},
    };
    for (const auto& args : refused) {
        ExpectUsageError(Run(args), args);
        EXPECT_FALSE(fs::exists(dash)) << ::testing::PrintToString(args);
    }
    fs::remove(dash);
}

} // namespace
} // namespace velor

#endif // VELOR_CLI_PATH
