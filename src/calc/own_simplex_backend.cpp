// Our own simplex (src/lp) behind the backend seam: the only code of the calculation that talks
// to it in its own terms.
#include "calc/lp_backend.h"
#include "calc/solver_rows.h"
#include "lp/lpx.h"

#include <cmath>
#include <memory>

namespace velor {

namespace {

// Bound of a logical variable that the solver treats as infinite.
constexpr float kInfiniteBound = 1e31F;
// Tolerance of the exact-optimum check, and of a run that goes on from a basis optimal only to
// the simplex's usual tolerances (well below the check's, so that a basis optimal to them
// passes it).
constexpr double kExactTolerance = 1e-9;
constexpr double kPolishTolerance = 1e-10;

struct ProblemDeleter {
    void operator()(LpModel* lp) const {
        try {
            LP_DELETE(&lp);
        } catch (...) {
            // nothing more can be done for a problem that cannot be freed
        }
    }
};
using ProblemPtr = std::unique_ptr<LpModel, ProblemDeleter>;

// Lets the simplex ask the token while a run goes on, and puts back what was there before.
class ScopedInterrupt {
public:
    explicit ScopedInterrupt(const CancelToken& cancel)
        : previous_(LP_SETINTERRUPT(cancel.Function())) {}
    ~ScopedInterrupt() { LP_SETINTERRUPT(std::move(previous_)); }
    ScopedInterrupt(const ScopedInterrupt&) = delete;
    ScopedInterrupt& operator=(const ScopedInterrupt&) = delete;

private:
    std::function<bool()> previous_;
};

// Loads rows into a new problem of our own solver on the slack basis, not yet factorized.
ProblemPtr NewProblem(const SolverRows& rows) {
    const int m = rows.RowCount();
    ProblemPtr lp(LP_NEW(rows.ColumnCount(), m));
    for (int i = 1; i <= m; ++i) {
        LP_PUTELEM(static_cast<float>(rows.RightSides[static_cast<std::size_t>(i - 1)]), 0, i,
                   lp.get());
    }
    for (const auto& element : rows.Elements) {
        LP_PUTELEM(static_cast<float>(element.Value), element.Column, element.Row, lp.get());
    }
    for (int i = 1; i <= m; ++i) {
        float lower = 0.0F;
        float upper = 0.0F;
        switch (rows.Relations[static_cast<std::size_t>(i - 1)]) {
        case kRelationLessEqual:
            upper = kInfiniteBound;
            break;
        case kRelationGreaterEqual:
            lower = -kInfiniteBound;
            break;
        default:
            break;
        }
        LP_PUTLBOUND(lower, -i, lp.get());
        LP_PUTUBOUND(upper, -i, lp.get());
    }
    return lp;
}

class OwnSimplexBackend final : public LpBackend {
public:
    explicit OwnSimplexBackend(const SolverRows& rows)
        : lp_(NewProblem(rows)), rows_(rows.RowCount()), columns_(rows.ColumnCount()),
          costs_(static_cast<std::size_t>(columns_) + 1, 0.0) {}

    int RowCount() const override { return rows_; }
    int ColumnCount() const override { return columns_; }

    void SetCosts(const std::vector<std::pair<int, double>>& costs) override {
        for (const int column : costColumns_) {
            costs_[static_cast<std::size_t>(column)] = 0.0;
        }
        costColumns_.clear();
        for (const auto& [column, cost] : costs) {
            costs_[static_cast<std::size_t>(column)] = cost;
            costColumns_.push_back(column);
        }
        LP_PUTOBJECTIVE(costs_.data(), lp_.get());
    }

