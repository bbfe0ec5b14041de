// The LP_ entry points: pointer and index validation, loading, and the calls into the basis,
// reinversion and simplex code.
#include "lp/lpx.h"
#include "lp/lpx_testing.h"

#include "lp/diagnostics.h"
#include "lp/dual_simplex.h"
#include "lp/lp_model.h"
#include "lp/model_table.h"
#include "lp/reinversion.h"
#include "lp/simplex.h"

#include <cmath>
#include <memory>

using namespace lp;

namespace {

LpModel& checked(LpModel* lp) {
    if (lp == nullptr)
        fatal("LPX interface: null LP pointer");
    if (!modelTable().contains(lp))
        fatal("LPX interface: invalid LP pointer");
    return *lp;
}

void checkVariable(const LpModel& lp, int index) {
    if (index < -lp.m || index > lp.n)
        fatal("LPX interface: variable index out of range");
}

void checkRow(const LpModel& lp, int row) {
    if (row < 0 || row > lp.m)
        fatal("LPX interface: row index out of range");
}

void checkColumn(const LpModel& lp, int col) {
    if (col < 0 || col > lp.n)
        fatal("LPX interface: column index out of range");
}

long long iterationTotal = 0;

void setStatusFromFeasibility(LpModel& lp) {
    lp.status = lp.infeasibilityCount > 0 ? LP_INFEASIBLE : LP_FEASIBLE;
}

// Inner product with the relative zero test: 0 when it cancels to within kEpsZero of the
// magnitude of its terms.
class CheckedSum {
public:
    void add(double term) { (term > 0.0 ? positive_ : negative_) += term; }
    double value() const {
        const double s = positive_ + negative_;
        return std::fabs(s) <= kEpsZero * (1.0 + positive_ - negative_) ? 0.0 : s;
    }

private:
    double positive_ = 0.0;
    double negative_ = 0.0;
};

// Row p of B^-1 (position 0: the objective row) into row, over positions 0..m.
void inverseRow(const LpModel& lp, int p, std::vector<double>& row) {
    row.assign(static_cast<size_t>(lp.m) + 1, 0.0);
    row[static_cast<size_t>(p)] = 1.0;
    lp.etas.btran(row, kEpsZero);
}

// A stored column times vector (indexed by row), with cancellation to zero as CheckedSum does.
double columnProduct(const PackedVector& column, const double* vector) {
    CheckedSum sum;
    for (const PackedEntry& e : column)
        sum.add(vector[e.index] * e.value);
    return sum.value();
}

void setBound(LpModel& lp, int index, double value, bool isLower) {
    checkVariable(lp, index);
    std::vector<double>& lowers = index > 0 ? lp.colLower : lp.slackLower;
    std::vector<double>& uppers = index > 0 ? lp.colUpper : lp.slackUpper;
    const size_t at = static_cast<size_t>(std::abs(index));
    (isLower ? lowers : uppers)[at] = value;
    LpVarStat& s = lp.varstat(index);
    if (s == LP_FIXED && lowers[at] != uppers[at])
        s = LP_AT_UPPER;
}

} // namespace

LpModel* LP_NEW(int n, int m) {
    if (modelTable().full())
        fatal("LP_NEW: Too many LP models simultaneously active");
    if (n < 0 || m < 0)
        fatal("LP_NEW: negative model size");
    auto lp = std::make_unique<LpModel>();
    lp->m = m;
    lp->n = n;
    const size_t rows = static_cast<size_t>(m) + 1;
    const size_t cols = static_cast<size_t>(n) + 1;
    lp->columns.resize(cols);
    lp->colStat.assign(cols, LP_AT_LOWER);
    lp->slackStat.assign(rows, LP_AT_LOWER);
    lp->costs.assign(cols, 0.0);
    lp->basicValues.assign(rows, 0.0);
    lp->base.assign(rows, 0);
    lp->slackLower.assign(rows, 0.0);
    lp->slackUpper.assign(rows, kInfinity);
    lp->colLower.assign(cols, 0.0);
    lp->colUpper.assign(cols, kInfinity);
    lp->work.assign(rows, 0.0);
    slackBasisSetup(*lp);
    setStatusFromFeasibility(*lp);
    recomputeElementStatistics(*lp);
    modelTable().add(lp.get());
    return lp.release();
}

void LP_PUTELEM(float value, int col, int row, LpModel* model) {
    LpModel& lp = checked(model);
    checkRow(lp, row);
    checkColumn(lp, col);
    const double v = value;
    if (row == 0) {
        lp.costs[static_cast<size_t>(col)] = v;
    } else if (col == 0) {
        lp.rhs.store(row, v);
    } else {
        PackedVector& column = lp.columns[static_cast<size_t>(col)];
        lp.nonzeros -= column.size();
        column.store(row, v);
        lp.nonzeros += column.size();
        if (std::fabs(v) > lp.maxElement)
            lp.maxElement = std::fabs(v);
    }
}

void LP_PUTLBOUND(float value, int index, LpModel* lp) {
    setBound(checked(lp), index, value, true);
}

