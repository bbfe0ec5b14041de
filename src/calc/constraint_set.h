// One constraint set of the default path (all programs with the same normalizer share their
// constraint rows) and what it remembers between programs: its rows, generated once; the
// backends holding them (the library solver for whole sets, our own simplex for the rest); the
// optima of earlier programs by the key of their objective up to tied columns; and where recent
// optima lay, from which some minima are proven 0 without solving. Also the per-attribute split
// of a set (program_split.h): its parts and its weight program. warm_start_solver.h decides in
// which order these are asked.
#pragma once

#include "calc/chain_steps.h"
#include "calc/constraint_generator.h"
#include "calc/constraint_model.h"
#include "calc/lp_backend.h"
#include "calc/program_split.h"
#include "calc/solver_rows.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velor {

class Model;

// The parts of a split program may take an exact optimum this much away from where their run
// had stopped (see ConstraintSet::moveTolerance). Such a move is the distance between the exact
// optimum of the program as our own solver holds it (coefficients rounded to single precision)
// and a point where the simplex's tolerances let a run stop; a run on the whole program stops
// somewhere in that range too, and the weights the parts are multiplied with sum to at most 1
// over any objective, so a result moves by about as much. A larger move means the rounded
// program's optimum lies visibly away from where runs stop, and the whole program decides, as
// on the reference path.
inline constexpr double kSplitMoveTolerance = 1e-7;

// Adds a term's coefficient to the cost of its column; a column named twice gets the sum.
void AddCost(std::vector<std::pair<int, double>>& costs, int column, double coefficient);

struct ConstraintSet {
    std::unique_ptr<LpBackend> own; // our own simplex, loaded on demand
    // The library solver (clp_backend.cpp): for whole sets, tried before our own.
    std::unique_ptr<LpBackend> clp;
    bool clpUsable = false; // tried first for whole sets; parts use it only as a fallback
    SolverRows rows;        // the constraint rows; row 0 (the objective) stays empty
    // Per column 0..n, the library solver's columns whose sum with these coefficients is its
    // value (see CreateClp), and work areas for writing an objective over them.
    std::vector<ChainSteps::Terms> clpValue;
    std::vector<double> clpSum;
    std::vector<int> clpTouched;
    std::vector<std::pair<int, double>> costs; // the objective being loaded, per column
    // The rows go to our own solver scaled so that their decimals are exact in single precision
    // (ExactInSinglePrecision). Set for the parts of split sets, whose optima are taken as exact:
    // rounded, a ratio statement's row moves them by about 1e-7. The weight rows are left as they
    // are (scaled, their programs often end short of an exact optimum and go to the whole set).
    bool exactDecimals = false;
    bool loadable = true;   // false: the rows cannot go to the solver, every program from scratch
    bool solved = false;    // some program of the set ended optimal
    bool failing = false;   // no program of the set has an optimum: every program from scratch
    // How far, relative to 1 + its magnitude, an exact optimum of our own simplex may lie from
    // the value where the run had stopped and still count (RunOptions::MoveTolerance).
    double moveTolerance = 1e-10;
    struct Split;
    std::unique_ptr<Split> split; // the set split per attribute, when its rows allow it
    bool splitTried = false;
    bool generated = false;       // rows holds the set's rows
    int recoveries = 0;           // programs solved again from a fresh basis
    bool clpInfeasible = false;   // the library solver proved the rows infeasible
    SolveStatus lastStatus = SolveStatus::NotRun; // how the last run of our own simplex ended
    const std::function<bool()>* runFault = nullptr; // the solver's test seam, see SetRunFault

    ConstraintSet();
    ConstraintSet(const ConstraintSet&) = delete;
    ConstraintSet& operator=(const ConstraintSet&) = delete;
    ~ConstraintSet();

    // Frees our own solver's problem; the next program loads the rows again.
    void Drop() {
        own.reset();
        slackStart = true;
    }

    // Generates the rows of the set, once.
    void GenerateRows(const Model& model, const UnknownTerms& normalizer);
    // Takes rows as the set's and loads them into our own solver (Create).
    bool Load(SolverRows loaded);
    // Loads the rows into our own solver. False when they cannot reach it (a number beyond
    // single precision); solving from scratch then reports why.
    bool Create();
    // Loads the rows into the library solver (see the source).
    void CreateClp();

