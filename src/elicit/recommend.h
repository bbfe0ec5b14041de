// Proposed ratio statements: which pairs of value differences the score assessment dialog offers
// for a ranking, in each of the four elicitation styles.
#pragma once

#include "elicit/ranking.h"
#include "model/records.h"

#include <array>
#include <vector>

namespace velor::elicit {

enum RecommendationStyle : int {
    kSuccessiveDifferences = 0,
    kTwoDifferencesFromLowest = 1,
    kLowestAndHighest = 2,
    kDirectRating = 3,
};

inline constexpr std::array<const char*, 4> kRecommendationStyleNames = {
    "Comparison of Successive Differences",
    "Comparison of Two Differences from Lowest Level",
    "Comparison of Difference from Lowest and to Highest Level",
    "Direct Rating on [0, 1]-Scale",
};

// Ratio statements need at least three distinct ranks: false when the ranked list is empty or
// its last row has a rank of 2 or less.
bool RatioStatementsPossible(const std::vector<LevelRow>& ranked);

// Whether two statements compare the same two differences, in the same or in swapped places.
bool SameDifferences(const TCardinalStatement& a, const TCardinalStatement& b);

// The proposals of a style for the ranked rows (best first), without those already given (also
// with their differences swapped). Every proposal has both bounds not given. Empty when ratio
// statements are not possible.
std::vector<TCardinalStatement> Recommend(const std::vector<LevelRow>& ranked, int style,
                                          const std::vector<TCardinalStatement>& given);

} // namespace velor::elicit
