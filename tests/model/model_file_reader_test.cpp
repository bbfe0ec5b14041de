// Model file reader: the order of node blocks, finite numbers, and why a file was refused.
#include "file_test_support.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velor {
namespace {

namespace fs = std::filesystem;
using testing::JoinLines;
using testing::ReadBytes;
using testing::SplitLines;
using testing::TempDir;
using testing::WriteBytes;

// A model file without alternatives whose node blocks come in the given order: parents[k] is the
// block number of block k's parent (-1 for block 0), goals[k] whether block k is a goal. Block k
// is named "n<k>".
std::string TreeFile(const std::vector<int>& parents, const std::vector<bool>& goals) {
    std::vector<std::string> lines = {"0", "0", "0", std::to_string(parents.size())};
    for (std::size_t k = 0; k < parents.size(); ++k) {
        if (k > 0) {
            lines.push_back(std::to_string(parents[k]));
        }
        lines.push_back(goals[k] ? "0" : "1");
        lines.push_back("n" + std::to_string(k));
        lines.push_back(std::to_string(k + 1));
        for (int i = 0; i < 8; ++i) {
            lines.push_back("0.000000");
        }
        lines.push_back("0"); // no values without alternatives
        lines.push_back("NULL");
    }
    lines.push_back(std::to_string(parents.size()));
    return JoinLines(lines, "\r\n");
}

// Whether blocks 0..n-1 are the pre-order of the tree they describe, children in block order:
// found by walking the tree, not by the rule the reader uses.
bool IsPreOrder(const std::vector<int>& parents) {
    const std::size_t n = parents.size();
    std::vector<std::vector<int>> children(n);
    for (std::size_t k = 1; k < n; ++k) {
        children[static_cast<std::size_t>(parents[k])].push_back(static_cast<int>(k));
    }
    std::vector<int> order;
    const std::function<void(int)> walk = [&](int node) {
        order.push_back(node);
        for (int child : children[static_cast<std::size_t>(node)]) {
            walk(child);
        }
    };
    walk(0);
    for (std::size_t k = 0; k < n; ++k) {
        if (order[k] != static_cast<int>(k)) {
            return false;
        }
    }
    return true;
}

struct TreeOrder {
    const char* what;
    std::vector<int> parents;
    std::vector<bool> goals;
    bool preOrder;
};

class NodeBlockOrder : public ::testing::TestWithParam<TreeOrder> {};

TEST_P(NodeBlockOrder, OnlyPreOrderIsRead) {
    const TreeOrder& order = GetParam();
    ASSERT_EQ(IsPreOrder(order.parents), order.preOrder);
    Model m;
    std::string reason;
    EXPECT_EQ(ReadModelText(m, TreeFile(order.parents, order.goals), &reason), order.preOrder)
        << reason;
    if (order.preOrder) {
        EXPECT_EQ(WriteModelText(m), TreeFile(order.parents, order.goals));
    } else {
        EXPECT_TRUE(m.TreeEmpty());
        EXPECT_NE(reason.find("pre-order"), std::string::npos) << reason;
    }
}

// Main goal 0 with goals A and B; a1 under A, b1 under B.
INSTANTIATE_TEST_SUITE_P(
    Trees, NodeBlockOrder,
    ::testing::Values(
        TreeOrder{"A B a1 b1", {-1, 0, 0, 1, 2}, {true, true, true, false, false}, false},
        TreeOrder{"A B b1 a1", {-1, 0, 0, 2, 1}, {true, true, true, false, false}, false},
        TreeOrder{"A a1 B a2", {-1, 0, 1, 0, 1}, {true, true, false, true, false}, false},
        TreeOrder{"A a1 B b1", {-1, 0, 1, 0, 3}, {true, true, false, true, false}, true},
        TreeOrder{
            "deep then up", {-1, 0, 1, 2, 0, 4}, {true, true, true, false, true, false}, true}),
    [](const ::testing::TestParamInfo<TreeOrder>& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            c = c == ' ' ? '_' : c;
        }
        return name;
    });

