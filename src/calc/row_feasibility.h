// Feasibility of parts of one constraint system: rows that every check holds, plus the candidate
// rows a check names. Each check is a solver problem of its own over those rows. With no
// objective the slack basis is dual feasible, so the dual simplex settles most checks in a few
// iterations; the primal simplex finishes what it leaves open.
//
// The rows every check holds are simplified once, in ways that keep the answer of every check:
// an equality of two variables ("1*a-1*b=0") makes them one variable, and a "<= 0" row that some
// variable of its own can always satisfy (one that no other row names, with a negative
// coefficient, or with a positive one where every other coefficient of the row is not positive,
// all variables being non-negative) is left out with that variable. Each check's problem has
// only the columns its rows name.
#pragma once

#include "calc/solver_rows.h"

#include <functional>
#include <vector>

namespace velor {

class RowFeasibility {
public:
    // rows: a parsed system without objective (row 0 empty); kept: its rows (from 1) that every
    // check holds; the others are candidates. stopRequested, when given, is asked before every
    // check.
    RowFeasibility(const SolverRows& rows, const std::vector<int>& kept,
                   std::function<bool()> stopRequested = {});

    // Whether the kept rows with the given candidate rows admit a solution. Throws StopRequested
    // when the caller asked to stop, std::runtime_error when the solver cannot tell, and the
    // solver's own errors (LpFatalError, std::bad_alloc).
    bool Feasible(const std::vector<int>& candidates);

    // The candidate rows (ascending) that a proof that the kept rows and the given candidates
    // admit no solution uses: those with a nonzero price at the optimum of the elastic program,
    // in which every candidate row may give way by a non-negative amount at a cost of 1 per
    // unit. The prices combine exactly these rows into a contradiction, up to rounding, so a
    // caller that relies on it checks the result. All the candidates when the program has no
    // optimum. Counts as a check.
    std::vector<int> ElasticSupport(const std::vector<int>& candidates);

    int Checks() const { return checks_; }
    // Kept rows left out of every check by the simplification.
    int AbsorbedRows() const { return absorbed_; }

    struct StopRequested {};

private:
    struct Row {
        std::vector<SolverRows::Element> elements; // Row fields unused
        Relation relation = kRelationLessEqual;
        double rightSide = 0.0;
    };

    void Simplify(const std::vector<int>& kept);
    // The problem over the kept rows and candidates, columns numbered from 1 in order of use.
    void Load(const std::vector<int>& candidates);
    void BeforeCheck();

    std::vector<Row> rows_; // index: row - 1
    std::vector<int> kept_; // kept rows left in every check
    int absorbed_ = 0;
    std::function<bool()> stopRequested_;
    int checks_ = 0;
    // The problem of the current check.
    SolverRows problem_;
    std::vector<int> positionOf_; // per row: its row in problem_, 0 when not loaded
    std::vector<int> columnOf_;   // per column of the system: its column in problem_, 0 unused
    std::vector<int> usedColumns_;
};

} // namespace velor
