#include "lp/dual_simplex.h"

#include "lp/diagnostics.h"
#include "lp/lp_model.h"
#include "lp/reinversion.h"

#include <cmath>
#include <vector>

namespace lp {
namespace {

// One run of the dual simplex. The reduced cost of nonbasic variable j is d_j = (row 0 of
// B^-1) . (c_j; a_j); the basis is dual feasible when no variable at its lower bound has
// d_j < -kEpsCost and none at its upper bound has d_j > kEpsCost (increasing z, the maximised
// objective, is then impossible). Each iteration lets the basic variable farthest outside its
// bounds leave at the bound it violates, and enters the nonbasic variable that keeps the
// reduced costs feasible, chosen by a two-pass ratio test like the primal's.
class DualRun {
public:
    explicit DualRun(LpModel& model)
        : lp_(model), prices_(static_cast<size_t>(model.m) + 1),
          row_(static_cast<size_t>(model.m) + 1), alpha_(static_cast<size_t>(model.m) + 1),
          reducedCosts_(static_cast<size_t>(model.m + model.n) + 1),
          rowEntries_(static_cast<size_t>(model.m + model.n) + 1) {}

    LpStatus run(int budget);

private:
    // Index of variable k (-m..n) in the arrays over all variables.
    size_t slot(int k) const { return static_cast<size_t>(k + lp_.m); }
    // Basic, fixed and the objective logical (k = 0) variables cannot enter.
    bool entersNever(int k) const {
        return k == 0 || isBasic(lp_.varstat(k)) || lp_.lower(k) == lp_.upper(k);
    }
    // Row p of B^-1 (position 0: the objective row) times every nonbasic column, into out.
    void rowTimesColumns(int p, std::vector<double>& inverseRow, std::vector<double>& out);
    bool dualFeasible();
    int leavingPosition(double& direction) const;
    int enteringVariable(double direction) const;
    void pivot(int q, int r, double direction);

    LpModel& lp_;
    std::vector<double> prices_;
    std::vector<double> row_;
    std::vector<double> alpha_;
    std::vector<double> reducedCosts_;
    std::vector<double> rowEntries_;
};

void DualRun::rowTimesColumns(int p, std::vector<double>& inverseRow, std::vector<double>& out) {
    std::fill(inverseRow.begin(), inverseRow.end(), 0.0);
    inverseRow[static_cast<size_t>(p)] = 1.0;
    lp_.etas.btran(inverseRow, kEpsZero);
    for (int k = -lp_.m; k <= lp_.n; ++k) {
        if (entersNever(k))
            continue;
        double v;
        if (k > 0) {
            v = inverseRow[0] * lp_.costs[static_cast<size_t>(k)];
            for (const PackedEntry& e : lp_.column(k))
                v += inverseRow[static_cast<size_t>(e.index)] * e.value;
        } else {
            v = inverseRow[static_cast<size_t>(-k)];
        }
        out[slot(k)] = std::fabs(v) <= kEpsZero ? 0.0 : v;
    }
}

bool DualRun::dualFeasible() {
    rowTimesColumns(0, prices_, reducedCosts_);
    for (int k = -lp_.m; k <= lp_.n; ++k) {
        if (entersNever(k))
            continue;
        const double d = reducedCosts_[slot(k)];
        const LpVarStat s = lp_.varstat(k);
        if ((s == LP_AT_LOWER && d < -kEpsCost) || (s == LP_AT_UPPER && d > kEpsCost))
            return false;
    }
    return true;
}

// The position whose basic variable lies farthest outside its bounds (0: none), and whether it
// must rise (+1) or fall (-1) to its bound.
int DualRun::leavingPosition(double& direction) const {
    int best = 0;
    double worst = kEpsFea;
    for (int p = 1; p <= lp_.m; ++p) {
        const int k = lp_.base[static_cast<size_t>(p)];
        const double x = lp_.basicValues[static_cast<size_t>(p)];
        const double below = lp_.lower(k) - x;
        const double above = x - lp_.upper(k);
        if (below > worst) {
            worst = below;
            best = p;
            direction = 1.0;
        } else if (above > worst) {
            worst = above;
            best = p;
            direction = -1.0;
        }
    }
    return best;
}

// The nonbasic variable whose move carries the leaving variable towards its bound while the
// reduced costs stay feasible: pass 1 finds the largest step A allowed by the reduced costs
// relaxed by kEpsCost, pass 2 takes the largest row entry among the ratios within A. 0: none,
// so no move of the nonbasic variables can bring that row within its bounds.
int DualRun::enteringVariable(double direction) const {
    auto eligible = [&](int k, double& entry, double& cost) {
        if (entersNever(k))
            return false;
        // Raising x_k by one moves the leaving variable by -entry.
        const double up = lp_.varstat(k) == LP_AT_UPPER ? -1.0 : 1.0;
        entry = -direction * up * rowEntries_[slot(k)];
        cost = std::max(0.0, up * reducedCosts_[slot(k)]);
        return entry > kEpsPiv;
    };
    double a = kInfinity;
    for (int k = -lp_.m; k <= lp_.n; ++k) {
        double entry, cost;
        if (eligible(k, entry, cost))
            a = std::min(a, (cost + kEpsCost) / entry);
    }
    int q = 0;
    double largest = 0.0;
    for (int k = -lp_.m; k <= lp_.n; ++k) {
        double entry, cost;
        if (eligible(k, entry, cost) && cost / entry <= a && entry > largest) {
            largest = entry;
            q = k;
        }
    }
    return q;
}

void DualRun::pivot(int q, int r, double direction) {
    extendedColumn(lp_, q, alpha_);
    lp_.etas.ftran(alpha_, kEpsZero);
    if (std::fabs(alpha_[static_cast<size_t>(r)]) <= kEpsPiv)
        fatal("Dual: pivot element smaller than epsPiv");
    const int k = lp_.base[static_cast<size_t>(r)];
    lp_.etas.updEta(alpha_, r);
    lp_.base[static_cast<size_t>(r)] = q;
    lp_.varstat(k) =
        lp_.lower(k) == lp_.upper(k) ? LP_FIXED : (direction > 0.0 ? LP_AT_LOWER : LP_AT_UPPER);
    lp_.varstat(q) = LP_BASIC;
    ++lp_.pivotsSinceReinversion;
    ++lp_.iterations;
    if (lp_.pivotsSinceReinversion >= kReinversionInterval) {
        reinvert(lp_); // which computes the values and their feasibility
        return;
    }
    computeBasicValues(lp_);
    recountInfeasibilities(lp_);
}

LpStatus DualRun::run(int budget) {
    if (interruptRequested())
        return LP_FEASIBLE;
    recountInfeasibilities(lp_);
    if (!dualFeasible())
        return LP_FEASIBLE;
    for (int done = 0; done < budget; ++done) {
        double direction = 0.0;
        const int r = leavingPosition(direction);
        if (r == 0)
            return LP_OPTIMAL;
        rowTimesColumns(r, row_, rowEntries_);
        const int q = enteringVariable(direction);
        if (q == 0)
            return LP_INFEASIBLE;
        pivot(q, r, direction);
        if (interruptRequested())
            return LP_FEASIBLE;
        rowTimesColumns(0, prices_, reducedCosts_);
    }
    return LP_FEASIBLE;
}

} // namespace

LpStatus dualSimplex(LpModel& lp, int budget) {
    return DualRun(lp).run(budget);
}

} // namespace lp
