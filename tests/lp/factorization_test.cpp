// Eta file transformations, pivot thresholds and reinversion of the basis.
#include "lp_test_support.h"

#include "lp/eta_file.h"
#include "lp/lp_model.h"
#include "lp/p3_order.h"
#include "lp/reinversion.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

using lptest::ConsoleCapture;
using lptest::expectFatal;
using lptest::Model;
using namespace lp;

namespace {

// After a reinversion, B^-1 times the extended column of the variable basic in position p
// must be the unit vector of p. The largest deviation, and where it is.
struct InverseError {
    double size = 0.0;
    int position = 0;
    int entry = 0;
};

InverseError inverseError(const LpModel& lp) {
    InverseError worst;
    std::vector<double> v(static_cast<size_t>(lp.m) + 1);
    for (int p = 0; p <= lp.m; ++p) {
        extendedColumn(lp, lp.base[static_cast<size_t>(p)], v);
        lp.etas.ftran(v, 0.0);
        for (int i = 0; i <= lp.m; ++i) {
            const double size = std::fabs(v[static_cast<size_t>(i)] - (i == p ? 1.0 : 0.0));
            if (size > worst.size)
                worst = {size, p, i};
        }
    }
    return worst;
}

void expectValidInverse(const LpModel& lp) {
    const InverseError error = inverseError(lp);
    ASSERT_LE(error.size, 1e-9) << "position " << error.position << " entry " << error.entry;
}

// Puts the given structural columns into the basis in place of the logicals of their rows.
void forceBasis(LpModel& lp, const std::vector<std::pair<int, int>>& positionAndColumn) {
    for (auto [p, j] : positionAndColumn) {
        lp.varstat(lp.base[static_cast<size_t>(p)]) = LP_AT_LOWER;
        lp.base[static_cast<size_t>(p)] = j;
        lp.varstat(j) = LP_BASIC;
    }
}

// Gives each column j of the square problem lp between minEntries and maxEntries entries in
// random rows, each valued by value(), and makes column j basic in position j.
template <typename Value>
void randomSquareBasis(LpModel& lp, std::mt19937& rng, int minEntries, int maxEntries,
                       Value value) {
    std::vector<std::pair<int, int>> basis;
    for (int j = 1; j <= lp.n; ++j) {
        const int count = std::uniform_int_distribution<>(minEntries, maxEntries)(rng);
        for (int k = 0; k < count; ++k) {
            const int row = std::uniform_int_distribution<>(1, lp.m)(rng);
            LP_PUTELEM(value(), j, row, &lp);
        }
        basis.push_back({j, j});
    }
    forceBasis(lp, basis);
}

} // namespace

TEST(EtaFile, FtranWithEmptyTableOnlyCleansSmallEntries) {
    EtaFile etas;
    std::vector<double> v{1e-9, -2e-8, 0.5, -1e-8};
    etas.ftran(v, 1e-8);
    EXPECT_EQ(v, (std::vector<double>{0.0, -2e-8, 0.5, 0.0}));
}

TEST(EtaFile, FtranAndBtranApplyTheInverse) {
    // Basis columns (positions 0..2): e0, (c=2; 4, 1), (c=0; 0, 5) => pivot 4 then 5.
    EtaFile etas;
    PackedVector a1;
    a1.store(1, 4.0);
    a1.store(2, 1.0);
    etas.makeEta(a1, 2.0, 1);
    std::vector<double> a2{0.0, 0.0, 5.0};
    etas.ftran(a2, 0.0);
    etas.updEta(a2, 2);
    EXPECT_EQ(etas.count(), 2);
    EXPECT_EQ(etas.nonzeros(), 3 + 1);

    std::vector<double> v{2.0, 4.0, 1.0}; // the first basic column itself
    etas.ftran(v, 0.0);
    EXPECT_NEAR(v[0], 0.0, 1e-15);
    EXPECT_NEAR(v[1], 1.0, 1e-15);
    EXPECT_NEAR(v[2], 0.0, 1e-15);
    // Row 1 of the inverse times the basis columns is the unit row.
    std::vector<double> pi{0.0, 1.0, 0.0};
    etas.btran(pi, 0.0);
    EXPECT_NEAR(pi[0] * 2.0 + pi[1] * 4.0 + pi[2] * 1.0, 1.0, 1e-15);
    EXPECT_NEAR(pi[2] * 5.0, 0.0, 1e-15);
}

