// Splitting the linear programs of one constraint set, where its rows allow it, into one small
// program per attribute and one program over the attributes' weights.
//
// Every value variable "va<j>a<i>" belongs to the attribute of column j. A row that names the
// variables of one attribute only, with right-hand side 0, is that attribute's own row. The rows
// that name several attributes (weight sum, weight statements, normalizer) may name only one
// variable of each attribute, its weight (the value of its best level), besides variables of no
// attribute ("z"). An equality with right-hand side 0 whose coefficients all have one sign (the
// worst-level sum) holds exactly when each of its variables is 0, every variable being
// non-negative, and counts as one such row per variable.
//
// An attribute's own rows are then homogeneous: the levels they allow at weight t are t times
// the levels they allow at weight 1, and at weight 0 they allow all levels 0. So a program whose
// objective is a sum of terms per attribute has the optimum of sum_j d_j w_j over the weight
// rows, where d_j is the optimum of attribute j's terms over its own rows with its weight fixed
// at 1; this holds when every attribute's own rows admit weight 1 and every d_j is finite, which
// the solver checks. A set whose rows have another form, such as a goal ranked holistically,
// whose rows tie the levels of several attributes, is not split.
#pragma once

#include "calc/solver_rows.h"

#include <optional>
#include <vector>

namespace velor {

struct ProgramSplit {
    // One attribute: its own rows, then its weight fixed at 1 (the last row).
    struct Part {
        SolverRows rows;
        int weightColumn = 0; // the column of the attribute's weight in the weight rows
    };
    std::vector<Part> parts;
    // The rows on the weights and on variables of no attribute.
    SolverRows weights;
    // Per column of the split rows (index column - 1): its part, -1 for a variable of no
    // attribute, and its column in that part's rows, or in the weight rows for no attribute.
    std::vector<int> partOf;
    std::vector<int> columnIn;
};

// The split of rows (the objective row 0 is not read), or nothing when they do not have the
// form above.
std::optional<ProgramSplit> SplitProgram(const SolverRows& rows);

} // namespace velor
