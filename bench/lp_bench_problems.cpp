#include "lp_bench_problems.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace lpbench {

std::vector<Program> decisionPrograms(int alternatives, int attributes, int count) {
    std::mt19937_64 rng(20261207ULL + static_cast<unsigned>(alternatives * 100 + attributes));
    auto integer = [&rng](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
    auto var = [attributes](int a, int k) { return a * attributes + k + 1; };

    Program base;
    base.n = alternatives * attributes;
    base.rhs.push_back(0.0f);
    base.kinds.push_back(0);
    auto addRow = [&base](const std::map<int, float>& terms, int kind, float b) {
        const int row = ++base.m;
        for (auto [col, v] : terms)
            if (v != 0.0f)
                base.elements.push_back({row, col, v});
        base.rhs.push_back(b);
        base.kinds.push_back(kind);
    };

    // Each attribute ranks the alternatives (some ties); the worst level is 0.
    std::vector<std::vector<int>> ranking(static_cast<size_t>(attributes));
    for (int k = 0; k < attributes; ++k) {
        auto& order = ranking[static_cast<size_t>(k)];
        order.resize(static_cast<size_t>(alternatives));
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), rng);
        for (int i = 0; i + 1 < alternatives; ++i)
            addRow({{var(order[static_cast<size_t>(i)], k), 1.0f},
                    {var(order[static_cast<size_t>(i + 1)], k), -1.0f}},
                   integer(0, 9) == 0 ? 2 : 1, 0.0f);
        addRow({{var(order.back(), k), 1.0f}}, 2, 0.0f);
    }
    // Best levels are the attribute weights and sum to one.
    std::map<int, float> weights;
    for (int k = 0; k < attributes; ++k)
        weights[var(ranking[static_cast<size_t>(k)][0], k)] = 1.0f;
    addRow(weights, 2, 1.0f);
    // Ratio statements between value differences of one attribute, with lower and upper
    // multipliers.
    for (int s = 0; s < attributes; ++s) {
        const int k = integer(0, attributes - 1);
        const auto& order = ranking[static_cast<size_t>(k)];
        const int i = integer(0, alternatives - 3);
        const int a = order[static_cast<size_t>(i)], b = order[static_cast<size_t>(i + 1)];
        const int c = order[static_cast<size_t>(i + 1)], e = order[static_cast<size_t>(i + 2)];
        const float lower = static_cast<float>(integer(5, 15)) / 10.0f;
        const float upper = lower + static_cast<float>(integer(5, 20)) / 10.0f;
        for (float mult : {lower, upper}) {
            std::map<int, float> t;
            t[var(a, k)] += 1.0f;
            t[var(b, k)] -= 1.0f;
            t[var(c, k)] -= mult;
            t[var(e, k)] += mult;
            addRow(t, mult == lower ? 1 : 0, 0.0f);
        }
    }
    // Interval weight statements relative to a reference attribute.
    for (int k = 1; k < attributes; k += 2) {
        const int lo = integer(20, 80), hi = lo + integer(10, 80);
        for (int pct : {lo, hi})
            addRow({{var(ranking[static_cast<size_t>(k)][0], k), 1.0f},
                    {var(ranking[0][0], 0), -static_cast<float>(pct) / 100.0f}},
                   pct == lo ? 1 : 0, 0.0f);
    }

    std::vector<Program> programs;
    for (int t = 0; t < count; ++t) {
        Program p = base;
        const int a = integer(0, alternatives - 1);
        int b = integer(0, alternatives - 2);
        b += b >= a;
        for (int k = 0; k < attributes; ++k) {
            switch (t % 3) {
            case 0: // maximum value of a
                p.elements.push_back({0, var(a, k), -1.0f});
                break;
            case 1: // minimum value of a
                p.elements.push_back({0, var(a, k), 1.0f});
                break;
            default: // minimum value difference a - b (dominance)
                p.elements.push_back({0, var(a, k), 1.0f});
                p.elements.push_back({0, var(b, k), -1.0f});
                break;
            }
        }
        programs.push_back(std::move(p));
    }
    return programs;
}

} // namespace lpbench
