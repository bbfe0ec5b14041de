#include "random_lp.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace lptest {
namespace {

constexpr float kNoUpper = 1e30f;

class Draw {
public:
    explicit Draw(std::uint64_t seed) : rng_(seed) {}
    double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }
    int integer(int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }
    // A multiple of 1/8: exact in single precision, and sums of products with small integers
    // stay exact, so constructed right-hand sides are exactly attainable.
    float dyadic(int lo8, int hi8) { return static_cast<float>(integer(lo8, hi8)) / 8.0f; }
    // Sizes between 10 and maxSize, most of them small.
    int size(int maxSize) {
        const double u = uniform(0.0, 1.0);
        return 10 + static_cast<int>(std::floor((maxSize - 10 + 1) * u * u * u));
    }
    std::mt19937_64& engine() { return rng_; }

private:
    std::mt19937_64 rng_;
};

float nonzeroCoefficient(Draw& d, bool integral) {
    for (;;) {
        const float v = integral ? static_cast<float>(d.integer(-9, 9)) : d.dyadic(-80, 80);
        if (v != 0.0f)
            return v;
    }
}

// A random sparsity pattern with at least one entry per column.
void fillMatrix(RandomLp& lp, Draw& d) {
    const int style = d.integer(0, 9);
    const bool integral = d.chance(0.5);
    const double density = style < 5 ? -1.0 : style < 8 ? 0.2 : d.uniform(0.6, 1.0);
    for (int j = 1; j <= lp.n; ++j) {
        std::vector<int> rows;
        if (density < 0) {
            const int count = std::min(lp.m, d.integer(2, 5));
            std::vector<int> all(static_cast<size_t>(lp.m));
            std::iota(all.begin(), all.end(), 1);
            std::shuffle(all.begin(), all.end(), d.engine());
            rows.assign(all.begin(), all.begin() + count);
        } else {
            for (int i = 1; i <= lp.m; ++i)
                if (d.chance(density))
                    rows.push_back(i);
            if (rows.empty())
                rows.push_back(d.integer(1, lp.m));
        }
        for (int i : rows)
            lp.elements.push_back({i, j, nonzeroCoefficient(d, integral)});
    }
}

RandomLp emptyProblem(const char* family, std::uint64_t seed, int m, int n) {
    RandomLp lp;
    lp.family = family;
    lp.seed = seed;
    lp.m = m;
    lp.n = n;
    lp.cost.assign(static_cast<size_t>(n) + 1, 0.0f);
    lp.rhs.assign(static_cast<size_t>(m) + 1, 0.0f);
    lp.kinds.assign(static_cast<size_t>(m) + 1, RowKind::LessEqual);
    lp.upper.assign(static_cast<size_t>(n) + 1, kNoUpper);
    return lp;
}

void randomCosts(RandomLp& lp, Draw& d) {
    const bool mostlyPositive = d.chance(0.6);
    for (int j = 1; j <= lp.n; ++j)
        lp.cost[static_cast<size_t>(j)] = mostlyPositive ? d.dyadic(-8, 80) : d.dyadic(-80, 80);
    if (d.chance(0.2))
        lp.cost[0] = d.dyadic(-80, 80);
}

// Row activities at a point x0 that the constructed right-hand sides make feasible.
std::vector<double> activities(const RandomLp& lp, const std::vector<float>& x0) {
    std::vector<double> r(static_cast<size_t>(lp.m) + 1, 0.0);
    for (const Element& e : lp.elements)
        r[static_cast<size_t>(e.row)] += double(e.value) * x0[static_cast<size_t>(e.col)];
    return r;
}

