#include "calc/program_split.h"

#include <gtest/gtest.h>

#include <charconv>
#include <initializer_list>
#include <string>

namespace velor {
namespace {

SolverRows Rows(std::initializer_list<const char*> constraints) {
    TConstraintModel program;
    for (const char* constraint : constraints) {
        program.AddConstraint(constraint);
    }
    return ParseProgram(program);
}

// The rows of one part or of the weights as text, "name*coefficient" terms, for comparison.
// std::to_string's "%f" without the C library's locale (which may write a comma).
std::string Fixed(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

std::string Text(const SolverRows& rows) {
    std::string text;
    for (int row = 1; row <= rows.RowCount(); ++row) {
        for (const SolverRows::Element& e : rows.Elements) {
            if (e.Row == row) {
                text += " " + Fixed(e.Value).substr(0, 4) + "*" +
                        rows.Names[static_cast<std::size_t>(e.Column - 1)];
            }
        }
        const int relation = rows.Relations[static_cast<std::size_t>(row - 1)];
        text += relation == kRelationEqual ? " =" : relation == kRelationLessEqual ? " <=" : " >=";
        text += Fixed(rows.RightSides[static_cast<std::size_t>(row - 1)]).substr(0, 1) + ";";
    }
    return text;
}

int PartOf(const ProgramSplit& split, const SolverRows& rows, const char* name) {
    return split.partOf[static_cast<std::size_t>(rows.ColumnOf(name) - 1)];
}

// Two attributes (columns 2 and 3) with ordinal chains, a ratio statement, bottom-up weight
// statements, the weight sum and the worst-level sum.
TEST(ProgramSplit, SplitsOwnRowsFromWeightRowsAndTheWorstLevelSumIntoSingleLevels) {
    const SolverRows rows =
        Rows({"1*va2a2-1*va2a1<=0", "1*va2a3-1*va2a2=0", "1*va3a1-1*va3a3<=0", "1*va3a2-1*va3a1<=0",
              "-1*va3a3+1*va3a1+0.5*va3a1-0.5*va3a2<=0", "1*va3a3-2*va2a1<=0",
              "-1*va3a3+0.5*va2a1<=0", "va2a1+va3a3=1", "va2a2+va3a2=0"});
    const std::optional<ProgramSplit> split = SplitProgram(rows);
    ASSERT_TRUE(split.has_value());
    ASSERT_EQ(split->parts.size(), 2U);
    const int a = PartOf(*split, rows, "va2a3");
    const int b = PartOf(*split, rows, "va3a2");
    ASSERT_NE(a, b);
    EXPECT_EQ(PartOf(*split, rows, "va2a1"), a);
    EXPECT_EQ(PartOf(*split, rows, "va3a3"), b);

    // Each part: its own rows (the worst level's share of the worst-level sum among them), then
    // its weight fixed at 1.
    const ProgramSplit::Part& first = split->parts[static_cast<std::size_t>(a)];
    const ProgramSplit::Part& second = split->parts[static_cast<std::size_t>(b)];
    EXPECT_EQ(
        Text(first.rows),
        " 1.00*va2a2 -1.0*va2a1 <=0; 1.00*va2a3 -1.0*va2a2 =0; 1.00*va2a2 =0; 1.00*va2a1 =1;");
    EXPECT_EQ(Text(second.rows), " 1.00*va3a1 -1.0*va3a3 <=0; 1.00*va3a2 -1.0*va3a1 <=0;"
                                 " -1.0*va3a3 1.50*va3a1 -0.5*va3a2 <=0; 1.00*va3a2 =0;"
                                 " 1.00*va3a3 =1;");
    EXPECT_EQ(Text(split->weights),
              " 1.00*va3a3 -2.0*va2a1 <=0; -1.0*va3a3 0.50*va2a1 <=0; 1.00*va2a1 1.00*va3a3 =1;");
    EXPECT_EQ(split->weights.Names[static_cast<std::size_t>(first.weightColumn - 1)], "va2a1");
    EXPECT_EQ(split->weights.Names[static_cast<std::size_t>(second.weightColumn - 1)], "va3a3");

    // A level's column within its part; the weight's within the part and the weight rows.
    const std::size_t level = static_cast<std::size_t>(rows.ColumnOf("va3a2") - 1);
    EXPECT_EQ(second.rows.Names[static_cast<std::size_t>(split->columnIn[level] - 1)], "va3a2");
}

TEST(ProgramSplit, TheFloatingTotalOfANormalizedSetBelongsToTheWeights) {
    const SolverRows rows = Rows({"1*va2a2-1*va2a1<=0", "1*va3a2-1*va3a1<=0", "va2a1+va3a1 - z=0",
                                  "va2a2+va3a2=0", "1*va2a1=1"});
    const std::optional<ProgramSplit> split = SplitProgram(rows);
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(PartOf(*split, rows, "z"), -1);
    const std::size_t z = static_cast<std::size_t>(rows.ColumnOf("z") - 1);
    EXPECT_EQ(split->weights.Names[static_cast<std::size_t>(split->columnIn[z] - 1)], "z");
    // A row on one attribute's weight alone bounds the weight.
    EXPECT_EQ(Text(split->weights), " 1.00*va2a1 1.00*va3a1 -1.0*z =0; 1.00*va2a1 =1;");
}

TEST(ProgramSplit, RowsThatTieTheLevelsOfSeveralAttributesOrDoNotScaleAreNotSplit) {
    // A goal ranked holistically: alternative 2's value on the goal at most alternative 1's.
    EXPECT_FALSE(SplitProgram(Rows({"1*va2a2-1*va2a1<=0", "1*va3a2-1*va3a1<=0",
                                    "1*va2a2+1*va3a2-1*va2a1-1*va3a1<=0", "va2a1+va3a1=1"}))
                     .has_value());
    // An attribute without rank 1 names row 1 in the weight sum and row 0 in its statements.
    EXPECT_FALSE(SplitProgram(Rows({"1*va3a2-1*va3a1<=0", "va2a1+va3a1=1", "1*va3a0-2*va2a1<=0"}))
                     .has_value());
    // An own row with a right side other than 0 does not scale with the weight.
    EXPECT_FALSE(SplitProgram(Rows({"1*va2a2-1*va2a1<=0.5", "va2a1+va3a1=1"})).has_value());
    // Levels that no row across attributes names have no weight to scale them.
    EXPECT_FALSE(SplitProgram(Rows({"1*va2a2-1*va2a1<=0", "1*va3a1=1"})).has_value());
    // A row of no variables that cannot hold.
    EXPECT_FALSE(SplitProgram(Rows({"0*va2a1=1", "va2a1+va3a1=1"})).has_value());
}

} // namespace
} // namespace velor
