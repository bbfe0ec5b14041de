// The result of an acceptability analysis: for each alternative how often it ranks first,
// second, ... over samples of the values and weights that the model's statements allow. It is
// kept in memory with the document (the model file cannot hold it) and computed by
// calc/acceptability.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velor {

struct AcceptabilityResult {
    int Samples = 0;
    std::uint64_t Seed = 0;
    int Dimension = 0; // free coordinates of the walk (values and weights not fixed by others)
    std::vector<std::string> Alternatives; // in row order
    std::vector<int> AttributeColumns;     // the twig-level attributes, in column order
    std::vector<std::string> Attributes;   // their names
    // [alternative][rank - 1]: share of samples with the alternative at that rank. Alternatives
    // whose values tie (within 1e-10) share the ranks they occupy evenly. Every rank for a model
    // of up to 200 alternatives; for a larger one the first 200 ranks only (what they leave of
    // 1 is the share of the ranks further down).
    std::vector<std::vector<double>> RankShares;
    // Monte Carlo standard error of each rank share (batch means, so that the correlation of
    // successive points of a walk counts).
    std::vector<std::vector<double>> RankErrors;
    // [alternative][other]: share of samples in which the alternative's value exceeds the
    // other's; a tie counts half to each. The diagonal is 0. Empty for a model of more than 200
    // alternatives, where the table would take memory quadratic in the alternatives.
    std::vector<std::vector<double>> PairwiseWinning;
    // [alternative][attribute]: mean attribute weights over the samples where the alternative
    // ranks first (a shared first place counts with its share). All 0 when it never does.
    std::vector<std::vector<double>> CentralWeights;

    bool HasPairwiseWinning() const { return !PairwiseWinning.empty(); }
    // Ranks counted per alternative.
    int RanksCounted() const {
        return RankShares.empty() ? 0 : static_cast<int>(RankShares.front().size());
    }

    bool HasCentralWeights(int alternative) const {
        return RankShares[static_cast<std::size_t>(alternative)][0] > 0.0;
    }
};

} // namespace velor
