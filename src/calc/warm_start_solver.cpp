#include "calc/warm_start_solver.h"

#include "calc/calc_session.h"
#include "calc/chain_steps.h"
#include "calc/clp_problem.h"
#include "calc/program_split.h"
#include "calc/solver_bridge.h"
#include "calc/solver_rows.h"
#include "lp/diagnostics.h"
#include "lp/lpx.h"
#include "lp/model_table.h"
#include "lp/tolerances.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <deque>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velor {

namespace {

// A program started from the optimum of its predecessor usually needs a handful of iterations.
// Many more mean the simplex is circling among degenerate bases of one vertex, which it may do
// until its whole budget is spent; starting again from the slack basis is then far cheaper.
// Large programs whose rows tie every attribute together (a holistic ranking of the main goal)
// are highly degenerate: a warm start may need hundreds of iterations there and still be far
// cheaper than the slack start, which then needs thousands.
constexpr int kWarmBudget = 150;
int WarmBudget(int rows) {
    return std::max(kWarmBudget, rows);
}
// From the slack basis a program needs a few iterations per row. A run that circles instead is
// cut short: solving the program from scratch then decides its outcome anyway.
int SlackStartBudget(int rows) {
    return std::max(1000, 2 * rows);
}
// A program that neither the warm start nor the short run from the slack basis settles is solved
// once more from a fresh basis before the reference formulation is asked: large degenerate
// programs may need many times more iterations than rows from the slack basis, and giving up on
// them would put the user's question to a model that is feasible. Cancel still stops such a run.
int RecoveryBudget(int rows, int columns) {
    return std::max(lp::kIterationBudget, 10 * (rows + columns));
}
// A column counts as 0 at an optimum when its value is at most this (see ProvenZero), and the
// costs of an objective whose minimum is taken as 0 from such a point sum to at most the second:
// the objective is then at most 1e-12 there.
constexpr double kZeroColumn = 1e-14;
constexpr double kMaxZeroCostSum = 100.0;
// Optima remembered per set: enough for the minima of a calculation to find one where their
// columns are 0, few enough to check quickly.
constexpr std::size_t kPointsKept = 4096;
// Optima kept whole per set, and how close to 0 an objective must be at one of them for its
// minimum to be taken as 0 (the noise that WithoutRoundingNoise takes off an optimum).
constexpr std::size_t kRecentKept = 32;
constexpr double kZeroObjective = 1e-12;
// Tolerances of a run that goes on from a basis optimal only to the simplex's usual ones: well
// below those of the exact-optimum check, so that a basis optimal to them passes it.
constexpr double kPolishTolerance = 1e-10;
// The parts of a split program may take an exact optimum this much away from where their run had
// stopped. Such a move is the distance between the exact optimum of the program as the solver
// holds it (coefficients rounded to single precision) and a point where the simplex's
// tolerances let a run stop; a run on the whole program stops somewhere in that range too, and
// the weights the parts are multiplied with sum to at most 1 over any objective, so a result
// moves by about as much. A larger move means the rounded program's optimum lies visibly away
// from where runs stop, and the whole program decides, as on the reference path.
constexpr double kSplitMoveTolerance = 1e-7;

// Adds a term's coefficient to the cost of its column; a column named twice gets the sum.
void AddCost(std::vector<std::pair<int, double>>& costs, int column, double coefficient) {
    const auto same = std::find_if(costs.begin(), costs.end(),
                                   [column](const auto& cost) { return cost.first == column; });
    if (same != costs.end()) {
        same->second += coefficient;
    } else {
        costs.emplace_back(column, coefficient);
    }
}

} // namespace