void LP_PUTUBOUND(float value, int index, LpModel* lp) {
    setBound(checked(lp), index, value, false);
}

int LP_REINVERT(LpModel* model) {
    LpModel& lp = checked(model);
    reinvert(lp);
    setStatusFromFeasibility(lp);
    return lp.infeasibilityCount;
}

void LP_PRIMAL(LpModel* model) {
    LP_PRIMALBUDGET(kIterationBudget, model);
}

namespace {

// Runs one simplex method on lp, counting its iterations in the process total also when it
// ends with a fatal error.
template <typename Method> void countedRun(LpModel& lp, Method method) {
    const int before = lp.iterations;
    try {
        method();
    } catch (...) {
        iterationTotal += lp.iterations - before;
        throw;
    }
    iterationTotal += lp.iterations - before;
}

} // namespace

void LP_PRIMALBUDGET(int budget, LpModel* model) {
    LpModel& lp = checked(model);
    if (budget < 0)
        fatal("LP_PRIMALBUDGET: negative iteration budget");
    lp.iterLimit = lp.iterations + budget;
    countedRun(lp, [&lp] { lp.status = primalSimplex(lp); });
}

void LP_SETTOLERANCES(double cost, double feasibility, LpModel* model) {
    LpModel& lp = checked(model);
    if (!(cost > 0.0) || !(feasibility > 0.0))
        fatal("LP_SETTOLERANCES: tolerances must be positive");
    lp.epsCost = cost;
    lp.epsFea = feasibility;
}

void LP_DUALBUDGET(int budget, LpModel* model) {
    LpModel& lp = checked(model);
    if (budget < 0)
        fatal("LP_DUALBUDGET: negative iteration budget");
    countedRun(lp, [&lp, budget] {
        const LpStatus status = dualSimplex(lp, budget);
        if (status == LP_FEASIBLE)
            setStatusFromFeasibility(lp);
        else
            lp.status = status;
    });
}

namespace {

template <typename Value> void putObjective(const Value* values, LpModel* model) {
    LpModel& lp = checked(model);
    // Position 0 of the basis holds the objective row, so the factorization carries the costs of
    // the basic columns. With new costs c' the inverse becomes E B^-1, where E is the identity
    // with row 0 replaced by (1, c_B - c'_B): one two-entry eta per basic column whose cost
    // changes. A long run of such etas without a reinversion is cut short by reinverting.
    bool reinvertInstead = false;
    for (int p = 1; p <= lp.m && !reinvertInstead; ++p) {
        const int k = lp.base[static_cast<size_t>(p)];
        if (k <= 0)
            continue;
        const double increase = static_cast<double>(values[k]) - lp.costs[static_cast<size_t>(k)];
        if (increase == 0.0)
            continue;
        if (lp.etas.count() > lp.m + kReinversionInterval) {
            reinvertInstead = true;
            break;
        }
        lp.etas.costEta(p, increase);
    }
    for (int j = 0; j <= lp.n; ++j)
        lp.costs[static_cast<size_t>(j)] = values[j];
    if (reinvertInstead) {
        reinvert(lp);
    } else {
        computeBasicValues(lp);
        recountInfeasibilities(lp);
    }
    setStatusFromFeasibility(lp);
}

} // namespace

void LP_PUTOBJECTIVE(const float* values, LpModel* lp) {
    putObjective(values, lp);
}

void LP_PUTOBJECTIVE(const double* values, LpModel* lp) {
    putObjective(values, lp);
}

long long LP_ITERATIONTOTAL() {
    return iterationTotal;
}

int LP_GETSTATUS(LpModel* lp) {
    return checked(lp).status;
}

double LP_GETSOL(int index, LpModel* model) {
    LpModel& lp = checked(model);
    checkVariable(lp, index);
    const LpVarStat s = lp.varstat(index);
    if (isBasic(s)) {
        if (index == 0)
            return lp.basicValues[0];
        for (int p = 1; p <= lp.m; ++p)
            if (lp.base[static_cast<size_t>(p)] == index)
                return lp.basicValues[static_cast<size_t>(p)];
        fatal("LP_GETSOL: varstat and basis do not match");
    }
    return s == LP_AT_UPPER ? lp.upper(index) : lp.lower(index);
}

void LP_DELETE(LpModel** lp) {
    if (lp == nullptr || *lp == nullptr)
        fatal("LP_DELETE: null LP pointer");
    if (!modelTable().contains(*lp))
        fatal("LP_DELETE: invalid LP pointer");
    modelTable().remove(*lp);
    delete *lp;
    *lp = nullptr;
}

void LP_SETUP(LpModel* model) {
    LpModel& lp = checked(model);
    slackBasisSetup(lp);
    setStatusFromFeasibility(lp);
}

int LP_M(LpModel* lp) {
    return checked(lp).m;
}

int LP_N(LpModel* lp) {
    return checked(lp).n;
}

double LP_GETELEM(int col, int row, LpModel* model) {
    LpModel& lp = checked(model);
    checkRow(lp, row);
    checkColumn(lp, col);
    if (row == 0)
        return lp.costs[static_cast<size_t>(col)];
    if (col == 0)
        return lp.rhs.get(row);
    return lp.column(col).get(row);
}

