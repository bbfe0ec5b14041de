// A linear program in the solver's numbering, parsed from its texts, and loading it into a
// solver problem. Row 0 is the objective, rows 1..m the constraints in order; columns 1..n are
// the variables in order of first appearance, and a variable named twice in one row gets one
// element holding the sum of its coefficients.
#pragma once

#include "calc/constraint_model.h"
#include "calc/solver_bridge.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct LpModel;

namespace velor {

struct SolverRows {
    struct Element {
        int Row;
        int Column;
        double Value;
    };
    std::vector<std::string> Names; // per column
    std::vector<Element> Elements;
    std::vector<int> Relations;     // per constraint row
    std::vector<double> RightSides; // per constraint row

    // Appends the terms of one row; new names become new columns.
    void AddRow(int row, const ParsedConstraint& parsed);
    // The column of a name, 0 when no row names it.
    int ColumnOf(const std::string& name) const;
    int ColumnCount() const { return static_cast<int>(Names.size()); }
    int RowCount() const { return static_cast<int>(Relations.size()); }

private:
    std::unordered_map<std::string, int> columns_;
    std::vector<int> lastRow_;             // per column: the last row it occurred in
    std::vector<std::size_t> lastElement_; // per column: its element in that row
};

// Parses the objective as row 0 and every constraint after it. Throws std::invalid_argument
// for a text that does not parse or a constraint without relation and right-hand side.
SolverRows ParseProgram(const TConstraintModel& model);

// Coefficients cross the solver interface in single precision; a larger magnitude would reach
// the solver as infinity.
bool FitsSinglePrecision(double value);
// False with error set when some coefficient or right side of rows is too large.
bool FitsSinglePrecision(const SolverRows& rows, std::string& error);

// A new solver problem holding rows (the objective row negated when maximizing), on the slack
// basis and not yet factorized. The caller deletes it; on an exception nothing is left behind.
LpModel* NewSolverProblem(const SolverRows& rows, bool maximize);

} // namespace velor