struct WarmStartSolver::ConstraintSet {
    LpModel* lp = nullptr;
    // The set in the library solver (clp_problem.h): for whole sets, tried before our own.
    std::unique_ptr<ClpProblem> clp;
    bool clpUsable = false; // tried first for whole sets; parts use it only as a fallback
    SolverRows rows;        // the constraint rows; row 0 (the objective) stays empty
    // Per column 0..n, the library solver's columns whose sum with these coefficients is its
    // value (see CreateClp), and work areas for writing an objective over them.
    std::vector<ChainSteps::Terms> clpValue;
    std::vector<double> clpSum;
    std::vector<int> clpTouched;
    std::vector<int> costColumns;              // columns with a cost from the last program
    std::vector<std::pair<int, double>> costs; // the objective being loaded, per column
    std::vector<double> loadedCosts;           // the objective row 0..n as the solver holds it
    // The rows go to our own solver scaled so that their decimals are exact in single precision
    // (ExactInSinglePrecision). Set for the parts of split sets, whose optima are taken as exact:
    // rounded, a ratio statement's row moves them by about 1e-7. The weight rows are left as they
    // are (scaled, their programs often end short of an exact optimum and go to the whole set).
    bool exactDecimals = false;
    bool loadable = true;   // false: the rows cannot go to the solver, every program from scratch
    bool solved = false;    // some program of the set ended optimal
    bool failing = false;   // no program of the set has an optimum: every program from scratch
    bool slackStart = true; // the next program starts from the slack basis
    // How far, relative to 1 + its magnitude, an exact optimum may lie from the value where the
    // run had stopped and still count (below).
    double moveTolerance = kPolishTolerance;
    std::unique_ptr<Split> split; // the set split per attribute, when its rows allow it
    bool splitTried = false;
    bool generated = false;       // rows holds the set's rows
    int recoveries = 0;           // programs solved again from a fresh basis
    bool stoppedByBudget = false; // the last run ended neither optimal nor infeasible
    int lastStatus = LP_FEASIBLE; // how the last run ended
    const std::function<bool()>* runFault = nullptr; // the solver's test seam, see SetRunFault

    ConstraintSet() = default;
    ConstraintSet(const ConstraintSet&) = delete;
    ConstraintSet& operator=(const ConstraintSet&) = delete;
    ~ConstraintSet();

    // Frees the solver problem; the next program loads the rows again.
    void Drop() {
        if (lp != nullptr) {
            try {
                LP_DELETE(&lp);
            } catch (...) {
                lp = nullptr; // nothing more can be done for a problem that cannot be freed
            }
        }
        costColumns.clear();
        slackStart = true;
    }

    // Generates the rows of the set, once.
    void GenerateRows(const Model& model, const UnknownTerms& normalizer) {
        if (!generated) {
            SolverRows typed;
            ForEachModelRow(model, normalizer,
                            [&typed](const UnknownRow& row) { typed.AddConstraint(row); });
            rows = std::move(typed);
            generated = true;
            if (keepPoints) {
                FindTiedColumns();
            }
        }
    }

    // Each column's representative among the columns tied to it (TiedColumns). Two objectives that
    // give every class the same total cost are the same function on the feasible set, so their
    // programs have the same optimum (see Known).
    std::vector<int> representative;
    using ObjectiveKey = std::pair<std::uint8_t, std::vector<std::pair<int, double>>>;
    // A dominance program asks every part of a split for its key: hashed, a lookup does not
    // chase a tree of keys compared vector by vector.
    struct KeyHash {
        std::size_t operator()(const ObjectiveKey& objective) const {
            std::size_t h = objective.first;
            const auto mix = [&h](std::uint64_t value) {
                h ^= std::hash<std::uint64_t>{}(value) + 0x9e3779b97f4a7c15ULL + (h << 6U) +
                     (h >> 2U);
            };
            for (const auto& [column, cost] : objective.second) {
                mix(static_cast<std::uint64_t>(column));
                mix(std::bit_cast<std::uint64_t>(cost));
            }
            return h;
        }
    };
    std::unordered_map<ObjectiveKey, double, KeyHash> optima; // by the key of their objective
    ObjectiveKey key;                                         // of the objective being loaded

    void FindTiedColumns() { representative = TiedColumns(rows); }

