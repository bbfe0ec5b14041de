// Random decision models built through the model core, for soak tests and benchmarks.
//
// Every model is made around a hidden solution: a weight for each twig-level attribute (summing
// to 1) and a value for each level, in the order its ranks give. Ranks (with ties, gaps, unranked
// cells and unranked attributes), ratio statements and weight statements (top down or bottom up)
// are all read off that solution with some slack, so the statements of a model are feasible by
// construction. A model asked to be infeasible gets weight statements that contradict each
// other: one row's lower bound lies above its upper bound while every row is bounded above
// against the reference, which forces every weight to 0 against their sum of 1.
#pragma once

#include "model/model.h"

#include <cstdint>
#include <string>

namespace velor::testing {

struct RandomModelOptions {
    int minAlternatives = 2;
    int maxAlternatives = 6;
    int minAttributes = 1;
    int maxAttributes = 6;
    int minGoals = 0;      // sub-goals below the main goal, at least ...
    int maxGoals = 3;      // ... and at most
    double tieShare = 0.3; // chance that a level shares the rank of the one above it
    double gapShare = 0.2; // chance that a rank number is skipped
    double unrankedCellShare = 0.1;
    double unrankedAttributeShare = 0.1;
    double holisticShare = 0.3;   // chance that a goal's alternatives are ranked holistically
    int maxRatioStatements = 2;   // per ranked node
    // When at least 0: each ranked node gets one ratio statement with this chance, instead of
    // 0 to maxRatioStatements.
    double ratioChance = -1.0;
    // Chance that an alternative takes the levels of an earlier one on every attribute. Such
    // alternatives are worth the same everywhere, so holistic rankings tie them.
    double duplicateShare = 0.0;
    double weightShare = 0.7;     // chance that a weight row gets bounds
    double topDownShare = 0.5;    // chance of the top-down weight mode (else bottom up)
    double normalizedShare = 0.3; // chance of the "Normalized Intervals" option
    bool infeasible = false;
};

struct RandomModel {
    Model model;
    bool infeasible = false; // whether the statements were made to contradict each other
    std::string description; // short summary for test messages
};

// Deterministic for a given seed and options.
RandomModel MakeRandomModel(std::uint64_t seed, const RandomModelOptions& options = {});

} // namespace velor::testing