RandomLp constructed(const char* family, std::uint64_t seed, int maxSize, double zeroShare,
                     double tightShare) {
    Draw d(seed);
    RandomLp lp = emptyProblem(family, seed, d.size(maxSize), d.size(maxSize));
    fillMatrix(lp, d);
    std::vector<float> x0(static_cast<size_t>(lp.n) + 1, 0.0f);
    const double upperShare = d.chance(0.5) ? 0.3 : 0.0;
    for (int j = 1; j <= lp.n; ++j) {
        x0[static_cast<size_t>(j)] =
            d.chance(zeroShare) ? 0.0f : static_cast<float>(d.integer(1, 10));
        if (d.chance(upperShare))
            lp.upper[static_cast<size_t>(j)] =
                x0[static_cast<size_t>(j)] + static_cast<float>(d.integer(0, 5));
    }
    const std::vector<double> r = activities(lp, x0);
    for (int i = 1; i <= lp.m; ++i) {
        const int kind = d.integer(0, 9);
        const double slack = d.chance(tightShare) ? 0.0 : d.dyadic(0, 40);
        auto& k = lp.kinds[static_cast<size_t>(i)];
        auto& b = lp.rhs[static_cast<size_t>(i)];
        if (kind < 4) {
            k = RowKind::LessEqual;
            b = static_cast<float>(r[static_cast<size_t>(i)] + slack);
        } else if (kind < 8) {
            k = RowKind::GreaterEqual;
            b = static_cast<float>(r[static_cast<size_t>(i)] - slack);
        } else {
            k = RowKind::Equal;
            b = static_cast<float>(r[static_cast<size_t>(i)]);
        }
    }
    randomCosts(lp, d);
    return lp;
}

RandomLp randomRhs(std::uint64_t seed, int maxSize) {
    Draw d(seed);
    RandomLp lp = emptyProblem("RandomRhs", seed, d.size(maxSize), d.size(maxSize));
    fillMatrix(lp, d);
    for (int i = 1; i <= lp.m; ++i) {
        const int kind = d.integer(0, 9);
        lp.kinds[static_cast<size_t>(i)] = kind < 5   ? RowKind::LessEqual
                                           : kind < 9 ? RowKind::GreaterEqual
                                                      : RowKind::Equal;
        lp.rhs[static_cast<size_t>(i)] = d.dyadic(-80, 160);
    }
    for (int j = 1; j <= lp.n; ++j)
        if (d.chance(0.2))
            lp.upper[static_cast<size_t>(j)] = static_cast<float>(d.integer(1, 20));
    randomCosts(lp, d);
    return lp;
}

RandomLp contradictory(std::uint64_t seed, int maxSize) {
    RandomLp lp = constructed("Contradictory", seed, maxSize, 0.3, 0.3);
    Draw d(seed ^ 0x9e3779b97f4a7c15ULL);
    // Two rows over the same few columns: sum >= t + 1 and sum <= t.
    std::vector<int> cols;
    for (int j = 1; j <= lp.n; ++j)
        if (d.chance(0.3))
            cols.push_back(j);
    if (cols.empty())
        cols.push_back(1);
    const float t = static_cast<float>(d.integer(0, 10));
    for (int k = 0; k < 2; ++k) {
        const int row = ++lp.m;
        for (int j : cols)
            lp.elements.push_back({row, j, 1.0f});
        lp.kinds.push_back(k == 0 ? RowKind::GreaterEqual : RowKind::LessEqual);
        lp.rhs.push_back(k == 0 ? t + 1.0f : t);
    }
    return lp;
}

