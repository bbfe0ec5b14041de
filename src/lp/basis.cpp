#include "lp/diagnostics.h"
#include "lp/lp_model.h"

#include <algorithm>
#include <cmath>

namespace lp {

LpVarStat nonbasicCode(double lower, double upper) {
    if (lower == upper)
        return LP_FIXED;
    return isInfiniteLower(lower) ? LP_AT_UPPER : LP_AT_LOWER;
}

double nonbasicValue(LpModel& lp, int k) {
    return lp.varstat(k) == LP_AT_UPPER ? lp.upper(k) : lp.lower(k);
}

void extendedColumn(const LpModel& lp, int k, std::vector<double>& out) {
    std::fill(out.begin(), out.end(), 0.0);
    if (k > 0) {
        out[0] = lp.costs[static_cast<size_t>(k)];
        for (const PackedEntry& e : lp.column(k))
            out[static_cast<size_t>(e.index)] = e.value;
    } else {
        out[static_cast<size_t>(-k)] = 1.0;
    }
}

void computeBasicValues(LpModel& lp) {
    std::vector<double>& v = lp.basicValues;
    std::fill(v.begin(), v.end(), 0.0);
    for (const PackedEntry& e : lp.rhs)
        v[static_cast<size_t>(e.index)] = e.value;
    v[0] = lp.costs[0];
    for (int j = 1; j <= lp.n; ++j) {
        if (isBasic(lp.varstat(j)))
            continue;
        const double bound = nonbasicValue(lp, j);
        if (bound == 0.0)
            continue;
        // Only a column free in both directions can sit at an infinite bound here; the
        // bounded-variable method has no place for it.
        if (std::fabs(bound) >= kInfinity)
            fatal("Basic values: free nonbasic column is not supported");
        for (const PackedEntry& e : lp.column(j))
            v[static_cast<size_t>(e.index)] -= bound * e.value;
        v[0] -= bound * lp.costs[static_cast<size_t>(j)];
    }
    for (int i = 1; i <= lp.m; ++i) {
        if (isBasic(lp.varstat(-i)))
            continue;
        v[static_cast<size_t>(i)] -= nonbasicValue(lp, -i);
    }
    lp.etas.ftran(v, kEpsZero);
}

void recountInfeasibilities(LpModel& lp) {
    int count = 0;
    for (int i = 1; i <= lp.m; ++i) {
        const int k = lp.base[static_cast<size_t>(i)];
        const bool column = k > 0;
        const size_t at = static_cast<size_t>(column ? k : -k);
        LpVarStat& s = column ? lp.colStat[at] : lp.slackStat[at];
        if (!isBasic(s))
            fatal("UpdVarstat: basic variable has conflicting varstat");
        const double l = column ? lp.colLower[at] : lp.slackLower[at];
        const double u = column ? lp.colUpper[at] : lp.slackUpper[at];
        const double x = lp.basicValues[static_cast<size_t>(i)];
        const bool infeasible = l - lp.epsFea > x || x > u + lp.epsFea;
        s = infeasible ? LP_BASIC_INFEASIBLE : LP_BASIC;
        count += infeasible;
    }
    lp.infeasibilityCount = count;
}

void slackBasisSetup(LpModel& lp) {
    lp.status = LP_FEASIBLE;
    lp.slackStat[0] = LP_OBJECTIVE;
    for (int j = 1; j <= lp.n; ++j)
        lp.varstat(j) = nonbasicCode(lp.lower(j), lp.upper(j));
    for (int i = 0; i <= lp.m; ++i) {
        if (i > 0)
            lp.varstat(-i) = LP_BASIC;
        lp.base[static_cast<size_t>(i)] = -i;
    }
    lp.etas.clear();
    lp.iterations = 0;
    lp.pivotsSinceReinversion = 0;
    computeBasicValues(lp);
    recountInfeasibilities(lp);
}

void recomputeElementStatistics(LpModel& lp) {
    lp.maxElement = 1.0;
    lp.minElement = 1.0;
    auto account = [&lp](double value) {
        const double a = std::fabs(value);
        lp.maxElement = std::max(lp.maxElement, a);
        lp.minElement = std::min(lp.minElement, a);
    };
    for (int j = 1; j <= lp.n; ++j)
        for (const PackedEntry& e : lp.column(j))
            account(e.value);
    for (int j = 0; j <= lp.n; ++j)
        if (std::fabs(lp.costs[static_cast<size_t>(j)]) > kEpsAij)
            account(lp.costs[static_cast<size_t>(j)]);
}

} // namespace lp