TEST(EtaFile, BtranZeroTestIsRelativeToTheTerms) {
    // One eta in position 0 whose products with pi may cancel. A result counts as zero when
    // it is at most epsZero times (1 + the magnitudes of its terms).
    EtaFile etas;
    std::vector<double> alpha{1.0, -1.0};
    etas.updEta(alpha, 0); // entries (0, 1), (1, 1)
    std::vector<double> ones{1.0, -1.0 + 1e-10};
    etas.btran(ones, kEpsZero);
    EXPECT_EQ(ones[0], 0.0); // 1e-10 left over from terms of size 1
    std::vector<double> large{1e3, -1e3 + 1e-6};
    etas.btran(large, kEpsZero);
    EXPECT_EQ(large[0], 0.0); // 1e-6 left over from terms of size 1e3
    std::vector<double> small{2e-6, -1e-6};
    etas.btran(small, kEpsZero);
    EXPECT_NEAR(small[0], 1e-6, 1e-18); // the same 1e-6 from terms of its own size is kept
}

TEST(EtaFile, SmallPivotIsWarnedTinyPivotIsFatal) {
    EtaFile etas;
    std::vector<double> alpha{0.0, 5e-7, 1.0};
    {
        ConsoleCapture console;
        etas.updEta(alpha, 1);
        EXPECT_EQ(console.text(), "%Small pivot in UpdEta:  5.00000E-07\n");
    }
    EXPECT_EQ(etas.count(), 1);
    alpha[1] = 5e-8;
    expectFatal([&] { etas.updEta(alpha, 1); }, "UpdEta: too small or zero pivot");
    EXPECT_EQ(etas.count(), 1);

    PackedVector column;
    column.store(2, 3.0);
    expectFatal([&] { etas.makeEta(column, 0.0, 1); },
                "MakeEta: pivot element is zero (nonexistent) in incol");
    column.store(1, 5e-8);
    expectFatal([&] { etas.makeEta(column, 0.0, 1); }, "MakeEta: too small or zero pivot");
}

TEST(Reinversion, SlackBasisKeepsTheEtaTableEmpty) {
    Model lp(2, 2);
    LP_PUTELEM(10.0f, 0, 0, lp);
    LP_PUTELEM(3.0f, 1, 0, lp);
    LP_PUTELEM(1.0f, 2, 0, lp);
    LP_PUTELEM(2.0f, 1, 1, lp);
    LP_PUTELEM(1.0f, 2, 2, lp);
    LP_PUTELEM(8.0f, 0, 1, lp);
    LP_PUTELEM(6.0f, 0, 2, lp);
    LP_PUTLBOUND(1.0f, 1, lp);   // x1 at its lower bound 1
    LP_PUTLBOUND(-1e31f, 2, lp); // x2 at its upper bound 4
    LP_PUTUBOUND(4.0f, 2, lp);
    LP_SETUP(lp);
    EXPECT_EQ(LP_REINVERT(lp), 0);
    EXPECT_EQ(lp.get()->etas.count(), 0);
    EXPECT_EQ(LP_BASISVAL(1, lp), 8.0 - 2.0 * 1.0);
    EXPECT_EQ(LP_BASISVAL(2, lp), 6.0 - 1.0 * 4.0);
    EXPECT_EQ(LP_GETSOL(0, lp), 10.0 - 3.0 * 1.0 - 1.0 * 4.0);
}

TEST(Reinversion, DependentColumnsAreReplacedBySlacks) {
    // Columns 1 and 2 are parallel; column 3 is independent. All three forced basic.
    Model lp(3, 3);
    LP_PUTELEM(1.0f, 1, 1, lp);
    LP_PUTELEM(2.0f, 1, 2, lp);
    LP_PUTELEM(2.0f, 2, 1, lp);
    LP_PUTELEM(4.0f, 2, 2, lp);
    LP_PUTELEM(1.0f, 3, 3, lp);
    LP_PUTELEM(1.0f, 3, 1, lp);
    LP_PUTLBOUND(-1e31f, 2, lp); // a singular column without lower bound goes to its upper one
    LP_PUTUBOUND(7.0f, 2, lp);
    forceBasis(*lp.get(), {{1, 1}, {2, 2}, {3, 3}});
    const ReinversionReport report = reinvert(*lp.get());
    EXPECT_EQ(report.singularColumns, 1);
    LpModel& model = *lp.get();
    int basicColumns = 0;
    for (int p = 1; p <= 3; ++p)
        basicColumns += model.base[static_cast<size_t>(p)] > 0;
    EXPECT_EQ(basicColumns, 2);
    const int out = isBasic(model.varstat(1)) ? 2 : 1;
    EXPECT_EQ(model.varstat(out), out == 2 ? LP_AT_UPPER : LP_AT_LOWER);
    EXPECT_EQ(LP_GETSOL(out, lp), out == 2 ? 7.0 : 0.0);
    expectValidInverse(model);
}

