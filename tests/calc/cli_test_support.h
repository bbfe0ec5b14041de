// The fixture of the velor-cli tests: runs the real binary in a folder of its own and collects
// its exit code, standard output and standard error.
#pragma once

#include "calc_test_model.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef VELOR_CLI_PATH

namespace velor::testing {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct CliResult {
    int Code = -1;
    std::string Out;
    std::string Err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("velor_cli_test_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    // Copies an example model into the test folder and returns its path there.
    std::string Example(const std::string& name) const {
        const fs::path target = folder_ / (name + ".vlr");
        fs::copy_file(fs::path(VELOR_SOURCE_DIR) / "examples" / (name + ".vlr"), target,
                      fs::copy_options::overwrite_existing);
        return target.string();
    }

    // Saves a model whose weight statements contradict each other (no calculation can finish
    // on it) into the test folder and returns its path.
    std::string InfeasibleModel() const {
        CalcTestModel m(2);
        const NodeId a = m.Attribute();
        const NodeId b = m.Attribute();
        m.Rank(a, {1, 2});
        m.Rank(b, {2, 1});
        m.BottomUp(a, 100, 100);
        m.BottomUp(b, 200, 50);
        const std::string path = Path("infeasible.vlr");
        EXPECT_TRUE(SaveModelFile(m.model, path));
        return path;
    }

    // Runs velor-cli with args; stdoutTarget, when given, replaces the redirection of standard
    // output (e.g. ">/dev/full", ">&-").
    CliResult Run(const std::vector<std::string>& args,
                  const std::string& stdoutTarget = "") const {
        // A run that waits for something that never comes ends after a while instead of
        // holding up the suite (exit 124).
        std::string command = "timeout 60 " + Quote(VELOR_CLI_PATH);
        for (const std::string& arg : args) {
            command += " " + Quote(arg);
        }
        command += (stdoutTarget.empty() ? " >" + Quote(Path("stdout")) : " " + stdoutTarget) +
                   " 2>" + Quote(Path("stderr")) + " </dev/null";
        const int status = std::system(command.c_str());
        CliResult result;
        result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.Out = ReadFile(folder_ / "stdout");
        result.Err = ReadFile(folder_ / "stderr");
        return result;
    }

    fs::path folder_;
};

// A usage error is one line naming the problem and one line with the hint, nothing on stdout.
inline void ExpectUsageError(const CliResult& result, const std::vector<std::string>& args) {
    const std::string where = ::testing::PrintToString(args);
    EXPECT_EQ(result.Code, 1) << where;
    EXPECT_TRUE(result.Out.empty()) << where;
    ASSERT_EQ(std::count(result.Err.begin(), result.Err.end(), '\n'), 2) << where << result.Err;
    EXPECT_EQ(result.Err.rfind("velor-cli", 0), 0u) << result.Err;
    const std::string hint = result.Err.substr(result.Err.find('\n') + 1);
    EXPECT_EQ(hint.rfind("Try 'velor-cli ", 0), 0u) << result.Err;
    EXPECT_NE(hint.find("'velor-cli --help'"), std::string::npos) << result.Err;
    EXPECT_EQ(result.Err.find("Usage:"), std::string::npos) << result.Err;
}

} // namespace velor::testing

#endif // VELOR_CLI_PATH