    // The key of the objective in costs: per class of tied columns, the sum of its costs;
    // classes whose costs cancel drop out.
    void MakeKey(std::uint8_t direction) {
        key.first = direction;
        key.second.clear();
        if (representative.empty()) {
            return;
        }
        for (const auto& [column, cost] : costs) {
            AddCost(key.second, representative[static_cast<std::size_t>(column)], cost);
        }
        std::erase_if(key.second, [](const auto& entry) { return entry.second == 0.0; });
        std::sort(key.second.begin(), key.second.end());
    }

    // The optimum of the objective being loaded when the set has solved a program with the
    // same key, or 0 when no class has a cost left: every feasible point gives it 0, and the
    // set has had an optimum, so it has feasible points.
    std::optional<double> Known() const {
        if (representative.empty() || !solved) {
            return std::nullopt;
        }
        if (key.second.empty()) {
            return 0.0;
        }
        const auto found = optima.find(key);
        if (found == optima.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    void RememberOptimum(double objective) {
        if (!representative.empty()) {
            optima.emplace(key, objective);
        }
    }

    // Loads the rows into a new solver problem. False when they cannot reach the solver (a
    // number beyond single precision); solving from scratch then reports why.
    bool Create() {
        std::string error;
        if (!FitsSinglePrecision(rows, error)) {
            return false;
        }
        lp = NewSolverProblem(exactDecimals ? ExactInSinglePrecision(rows) : rows, false);
        loadedCosts.assign(static_cast<std::size_t>(rows.ColumnCount()) + 1, 0.0);
        return true;
    }

    // Loads the rows into the library solver, which takes them in double precision, with one
    // column per class of tied columns where they are known, and ranked chains written in steps
    // (chain_steps.h). A holistic ranking with alternatives that repeat another's levels ties
    // most levels to another, and most other rows order two levels: at 40 x 40 the program the
    // library solver gets has 88 rows instead of 1,617, and its runs take a third of the time.
    void CreateClp() {
        std::optional<MergedColumns> merged;
        if (!representative.empty()) {
            merged = MergeTiedColumns(rows, representative);
        }
        const SolverRows& loaded = merged ? merged->rows : rows;
        std::optional<ChainSteps> steps = WriteInSteps(loaded);
        clp = std::make_unique<ClpProblem>(steps ? steps->rows : loaded);
        clpValue.assign(static_cast<std::size_t>(rows.ColumnCount()) + 1, {});
        for (int j = 1; j <= rows.ColumnCount(); ++j) {
            const int column = merged ? merged->column[static_cast<std::size_t>(j)] : j;
            clpValue[static_cast<std::size_t>(j)] =
                steps ? steps->value[static_cast<std::size_t>(column)]
                      : ChainSteps::Terms{{column, 1.0}};
        }
        clpSum.assign(static_cast<std::size_t>(clp->ColumnCount()) + 1, 0.0);
        if (loadedCosts.size() != static_cast<std::size_t>(rows.ColumnCount()) + 1) {
            loadedCosts.assign(static_cast<std::size_t>(rows.ColumnCount()) + 1, 0.0);
            costColumns.clear();
        }
    }

    // Solves the program whose costs are loaded with the library solver: from the previous
    // optimal basis, which stays feasible when only the objective changed, and, should that
    // not end at an optimum, once more from the slack basis. True with solution filled at an
    // optimum; interrupted tells that the calculation is being cancelled.
    bool SolveClp(std::uint8_t direction, TSolution& solution, bool& interrupted) {
        const int budget = RecoveryBudget(rows.RowCount(), rows.ColumnCount());
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (attempt > 0) {
                clp->Restart();
            }
            const ClpProblem::Outcome outcome = clp->Minimize(budget);
            if (outcome == ClpProblem::Outcome::Interrupted) {
                interrupted = true;
                return false;
            }
            if (outcome == ClpProblem::Outcome::Optimal && !Faulted()) {
                if (keepPoints) {
                    RememberPoint(ClpPoint());
                }
                const double objective = clp->Objective();
                solution.Failed = kSolveOptimal;
                solution.Objective = direction == kMinimize ? objective : -objective;
                solved = true;
                return true;
            }
            // An infeasible verdict on rows that no program has had an optimum for stands;
            // our own solver and solving from scratch confirm it.
            if (outcome == ClpProblem::Outcome::Infeasible && !solved) {
                return false;
            }
        }
        clp->Restart();
        return false;
    }

    // Solves the program whose costs are loaded with our own solver and, where that ends at no
    // exact optimum, with the library solver on the same rows in double precision. A part of a
    // split whose single-precision rows leave our solver short of an exact optimum would
    // otherwise send every program that names it to the whole set, which is a hundred times
    // larger.
    bool SolveWithFallback(std::uint8_t direction, TSolution& solution) {
        if (Solve(direction, solution)) {
            return true;
        }
        // A verdict on the rows stands, and a calculation being cancelled stops here (our
        // solver stops as at its budget when Cancel comes, and the answer stays true).
        if (lastStatus == LP_INFEASIBLE || lastStatus == LP_UNBOUNDED || lp::interruptRequested()) {
            return false;
        }
        if (!clp) {
            CreateClp();
        }
        bool interrupted = false;
        return PutCosts(direction, false) && SolveClp(direction, solution, interrupted);
    }

    bool Load(SolverRows loaded) {
        rows = std::move(loaded);
        generated = true;
        return Create();
    }

    // Where the optima of earlier programs of the set lie: per optimum, one bit per column that
    // was clear of 0 there (bit j for column j). Kept for whole sets only (see ProvenZero).
    bool keepPoints = false;
    std::deque<std::vector<std::uint64_t>> points; // oldest first
    std::deque<std::vector<double>> recent;        // the latest optima themselves, columns 1..n

    // The optimum our own solver just reached, columns 1..n. The values are read by basis
    // position: LP_GETSOL looks a basic column's position up one by one.
    std::vector<double> LpPoint() const {
        const int n = rows.ColumnCount();
        std::vector<double> values(static_cast<std::size_t>(n) + 1, 0.0);
        for (int j = 1; j <= n; ++j) {
            const int status = LP_GETVARSTAT(j, lp);
            if ((status & LP_BASIC) == 0) {
                values[static_cast<std::size_t>(j)] =
                    status == LP_AT_UPPER ? LP_GETUBOUND(j, lp) : LP_GETLBOUND(j, lp);
            }
        }
        const int m = LP_M(lp);
        for (int p = 1; p <= m; ++p) {
            const int k = LP_BASISVAR(p, lp);
            if (k > 0) {
                values[static_cast<std::size_t>(k)] = LP_BASISVAL(p, lp);
            }
        }
        return values;
    }

    // The optimum the library solver just reached, columns 1..n.
    std::vector<double> ClpPoint() const {
        const std::vector<double> point = clp->Point();
        std::vector<double> values(clpValue.size(), 0.0);
        for (std::size_t j = 1; j < clpValue.size(); ++j) {
            for (const auto& [column, factor] : clpValue[j]) {
                values[j] += factor * point[static_cast<std::size_t>(column)];
            }
        }
        return values;
    }

    // Remembers which columns an optimum (columns 1..n) holds clear of 0, and, when that
    // differs from the last optimum, the point itself.
    void RememberPoint(std::vector<double> values) {
        const int n = rows.ColumnCount();
        std::vector<std::uint64_t> bits(static_cast<std::size_t>(n) / 64 + 1, 0);
        for (int j = 1; j <= n; ++j) {
            if (values[static_cast<std::size_t>(j)] > kZeroColumn) {
                bits[static_cast<std::size_t>(j) / 64] |= std::uint64_t{1} << (j % 64);
            }
        }
        if (points.empty() || points.back() != bits) {
            if (points.size() == kPointsKept) {
                points.pop_front();
            }
            points.push_back(std::move(bits));
            if (recent.size() == kRecentKept) {
                recent.pop_front();
            }
            recent.push_back(std::move(values));
        }
    }

    // Whether the minimum of an objective that the rows make at least 0 everywhere (a
    // dominance program whose alternative is ranked no lower than the other) is proven to be
    // 0: one of the latest optima of the set, a feasible point of the same rows, puts the
    // objective within 1e-12 of 0. The simplex would end at an exact optimum between 0 and
    // that, which the calculation stores as 0 (see WithoutRoundingNoise).
    bool ProvenZeroNonNegative() const {
        for (auto point = recent.rbegin(); point != recent.rend(); ++point) {
            double value = 0.0;
            for (const auto& [column, cost] : costs) {
                value += cost * (*point)[static_cast<std::size_t>(column)];
            }
            if (std::fabs(value) <= kZeroObjective) {
                return true;
            }
        }
        return false;
    }

    // Whether the minimum of the objective in costs is proven to be 0 without solving: every
    // cost is non-negative, so no feasible point (all columns are non-negative) goes below 0,
    // and an earlier optimum of the set, a feasible point of the same rows, holds every column
    // with a cost at 0. There the objective is at most the sum of the costs times kZeroColumn,
    // at most 1e-12 with costs summing to at most 100: the simplex, solving the program, would
    // end at an exact optimum between 0 and that, which the calculation stores as 0 (see
    // WithoutRoundingNoise).
    bool ProvenZero() const {
        double sum = 0.0;
        for (const auto& [column, cost] : costs) {
            if (cost < 0.0) {
                return false;
            }
            sum += cost;
        }
        if (sum > kMaxZeroCostSum) {
            return false;
        }
        for (auto point = points.rbegin(); point != points.rend(); ++point) {
            const bool zero = std::none_of(costs.begin(), costs.end(), [&](const auto& cost) {
                const auto j = static_cast<std::size_t>(cost.first);
                return cost.second > 0.0 && ((*point)[j / 64] >> (j % 64) & 1U) != 0;
            });
            if (zero) {
                return true;
            }
        }
        return false;
    }

    // Puts the objective of parts into the objective row. False when it names a variable that
    // no row names (it would need a column of its own) or a cost does not fit single precision
    // (PutCosts: an infinite or undefined one does not either).
    bool SetObjective(const ProgramParts& parts) {
        costs.clear();
        for (const UnknownTerm& term : parts.Objective) {
            const int column = rows.ColumnOf(term.Var);
            if (column == 0) {
                return false;
            }
            AddCost(costs, column, term.Coefficient);
        }
        MakeKey(parts.Direction);
        return PutCosts(parts.Direction, false);
    }

    // Puts costs into the objective row, rounded to single precision as every coefficient read
    // from the model, or exactly for costs computed by the calculation itself.
    bool PutCosts(std::uint8_t direction, bool exact) {
        for (const auto& cost : costs) {
            if (!FitsSinglePrecision(cost.second)) {
                return false;
            }
        }
        for (const int column : costColumns) {
            loadedCosts[static_cast<std::size_t>(column)] = 0.0;
        }
        costColumns.clear();
        for (const auto& [column, value] : costs) {
            // The solver minimizes: a maximized objective is loaded negated.
            const double loaded = direction == kMaximize ? -value : value;
            loadedCosts[static_cast<std::size_t>(column)] =
                exact ? loaded : static_cast<double>(static_cast<float>(loaded));
            costColumns.push_back(column);
        }
        if (lp != nullptr) {
            LP_PUTOBJECTIVE(loadedCosts.data(), lp);
        }
        if (clp) {
            // The library solver takes the rows and costs as the model states them.
            clpTouched.clear();
            for (const auto& [column, value] : costs) {
                AddTerms(clpValue[static_cast<std::size_t>(column)],
                         direction == kMaximize ? -value : value, clpSum, clpTouched);
            }
            std::vector<std::pair<int, double>> minimized;
            TakeSum(clpSum, clpTouched, minimized);
            clp->SetCosts(minimized);
        }
        return true;
    }

    // From the previous optimal basis, which is still feasible when only the objective changed;
    // should that not end at an exact optimum, once more from the slack basis, and then from a
    // fresh basis with a budget that large degenerate programs need.
    bool Solve(std::uint8_t direction, TSolution& solution) {
        if (!slackStart) {
            if (Optimize(direction, solution, WarmBudget(rows.RowCount()))) {
                return true;
            }
            LP_REINVERT(lp);
        }
        if (Optimize(direction, solution, SlackStartBudget(rows.RowCount()))) {
            return true;
        }
        // A run that declared rows infeasible that earlier programs of the set had optima for
        // lost its way numerically in a large basis (the product-form inverse drifts); the
        // primal simplex alone, without the dual simplex's start, takes another path from the
        // slack basis. A run that ended at a basis that is not an exact optimum would take the
        // same path to the same basis again: the reference formulation decides.
        const bool wrongVerdict = solved && lastStatus == LP_INFEASIBLE;
        if (!stoppedByBudget && !wrongVerdict) {
            return false;
        }
        ++recoveries;
        LP_REINVERT(lp);
        return Optimize(direction, solution, RecoveryBudget(rows.RowCount(), rows.ColumnCount()),
                        !wrongVerdict);
    }

    // Runs the simplex from the current basis. True with solution filled when it ends at an
    // exact optimum; otherwise the problem is put back on the slack basis.
    //
    // From the slack basis the dual simplex goes first. For the usual first program of a set
    // (minimise values that the rows push up from zero) the slack basis is dual feasible and
    // only a few rows are violated; the dual simplex then needs a few iterations where the
    // primal one, starting from the same basis, may need thousands of small steps. The primal
    // simplex finishes from wherever the dual one stopped.
    bool Optimize(std::uint8_t direction, TSolution& solution, int budget, bool dualFirst = true) {
        if (slackStart && dualFirst) {
            LP_DUALBUDGET(budget, lp);
        }
        slackStart = false;
        LP_PRIMALBUDGET(budget, lp);
        bool exact = LP_GETSTATUS(lp) == LP_OPTIMAL && ExactOptimum();
        if (!exact && LP_GETSTATUS(lp) == LP_OPTIMAL) {
            // Optimal to the simplex's tolerances but not exactly: a few basic values lie
            // slightly outside their bounds or a few rates improve slightly, mostly after the
            // bounds were relaxed against degeneracy. Going on from here under tight tolerances
            // costs a few iterations; starting again costs the whole program. The exact optimum
            // so found counts only when it has the value the simplex stopped at: otherwise that
            // value was off by more than rounding, and solving from the slack basis decides.
            const double stopped = LP_GETSOL(0, lp);
            LP_SETTOLERANCES(kPolishTolerance, kPolishTolerance, lp);
            LP_PRIMALBUDGET(budget, lp);
            LP_SETTOLERANCES(lp::kEpsCost, lp::kEpsFea, lp);
            exact =
                LP_GETSTATUS(lp) == LP_OPTIMAL && ExactOptimum() &&
                std::fabs(LP_GETSOL(0, lp) - stopped) <= moveTolerance * (1.0 + std::fabs(stopped));
        }
        lastStatus = LP_GETSTATUS(lp);
        stoppedByBudget = lastStatus == LP_FEASIBLE;
        if (exact && Faulted()) {
            exact = false;
            stoppedByBudget = true;
        }
        if (exact) {
            if (keepPoints) {
                RememberPoint(LpPoint());
            }
            const double objective = LP_GETSOL(0, lp);
            solution.Failed = kSolveOptimal;
            solution.Objective = direction == kMinimize ? -objective : objective;
            solved = true;
            return true;
        }
        LP_SETUP(lp);
        slackStart = true;
        return false;
    }

    // Whether the test seam (WarmStartSolver::SetRunFault) turns this run into a failed one.
    bool Faulted() const { return runFault != nullptr && *runFault && (*runFault)(); }

    // Whether the optimal basis the simplex stopped at is an exact optimum: every basic
    // variable within its bounds and no nonbasic variable that could still improve the
    // objective, both to a tolerance far below the simplex's own (which accepts a basic value
    // up to 1e-5 outside its bounds and an improvement rate up to 1e-5). A basis accepted only
    // within the simplex's tolerances may be off by about that much, and which such basis a
    // solve ends at depends on where it started.
    bool ExactOptimum() {
        constexpr double kTolerance = 1e-9;
        return LP_ISOPTIMAL(kTolerance, lp) != 0;
    }
};

// One attribute's own rows with its weight fixed at 1 (program_split.h), shared by the splits of
// all sets: only the weight rows differ from one normalizer to the next.
struct WarmStartSolver::Part {
    ConstraintSet set;
    bool admitsWeight = false; // the rows admit weight 1
};

// The programs of a set whose rows split per attribute: each part's optimum, the attribute's
// weight fixed at 1, becomes the cost of that weight in one solver problem over the weight rows.
struct WarmStartSolver::Split {
    ProgramSplit plan;        // its rows moved into the solver problems
    std::vector<Part*> parts; // owned by the solver
    std::unique_ptr<ConstraintSet> weights;

