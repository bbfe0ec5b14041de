// Which statements of an infeasible model contradict each other: a minimal conflicting set.
//
// The set is minimal and stands on its own: together with the rows that hold whatever the
// decision maker says (the weight sum, the normalizer, the worst level of an attribute whose
// best level is another one, the equality of the alternatives of one level) its statements
// admit no solution, and without any one of them the rest do. Where a contradiction needs an
// attribute whose ranked levels all share one rank (it can carry no weight) or the bound of an
// unranked level by the attribute's best level, the set names them too. The statements outside
// the set play no part. A model may hold several such sets; the one found is the same on every
// run for the same model, and once it is resolved the next search finds another if one remains.
//
// Where no goal is ranked holistically or has ratio statements of its own, the search splits
// by attribute: an attribute's own rows either let its weight take any value or hold it at 0, so
// a small program per attribute tells which attributes can carry no weight, a search over the
// weight statements (and "this attribute can carry no weight") finds a minimal set of those,
// and a search over each such attribute's own statements says why. Goals whose rankings or
// ratio statements tie attributes together keep those attributes' rows in the search over the
// weights. Each search first narrows its statements down to those that the prices of one
// elastic program (every statement may give way, at a cost) combine into a contradiction, then
// divides and conquers: weight statements first, then ratio statements, then rankings, it keeps
// as few of the later ones as the earlier ones allow. That takes a few feasibility checks per
// statement of the set times the logarithm of the number of statements, each a linear program
// over the rows kept; the split makes most of them small.
#pragma once

#include "calc/conflict_statement.h"
#include "model/model.h"

#include <functional>
#include <string>
#include <vector>

namespace velor {

enum class ConflictOutcome {
    NoConflict,  // the statements admit a solution (also: nothing to solve)
    Conflict,    // Statements holds a minimal conflicting set
    SolverError, // the solver failed or could not decide a check; Error says why
    Stopped,     // the caller asked to stop
};

struct ConflictResult {
    ConflictOutcome Outcome = ConflictOutcome::NoConflict;
    // In the order of their rows.
    std::vector<ConflictStatement> Statements;
    // The rows of each statement: positions (from 0) in the rows AppendStatementRows gives.
    // A relation between two levels has one row per alternative of the lower level.
    std::vector<std::vector<int>> Rows;
    std::string Error;
    int Checks = 0; // feasibility checks solved
};

// Finds a minimal conflicting set of the model's statements in force (the weight statements of
// the weight mode selected). stopRequested, when given, is asked before every check.
ConflictResult FindConflict(const Model& model, const std::function<bool()>& stopRequested = {});

} // namespace velor