// Random trees in random block orders: the reader takes exactly the pre-orders, and what it
// takes it writes back unchanged.
TEST(NodeBlockOrder, RandomOrders) {
    std::mt19937 random(20240611);
    int preOrders = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const int n = 2 + static_cast<int>(random() % 9);
        std::vector<int> parents = {-1};
        std::vector<bool> goals = {true};
        for (int k = 1; k < n; ++k) {
            std::vector<int> candidates;
            for (int p = 0; p < k; ++p) {
                if (goals[static_cast<std::size_t>(p)]) {
                    candidates.push_back(p);
                }
            }
            // Mostly the block before or one near it, so that pre-orders are frequent.
            const auto pick = random() % 3 == 0
                                  ? random() % candidates.size()
                                  : candidates.size() - 1 -
                                        random() % std::min<std::size_t>(2, candidates.size());
            parents.push_back(candidates[pick]);
            goals.push_back(random() % 2 == 0);
        }
        const bool expected = IsPreOrder(parents);
        preOrders += expected ? 1 : 0;
        Model m;
        std::string reason;
        const std::string text = TreeFile(parents, goals);
        ASSERT_EQ(ReadModelText(m, text, &reason), expected) << ::testing::PrintToString(parents);
        if (expected) {
            EXPECT_EQ(WriteModelText(m), text);
        }
    }
    // Both kinds were tried often.
    EXPECT_GT(preOrders, 40);
    EXPECT_LT(preOrders, 360);
}

// ----- numbers that are not finite

TEST(ModelFileNumbers, NonFiniteNumbersAreNeitherSavedNorWritten) {
    TempDir dir;
    const std::string path = (dir.path() / "model.vlr").string();
    WriteBytes(path, "previous\r\n");
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        Model m;
        m.AddNode(kGoal, kNone);
        m.NewAlternative();
        ResultRecords(m).NodeData(m.Root()).WeightUpper = bad;
        std::string error;
        EXPECT_FALSE(SaveModelFile(m, path, &error));
        EXPECT_NE(error.find("not finite"), std::string::npos) << error;
        EXPECT_EQ(ReadBytes(path), "previous\r\n");
        // The text form writes 0 instead, and reads back.
        const std::string text = WriteModelText(m);
        EXPECT_EQ(text.find("nan"), std::string::npos);
        EXPECT_EQ(text.find("inf"), std::string::npos);
        Model again;
        EXPECT_TRUE(ReadModelText(again, text));
        EXPECT_EQ(again.Node(again.Root()).WeightUpper, 0.0);
    }
}

// A number too small for a double reads as zero; one too large is refused like infinity.
TEST(ModelFileNumbers, BeyondTheRangeOfADouble) {
    const std::string valid = WriteModelText([] {
        Model m;
        m.AddNode(kGoal, kNone);
        m.NewAlternative();
        return m;
    }());
    auto lines = SplitLines(valid);
    ASSERT_EQ(lines[4], "0.000000"); // the first alternative's lower value
    struct Case {
        const char* text;
        bool read;
    };
    for (const Case& c : {Case{"1e-400", true}, Case{"-2.5E-999999999999999999999", true},
                          Case{"0.0000000000e-330", true}, Case{"1e999", false},
                          Case{"0.001e312", false}, Case{"1e+99999999999999999999", false}}) {
        lines[4] = c.text;
        Model m;
        std::string reason;
        EXPECT_EQ(ReadModelText(m, JoinLines(lines, "\r\n"), &reason), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(m.Alternative(1).ValueLower, 0.0) << c.text;
        } else {
            EXPECT_EQ(reason,
                      "line 5: a finite number was expected, not \"" + std::string(c.text) + "\"");
        }
    }
}

