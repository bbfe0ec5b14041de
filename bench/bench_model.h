// The generated models of the benchmarks: size alternatives and size attributes below a few
// goals, with ranked levels (ties, a few gaps, some unranked cells), ratio statements, some
// holistic rankings and weight statements, all feasible by construction.
#pragma once

#include "random_model.h"

#include <algorithm>
#include <cstdint>

namespace velor::bench {

struct BenchModelOptions {
    std::uint64_t seed = 1;
    bool normalized = false;
    bool topDown = false;
    double holistic = 0.3; // chance that a goal's alternatives are ranked holistically
};

inline Model BenchModel(int size, const BenchModelOptions& options) {
    testing::RandomModelOptions modelOptions;
    modelOptions.minAlternatives = modelOptions.maxAlternatives = size;
    modelOptions.minAttributes = modelOptions.maxAttributes = size;
    modelOptions.minGoals = 2;
    modelOptions.maxGoals = std::max(2, size / 10);
    modelOptions.gapShare = 0.1;
    modelOptions.unrankedCellShare = 0.05;
    modelOptions.unrankedAttributeShare = 0.0;
    modelOptions.topDownShare = options.topDown ? 1.0 : 0.0;
    modelOptions.normalizedShare = options.normalized ? 1.0 : 0.0;
    modelOptions.holisticShare = options.holistic;
    return testing::MakeRandomModel(options.seed * 1000 + static_cast<std::uint64_t>(size),
                                    modelOptions)
        .model;
}

} // namespace velor::bench
