// Runs the calculation commands: one linear program per bound, the results stored in the model
// records, then dominance, regret and the decision rules. Everything the user sees goes through
// the CalcHost; the caller's thread runs the whole calculation.
#pragma once

#include "calc/calc_host.h"
#include "calc/calc_session.h"
#include "model/document.h"
#include "model/model.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace velor {

// The calculation commands; velor-cli's --type takes their numbers.
enum class CalculationType : int {
    kCalculateModel = 0,         // everything
    kCalculatePartially = 1,     // main-goal intervals, dominance and regret
    kAllValueIntervals = 2,      // every node's value intervals
    kWeights = 3,                // every node's weight interval
    kDominances = 4,             // dominance and regret
    kMainGoalIntervals = 5,      // main-goal value intervals
    kNormalizedIntervals = 6,    // every node's value intervals, normalized
    kNonNormalizedIntervals = 7, // every node's value intervals, plain
};
using enum CalculationType;
inline constexpr int kCalculationTypeCount = 8;
// The type of a number 0..7, nothing for another number.
std::optional<CalculationType> CalculationTypeOf(int number);

// How a run ended.
enum class RunOutcome {
    NothingToRun, // empty tree or no alternatives: no message, nothing changed
    Infeasible,   // the statements admit no solution: nothing changed
    Complete,     // every phase finished
    NotFinished,  // cancelled or stopped after a failed program; results so far are kept
    SolverError,  // the solver failed fatally; results so far are kept
};

// Steps of a run of the given type for m alternatives and k nodes (the progress figure's total).
int StepTotal(CalculationType type, int m, int k);
// The status text shown while a run of the type is going ("Calculating model...").
const char* StatusText(CalculationType type);
// The name of the command that runs the type ("Calculate Model"), the label of its step in the
// edit history.
const char* CalculationName(CalculationType type);
// Which sets of interval results a run of the type over the model brought up to date: the
// ones it computes when it finished, none otherwise.
Document::ResultSets CalculatedSets(const Model& model, CalculationType type,
                                    RunOutcome outcome);

inline constexpr const char* kInfeasibleMessage =
    "The model couldn't be computed!\nThere are no feasible solutions.";
inline constexpr const char* kNotFinishedMessage = "Calculation was not finished successfully.";
inline constexpr const char* kCompleteMessage = "Calculation complete";
inline constexpr const char* kPartialCompleteMessage =
    "Partial calculation complete.\n"
    "- Value intervals have been computed only for the main goal.\n"
    "- Weights have not been computed.";
// Shown instead of kNotFinishedMessage when the solver failed; names the solver's error.
std::string SolverErrorMessage(const std::string& error);

enum class Feasibility { Feasible, Infeasible, SolverError };

// Whether the model's statements admit a solution: true without alternatives or without a
// twig-level attribute (nothing to solve), otherwise one linear program decides.
bool CheckFeasibility(const Model& model);
// The same, telling a solver failure apart; *error receives the solver's text then. Without a
// substitute solve function the program goes to the solver a calculation uses.
// cancel is asked inside the simplex.
Feasibility CheckFeasibility(const Model& model, const SolveFunction& solve, std::string* error,
                             int* lpCount = nullptr, const CancelToken& cancel = {});

class CalculationDriver {
public:
    // solve defaults to SolveModel; tests substitute a scripted one.
    CalculationDriver(Model& model, CalcHost& host, SolveFunction solve = {});

    // Runs a calculation of the given type to its end and shows the final message.
    RunOutcome Run(CalculationType type);

    // The reference path solves every program from scratch from its text; the default path
    // keeps one solver problem per constraint set and starts each program from the previous
    // optimal basis. Both store the same results. A substitute solve function always gets the
    // whole text of every program.
    void SetReferencePath(bool on) { referencePath_ = on; }
    bool ReferencePath() const { return referencePath_; }
    // Sees every program of the following runs before it is solved (benchmarks record them).
    void SetProgramObserver(ProgramObserver observer) { observer_ = std::move(observer); }
    // For tests, on the default path: see WarmStartSolver::SetRunFault.
    void SetRunFault(std::function<bool()> fault) { runFault_ = std::move(fault); }
    // Which of the results the model holds before a run belong to it as it is (by default all
    // of them, as for a model read from a file; the desktop application passes its document's
    // CurrentResults). The decision rules read stored intervals or regrets that a run does not
    // recompute only when they are current.
    void SetCurrentResults(const CalculatedResults& current) { current_ = current; }
    // The parts of the results the last run calculated to the end.
    const CalculatedResults& RunParts() const { return runParts_; }
    // Longest stretch of simplex iterations between two polls of the host (default
    // kSolverPollInterval; 0 polls after every iteration).
    void SetPollInterval(std::chrono::milliseconds interval) { pollInterval_ = interval; }

    // Counters of the last run.
    int LpCount() const { return lpCount_; }
    int Progress() const { return progress_; }
    int Total() const { return total_; }
    const std::string& SolverErrorText() const { return solverError_; }
    // Whether the last run found the statements feasible (true when nothing had to be solved).
    bool Feasible() const { return feasible_; }

private:
    Model& model_;
    CalcHost& host_;
    SolveFunction solve_;
    bool referencePath_ = false;
    std::optional<CalculatedResults> current_;
    CalculatedResults runParts_;
    ProgramObserver observer_;
    std::function<bool()> runFault_;
    std::chrono::milliseconds pollInterval_ = kSolverPollInterval;
    int lpCount_ = 0;
    int progress_ = 0;
    int total_ = 0;
    std::string solverError_;
    bool feasible_ = false;
};

} // namespace velor