TEST(Reinversion, RandomBasesFactorizeToTheirInverse) {
    // Sparse random bases, many with bumps and some structurally or numerically singular.
    std::mt19937 rng(42);
    int bumps = 0;
    int singular = 0;
    for (int trial = 0; trial < 200; ++trial) {
        const int m = std::uniform_int_distribution<>(2, 40)(rng);
        const int n = m + 5;
        Model lp(n, m);
        const int perColumn = std::uniform_int_distribution<>(1, 4)(rng);
        for (int j = 1; j <= n; ++j) {
            for (int k = 0; k < perColumn; ++k) {
                const int row = std::uniform_int_distribution<>(1, m)(rng);
                const float v = static_cast<float>(std::uniform_int_distribution<>(-4, 4)(rng));
                LP_PUTELEM(v == 0.0f ? 1.0f : v, j, row, lp);
            }
            if (std::bernoulli_distribution(0.3)(rng))
                LP_PUTELEM(1.0f, j, 0, lp);
        }
        // Random choice of basic columns in random positions; the rest of the rows keep
        // their logicals.
        std::vector<int> positions(static_cast<size_t>(m));
        std::iota(positions.begin(), positions.end(), 1);
        std::shuffle(positions.begin(), positions.end(), rng);
        std::vector<int> cols(static_cast<size_t>(n));
        std::iota(cols.begin(), cols.end(), 1);
        std::shuffle(cols.begin(), cols.end(), rng);
        const int k = std::uniform_int_distribution<>(1, m)(rng);
        std::vector<std::pair<int, int>> basis;
        for (int t = 0; t < k; ++t)
            basis.push_back({positions[static_cast<size_t>(t)], cols[static_cast<size_t>(t)]});
        forceBasis(*lp.get(), basis);
        ConsoleCapture console; // small-pivot warnings are expected on near-singular bases
        const ReinversionReport report = reinvert(*lp.get());
        bumps += report.bumps;
        singular += report.singularColumns;
        expectValidInverse(*lp.get());
        if (HasFatalFailure())
            FAIL() << "trial " << trial;
        // Basic values satisfy B x_B = b - N x_N: recomputing from scratch changes nothing.
        const std::vector<double> values = lp.get()->basicValues;
        computeBasicValues(*lp.get());
        EXPECT_EQ(values, lp.get()->basicValues);
    }
    // The trials cover both bumps and singular bases.
    EXPECT_GT(bumps, 20);
    EXPECT_GT(singular, 20);
}