    SolveStatus Minimize(const RunOptions& options, const CancelToken& cancel) override {
        const ScopedInterrupt interrupt(cancel);
        const long long before = LP_ITERATIONTOTAL();
        LpModel* lp = lp_.get();
        bool decided = false;
        if (atSlack_ && options.DualFirst) {
            LP_DUALBUDGET(options.DualBudget > 0 ? options.DualBudget : options.Budget, lp);
            const int status = LP_GETSTATUS(lp);
            decided = options.DualVerdictStands && (status == LP_OPTIMAL || status == LP_INFEASIBLE);
        }
        atSlack_ = false;
        if (!decided) {
            LP_PRIMALBUDGET(options.Budget, lp);
        }
        int status = LP_GETSTATUS(lp);
        bool exact = status == LP_OPTIMAL;
        if (options.RequireExact && exact) {
            exact = LP_ISOPTIMAL(kExactTolerance, lp) != 0;
            if (!exact) {
                // Optimal to the simplex's tolerances but not exactly: a few basic values lie
                // slightly outside their bounds or a few rates improve slightly, mostly after
                // the bounds were relaxed against degeneracy. Going on from here under tight
                // tolerances costs a few iterations; starting again costs the whole program.
                // The exact optimum so found counts only when it has the value the simplex
                // stopped at: otherwise that value was off by more than rounding.
                const double stopped = LP_GETSOL(0, lp);
                LP_SETTOLERANCES(kPolishTolerance, kPolishTolerance, lp);
                LP_PRIMALBUDGET(options.Budget, lp);
                LP_SETTOLERANCES(LP_DEFAULT_TOLERANCE, LP_DEFAULT_TOLERANCE, lp);
                status = LP_GETSTATUS(lp);
                exact = status == LP_OPTIMAL && LP_ISOPTIMAL(kExactTolerance, lp) != 0 &&
                        std::fabs(LP_GETSOL(0, lp) - stopped) <=
                            options.MoveTolerance * (1.0 + std::fabs(stopped));
            }
        }
        iterations_ = static_cast<int>(LP_ITERATIONTOTAL() - before);
        SolveStatus outcome = SolveStatus::NumericalTrouble;
        switch (status) {
        case LP_OPTIMAL:
            outcome = exact || !options.RequireExact ? SolveStatus::Optimal
                                                     : SolveStatus::NumericalTrouble;
            break;
        case LP_INFEASIBLE:
            outcome = SolveStatus::Infeasible;
            break;
        case LP_UNBOUNDED:
            outcome = SolveStatus::Unbounded;
            break;
        case LP_FEASIBLE:
            outcome = cancel.Requested() ? SolveStatus::Cancelled : SolveStatus::IterationLimit;
            break;
        default:
            break;
        }
        if (options.RequireExact && outcome != SolveStatus::Optimal) {
            LP_SETUP(lp);
            atSlack_ = true;
        }
        return outcome;
    }

    void Restart() override {
        if (!atSlack_) {
            LP_SETUP(lp_.get());
            atSlack_ = true;
        }
        LP_REINVERT(lp_.get());
    }

    double Objective() const override { return -LP_GETSOL(0, lp_.get()); }

    // Read by basis position: LP_GETSOL looks a basic column's position up one by one.
    std::vector<double> Point() const override {
        LpModel* lp = lp_.get();
        std::vector<double> values(static_cast<std::size_t>(columns_) + 1, 0.0);
        for (int j = 1; j <= columns_; ++j) {
            const int status = LP_GETVARSTAT(j, lp);
            if ((status & LP_BASIC) == 0) {
                values[static_cast<std::size_t>(j)] =
                    status == LP_AT_UPPER ? LP_GETUBOUND(j, lp) : LP_GETLBOUND(j, lp);
            }
        }
        for (int p = 1; p <= rows_; ++p) {
            const int k = LP_BASISVAR(p, lp);
            if (k > 0) {
                values[static_cast<std::size_t>(k)] = LP_BASISVAL(p, lp);
            }
        }
        return values;
    }

    std::vector<double> RowPrices() const override {
        std::vector<double> prices(static_cast<std::size_t>(rows_) + 1, 0.0);
        LP_INVROW(prices.data(), 0, lp_.get());
        prices[0] = 0.0;
        return prices;
    }

    int Iterations() const override { return iterations_; }

private:
    ProblemPtr lp_;
    int rows_;
    int columns_;
    std::vector<double> costs_; // the objective row 0..n as the solver holds it
    std::vector<int> costColumns_;
    bool atSlack_ = true;
    int iterations_ = 0;
};

} // namespace

std::unique_ptr<LpBackend> MakeOwnSimplexBackend(const SolverRows& rows) {
    return std::make_unique<OwnSimplexBackend>(rows);
}

int OwnSimplexRoom() {
    return LP_ROOM();
}

long long OwnSimplexIterations() {
    return LP_ITERATIONTOTAL();
}

void SetSolverConsole(std::ostream* console) {
    LP_SETCONSOLE(console);
}

} // namespace velor
