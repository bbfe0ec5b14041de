#include "calc/constraint_set.h"

#include "calc/chain_steps.h"
#include "calc/solver_rows.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <string>
#include <utility>

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
    return std::max(kDefaultIterationBudget, 10 * (rows + columns));
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
} // namespace

void AddCost(std::vector<std::pair<int, double>>& costs, int column, double coefficient) {
    const auto same = std::find_if(costs.begin(), costs.end(),
                                   [column](const auto& cost) { return cost.first == column; });
    if (same != costs.end()) {
        same->second += coefficient;
    } else {
        costs.emplace_back(column, coefficient);
    }
}

ConstraintSet::ConstraintSet() = default;
ConstraintSet::~ConstraintSet() = default;

void ConstraintSet::GenerateRows(const Model& model, const UnknownTerms& normalizer) {
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

std::size_t ConstraintSet::KeyHash::operator()(const ObjectiveKey& objective) const {
    // A dominance program asks every part of a split for its key: hashed, a lookup does not
    // chase a tree of keys compared vector by vector.
    std::size_t h = objective.first;
    const auto mix = [&h](std::uint64_t value) {
        h ^= std::hash<std::uint64_t>{}(value) + 0x9e3779b97f4a7c15ULL + (h << 6U) + (h >> 2U);
    };
    for (const auto& [column, cost] : objective.second) {
        mix(static_cast<std::uint64_t>(column));
        mix(std::bit_cast<std::uint64_t>(cost));
    }
    return h;
}

void ConstraintSet::FindTiedColumns() {
    representative = TiedColumns(rows);
}

void ConstraintSet::MakeKey(Direction direction) {
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

std::optional<double> ConstraintSet::Known() const {
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

void ConstraintSet::RememberOptimum(double objective) {
    if (!representative.empty()) {
        optima.emplace(key, objective);
    }
}

bool ConstraintSet::Create() {
    std::string error;
    if (!FitsSinglePrecision(rows, error)) {
        return false;
    }
    own = MakeBackend(BackendKind::OwnSimplex, exactDecimals ? ExactInSinglePrecision(rows) : rows);
    slackStart = true;
    return true;
}

bool ConstraintSet::Load(SolverRows loaded) {
    rows = std::move(loaded);
    generated = true;
    return Create();
}

// The library solver takes the rows in double precision, with one column per class of tied
// columns where they are known, and ranked chains written in steps (chain_steps.h). A holistic
// ranking with alternatives that repeat another's levels ties most levels to another, and most
// other rows order two levels: at 40 x 40 the program the library solver gets has 88 rows
// instead of 1,617, and its runs take a third of the time.
void ConstraintSet::CreateClp() {
    std::optional<MergedColumns> merged;
    if (!representative.empty()) {
        merged = MergeTiedColumns(rows, representative);
    }
    const SolverRows& loaded = merged ? merged->rows : rows;
    std::optional<ChainSteps> steps = WriteInSteps(loaded);
    clp = MakeBackend(BackendKind::Library, steps ? steps->rows : loaded);
    clpValue.assign(static_cast<std::size_t>(rows.ColumnCount()) + 1, {});
    for (int j = 1; j <= rows.ColumnCount(); ++j) {
        const int column = merged ? merged->column[static_cast<std::size_t>(j)] : j;
        clpValue[static_cast<std::size_t>(j)] = steps ? steps->value[static_cast<std::size_t>(column)]
                                                      : ChainSteps::Terms{{column, 1.0}};
    }
    clpSum.assign(static_cast<std::size_t>(clp->ColumnCount()) + 1, 0.0);
}

bool ConstraintSet::SolveClp(Direction direction, TSolution& solution, const CancelToken& cancel,
                             bool& cancelled) {
    RunOptions run;
    run.Budget = RecoveryBudget(rows.RowCount(), rows.ColumnCount());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            clp->Restart();
        }
        const SolveStatus status = clp->Minimize(run, cancel);
        solution.Iterations += clp->Iterations();
        if (status == SolveStatus::Cancelled) {
            cancelled = true;
            return false;
        }
        if (status == SolveStatus::Optimal && !Faulted()) {
            if (keepPoints) {
                RememberPoint(ClpPoint());
            }
            const double objective = clp->Objective();
            solution.Status = SolveStatus::Optimal;
            solution.Objective = direction == kMinimize ? objective : -objective;
            solved = true;
            return true;
        }
        // An infeasible verdict on rows that no program has had an optimum for stands; our own
        // solver and solving from scratch confirm it.
        if (status == SolveStatus::Infeasible && !solved) {
            clpInfeasible = true;
            return false;
        }
    }
    clp->Restart();
    return false;
}

bool ConstraintSet::SolveWithFallback(Direction direction, TSolution& solution,
                                      const CancelToken& cancel) {
    // Where our own solver ends at no exact optimum, the library solver takes the same rows in
    // double precision. A part of a split whose single-precision rows leave our solver short of
    // an exact optimum would otherwise send every program that names it to the whole set,
    // which is a hundred times larger.
    if (Solve(direction, solution, cancel)) {
        return true;
    }
    // A verdict on the rows stands, and a calculation being cancelled stops here.
    if (lastStatus == SolveStatus::Infeasible || lastStatus == SolveStatus::Unbounded ||
        lastStatus == SolveStatus::Cancelled || cancel.Requested()) {
        return false;
    }
    if (!clp) {
        CreateClp();
    }
    bool cancelled = false;
    return PutCosts(direction, false) && SolveClp(direction, solution, cancel, cancelled);
}

std::vector<double> ConstraintSet::ClpPoint() const {
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
void ConstraintSet::RememberPoint(std::vector<double> values) {
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
bool ConstraintSet::ProvenZeroNonNegative() const {
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
bool ConstraintSet::ProvenZero() const {
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

bool ConstraintSet::SetObjective(const ProgramParts& parts) {
    costs.clear();
    for (const UnknownTerm& term : parts.Objective) {
        const int column = rows.ColumnOf(term.Var);
        if (column == 0) {
            return false; // it would need a column of its own
        }
        AddCost(costs, column, term.Coefficient);
    }
    MakeKey(parts.Direction);
    return PutCosts(parts.Direction, false);
}

bool ConstraintSet::PutCosts(Direction direction, bool exact) {
    for (const auto& cost : costs) {
        if (!FitsSinglePrecision(cost.second)) {
            return false;
        }
    }
    // The solvers minimize: a maximized objective is loaded negated.
    const double sign = direction == kMaximize ? -1.0 : 1.0;
    if (own) {
        std::vector<std::pair<int, double>> loaded;
        loaded.reserve(costs.size());
        for (const auto& [column, value] : costs) {
            const double cost = sign * value;
            loaded.emplace_back(column, exact ? cost : static_cast<double>(static_cast<float>(cost)));
        }
        own->SetCosts(loaded);
    }
    if (clp) {
        // The library solver takes the rows and costs as the model states them.
        clpTouched.clear();
        for (const auto& [column, value] : costs) {
            AddTerms(clpValue[static_cast<std::size_t>(column)], sign * value, clpSum, clpTouched);
        }
        std::vector<std::pair<int, double>> minimized;
        TakeSum(clpSum, clpTouched, minimized);
        clp->SetCosts(minimized);
    }
    return true;
}

bool ConstraintSet::Solve(Direction direction, TSolution& solution, const CancelToken& cancel) {
    // From the previous optimal basis, which is still feasible when only the objective changed;
    // should that not end at an exact optimum, once more from the slack basis, and then from a
    // fresh basis with a budget that large degenerate programs need. From the slack basis the
    // dual simplex goes first: for the usual first program of a set (minimise values that the
    // rows push up from zero) the slack basis is dual feasible and only a few rows are
    // violated, so the dual simplex needs a few iterations where the primal one, starting from
    // the same basis, may need thousands of small steps.
    RunOptions run;
    run.DualFirst = true;
    run.MoveTolerance = moveTolerance;
    if (!slackStart) {
        run.Budget = WarmBudget(rows.RowCount());
        if (Optimize(direction, solution, run, cancel)) {
            return true;
        }
        own->Restart();
    }
    run.Budget = SlackStartBudget(rows.RowCount());
    if (Optimize(direction, solution, run, cancel)) {
        return true;
    }
    // A run that declared rows infeasible that earlier programs of the set had optima for lost
    // its way numerically in a large basis (the product-form inverse drifts); the primal
    // simplex alone, without the dual simplex's start, takes another path from the slack
    // basis. A run that ended at a basis that is not an exact optimum would take the same path
    // to the same basis again: the reference formulation decides.
    const bool wrongVerdict = solved && lastStatus == SolveStatus::Infeasible;
    if (lastStatus != SolveStatus::IterationLimit && !wrongVerdict) {
        return false;
    }
    ++recoveries;
    own->Restart();
    run.Budget = RecoveryBudget(rows.RowCount(), rows.ColumnCount());
    run.DualFirst = !wrongVerdict;
    return Optimize(direction, solution, run, cancel);
}

bool ConstraintSet::Optimize(Direction direction, TSolution& solution, const RunOptions& run,
                             const CancelToken& cancel) {
    lastStatus = own->Minimize(run, cancel);
    solution.Iterations += own->Iterations();
    if (lastStatus == SolveStatus::Optimal && Faulted()) {
        // The test seam turns the run into one that spent its budget.
        lastStatus = SolveStatus::IterationLimit;
        own->Restart();
    }
    slackStart = lastStatus != SolveStatus::Optimal;
    if (lastStatus != SolveStatus::Optimal) {
        return false;
    }
    if (keepPoints) {
        RememberPoint(own->Point());
    }
    const double objective = own->Objective();
    solution.Status = SolveStatus::Optimal;
    solution.Objective = direction == kMinimize ? objective : -objective;
    solved = true;
    return true;
}

bool ConstraintSet::Split::Solve(const ProgramParts& program, const SolverRows& rows,
                                 TSolution& solution, const CancelToken& cancel) {
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
                !set.SolveWithFallback(program.Direction, partial, cancel)) {
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
           weightSet.Solve(program.Direction, solution, cancel);
}

} // namespace velor