// Negative values that round to zero, and negative zero itself, are written without a sign.
TEST(ModelFileNumbers, ZeroHasNoSign) {
    Model m;
    m.AddNode(kGoal, kNone);
    m.NewAlternative();
    for (double zero : {-0.0, -0.0000004, -1e-300}) {
        ResultRecords(m).AlternativeData(1).ValueLower = zero;
        ResultRecords(m).NodeData(m.Root()).WeightLower = zero;
        const std::string text = WriteModelText(m);
        EXPECT_EQ(text.find("-0"), std::string::npos) << zero;
        EXPECT_EQ(SplitLines(text)[4], "0.000000");
    }
    ResultRecords(m).AlternativeData(1).ValueLower = -0.0000006; // rounds away from zero
    EXPECT_EQ(SplitLines(WriteModelText(m))[4], "-0.000001");
}

// ----- why a file was refused

class LoadReasons : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }

    // Loads in a child process that cannot wait forever, as the user nobody when asked (so that
    // permissions hold for a test run as root too). Returns "ok", the reason, or what ended the
    // child.
    static std::string LoadInChild(const std::string& path, bool asNobody) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) {
            return "no pipe";
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            ::alarm(5);
            if (asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                ::_exit(3);
            }
            Model m;
            std::string reason;
            const std::string answer = LoadModelFile(m, path, &reason) ? "ok" : reason;
            const auto written = ::write(pipeEnds[1], answer.data(), answer.size());
            ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 4);
        }
        ::close(pipeEnds[1]);
        std::string answer;
        char buffer[512];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status)) {
            return "ended by signal " + std::to_string(WTERMSIG(status));
        }
        return answer;
    }

    TempDir dir_;
};

TEST_F(LoadReasons, EachKindOfFailureSaysWhy) {
    const std::string valid = WriteModelText([] {
        Model m;
        m.AddNode(kGoal, kNone);
        m.NewAlternative();
        return m;
    }());
    WriteBytes(Path("truncated.vlr"), valid.substr(0, valid.size() / 2));
    WriteBytes(Path("garbage.vlr"), "0\r\n0\r\nPK\x03\x04 not a model\r\n");
    WriteBytes(Path("empty.vlr"), "");
    WriteBytes(Path("short.vlr"), "0\r\n0\r\n");
    WriteBytes(Path("secret.vlr"), valid);
    ::chmod(Path("secret.vlr").c_str(), 0);
    ::chmod(dir_.path().c_str(), 0755);

    struct Case {
        std::string path;
        std::string reason;
        bool asNobody = false;
    };
    const std::vector<Case> cases = {
        // The system's own words, in the language of the session.
        {Path("missing.vlr"), std::strerror(ENOENT)},
        {dir_.path().string(), std::strerror(EISDIR)},
        {Path("secret.vlr"), std::strerror(EACCES), true},
        {Path("truncated.vlr"),
         "line 19: a number of nodes that the 8 lines after it can hold was expected"},
        {Path("short.vlr"), "line 3: the file ends where a number of alternatives was expected"},
        {Path("garbage.vlr"), "line 3: a number of alternatives was expected"},
        {Path("empty.vlr"), "the file is empty"},
        {"/dev/null", "not a regular file"},
        {"", "no file name"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadInChild(c.path, c.asNobody), c.reason) << c.path;
    }
    // The same text read from memory gives the same reason.
    Model m;
    std::string reason;
    EXPECT_FALSE(ReadModelText(m, valid.substr(0, valid.size() / 2), &reason));
    EXPECT_EQ(reason, "line 19: a number of nodes that the 8 lines after it can hold was expected");
}

// A named pipe is refused at once, not waited on until a writer comes.
TEST_F(LoadReasons, NamedPipeIsNotOpened) {
    ASSERT_EQ(::mkfifo(Path("pipe.vlr").c_str(), 0644), 0);
    EXPECT_EQ(LoadInChild(Path("pipe.vlr"), false), "not a regular file");
    // Through a link too.
    fs::create_symlink(Path("pipe.vlr"), Path("link.vlr"));
    EXPECT_EQ(LoadInChild(Path("link.vlr"), false), "not a regular file");
}

} // namespace
} // namespace velor