    // True with solution filled when every part and then the weights have an exact optimum.
    bool Solve(const ProgramParts& program, const SolverRows& rows, TSolution& solution) {
        std::vector<std::vector<std::pair<int, double>>> terms(parts.size());
        for (const UnknownTerm& term : program.Objective) {
            const int column = rows.ColumnOf(term.Var);
            const int part = column == 0 ? -1 : plan.partOf[static_cast<std::size_t>(column - 1)];
            if (part < 0) {
                return false; // no row names it, or a variable of no attribute
            }
            const int local = plan.columnIn[static_cast<std::size_t>(column - 1)];
            AddCost(terms[static_cast<std::size_t>(part)], local, term.Coefficient);
        }
        ConstraintSet& weightSet = *weights;
        weightSet.costs.clear();
        for (std::size_t p = 0; p < parts.size(); ++p) {
            if (terms[p].empty()) {
                continue;
            }
            // Programs that give every class of tied columns (alternatives at levels of equal
            // rank) the same costs have the same optimum: a dominance program asks each part
            // about two levels, and many pairs of alternatives share the pair of levels.
            ConstraintSet& set = parts[p]->set;
            set.costs = std::move(terms[p]);
            set.MakeKey(program.Direction);
            std::optional<double> optimum = set.Known();
            if (!optimum) {
                TSolution partial;
                if (!set.PutCosts(program.Direction, false) ||
                    !set.SolveWithFallback(program.Direction, partial)) {
                    return false; // unbounded, say: the whole program decides
                }
                optimum = partial.Objective;
                set.RememberOptimum(partial.Objective);
            }
            if (*optimum != 0.0) {
                weightSet.costs.emplace_back(plan.parts[p].weightColumn, *optimum);
            }
        }
        return weightSet.PutCosts(program.Direction, true) &&
               weightSet.Solve(program.Direction, solution);
    }
};

WarmStartSolver::ConstraintSet::~ConstraintSet() {
    Drop();
}

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
    if (lp::modelTable().size() + 2 < lp::kMaxModels) {
        return;
    }
    for (auto& entry : sets_) {
        entry.second->Drop();
    }
}

