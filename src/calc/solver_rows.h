// A linear program in the solver's numbering, parsed from its texts or taken from typed rows, and
// loading it into a solver problem. Row 0 is the objective, rows 1..m the constraints in order;
// columns 1..n are the variables in order of first appearance, and a variable named twice in one
// row gets one element holding the sum of its coefficients.
#pragma once

#include "calc/constraint_model.h"
#include "calc/solver_bridge.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velor {

struct SolverRows {
    struct Element {
        int Row;
        int Column;
        double Value;
    };
    std::vector<std::string> Names; // per column
    std::vector<Element> Elements;
    std::vector<Relation> Relations; // per constraint row
    std::vector<double> RightSides; // per constraint row

    // Appends the terms of one row; new names become new columns.
    void AddRow(int row, const ParsedConstraint& parsed);
    // The same for typed terms. Throws std::invalid_argument for a coefficient that is not a
    // finite number, as its text would.
    void AddRow(int row, const UnknownTerms& terms);
    // Appends a typed constraint row after the last one.
    void AddConstraint(const UnknownRow& constraint);
    // The column of a name, 0 when no row names it; of an unknown, 0 when no typed row names
    // it (rows parsed from text are found by name only).
    int ColumnOf(const std::string& name) const;
    int ColumnOf(Unknown unknown) const;
    int ColumnCount() const { return static_cast<int>(Names.size()); }
    int RowCount() const { return static_cast<int>(Relations.size()); }

private:
    // The column of name, a new one when no row has named it yet.
    int ColumnFor(const std::string& name);
    void AddElement(int row, int column, double value);

    std::unordered_map<std::string, int> columns_;
    // For unknowns of typed rows: the column of "va<j>a<r>" at [j][r], of "z" at [0][0]; 0 for
    // none.
    std::vector<std::vector<int>> unknownColumns_;
    std::vector<int> lastRow_;             // per column: the last row it occurred in
    std::vector<std::size_t> lastElement_; // per column: its element in that row
};

// Parses the objective as row 0 and every constraint after it. Throws std::invalid_argument
// for a text that does not parse or a constraint without relation and right-hand side.
SolverRows ParseProgram(const TConstraintModel& model);

// Whether constraint row 1..m holds with every column at 0: a row without terms must, to be
// dropped.
bool HoldsAtZero(const SolverRows& rows, int row);

// A column written over the columns of other rows: (column, coefficient) pairs whose sum is its
// value.
using ColumnTerms = std::vector<std::pair<int, double>>;

// Adds coefficient times terms to sum (a dense accumulator, index 0 unused), noting the columns
// it makes non-zero in touched; TakeSum then moves the non-zero sums to out and clears sum.
void AddTerms(const ColumnTerms& terms, double coefficient, std::vector<double>& sum,
              std::vector<int>& touched);
void TakeSum(std::vector<double>& sum, const std::vector<int>& touched, ColumnTerms& out);

// Appends to target the constraint rows of rows, except those marked in dropped (per row 0..m),
// with every column j written as value[j] over target's columns (1..target.ColumnCount(), the
// names already in target). Rows left without a term are left out; false when one of them would
// not hold at 0 (rows that contradict themselves are left to the solver to report).
bool RewriteRows(const SolverRows& rows, const std::vector<ColumnTerms>& value,
                 const std::vector<bool>& dropped, SolverRows& target);

// Columns that a row "v * x - v * y = 0" holds equal (levels of equal rank, alternatives
// repeating another's levels): per column 0..n, the first column of its class (0 for 0).
std::vector<int> TiedColumns(const SolverRows& rows);

// The constraint rows over one column per class of tied columns: every column replaced by its
// class, coefficients of one class in one row summed, and rows left without a term dropped.
// Every column being non-negative, the two sets of rows admit the same points once each
// column takes its class's value, so programs over them have the same optima. Names keeps the
// first column's name; column holds, per column 0..n of the original rows, its column in the
// merged ones (0 for 0). Nothing when a row left without a term would not hold at 0 (rows
// that contradict themselves are left to the solver to report).
struct MergedColumns {
    SolverRows rows;
    std::vector<int> column;
};
std::optional<MergedColumns> MergeTiedColumns(const SolverRows& rows,
                                              const std::vector<int>& representative);

// Coefficients cross the solver interface in single precision; a larger magnitude would reach
// the solver as infinity.
bool FitsSinglePrecision(double value);
// False with error set when some coefficient or right side of rows is too large.
bool FitsSinglePrecision(const SolverRows& rows, std::string& error);

// Rows whose coefficients and right sides are decimals of a few places (ratio statements, weight
// statements in percent), each constraint row multiplied by the smallest power of ten that makes
// all of them whole numbers exact in single precision; rows for which none does stay as they
// are. The points the rows admit do not change, but rounded to single precision they do: a row
// "-x + 0.001 * y + 0.999 * z <= 0" rounded term by term no longer admits x = y = z, which moves
// optima by about 1e-7.
SolverRows ExactInSinglePrecision(const SolverRows& rows);

} // namespace velor