    // Each column's representative among the columns tied to it (TiedColumns). Two objectives
    // that give every class the same total cost are the same function on the feasible set, so
    // their programs have the same optimum (see Known).
    void FindTiedColumns();
    // The key of the objective in costs: per class of tied columns, the sum of its costs;
    // classes whose costs cancel drop out.
    void MakeKey(Direction direction);
    // The optimum of the objective being loaded when the set has solved a program with the
    // same key, or 0 when no class has a cost left: every feasible point gives it 0, and the
    // set has had an optimum, so it has feasible points.
    std::optional<double> Known() const;
    void RememberOptimum(double objective);

    // Whether the minimum of the objective in costs is proven to be 0 without solving (see the
    // source), for any objective with non-negative costs, or for one that the ranking rows make
    // at least 0 everywhere (ProgramParts::NonNegative).
    bool ProvenZero() const;
    bool ProvenZeroNonNegative() const;

    // Puts the objective of parts into costs and the loaded solvers. False when it names a
    // variable that no row names or a cost does not fit single precision.
    bool SetObjective(const ProgramParts& parts);
    // Puts costs into the loaded solvers, rounded to single precision for our own solver as
    // every coefficient read from the model, or exactly for costs computed by the calculation.
    bool PutCosts(Direction direction, bool exact);

    // The library solver from the previous optimal basis and once more from the slack basis.
    // True with solution filled at an optimum; Cancelled sets cancelled.
    bool SolveClp(Direction direction, TSolution& solution, const CancelToken& cancel,
                  bool& cancelled);
    // Our own simplex: warm, from the slack basis, then a recovery run. True with solution
    // filled at an exact optimum.
    bool Solve(Direction direction, TSolution& solution, const CancelToken& cancel);
    // Solve, then the library solver on the same rows in double precision.
    bool SolveWithFallback(Direction direction, TSolution& solution, const CancelToken& cancel);

    // Where the optima of earlier programs of the set lie: per optimum, one bit per column that
    // was clear of 0 there (bit j for column j). Kept for whole sets only (see ProvenZero).
    bool keepPoints = false;

private:
    using ObjectiveKey = std::pair<std::uint8_t, std::vector<std::pair<int, double>>>;
    struct KeyHash {
        std::size_t operator()(const ObjectiveKey& objective) const;
    };
    // One run of our own simplex, its outcome taken as the calculation does.
    bool Optimize(Direction direction, TSolution& solution, const RunOptions& run,
                  const CancelToken& cancel);
    bool Faulted() const { return runFault != nullptr && *runFault && (*runFault)(); }
    void RememberPoint(std::vector<double> values);
    // The optimum the library solver just reached, columns 1..n of the set's rows.
    std::vector<double> ClpPoint() const;

    std::vector<int> representative;
    std::unordered_map<ObjectiveKey, double, KeyHash> optima; // by the key of their objective
    ObjectiveKey key;                                         // of the objective being loaded
    std::vector<int> costColumns;    // columns with a cost from the last program
    std::vector<double> loadedCosts; // the objective row 0..n as our own solver holds it
    std::deque<std::vector<std::uint64_t>> points; // oldest first
    std::deque<std::vector<double>> recent;        // the latest optima themselves, columns 1..n
    bool slackStart = true; // the next program of our own simplex starts from the slack basis
};

// One attribute's own rows with its weight fixed at 1 (program_split.h), shared by the splits of
// all sets: only the weight rows differ from one normalizer to the next.
struct SplitPart {
    ConstraintSet set;
    bool admitsWeight = false; // the rows admit weight 1
};

// The programs of a set whose rows split per attribute: each part's optimum, the attribute's
// weight fixed at 1, becomes the cost of that weight in one solver problem over the weight rows.
struct ConstraintSet::Split {
    ProgramSplit plan;            // its rows moved into the solver problems
    std::vector<SplitPart*> parts; // owned by the solver
    std::unique_ptr<ConstraintSet> weights;

    // True with solution filled when every part and then the weights have an exact optimum.
    bool Solve(const ProgramParts& program, const SolverRows& rows, TSolution& solution,
               const CancelToken& cancel);
};

} // namespace velor