// Smallest pivot of Gaussian elimination with partial pivoting on the basis matrix (the extended
// columns of positions 1..m over rows 1..m); 0 when it is singular.
double smallestPivot(const LpModel& lp) {
    const size_t m = static_cast<size_t>(lp.m);
    std::vector<std::vector<double>> a(m, std::vector<double>(m, 0.0));
    std::vector<double> column(m + 1);
    for (size_t p = 1; p <= m; ++p) {
        extendedColumn(lp, lp.base[p], column);
        for (size_t i = 1; i <= m; ++i)
            a[i - 1][p - 1] = column[i];
    }
    double smallest = 1e300;
    for (size_t c = 0; c < m; ++c) {
        size_t best = c;
        for (size_t r = c + 1; r < m; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[best][c]))
                best = r;
        std::swap(a[c], a[best]);
        const double pivot = a[c][c];
        smallest = std::min(smallest, std::fabs(pivot));
        if (pivot == 0.0)
            return 0.0;
        for (size_t r = c + 1; r < m; ++r) {
            const double f = a[r][c] / pivot;
            for (size_t k = c; k < m; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    return smallest;
}

TEST(Reinversion, NonsingularBasesKeepEveryColumn) {
    // Denser random bases with large bumps: whenever elimination shows the basis clearly
    // nonsingular, the reinversion must find a pivot for every column, if need be in a row of
    // the bump that belongs to no spike.
    std::mt19937 rng(7);
    int nonsingular = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        const int m = std::uniform_int_distribution<>(4, 30)(rng);
        Model lp(m, m);
        randomSquareBasis(*lp.get(), rng, 2, 4, [&rng] {
            const int v = std::uniform_int_distribution<>(-3, 3)(rng);
            return static_cast<float>(v == 0 ? 2 : v);
        });
        if (smallestPivot(*lp.get()) < 1e-2)
            continue;
        ++nonsingular;
        ConsoleCapture console;
        const ReinversionReport report = reinvert(*lp.get());
        EXPECT_EQ(report.singularColumns, 0) << "trial " << trial << ", m " << m;
        expectValidInverse(*lp.get());
        if (HasFatalFailure())
            FAIL() << "trial " << trial;
    }
    EXPECT_GT(nonsingular, 200);
}

TEST(Reinversion, SmallBumpPivotsGiveWayToLargerOnes) {
    // Bases whose coefficients mix magnitudes 1 and 1e-3, well conditioned by elimination with
    // partial pivoting. Pivoting on a small entry where a row of the bump offers a far larger
    // one lets the eta entries grow, and the rounding errors with them; leaving out entries
    // below an absolute 1e-8 while factorizing loses as much once products of small
    // coefficients are divided by small pivots. With either fault alone the inverse was off by
    // far more than rounding (8e-3 through the pivots, 9 through the dropped entries).
    std::mt19937 rng(11);
    int checked = 0;
    double worst = 0.0;
    for (int trial = 0; trial < 8000; ++trial) {
        const int m = std::uniform_int_distribution<>(6, 30)(rng);
        Model lp(m, m);
        randomSquareBasis(*lp.get(), rng, 2, 4, [&rng] {
            const float v = static_cast<float>(std::uniform_int_distribution<>(1, 9)(rng));
            return std::bernoulli_distribution(0.4)(rng) ? v * 1e-3f : v;
        });
        if (smallestPivot(*lp.get()) < 1e-3)
            continue;
        ++checked;
        ConsoleCapture console;
        reinvert(*lp.get());
        worst = std::max(worst, inverseError(*lp.get()).size);
    }
    EXPECT_GT(checked, 1000);
    EXPECT_LT(worst, 1e-8);
}

TEST(Reinversion, LargeBumpsLetTheCallerPollAndKeepItsAnswer) {
    // A random basis of 300 columns with three entries each factorizes with a bump of hundreds
    // of columns, which takes long enough on large models to call the interrupt function in
    // between. Its answer to stop is not lost: the next simplex run stops before its first
    // iteration.
    std::mt19937 rng(5);
    Model lp(300, 300);
    randomSquareBasis(*lp.get(), rng, 3, 3, [&rng] {
        return static_cast<float>(std::uniform_int_distribution<>(1, 9)(rng));
    });
    int calls = 0;
    LP_SETINTERRUPT([&] { return ++calls > 0; });
    ConsoleCapture console;
    reinvert(*lp.get());
    const int callsInReinversion = calls;
    LP_PRIMAL(lp);
    LP_SETINTERRUPT({});
    EXPECT_GE(callsInReinversion, 1);
    EXPECT_EQ(calls, callsInReinversion); // the kept answer stopped the run without a new call
    EXPECT_EQ(lp.get()->iterations, 0);
    EXPECT_EQ(LP_GETSTATUS(lp), LP_FEASIBLE);
}

TEST(Reinversion, AReinversionStartedFromThePollLeavesTheRunningOneIntact) {
    // The interrupt function runs between bump columns; should it reinvert another problem
    // (a host solving something else while it processes events), that reinversion must not
    // work in the arrays of the one it interrupted: the factor comes out as without it.
    std::mt19937 rng(5);
    Model large(300, 300);
    randomSquareBasis(*large.get(), rng, 3, 3, [&rng] {
        return static_cast<float>(std::uniform_int_distribution<>(1, 9)(rng));
    });
    Model small(40, 40);
    randomSquareBasis(*small.get(), rng, 2, 3, [&rng] {
        return static_cast<float>(std::uniform_int_distribution<>(1, 9)(rng));
    });
    ConsoleCapture console;
    const std::vector<int> basis = large.get()->base;
    const ReinversionReport alone = reinvert(*large.get());
    const std::vector<int> factoredBasis = large.get()->base;
    const int etas = large.get()->etas.nonzeros();

    large.get()->base = basis;
    for (int j = 1; j <= 300; ++j)
        large.get()->varstat(j) = LP_BASIC;
    for (int i = 1; i <= 300; ++i)
        large.get()->varstat(-i) = LP_AT_LOWER;
    int nested = 0;
    LP_SETINTERRUPT([&] {
        ++nested;
        reinvert(*small.get());
        return false;
    });
    const ReinversionReport interrupted = reinvert(*large.get());
    LP_SETINTERRUPT({});
    ASSERT_GE(nested, 1);
    EXPECT_EQ(interrupted.singularColumns, alone.singularColumns);
    EXPECT_EQ(interrupted.spikes, alone.spikes);
    EXPECT_EQ(large.get()->base, factoredBasis);
    EXPECT_EQ(large.get()->etas.nonzeros(), etas);
    expectValidInverse(*large.get());
    expectValidInverse(*small.get());
}

TEST(Reinversion, BumpIsOrderedWithSpikes) {
    // A 3x3 cyclic pattern has no singleton: it must be ordered as a bump with a spike.
    KernelPattern kernel;
    kernel.rows = 3;
    kernel.rowsOf = {{0, 1}, {1, 2}, {2, 0}};
    const P3Order order = orderKernel(kernel);
    EXPECT_EQ(order.bumps, 1);
    EXPECT_GE(order.spikes, 1);
    EXPECT_EQ(order.pivots.size(), 3u);
    EXPECT_TRUE(order.discardedCols.empty());
    std::vector<int> rows, cols;
    for (const P3Pivot& p : order.pivots) {
        rows.push_back(p.row);
        cols.push_back(p.col);
    }
    std::sort(rows.begin(), rows.end());
    std::sort(cols.begin(), cols.end());
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(cols, (std::vector<int>{0, 1, 2}));
}

TEST(Reinversion, TriangularKernelNeedsNoBump) {
    // Lower triangular pattern: row singletons and column singletons only.
    KernelPattern kernel;
    kernel.rows = 4;
    kernel.rowsOf = {{0, 1, 2, 3}, {1, 2, 3}, {2, 3}, {3}};
    const P3Order order = orderKernel(kernel);
    EXPECT_EQ(order.bumps, 0);
    EXPECT_EQ(order.spikes, 0);
    for (const P3Pivot& p : order.pivots)
        EXPECT_EQ(p.bump, -1);
    EXPECT_EQ(order.pivots.size(), 4u);
}

// The order of the pivots decides the factorization and so the last bits of every result; these
// two kernels (singletons that appear behind the scan wait for its next pass, one bump each)
// pin it.
TEST(Reinversion, OrderOfPivotsIsPinned) {
    struct Case {
        std::vector<std::vector<int>> rowsOf;
        std::vector<P3Pivot> pivots;
    };
    const Case cases[] = {
        {{{0, 3}, {1, 3}, {2}, {3}, {4, 6, 8}, {3, 6}, {6, 5, 7, 8}, {7, 1}, {8, 5}},
         {{4, 4, -1, false},
          {5, 8, 0, false},
          {8, 6, 0, true},
          {6, 5, -1, false},
          {7, 7, -1, false},
          {0, 0, -1, false},
          {1, 1, -1, false},
          {2, 2, -1, false},
          {3, 3, -1, false}}},
        {{{0, 5, 7}, {1, 4}, {0, 1}, {3, 8}, {4, 0, 3, 7, 8}, {5, 2, 7}, {6, 0, 1}, {0}, {8, 3}},
         {{2, 5, -1, false},
          {5, 0, -1, false},
          {7, 4, -1, false},
          {3, 8, 0, false},
          {8, 3, 0, true},
          {6, 6, -1, false},
          {4, 1, -1, false},
          {1, 2, -1, false},
          {0, 7, -1, false}}},
    };
    for (const Case& c : cases) {
        KernelPattern kernel;
        kernel.rows = 9;
        kernel.rowsOf = c.rowsOf;
        const P3Order order = orderKernel(kernel);
        EXPECT_EQ(order.bumps, 1);
        EXPECT_EQ(order.spikes, 1);
        ASSERT_EQ(order.pivots.size(), c.pivots.size());
        for (std::size_t i = 0; i < c.pivots.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(order.pivots[i].row, c.pivots[i].row);
            EXPECT_EQ(order.pivots[i].col, c.pivots[i].col);
            EXPECT_EQ(order.pivots[i].bump, c.pivots[i].bump);
            EXPECT_EQ(order.pivots[i].spike, c.pivots[i].spike);
        }
    }
}

TEST(Reinversion, IllegalBasisIsFatal) {
    Model lp(2, 2);
    lp.get()->base[1] = 0;
    expectFatal([&] { LP_REINVERT(lp); }, "Reinversion: variable 0 in basis");
    lp.get()->base[1] = 2;
    lp.get()->base[2] = 2;
    expectFatal([&] { LP_REINVERT(lp); }, "Reinversion: illegal variables in basis");
    LP_SETUP(lp); // the model can be set back to a valid basis
    EXPECT_EQ(LP_REINVERT(lp), 0);
}