// Values of alternatives on attributes, as a decision model generates them: each attribute's
// alternatives ranked (differences >= 0 along the ranking), the worst level at 0, the best
// levels summing to 1, ratio statements between differences, weight intervals, and a value or
// dominance objective.
RandomLp decision(std::uint64_t seed, int maxSize) {
    Draw d(seed);
    const int limit = std::max(3, static_cast<int>(std::sqrt(static_cast<double>(maxSize) * 2)));
    const int alts = d.integer(4, std::min(12, limit));
    const int attrs = d.integer(3, std::min(8, limit));
    RandomLp lp = emptyProblem("Decision", seed, 0, alts * attrs);
    auto var = [attrs](int a, int k) { return a * attrs + k + 1; };
    auto addRow = [&lp](std::vector<std::pair<int, float>> terms, RowKind kind, float b) {
        // A column named twice in one row gets the sum of its coefficients.
        std::sort(terms.begin(), terms.end());
        const int row = ++lp.m;
        for (size_t t = 0; t < terms.size(); ++t) {
            float v = terms[t].second;
            while (t + 1 < terms.size() && terms[t + 1].first == terms[t].first)
                v += terms[++t].second;
            if (v != 0.0f)
                lp.elements.push_back({row, terms[t].first, v});
        }
        lp.kinds.push_back(kind);
        lp.rhs.push_back(b);
    };
    std::vector<std::vector<int>> ranking(static_cast<size_t>(attrs));
    for (int k = 0; k < attrs; ++k) {
        auto& order = ranking[static_cast<size_t>(k)];
        order.resize(static_cast<size_t>(alts));
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), d.engine());
        for (int i = 0; i + 1 < alts; ++i) {
            const int better = order[static_cast<size_t>(i)];
            const int worse = order[static_cast<size_t>(i + 1)];
            const bool tie = d.chance(0.15);
            addRow({{var(better, k), 1.0f}, {var(worse, k), -1.0f}},
                   tie ? RowKind::Equal : RowKind::GreaterEqual, 0.0f);
        }
        addRow({{var(order.back(), k), 1.0f}}, RowKind::Equal, 0.0f);
    }
    std::vector<std::pair<int, float>> sum;
    for (int k = 0; k < attrs; ++k)
        sum.push_back({var(ranking[static_cast<size_t>(k)][0], k), 1.0f});
    addRow(sum, RowKind::Equal, 1.0f);
    const int ratios = d.integer(0, attrs * 2);
    for (int s = 0; s < ratios; ++s) {
        const int k = d.integer(0, attrs - 1);
        const auto& order = ranking[static_cast<size_t>(k)];
        const int a = order[static_cast<size_t>(d.integer(0, alts - 1))];
        const int b = order[static_cast<size_t>(d.integer(0, alts - 1))];
        const int c = order[static_cast<size_t>(d.integer(0, alts - 1))];
        const int e = order[static_cast<size_t>(d.integer(0, alts - 1))];
        if (a == b || c == e)
            continue;
        const float mult = static_cast<float>(d.uniform(0.2, 4.0));
        addRow({{var(a, k), 1.0f}, {var(b, k), -1.0f}, {var(c, k), -mult}, {var(e, k), mult}},
               d.chance(0.5) ? RowKind::GreaterEqual : RowKind::LessEqual, 0.0f);
    }
    const int weights = d.integer(0, attrs);
    for (int s = 0; s < weights; ++s) {
        const int k1 = d.integer(0, attrs - 1);
        const int k2 = d.integer(0, attrs - 1);
        if (k1 == k2)
            continue;
        const float pct = static_cast<float>(d.integer(10, 300)) / 100.0f;
        addRow({{var(ranking[static_cast<size_t>(k1)][0], k1), 1.0f},
                {var(ranking[static_cast<size_t>(k2)][0], k2), -pct}},
               d.chance(0.5) ? RowKind::GreaterEqual : RowKind::LessEqual, 0.0f);
    }
    if (d.chance(0.1)) // an impossible weight: more than the whole
        addRow({{var(ranking[0][0], 0), 1.0f}}, RowKind::GreaterEqual, 1.5f);
    lp.cost.assign(static_cast<size_t>(lp.n) + 1, 0.0f);
    const int a = d.integer(0, alts - 1);
    const int b = d.integer(0, alts - 1);
    const float sign = d.chance(0.5) ? 1.0f : -1.0f;
    for (int k = 0; k < attrs; ++k) {
        lp.cost[static_cast<size_t>(var(a, k))] += sign;
        if (d.chance(0.6) && a != b)
            lp.cost[static_cast<size_t>(var(b, k))] -= sign;
    }
    return lp;
}

} // namespace

const char* familyName(Family f) {
    switch (f) {
    case Family::Feasible:
        return "Feasible";
    case Family::RandomRhs:
        return "RandomRhs";
    case Family::Degenerate:
        return "Degenerate";
    case Family::Contradictory:
        return "Contradictory";
    case Family::Decision:
        return "Decision";
    }
    return "?";
}

RandomLp generate(Family family, std::uint64_t seed, int maxSize) {
    switch (family) {
    case Family::Feasible:
        return constructed("Feasible", seed, maxSize, 0.3, 0.2);
    case Family::RandomRhs:
        return randomRhs(seed, maxSize);
    case Family::Degenerate:
        return constructed("Degenerate", seed, maxSize, 0.7, 0.7);
    case Family::Contradictory:
        return contradictory(seed, maxSize);
    case Family::Decision:
        return decision(seed, maxSize);
    }
    return {};
}

} // namespace lptest
