// Compares what two calculations of the same model stored: every interval, margin and regret as
// a number, every dominance code and recommendation flag exactly.
#pragma once

#include "model/model.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace velor::testing {

struct StoredComparison {
    double largest = 0.0;  // largest difference of a stored number
    int flagsDiffer = 0;   // dominance codes and recommendation flags that differ
    std::string first;     // the first flag that differs, for messages
    std::string largestAt; // where the largest difference of a number lies, for messages
};

// The key of a decision rule (see UpdateRecommendations) and how it ranks alternatives.
inline double RuleKey(const TAlternativeData& a, std::size_t rule) {
    switch (rule) {
    case 0:
        return a.ValueUpper;
    case 1:
        return a.ValueLower;
    case 2:
        return (a.ValueUpper + a.ValueLower) / 2.0;
    default:
        return -a.MaxRegret;
    }
}

// The stored margin of alternative r over alternative t (t indexes DominanceMargin as Dominance
// does), or fallback where the model stores none: a dominance code is decided by this margin and
// by the reverse pair's.
inline double PairMargin(const Model& model, int r, std::size_t t, double fallback) {
    if (r < 1 || r > model.M()) {
        return fallback;
    }
    const std::vector<double>& margins = model.Alternative(r).DominanceMargin;
    return t < margins.size() ? margins[t] : fallback;
}

// Whether alternative row's key of the rule lies within noise of the best key of the model.
inline bool NearBest(const Model& model, int row, std::size_t rule, double noise) {
    double best = RuleKey(model.Alternative(1), rule);
    for (int r = 2; r <= model.M(); ++r) {
        best = std::max(best, RuleKey(model.Alternative(r), rule));
    }
    return best - RuleKey(model.Alternative(row), rule) <= noise;
}

// With noise > 0, a flag counts as differing only where the numbers that decide it lie clear of
// a tie by more than noise in either model: a dominance code whose margin and the reverse pair's
// margin are not both within noise of 0 in the two models, a recommendation whose key is not within
// noise of the best key in both models. Such ties are decided by the last bits of optima, which
// depend on the optimal basis a simplex run ends at.
inline StoredComparison CompareStored(const Model& a, const Model& b, double noise = 0.0) {
    StoredComparison c;
    std::string at;
    const auto number = [&c, &at](double x, double y) {
        if (std::fabs(x - y) > c.largest) {
            c.largest = std::fabs(x - y);
            c.largestAt = at + ": " + std::to_string(x) + " against " + std::to_string(y);
        }
    };
    const auto flag = [&c](int x, int y, const std::string& what) {
        if (x != y) {
            if (c.flagsDiffer++ == 0) {
                c.first = what + ": " + std::to_string(x) + " against " + std::to_string(y);
            }
        }
    };
    for (NodeId node : a.PreOrder()) {
        const TNodeData& x = a.Node(node);
        const TNodeData& y = b.Node(node);
        at = "weight of node " + std::to_string(a.ColumnOfNode(node));
        number(x.WeightLower, y.WeightLower);
        number(x.WeightUpper, y.WeightUpper);
        number(x.NormWeightLower, y.NormWeightLower);
        number(x.NormWeightUpper, y.NormWeightUpper);
        for (std::size_t i = 0; i < x.Values.size() && i < y.Values.size(); ++i) {
            at = "value of node " + std::to_string(a.ColumnOfNode(node)) + " for alternative " +
                 std::to_string(i + 1);
            number(x.Values[i].Lower, y.Values[i].Lower);
            number(x.Values[i].Upper, y.Values[i].Upper);
            number(x.Values[i].NormLower, y.Values[i].NormLower);
            number(x.Values[i].NormUpper, y.Values[i].NormUpper);
        }
    }
    for (int row = 1; row <= a.M(); ++row) {
        const TAlternativeData& x = a.Alternative(row);
        const TAlternativeData& y = b.Alternative(row);
        at = "alternative " + std::to_string(row);
        number(x.ValueLower, y.ValueLower);
        number(x.ValueUpper, y.ValueUpper);
        number(x.MaxRegret, y.MaxRegret);
        for (std::size_t s = 0; s < x.Dominance.size() && s < y.Dominance.size(); ++s) {
            number(x.DominanceMargin[s], y.DominanceMargin[s]);
            // The code of a pair is decided by its margin and by the reverse pair's.
            const auto tie = [noise, &a, &b](int r, std::size_t t) {
                return std::fabs(PairMargin(a, r, t, 0.0)) <= noise &&
                       std::fabs(PairMargin(b, r, t, 0.0)) <= noise;
            };
            const bool reverseTie =
                s >= 1 && tie(static_cast<int>(s), static_cast<std::size_t>(row));
            if (noise <= 0.0 || (!tie(row, s) && !reverseTie)) {
                flag(x.Dominance[s], y.Dominance[s],
                     "dominance " + std::to_string(row) + " over " + std::to_string(s));
            }
        }
        for (std::size_t r = 0; r < x.Recommended.size(); ++r) {
            if (noise <= 0.0 || !NearBest(a, row, r, noise) || !NearBest(b, row, r, noise)) {
                flag(x.Recommended[r], y.Recommended[r],
                     "rule " + std::to_string(r) + " for alternative " + std::to_string(row));
            }
        }
    }
    return c;
}

} // namespace velor::testing
