#include "calc/constraint_file.h"
#include "calc/constraint_generator.h"
#include "calc/solver_bridge.h"
#include "calc/lp_backend.h"
#include "calc/solver_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace velor {
namespace {

constexpr double kTolerance = 1e-6;

void ExpectTerms(const ParsedConstraint& parsed, const std::vector<ParsedTerm>& expected) {
    ASSERT_EQ(parsed.Terms.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(parsed.Terms[i].Name, expected[i].Name) << i;
        EXPECT_DOUBLE_EQ(parsed.Terms[i].Coefficient, expected[i].Coefficient) << i;
    }
}

TEST(ParseConstraint, ConstraintAndObjectiveTexts) {
    ParsedConstraint p = ParseConstraint("1*va3a2-1*va3a1<=0");
    ExpectTerms(p, {{"va3a2", 1}, {"va3a1", -1}});
    EXPECT_TRUE(p.HasRightSide);
    EXPECT_EQ(p.Relation, kRelationLessEqual);
    EXPECT_EQ(p.RightSide, 0.0);

    p = ParseConstraint("-1*va3a2+1*va3a4+0.5*va3a1-0.5*va3a3<=0");
    ExpectTerms(p, {{"va3a2", -1}, {"va3a4", 1}, {"va3a1", 0.5}, {"va3a3", -0.5}});

    p = ParseConstraint("va3a1+va4a2=1");
    ExpectTerms(p, {{"va3a1", 1}, {"va4a2", 1}});
    EXPECT_EQ(p.Relation, kRelationEqual);
    EXPECT_EQ(p.RightSide, 1.0);

    p = ParseConstraint("1*va2a1-1*va2a2+1*va3a1-1*va3a2");
    EXPECT_FALSE(p.HasRightSide);
    EXPECT_EQ(p.Terms.size(), 4U);

    p = ParseConstraint("2*x>=-3");
    EXPECT_EQ(p.Relation, kRelationGreaterEqual);
    EXPECT_EQ(p.RightSide, -3.0);
}

TEST(ParseConstraint, SignRunsEmptyTermsAndBlanks) {
    ExpectTerms(ParseConstraint("x--2*y+-z++w"), {{"x", 1}, {"y", -2}, {"z", -1}, {"w", 1}});
    const ParsedConstraint p = ParseConstraint("va2a1+va3a3 - z=0");
    ExpectTerms(p, {{"va2a1", 1}, {"va3a3", 1}, {"z", -1}});
    EXPECT_EQ(p.RightSide, 0.0);
    const ParsedConstraint empty = ParseConstraint("");
    EXPECT_TRUE(empty.Terms.empty());
    EXPECT_FALSE(empty.HasRightSide);
    EXPECT_FALSE(ParseConstraint("x<=").HasRightSide);
}

TEST(ParseConstraint, ExponentSignsStayInsideTheirNumber) {
    ExpectTerms(ParseConstraint("1e-05*va2a1-2.5E+20*va3a1+3e7*x"),
                {{"va2a1", 1e-5}, {"va3a1", -2.5e20}, {"x", 3e7}});
    EXPECT_EQ(ParseConstraint("x<=1e-06").RightSide, 1e-6);
    // A name that merely ends in "e" still ends its term at the sign.
    ExpectTerms(ParseConstraint("2*tone-1*x"), {{"tone", 2}, {"x", -1}});
}

TEST(ParseConstraint, RejectsTextsThatAreNotNumbers) {
    EXPECT_THROW(ParseConstraint("abc*x<=0"), std::invalid_argument);
    EXPECT_THROW(ParseConstraint("0,5*x<=0"), std::invalid_argument);
    EXPECT_THROW(ParseConstraint("1*x<=one"), std::invalid_argument);
    EXPECT_THROW(ParseConstraint("inf*x<=0"), std::invalid_argument);
    EXPECT_THROW(ParseConstraint("*x<=0"), std::invalid_argument);
    EXPECT_THROW(ParseConstraint("2*<=0"), std::invalid_argument);
}

TConstraintModel Program(Direction direction, std::string objective,
                         const std::vector<std::string>& constraints) {
    TConstraintModel model(direction, std::move(objective));
    for (const auto& c : constraints) {
        model.AddConstraint(c);
    }
    return model;
}

TEST(SolveModel, SmallProgramsInBothDirections) {
    // x + y <= 4, x - y >= -2 (as -x + y <= 2), max 3x + 2y at (4, 0) = 12.
    const std::vector<std::string> rows = {"1*x+1*y<=4", "-1*x+1*y<=2"};
    TSolution s = SolveModel(Program(kMaximize, "3*x+2*y", rows));
    ASSERT_EQ(s.Status, SolveStatus::Optimal);
    EXPECT_EQ(s.Direction, kMaximize);
    EXPECT_NEAR(s.Objective, 12, kTolerance);
    EXPECT_EQ(s.Names, (std::vector<std::string>{"x", "y"}));
    EXPECT_NEAR(s.Values.at(0), 4, kTolerance);
    EXPECT_TRUE(s.Error.empty());

    // min x - y over the same set: (1, 3) gives -2.
    s = SolveModel(Program(kMinimize, "1*x-1*y", rows));
    ASSERT_EQ(s.Status, SolveStatus::Optimal);
    EXPECT_NEAR(s.Objective, -2, kTolerance);

    // ">=" and "=": min x + y with x + y >= 3, x = 1.
    s = SolveModel(Program(kMinimize, "x+y", {"x+y>=3", "x=1"}));
    ASSERT_EQ(s.Status, SolveStatus::Optimal);
    EXPECT_NEAR(s.Objective, 3, kTolerance);
    EXPECT_NEAR(s.Values.at(1), 2, kTolerance);
}

TEST(SolveModel, RepeatedVariableIsSummedEvenToZero) {
    // x occurs twice and cancels in row 1, so only row 2 binds: max x with x <= 5.
    const TSolution s = SolveModel(Program(kMaximize, "x", {"1*x-1*x+1*y<=1", "2*x-1*x<=5"}));
    ASSERT_EQ(s.Status, SolveStatus::Optimal);
    EXPECT_NEAR(s.Objective, 5, kTolerance);
    EXPECT_EQ(s.Names.size(), 2U);
}

TEST(SolveModel, ObjectiveOnlyVariableAndNoConstraints) {
    TSolution s = SolveModel(Program(kMinimize, "1*x+1*w", {"x>=1"}));
    ASSERT_EQ(s.Status, SolveStatus::Optimal);
    EXPECT_EQ(s.Names, (std::vector<std::string>{"x", "w"}));
    EXPECT_NEAR(s.Objective, 1, kTolerance);

    s = SolveModel(Program(kMinimize, "2*x", {}));
    ASSERT_EQ(s.Status, SolveStatus::Optimal);
    EXPECT_NEAR(s.Objective, 0, kTolerance);
    ASSERT_EQ(s.Values.size(), 1U);
}

TEST(SolveModel, NonOptimalOutcomesFail) {
    EXPECT_TRUE(SolveModel(Program(kMinimize, "x", {"x<=1", "x>=2"})).Failed());
    EXPECT_TRUE(SolveModel(Program(kMaximize, "x", {"x-1*y<=1"})).Failed());
    // Direction 2 is not solved.
    const TSolution unsolved = SolveModel(TConstraintModel(kNoObjective, "//Model Constraints"));
    EXPECT_EQ(unsolved.Status, SolveStatus::NotRun);
    EXPECT_EQ(unsolved.Direction, kNoObjective);
}

TEST(SolveModel, CoefficientBeyondSinglePrecisionFails) {
    const TSolution s = SolveModel(Program(kMaximize, "x", {"1e+39*x<=1"}));
    EXPECT_TRUE(s.Failed());
    EXPECT_NE(s.Error.find("too large"), std::string::npos) << s.Error;
}

TEST(SolveModel, RowWithoutRightSideIsRefused) {
    EXPECT_THROW(SolveModel(Program(kMinimize, "x", {"x+y"})), std::invalid_argument);
    EXPECT_THROW(SolveModel(Program(kMinimize, "x", {"x<="})), std::invalid_argument);
    EXPECT_THROW(SolveModel(Program(kMinimize, "x", {"1,5*x<=0"})), std::invalid_argument);
}

// A fatal error of the solver (here: too many problems alive at once) gives a failed solve that
// names the error, and the solver stays usable.
TEST(SolveModel, FatalSolverErrorBecomesAFailedSolve) {
    SetSolverConsole(nullptr);
    std::vector<std::unique_ptr<LpBackend>> held;
    const SolverRows one = ParseProgram(Program(kMinimize, "x", {"x>=1"}));
    try {
        for (int i = 0; i < 100000; ++i) {
            held.push_back(MakeBackend(BackendKind::OwnSimplex, one));
        }
    } catch (const std::runtime_error&) {
    }
    const TSolution s = SolveModel(Program(kMinimize, "x", {"x>=1"}));
    held.clear();
    SetSolverConsole(&std::cout);
    EXPECT_TRUE(s.Failed());
    EXPECT_NE(s.Error.find("Too many LP models"), std::string::npos) << s.Error;
    EXPECT_TRUE(s.Names.empty());

    const TSolution after = SolveModel(Program(kMinimize, "x", {"x>=1"}));
    EXPECT_EQ(after.Status, SolveStatus::Optimal);
    EXPECT_TRUE(after.Error.empty());
}

// Each solve frees its problem: more solves than the solver can hold at once all succeed.
TEST(SolveModel, EverySolveFreesItsProblem) {
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(SolveModel(Program(kMaximize, "x", {"x<=1"})).Status, SolveStatus::Optimal) << i;
    }
    SetSolverConsole(nullptr);
    for (int i = 0; i < 300; ++i) {
        SolveModel(Program(kMinimize, "x", {"x<=1", "x>=2"}));
    }
    SetSolverConsole(&std::cout);
    EXPECT_EQ(SolveModel(Program(kMaximize, "x", {"x<=1"})).Status, SolveStatus::Optimal);
}

