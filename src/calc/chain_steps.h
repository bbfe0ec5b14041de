// Writing the columns of a ranked chain as sums of non-negative steps.
//
// A row "a * x - a * y <= 0" (or ">= 0") with right-hand side 0 orders two columns. Columns
// ordered one after the other by such rows form a chain x_1 <= x_2 <= ... <= x_k: the levels of
// an attribute in the order of their ranks, once levels of equal rank share one column (see
// MergeTiedColumns). Every column being non-negative, the chain is the same as
// x_i = s_1 + ... + s_i with steps s_l >= 0, so its k - 1 ordering rows become the steps' own
// bounds. The top of a chain (an attribute's best level, its weight) gets a column of its own,
// tied to the sum of the chain's steps by one equality, so that rows naming only the best levels
// (the weight sum, weight statements) stay as short as they were.
//
// The rows of a large model whose goal ranks the alternatives holistically are mostly such
// ordering rows: without them the solver's bases are a fraction of the size. A row naming two
// levels of one attribute names the steps between them only.
#pragma once

#include "calc/solver_rows.h"

#include <optional>
#include <utility>
#include <vector>

namespace velor {

struct ChainSteps {
    using Terms = ColumnTerms;
    SolverRows rows;
    // Per column 0..n of the source rows, the columns of rows whose sum with these coefficients
    // is its value (empty for 0).
    std::vector<Terms> value;
};

// The rows in steps, or nothing when no two columns are ordered by a row of that form or a row
// left without a term would not hold at 0 (the solver then gets the rows as they are).
std::optional<ChainSteps> WriteInSteps(const SolverRows& rows);

} // namespace velor
