#include "elicit/recommend.h"

#include <algorithm>

namespace velor::elicit {

namespace {

TCardinalStatement Proposal(AltId num1, AltId num2, AltId den1, AltId den2) {
    TCardinalStatement s;
    s.Num1 = num1;
    s.Num2 = num2;
    s.Den1 = den1;
    s.Den2 = den2;
    return s;
}

} // namespace

bool RatioStatementsPossible(const std::vector<LevelRow>& ranked) {
    return !ranked.empty() && ranked.back().Rank() > 2;
}

bool SameDifferences(const TCardinalStatement& a, const TCardinalStatement& b) {
    const bool same = a.Num1 == b.Num1 && a.Num2 == b.Num2 && a.Den1 == b.Den1 && a.Den2 == b.Den2;
    const bool swapped =
        a.Num1 == b.Den1 && a.Num2 == b.Den2 && a.Den1 == b.Num1 && a.Den2 == b.Num2;
    return same || swapped;
}

std::vector<TCardinalStatement> Recommend(const std::vector<LevelRow>& ranked, int style,
                                          const std::vector<TCardinalStatement>& given) {
    std::vector<TCardinalStatement> all;
    if (!RatioStatementsPossible(ranked))
        return all;
    const int k = static_cast<int>(ranked.size());
    auto alt = [&](int p) { return ranked[p].FirstAlternative(); };
    switch (style) {
    case kSuccessiveDifferences: {
        // One row per rank, met from the bottom: the lowest row of each tied group.
        std::vector<int> kept;
        for (int p = k - 1; p >= 0; --p) {
            if (kept.empty() || ranked[p].Rank() != ranked[kept.back()].Rank())
                kept.push_back(p);
        }
        for (std::size_t i = 0; i + 2 < kept.size(); ++i) {
            const int low = kept[i], mid = kept[i + 1], high = kept[i + 2];
            all.push_back(Proposal(alt(high), alt(mid), alt(mid), alt(low)));
        }
        break;
    }
    case kTwoDifferencesFromLowest:
        for (int p = 0; p <= k - 3; ++p)
            all.push_back(Proposal(alt(p), alt(k - 1), alt(p + 1), alt(k - 1)));
        break;
    case kLowestAndHighest:
        for (int p = 1; p <= k - 2; ++p)
            all.push_back(Proposal(alt(p), alt(k - 1), alt(0), alt(p)));
        break;
    case kDirectRating:
        for (int p = 1; p <= k - 2; ++p) {
            if (ranked[p - 1].Rank() < ranked[p].Rank())
                all.push_back(Proposal(alt(p), alt(k - 1), alt(0), alt(k - 1)));
        }
        break;
    default:
        break;
    }
    std::vector<TCardinalStatement> proposals;
    for (const auto& p : all) {
        const bool isGiven = std::any_of(given.begin(), given.end(),
                                         [&](const auto& g) { return SameDifferences(p, g); });
        if (!isGiven)
            proposals.push_back(p);
    }
    return proposals;
}

} // namespace velor::elicit