std::unique_ptr<WarmStartSolver::Split> WarmStartSolver::MakeSplit(const SolverRows& rows) {
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
    if (lp::modelTable().size() + newParts + 1 > lp::kMaxModels - kModelsLeft) {
        return nullptr; // the solver holds only so many problems at a time
    }
    auto split = std::make_unique<Split>();
    split->weights = std::make_unique<ConstraintSet>();
    split->weights->moveTolerance = kSplitMoveTolerance;
    split->weights->runFault = &runFault_;
    if (!split->weights->Load(std::move(plan->weights))) {
        return nullptr;
    }
    for (std::size_t p = 0; p < plan->parts.size(); ++p) {
        std::unique_ptr<Part>& part = parts_[signatures[p]];
        if (!part) {
            part = std::make_unique<Part>();
            part->set.moveTolerance = kSplitMoveTolerance;
            part->set.exactDecimals = true;
            part->set.runFault = &runFault_;
            // A part whose rows do not admit weight 1 holds its weight at 0, which the weight
            // rows alone do not say: no set that has it is split.
            TSolution feasible;
            part->admitsWeight = part->set.Load(std::move(plan->parts[p].rows)) &&
                                 part->set.PutCosts(kMinimize, false) &&
                                 part->set.SolveWithFallback(kMinimize, feasible);
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

WarmStartSolver::ConstraintSet& WarmStartSolver::SetFor(const UnknownTerms& normalizer) {
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
    if (set.lp != nullptr) {
        return true;
    }
    MakeRoomForProblem();
    if (set.Create()) {
        return true;
    }
    set.Drop();
    return false;
}

TSolution WarmStartSolver::SolveFromScratch(const ProgramParts& parts) {
    ++scratchSolves_;
    return SolveGuarded({}, AssembleProgram(model_, parts));
}

TSolution WarmStartSolver::Solve(const ProgramParts& parts) {
    TSolution solution;
    solution.Direction = parts.Direction;
    if (parts.Direction != kMinimize && parts.Direction != kMaximize) {
        return solution;
    }
    ConstraintSet& set = SetFor(parts.Normalizer);
    if (set.failing || !set.loadable) {
        return SolveFromScratch(parts);
    }
    try {
        set.GenerateRows(model_, parts.Normalizer);
        // A set whose rows split per attribute solves its programs in parts; a program the
        // parts cannot settle goes the usual way.
        if (!set.splitTried) {
            set.splitTried = true;
            set.split = MakeSplit(set.rows);
        }
        if (set.split && set.split->Solve(parts, set.rows, solution)) {
            set.solved = true;
            ++splitSolves_;
            return solution;
        }
        if (set.clpUsable && !set.clp) {
            set.CreateClp();
        }
        if (!set.clp && !OwnProblem(set)) {
            set.loadable = false;
            return SolveFromScratch(parts);
        }
        if (!set.SetObjective(parts)) {
            return SolveFromScratch(parts);
        }
        if (const std::optional<double> known = set.Known()) {
            ++knownSolves_;
            solution.Failed = kSolveOptimal;
            solution.Objective = *known;
            return solution;
        }
        if (parts.Direction == kMinimize &&
            (set.ProvenZero() || (parts.NonNegative && set.ProvenZeroNonNegative()))) {
            ++provenSolves_;
            solution.Failed = kSolveOptimal;
            solution.Objective = 0.0;
            return solution;
        }
        if (set.clp) {
            bool interrupted = false;
            if (set.SolveClp(parts.Direction, solution, interrupted)) {
                ++clpSolves_;
                set.RememberOptimum(solution.Objective);
                return solution;
            }
            if (interrupted) {
                solution.Failed = kSolveFailed;
                return solution;
            }
            // Our own solver goes on with the same objective, then solving from scratch.
            if (!OwnProblem(set)) {
                return SolveFromScratch(parts);
            }
            set.PutCosts(parts.Direction, false); // checked by SetObjective above
        }
        if (set.Solve(parts.Direction, solution)) {
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
    // Otherwise solving the program from scratch decides its outcome, so a failure looks
    // exactly as it would without the warm start. A set that has never had an optimum and
    // fails from scratch too (its rows contradict each other) is not tried again.
    solution = SolveFromScratch(parts);
    if (solution.Failed == kSolveOptimal) {
        set.solved = true;
    } else if (!set.solved) {
        set.failing = true;
    }
    return solution;
}

} // namespace velor