// One attribute with three ranked levels: values of rows 1..3 are [1,1], [0,1], [0,0].
TEST(SolveModel, ThreeRankedLevelsOfOneAttribute) {
    Model model;
    const NodeId root = model.AddNode(kGoal, kNone);
    const NodeId a = model.AddNode(kAttribute, root);
    for (int i = 0; i < 3; ++i) {
        model.NewAlternative();
    }
    model.CommitCellText(2, 1, "good", false);
    model.CommitCellText(2, 2, "fair", false);
    model.CommitCellText(2, 3, "poor", false);
    model.StoreRanking(a, {1, 2, 3}, {});
    const double expected[3][2] = {{1, 1}, {0, 1}, {0, 0}};
    for (const int column : {1, 2}) {
        for (int row = 1; row <= 3; ++row) {
            for (const int direction : {kMinimize, kMaximize}) {
                const TSolution s =
                    SolveModel(BuildValueModel(model, column, row, direction, false));
                ASSERT_EQ(s.Status, SolveStatus::Optimal);
                EXPECT_NEAR(s.Objective, expected[row - 1][direction], kTolerance)
                    << "column " << column << " row " << row << " direction " << direction;
            }
        }
    }
}

// Two attributes, weights 100..100 and 50..200 bottom up: each weight lies in [1/3, 2/3]; the
// difference V(1) - V(2) = wA - wB with ranks (1,2) and (2,1) is at least 1/3 - 2/3.
TEST(SolveModel, WeightIntervalsAndDominanceOfTwoAttributes) {
    Model model;
    const NodeId root = model.AddNode(kGoal, kNone);
    const NodeId a = model.AddNode(kAttribute, root);
    const NodeId b = model.AddNode(kAttribute, root);
    model.NewAlternative();
    model.NewAlternative();
    model.StoreRanking(a, {1, 2}, {});
    model.StoreRanking(b, {2, 1}, {});
    model.StoreWeightBounds(false, {{a, 100, 100}, {b, 50, 200}});
    for (const NodeId node : {a, b}) {
        const TSolution low = SolveModel(BuildWeightModel(model, node, kMinimize, false));
        const TSolution high = SolveModel(BuildWeightModel(model, node, kMaximize, false));
        ASSERT_EQ(low.Status, SolveStatus::Optimal);
        ASSERT_EQ(high.Status, SolveStatus::Optimal);
        EXPECT_NEAR(low.Objective, 1.0 / 3.0, kTolerance);
        EXPECT_NEAR(high.Objective, 2.0 / 3.0, kTolerance);
    }
    const TSolution d = SolveModel(BuildDominanceModel(model, 1, 2));
    ASSERT_EQ(d.Status, SolveStatus::Optimal);
    EXPECT_NEAR(d.Objective, -1.0 / 3.0, kTolerance);
}

