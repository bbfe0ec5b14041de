#include "lp/reinversion.h"

#include "lp/diagnostics.h"
#include "lp/lp_model.h"
#include "lp/p3_order.h"

#include <cmath>

namespace lp {
namespace {

// A bump pivot must be at least this share of the largest entry it could take instead.
constexpr double kBumpPivotRatio = 0.1;
// Bump columns factorized between two calls of the caller's interrupt function.
constexpr size_t kBumpColumnsPerPoll = 64;

struct Kernel {
    std::vector<int> columns; // structural basic columns, ascending
    std::vector<int> rows;    // rows whose logical is not basic, ascending
};

// Rows pivoted so far in one reinversion, and the position of each row of the current bump.
struct PivotRows {
    std::vector<char> done;  // by row
    std::vector<int> inBump; // by row: its position in the bump not yet pivoted, else -1
};

// The working arrays of a reinversion. They keep their storage from one reinversion to the
// next, so that the many short runs of a warm-started series do not allocate them every time.
struct Workspace {
    Kernel kernel;
    std::vector<char> colSeen, covered;
    std::vector<int> local;
    KernelPattern pattern;
    P3Order order;
    PivotRows rows;
    std::vector<P3Pivot> bump;
    std::vector<double> alpha;
    std::vector<PackedEntry> sparse;
};

void collectKernel(LpModel& lp, Workspace& w) {
    Kernel& kernel = w.kernel;
    kernel.columns.clear();
    kernel.rows.clear();
    std::vector<char>& colSeen = w.colSeen;
    std::vector<char>& covered = w.covered;
    colSeen.assign(static_cast<size_t>(lp.n) + 1, 0);
    covered.assign(static_cast<size_t>(lp.m) + 1, 0);
    for (int p = 1; p <= lp.m; ++p) {
        const int k = lp.base[static_cast<size_t>(p)];
        if (k == 0)
            fatal("Reinversion: variable 0 in basis");
        if (k > lp.n || k < -lp.m)
            fatal("Reinversion: illegal variables in basis");
        char& seen = k > 0 ? colSeen[static_cast<size_t>(k)] : covered[static_cast<size_t>(-k)];
        if (seen)
            fatal("Reinversion: illegal variables in basis");
        seen = 1;
    }
    for (int j = 1; j <= lp.n; ++j)
        if (colSeen[static_cast<size_t>(j)])
            kernel.columns.push_back(j);
    for (int i = 1; i <= lp.m; ++i)
        if (!covered[static_cast<size_t>(i)])
            kernel.rows.push_back(i);
    if (kernel.columns.size() != kernel.rows.size())
        fatal("Reinversion: illegal variables in basis");
}

void kernelPattern(const LpModel& lp, Workspace& w) {
    const Kernel& kernel = w.kernel;
    std::vector<int>& local = w.local;
    local.assign(static_cast<size_t>(lp.m) + 1, -1);
    for (size_t r = 0; r < kernel.rows.size(); ++r)
        local[static_cast<size_t>(kernel.rows[r])] = static_cast<int>(r);
    KernelPattern& pattern = w.pattern;
    pattern.rows = static_cast<int>(kernel.rows.size());
    for (std::vector<int>& rows : pattern.rowsOf)
        rows.clear();
    pattern.rowsOf.resize(kernel.columns.size());
    for (size_t c = 0; c < kernel.columns.size(); ++c)
        for (const PackedEntry& e : lp.column(kernel.columns[c]))
            if (local[static_cast<size_t>(e.index)] >= 0)
                pattern.rowsOf[c].push_back(local[static_cast<size_t>(e.index)]);
}

// Whether FTRAN through the etas made so far leaves column j as it is: every eta has its
// pivot in a row pivoted before, and it changes a vector only through that row's entry.
bool ftranLeavesColumn(const LpModel& lp, int j, const PivotRows& rows) {
    for (const PackedEntry& e : lp.column(j))
        if (rows.done[static_cast<size_t>(e.index)])
            return false;
    return true;
}

// Pivots the columns of one bump through FTRAN. A column keeps its own row when its transformed
// entry there is within kBumpPivotRatio of its largest entry in the rows of the bump not yet
// pivoted; otherwise it exchanges rows with the first later spike whose entry is, or failing
// that with the row of its largest entry. Any row not yet pivoted gives a valid factor, and the
// ratio bounds the growth of the eta entries, which a small pivot amid large entries multiplies
// into the whole inverse. A column dropped from a sound basis would leave the simplex repeating
// the same pivot: only when no remaining row gives a pivot above kEpsPiv is the column singular,
// and its row keeps its logical. The transformed columns keep entries down to kEpsDrop, since
// products of small coefficients divided by small pivots matter.
//
// Most columns of a bump have no entry in a row pivoted before them, so FTRAN would leave them
// as they are; those are pivoted from their stored entries, by the same rules and with the same
// eta, without touching a vector of the basis' length.
void factorBump(LpModel& lp, Workspace& w, ReinversionReport& report) {
    const Kernel& kernel = w.kernel;
    std::vector<P3Pivot>& bump = w.bump;
    PivotRows& rows = w.rows;
    std::vector<double>& alpha = w.alpha;
    alpha.assign(static_cast<size_t>(lp.m) + 1, 0.0);
    std::vector<PackedEntry>& sparse = w.sparse; // an untouched column: cost and entries
    auto rowOf = [&](size_t h) { return kernel.rows[static_cast<size_t>(bump[h].row)]; };
    for (size_t h = 0; h < bump.size(); ++h)
        rows.inBump[static_cast<size_t>(rowOf(h))] = static_cast<int>(h);

    for (size_t g = 0; g < bump.size(); ++g) {
        if (g % kBumpColumnsPerPoll == kBumpColumnsPerPoll - 1)
            pollInterrupt(); // the bumps of a basis of thousands of rows take tens of ms
        const int j = kernel.columns[static_cast<size_t>(bump[g].col)];
        const bool untouched = ftranLeavesColumn(lp, j, rows);
        if (untouched) {
            sparse.clear();
            const double cost = lp.costs[static_cast<size_t>(j)];
            if (std::fabs(cost) > kEpsDrop)
                sparse.push_back({0, cost});
            for (const PackedEntry& e : lp.column(j))
                if (std::fabs(e.value) > kEpsDrop)
                    sparse.push_back(e);
        } else {
            extendedColumn(lp, j, alpha);
            lp.etas.ftran(alpha, kEpsDrop);
        }
        auto magnitude = [&](size_t h) { return std::fabs(alpha[static_cast<size_t>(rowOf(h))]); };
        // The position of a row among the bump's rows from g on, else -1 (the rows before g
        // are pivoted, or kept by a singular column).
        auto inBumpFrom = [&](int row) {
            const int h = row > 0 ? rows.inBump[static_cast<size_t>(row)] : -1;
            return h >= static_cast<int>(g) ? h : -1;
        };

        // The largest entry among the rows not yet pivoted (the first on ties), and the row
        // chosen for the pivot.
        double largestMagnitude = 0.0;
        size_t largest = g;
        size_t chosen = g;
        if (untouched) {
            for (const PackedEntry& e : sparse) {
                const int h = inBumpFrom(e.index);
                const double a = std::fabs(e.value);
                if (h >= 0 && (a > largestMagnitude ||
                               (a == largestMagnitude && static_cast<size_t>(h) < largest))) {
                    largestMagnitude = a;
                    largest = static_cast<size_t>(h);
                }
            }
        } else {
            for (size_t h = g; h < bump.size(); ++h)
                if (magnitude(h) > largestMagnitude) {
                    largestMagnitude = magnitude(h);
                    largest = h;
                }
        }
        if (largestMagnitude <= kEpsPiv) {
            ++report.singularColumns; // the row keeps its logical, the column leaves
            continue;
        }
        const double threshold = std::max(kEpsRej, kBumpPivotRatio * largestMagnitude);
        if (untouched) {
            double own = 0.0;
            size_t firstSpike = bump.size();
            for (const PackedEntry& e : sparse) {
                const int h = inBumpFrom(e.index);
                if (h < 0)
                    continue;
                const size_t at = static_cast<size_t>(h);
                if (at == g)
                    own = std::fabs(e.value);
                else if (at > g && bump[at].spike && std::fabs(e.value) >= threshold)
                    firstSpike = std::min(firstSpike, at);
            }
            chosen = own >= threshold ? g : firstSpike < bump.size() ? firstSpike : largest;
        } else if (magnitude(g) < threshold) {
            chosen = largest;
            for (size_t h = g + 1; h < bump.size(); ++h)
                if (bump[h].spike && magnitude(h) >= threshold) {
                    chosen = h;
                    break;
                }
        }
        if (chosen != g) {
            std::swap(bump[g].row, bump[chosen].row);
            rows.inBump[static_cast<size_t>(rowOf(chosen))] = static_cast<int>(chosen);
        }
        const int r = rowOf(g);
        rows.inBump[static_cast<size_t>(r)] = -1;
        rows.done[static_cast<size_t>(r)] = 1;
        if (untouched)
            lp.etas.appendEta(sparse, r);
        else
            lp.etas.updEta(alpha, r);
        const EtaFile::Eta eta = lp.etas.eta(lp.etas.count() - 1);
        if (eta.size() == 1 && eta[0].value == 1.0) {
            lp.etas.removeLast(); // a unit column needs no eta
            ++report.removedUnitEtas;
        }
        lp.base[static_cast<size_t>(r)] = j;
    }
    for (size_t h = 0; h < bump.size(); ++h)
        rows.inBump[static_cast<size_t>(rowOf(h))] = -1; // rows of singular columns
}

// Gives every formerly basic variable its nonbasic code, then marks the new basis basic.
void resetVarstat(LpModel& lp) {
    for (int k = -lp.m; k <= lp.n; ++k) {
        if (k == 0)
            continue;
        LpVarStat& s = lp.varstat(k);
        // A nonbasic variable recorded at an infinite bound (its bounds were changed since it
        // left the basis) is moved to the bound it can actually take.
        const bool atInfinity = (s == LP_AT_LOWER && isInfiniteLower(lp.lower(k))) ||
                                (s == LP_AT_UPPER && isInfiniteUpper(lp.upper(k)));
        if (isBasic(s) || atInfinity)
            s = nonbasicCode(lp.lower(k), lp.upper(k));
    }
    lp.slackStat[0] = LP_OBJECTIVE;
    for (int p = 1; p <= lp.m; ++p)
        lp.varstat(lp.base[static_cast<size_t>(p)]) = LP_BASIC;
}

// The rebuilt basis must hold each position's variable exactly once, with m + 1 variables
// (the objective logical included) marked basic.
void checkBasis(LpModel& lp) {
    int basic = 0;
    for (int k = -lp.m; k <= lp.n; ++k)
        basic += isBasic(lp.varstat(k));
    bool ok = basic == lp.m + 1 && lp.base[0] == 0;
    for (int p = 1; p <= lp.m && ok; ++p)
        ok = isBasic(lp.varstat(lp.base[static_cast<size_t>(p)]));
    if (!ok)
        fatal("CheckP3: error while reinverting basis");
}

} // namespace

ReinversionReport reinvert(LpModel& lp) {
    ReinversionReport report;
    lp.etas.clear();

    // One workspace serves every reinversion of the thread; a reinversion started while another
    // runs (from the caller's interrupt function, say) gets a workspace of its own.
    thread_local Workspace shared;
    thread_local bool busy = false;
    Workspace own;
    Workspace& w = busy ? own : shared;
    const bool wasBusy = busy;
    busy = true;
    struct Release {
        bool& flag;
        bool value;
        ~Release() { flag = value; }
    } release{busy, wasBusy};

    collectKernel(lp, w);
    const Kernel& kernel = w.kernel;
    report.kernelSize = static_cast<int>(kernel.columns.size());
    kernelPattern(lp, w);
    P3Order& order = w.order;
    orderKernel(w.pattern, order);
    report.bumps = order.bumps;
    report.spikes = order.spikes;
    report.singularColumns = static_cast<int>(order.discardedCols.size());

    for (int p = 0; p <= lp.m; ++p)
        lp.base[static_cast<size_t>(p)] = -p;

    PivotRows& rows = w.rows;
    rows.done.assign(static_cast<size_t>(lp.m) + 1, 0);
    rows.inBump.assign(static_cast<size_t>(lp.m) + 1, -1);
    std::vector<P3Pivot>& pivots = order.pivots;
    for (size_t i = 0; i < pivots.size();) {
        if (pivots[i].bump < 0) {
            const int j = kernel.columns[static_cast<size_t>(pivots[i].col)];
            const int r = kernel.rows[static_cast<size_t>(pivots[i].row)];
            lp.etas.makeEta(lp.column(j), lp.costs[static_cast<size_t>(j)], r);
            lp.base[static_cast<size_t>(r)] = j;
            rows.done[static_cast<size_t>(r)] = 1;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < pivots.size() && pivots[end].bump == pivots[i].bump)
            ++end;
        w.bump.assign(pivots.begin() + static_cast<long>(i),
                      pivots.begin() + static_cast<long>(end));
        factorBump(lp, w, report);
        i = end;
    }

    resetVarstat(lp);
    checkBasis(lp);
    computeBasicValues(lp);
    recountInfeasibilities(lp);
    lp.pivotsSinceReinversion = 0;
    return report;
}

} // namespace lp