void LP_GETROW(float* values, int row, LpModel* model) {
    LpModel& lp = checked(model);
    for (int j = lp.n; j >= 0; --j)
        values[j] = static_cast<float>(LP_GETELEM(j, row, model));
}

double LP_GETLBOUND(int index, LpModel* model) {
    LpModel& lp = checked(model);
    checkVariable(lp, index);
    return lp.lower(index);
}

double LP_GETUBOUND(int index, LpModel* model) {
    LpModel& lp = checked(model);
    checkVariable(lp, index);
    return lp.upper(index);
}

int LP_GETVARSTAT(int index, LpModel* model) {
    LpModel& lp = checked(model);
    checkVariable(lp, index);
    return lp.varstat(index);
}

int LP_BASISVAR(int p, LpModel* model) {
    LpModel& lp = checked(model);
    checkRow(lp, p);
    return lp.base[static_cast<size_t>(p)];
}

double LP_BASISVAL(int p, LpModel* model) {
    LpModel& lp = checked(model);
    checkRow(lp, p);
    return lp.basicValues[static_cast<size_t>(p)];
}

double LP_GETRCOST(int index, LpModel* model) {
    LpModel& lp = checked(model);
    checkVariable(lp, index);
    if (isBasic(lp.varstat(index)))
        return 0.0;
    std::vector<double> pi;
    inverseRow(lp, 0, pi);
    if (index < 0)
        return pi[static_cast<size_t>(-index)];
    CheckedSum d;
    d.add(pi[0] * lp.costs[static_cast<size_t>(index)]);
    for (const PackedEntry& e : lp.column(index))
        d.add(pi[static_cast<size_t>(e.index)] * e.value);
    return d.value();
}

void LP_INVROW(double* vector, int p, LpModel* model) {
    LpModel& lp = checked(model);
    checkRow(lp, p);
    std::vector<double> row;
    inverseRow(lp, p, row);
    for (size_t i = 0; i < row.size(); ++i)
        vector[i] = row[i];
}

int LP_ISOPTIMAL(double tolerance, LpModel* model) {
    LpModel& lp = checked(model);
    for (int p = 1; p <= lp.m; ++p) {
        const int k = lp.base[static_cast<size_t>(p)];
        const double value = lp.basicValues[static_cast<size_t>(p)];
        const double lower = lp.lower(k);
        const double upper = lp.upper(k);
        if ((!isInfiniteLower(lower) && value < lower - tolerance) ||
            (!isInfiniteUpper(upper) && value > upper + tolerance))
            return 0;
    }
    std::vector<double>& prices = lp.work;
    inverseRow(lp, 0, prices);
    // At its lower bound a variable improves the objective with a negative rate, at its upper
    // bound with a positive one; fixed and basic variables cannot move.
    auto improves = [&lp, tolerance](int k, double rate) {
        const LpVarStat s = lp.varstat(k);
        return (s == LP_AT_LOWER && rate < -tolerance) || (s == LP_AT_UPPER && rate > tolerance);
    };
    for (int j = 1; j <= lp.n; ++j)
        if (improves(j, prices[0] * lp.costs[static_cast<size_t>(j)] +
                            columnProduct(lp.column(j), prices.data())))
            return 0;
    for (int i = 1; i <= lp.m; ++i)
        if (improves(-i, prices[static_cast<size_t>(i)]))
            return 0;
    return 1;
}

double LP_INPROD(int col, const double* vector, LpModel* model) {
    LpModel& lp = checked(model);
    checkColumn(lp, col);
    return columnProduct(col == 0 ? lp.rhs : lp.column(col), vector);
}

void LP_ADDROW(const float* values, LpModel* model) {
    LpModel& lp = checked(model);
    const int row = ++lp.m;
    lp.slackStat.push_back(LP_BASIC_INFEASIBLE);
    lp.basicValues.push_back(0.0);
    lp.base.push_back(-row);
    lp.slackLower.push_back(0.0);
    lp.slackUpper.push_back(kInfinity);
    lp.work.push_back(0.0);
    for (int j = lp.n; j >= 0; --j)
        LP_PUTELEM(values[j], j, row, model);
    lp.infeasibilityCount += 1;
    lp.status = LP_INFEASIBLE;
    recomputeElementStatistics(lp);
}

void LP_SETLOG(int level) {
    if (level < 0)
        level = -1 - level;
    if (level > 5)
        fatal("LP_SETLOG: loglevel must be in range 0..5");
    setLogLevel(level);
}

void LP_SETCONSOLE(std::ostream* console) {
    setConsoleStream(console);
}

std::function<bool()> LP_SETINTERRUPT(std::function<bool()> interrupt) {
    std::function<bool()> previous = currentInterrupt();
    setInterrupt(std::move(interrupt));
    return previous;
}

int LP_ROOM() {
    return kMaxModels - modelTable().size();
}

static_assert(LP_DEFAULT_TOLERANCE == kEpsCost && LP_DEFAULT_TOLERANCE == kEpsFea);

std::string LP_LASTERROR() {
    return lastFatalError();
}