namespace fs = std::filesystem;

class ConstraintFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("velor_calc_file_" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::size_t EntryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

TEST_F(ConstraintFile, HeaderAndConstraintLines) {
    TConstraintModel model(kNoObjective, "//Model Constraints");
    const fs::path path = dir_ / "plan.mdl";
    ASSERT_TRUE(WriteConstraintFile(model, path.string()));
    EXPECT_EQ(Read(path), "//Model Constraints\r\n\r\n");

    model.AddConstraint("1*va3a2-1*va3a1<=0");
    model.AddConstraint("va2a1+va3a3=1");
    ASSERT_TRUE(WriteConstraintFile(model, path.string())); // replaces the earlier contents
    EXPECT_EQ(Read(path), "//Model Constraints\r\n\r\n1*va3a2-1*va3a1<=0;\r\nva2a1+va3a3=1;\r\n");
    EXPECT_EQ(EntryCount(), 1U); // no temporary file left behind
}

TEST_F(ConstraintFile, ObjectiveLine) {
    const fs::path path = dir_ / "lp.mdl";
    ASSERT_TRUE(WriteConstraintFile(Program(kMinimize, "1*x-1*y", {"x<=1"}), path.string()));
    EXPECT_EQ(Read(path), "min 1*x-1*y;\r\nx<=1;\r\n");
    ASSERT_TRUE(WriteConstraintFile(Program(kMaximize, "x", {}), path.string()));
    EXPECT_EQ(Read(path), "max x;\r\n");
}

TEST_F(ConstraintFile, FailureKeepsTheOldFileAndReportsWhy) {
    const TConstraintModel model(kNoObjective, "//Model Constraints");
    std::string error;
    EXPECT_FALSE(WriteConstraintFile(model, (dir_ / "missing" / "a.mdl").string(), &error));
    EXPECT_FALSE(error.empty());

    // A folder in the way of the target cannot be replaced; nothing is left behind.
    fs::create_directory(dir_ / "taken.mdl");
    fs::create_directory(dir_ / "taken.mdl" / "inner");
    error.clear();
    EXPECT_FALSE(WriteConstraintFile(model, (dir_ / "taken.mdl").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.mdl" / "inner"));
    EXPECT_EQ(EntryCount(), 1U);
    EXPECT_FALSE(WriteConstraintFile(model, ""));
}

TEST_F(ConstraintFile, RelativeNameUsesTheCurrentFolderWithoutChangingIt) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const bool written =
        WriteConstraintFile(TConstraintModel(kNoObjective, "//Model Constraints"), "rel.mdl");
    const fs::path during = fs::current_path();
    fs::current_path(before);
    EXPECT_TRUE(written);
    EXPECT_EQ(during, dir_);
    EXPECT_TRUE(fs::exists(dir_ / "rel.mdl"));
}

} // namespace
} // namespace velor
