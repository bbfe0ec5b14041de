#include "calc/warm_start_solver.h"

#include "calc/constraint_set.h"
#include "calc/program_split.h"
#include "calc/solve_policy.h"
#include "calc/solver_rows.h"

#include <charconv>
#include <exception>
#include <new>
#include <utility>
#include <vector>

namespace velor {

WarmStartSolver::WarmStartSolver(const Model& model) : model_(model) {}

namespace {

// Appends an integer and a double, exactly (hexadecimal, whatever the C library's locale), then
// the separator.
void AppendExact(std::string& text, int whole, double value, char separator) {
    char number[48];
    char* end = std::to_chars(number, number + sizeof number, whole).ptr;
    *end++ = ':';
    end = std::to_chars(end, number + sizeof number, value, std::chars_format::hex).ptr;
    text.append(number, end);
    text += separator;
}

// The rows exactly as they are, for finding the same part among the splits of several sets.
std::string Signature(const SolverRows& rows) {
    std::string text;
    for (const SolverRows::Element& e : rows.Elements) {
        AppendExact(text, e.Row, e.Value, ':');
        text += rows.Names[static_cast<std::size_t>(e.Column - 1)];
        text += ';';
    }
    for (int i = 0; i < rows.RowCount(); ++i) {
        AppendExact(text, rows.Relations[static_cast<std::size_t>(i)],
                    rows.RightSides[static_cast<std::size_t>(i)], ';');
    }
    return text;
}

// Solver problems that a split may leave to the rest of a calculation: every set's whole problem
// where it cannot be split, and the problems solved from scratch.
constexpr int kModelsLeft = 40;

} // namespace

void WarmStartSolver::MakeRoomForProblem() {
    // Room for the problem and for one solved from scratch. The problems of the other sets are
    // given up; each is loaded again when a program of its set comes.
    if (OwnSimplexRoom() > 2) {
        return;
    }
    for (auto& entry : sets_) {
        entry.second->Drop();
    }
}

std::unique_ptr<ConstraintSet::Split> WarmStartSolver::MakeSplit(const SolverRows& rows,
                                                                const CancelToken& cancel) {
    std::optional<ProgramSplit> plan = SplitProgram(rows);
    if (!plan) {
        return nullptr;
    }
    std::vector<std::string> signatures;
    int newParts = 0;
    for (const ProgramSplit::Part& part : plan->parts) {
        signatures.push_back(Signature(part.rows));
        newParts += parts_.count(signatures.back()) == 0 ? 1 : 0;
    }
    if (newParts + 1 > OwnSimplexRoom() - kModelsLeft) {
        return nullptr; // the solver holds only so many problems at a time
    }
    auto split = std::make_unique<ConstraintSet::Split>();
    split->weights = std::make_unique<ConstraintSet>();
    split->weights->moveTolerance = kSplitMoveTolerance;
    split->weights->runFault = &runFault_;
    if (!split->weights->Load(std::move(plan->weights))) {
        return nullptr;
    }
    for (std::size_t p = 0; p < plan->parts.size(); ++p) {
        std::unique_ptr<SplitPart>& part = parts_[signatures[p]];
        if (!part) {
            part = std::make_unique<SplitPart>();
            part->set.moveTolerance = kSplitMoveTolerance;
            part->set.exactDecimals = true;
            part->set.runFault = &runFault_;
            // A part whose rows do not admit weight 1 holds its weight at 0, which the weight
            // rows alone do not say: no set that has it is split.
            TSolution feasible;
            part->admitsWeight = part->set.Load(std::move(plan->parts[p].rows)) &&
                                 part->set.PutCosts(kMinimize, false) &&
                                 part->set.SolveWithFallback(kMinimize, feasible, cancel);
            // The optima of the part's programs are kept by the key of their objective, which
            // the value programs of every node above the attribute, in every form, ask again.
            part->set.FindTiedColumns();
            if (!part->admitsWeight) {
                part->set.Drop();
            }
        }
        if (!part->admitsWeight) {
            return nullptr;
        }
        split->parts.push_back(part.get());
    }
    split->plan = std::move(*plan);
    return split;
}

WarmStartSolver::~WarmStartSolver() = default;

ConstraintSet& WarmStartSolver::SetFor(const UnknownTerms& normalizer) {
    std::unique_ptr<ConstraintSet>& set = sets_[normalizer];
    if (!set) {
        set = std::make_unique<ConstraintSet>();
        set->runFault = &runFault_;
        set->keepPoints = true;
        set->clpUsable = true;
    }
    return *set;
}

int WarmStartSolver::Recoveries() const {
    int count = 0;
    for (const auto& entry : sets_) {
        count += entry.second->recoveries;
        if (entry.second->split) {
            count += entry.second->split->weights->recoveries;
        }
    }
    for (const auto& entry : parts_) {
        count += entry.second->set.recoveries;
    }
    return count;
}

bool WarmStartSolver::OwnProblem(ConstraintSet& set) {
    if (set.own) {
        return true;
    }
    MakeRoomForProblem();
    if (set.Create()) {
        return true;
    }
    set.Drop();
    return false;
}

TSolution WarmStartSolver::SolveFromScratch(const ProgramParts& parts, const CancelToken& cancel) {
    ++scratchSolves_;
    return SolveGuarded({}, AssembleProgram(model_, parts), cancel);
}

TSolution WarmStartSolver::Solve(const ProgramParts& parts, const CancelToken& cancel) {
    TSolution solution;
    solution.Direction = parts.Direction;
    if (parts.Direction != kMinimize && parts.Direction != kMaximize) {
        return solution;
    }
    ConstraintSet& set = SetFor(parts.Normalizer);
    if (set.failing || !set.loadable) {
        return SolveFromScratch(parts, cancel);
    }
    try {
        set.GenerateRows(model_, parts.Normalizer);
        // A set whose rows split per attribute solves its programs in parts; a program the
        // parts cannot settle goes the usual way.
        if (!set.splitTried) {
            set.splitTried = true;
            set.split = MakeSplit(set.rows, cancel);
        }
        if (set.split && set.split->Solve(parts, set.rows, solution, cancel)) {
            set.solved = true;
            ++splitSolves_;
            return solution;
        }
        if (set.clpUsable && !set.clp) {
            set.CreateClp();
        }
        if (!set.clp && !OwnProblem(set)) {
            set.loadable = false;
            return SolveFromScratch(parts, cancel);
        }
        if (!set.SetObjective(parts)) {
            return SolveFromScratch(parts, cancel);
        }
        if (const std::optional<double> known = set.Known()) {
            ++knownSolves_;
            solution.Status = SolveStatus::Optimal;
            solution.Objective = *known;
            return solution;
        }
        if (parts.Direction == kMinimize &&
            (set.ProvenZero() || (parts.NonNegative && set.ProvenZeroNonNegative()))) {
            ++provenSolves_;
            solution.Status = SolveStatus::Optimal;
            solution.Objective = 0.0;
            return solution;
        }
        if (set.clp) {
            bool interrupted = false;
            if (set.SolveClp(parts.Direction, solution, cancel, interrupted)) {
                ++clpSolves_;
                set.RememberOptimum(solution.Objective);
                return solution;
            }
            if (interrupted) {
                solution.Status = SolveStatus::Cancelled;
                return solution;
            }
            // Our own solver goes on with the same objective, then solving from scratch. Rows
            // that the library solver proved infeasible before any program of the set had an
            // optimum go straight to solving from scratch, whose verdict stands anyway: our
            // own simplex's ladder on a large infeasible set costs many times that.
            if (set.clpInfeasible || !OwnProblem(set)) {
                return FinishFromScratch(set, parts, cancel);
            }
            set.PutCosts(parts.Direction, false); // checked by SetObjective above
        }
        if (set.Solve(parts.Direction, solution, cancel)) {
            set.RememberOptimum(solution.Objective);
            return solution;
        }
    } catch (const std::bad_alloc&) {
        set.Drop();
        set.split.reset();
    } catch (const std::exception&) {
        set.Drop();
        set.split.reset();
    }
    return FinishFromScratch(set, parts, cancel);
}

TSolution WarmStartSolver::FinishFromScratch(ConstraintSet& set, const ProgramParts& parts,
                                             const CancelToken& cancel) {
    // Solving the program from scratch decides its outcome, so a failure looks exactly as it
    // would without the warm start. A set that has never had an optimum and fails from
    // scratch too (its rows contradict each other) is not tried again.
    TSolution solution = SolveFromScratch(parts, cancel);
    if (solution.Optimal()) {
        set.solved = true;
    } else if (!set.solved) {
        set.failing = true;
    }
    return solution;
}

} // namespace velor
