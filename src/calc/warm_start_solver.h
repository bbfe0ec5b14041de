// The default path's policy: solves the linear programs of one calculation run by keeping one
// solver problem per constraint set. All programs with the same normalizer share their constraint rows, so the rows are
// generated (typed, never as text) and loaded once per set; each program then only replaces the
// objective row (LP_PUTOBJECTIVE keeps the basis) and the primal simplex goes on from the optimal
// basis of the previous program of its set, which stays feasible because the feasible set is
// unchanged.
//
// A result is taken only when the final basis is an exact optimum (see ExactOptimum in the
// source): the simplex itself accepts bases up to 1e-5 outside their bounds or short of optimal,
// and which of those it ends at depends on where it started. A run that ends at such a basis
// goes on under tight tolerances, and its exact optimum counts when it keeps the value the run
// had stopped at. A warm start that does not get there within a small budget is tried once more
// from the slack basis, and a program that this short run leaves at its budget is solved again
// from a fresh basis with a budget large enough for big degenerate programs. A program that
// still has no exact optimum is solved from scratch exactly as SolveModel does, and that outcome
// is returned, so failures (infeasible sets, solver errors, programs the simplex gives up on)
// look the same as on the reference path.
//
// A minimum whose objective has no negative cost is 0 without solving when an earlier optimum of
// the same set holds every column with a cost at 0; so is a minimum that the ranking rows hold at
// 0 or above (ProgramParts::NonNegative) when one of the latest optima puts it at 0.
//
// Where the rows of a set split per attribute (program_split.h: no goal ranked holistically), a
// program is solved as one small program per attribute with its weight fixed at 1, whose
// optimum becomes the cost of that weight in one small program over the weight rows. The
// attributes' programs are shared by all sets, remember their optima by objective up to tied
// columns, and get their decimal rows exact in single precision (ExactInSinglePrecision). A
// program that this does not settle (a part without an exact optimum near where its run
// stopped, say) goes the way above.
//
// Whole sets go to the library solver first (clp_backend.cpp), with tied columns merged and
// ranked chains written in steps (chain_steps.h), then to our own solver.
//
// The cascade of one program, as Solve runs it:
//   1. the split per attribute (each part: known optimum, else our own simplex, else the library)
//   2. an optimum known from an earlier program with the same objective up to tied columns
//   3. a minimum proven 0 by an earlier optimum
//   4. the library solver, warm, then from the slack basis
//   5. our own simplex, warm, then from the slack basis, then a recovery run
//   6. the reference path (SolveModel from scratch), whose outcome stands
#pragma once

#include "calc/constraint_set.h"
#include "calc/constraint_generator.h"
#include "calc/constraint_model.h"
#include "calc/solver_rows.h"
#include "calc/solve_policy.h"
#include "model/model.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace velor {

class WarmStartSolver final : public SolvePolicy {
public:
    // The model must not change while the solver is in use: its rows are read once per set.
    explicit WarmStartSolver(const Model& model);
    ~WarmStartSolver() override;
    WarmStartSolver(const WarmStartSolver&) = delete;
    WarmStartSolver& operator=(const WarmStartSolver&) = delete;

    // Failed, Objective and Direction as SolveModel gives them (Error set when the solver failed
    // fatally). Names and Values are filled only for a program solved from scratch.
    TSolution Solve(const ProgramParts& parts, const CancelToken& cancel) override;
    TSolution Solve(const ProgramParts& parts) { return Solve(parts, CancelToken()); }

    // Programs that had to be solved from scratch, and programs solved per attribute (for tests
    // and benchmarks).
    int ScratchSolves() const { return scratchSolves_; }
    int SplitSolves() const { return splitSolves_; }
    // Minima taken as 0 from an earlier optimum without solving (both kinds).
    int ProvenSolves() const { return provenSolves_; }
    // Programs of whole sets that the library solver settled.
    int ClpSolves() const { return clpSolves_; }
    // Programs whose optimum an earlier program with the same objective up to tied columns gave.
    int KnownSolves() const { return knownSolves_; }
    // Programs that the warm start and the short run from the slack basis left without an exact
    // optimum and that were solved again from a fresh basis.
    int Recoveries() const;

    // For tests: asked after every simplex run on the solver's own problems that ended at an
    // exact optimum; true makes the run count as one that spent its budget without reaching an
    // optimum, so the program goes on to the next way of solving it.
    void SetRunFault(std::function<bool()> fault) { runFault_ = std::move(fault); }

private:
    ConstraintSet& SetFor(const UnknownTerms& normalizer);
    // The split of a set's rows per attribute, or nothing when they do not split or the solver
    // problems it would need are not available.
    std::unique_ptr<ConstraintSet::Split> MakeSplit(const SolverRows& rows,
                                                    const CancelToken& cancel);
    // Loads the set's rows into a problem of our own solver, unless it has one; false (and
    // nothing loaded) when they cannot reach it.
    bool OwnProblem(ConstraintSet& set);
    // Frees the problems of all sets when the solver could not take another one.
    void MakeRoomForProblem();
    TSolution SolveFromScratch(const ProgramParts& parts, const CancelToken& cancel);
    // SolveFromScratch, its verdict remembered for the set.
    TSolution FinishFromScratch(ConstraintSet& set, const ProgramParts& parts,
                                const CancelToken& cancel);

    const Model& model_;
    std::map<std::string, std::unique_ptr<SplitPart>> parts_;     // by their rows, for every set
    std::map<UnknownTerms, std::unique_ptr<ConstraintSet>> sets_; // by their normalizer
    int scratchSolves_ = 0;
    int splitSolves_ = 0;
    int provenSolves_ = 0;
    int clpSolves_ = 0;
    int knownSolves_ = 0;
    std::function<bool()> runFault_;
};

} // namespace velor
