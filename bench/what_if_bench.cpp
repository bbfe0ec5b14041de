// What-if and stability analysis of generated decision models (the calculation benchmark's
// models): wall time and linear programs of the stability intervals of every stated bound, and
// wall time of the pair analysis of the first two alternatives.
//
// Usage: velor_what_if_bench [--sizes 5,10,20] [--seeds N] [--top-down]
//
// Columns per size (the mean over seeds 1..N): bounds (stated bounds), stability s, LPs (linear
// programs the stability analysis solved), whatif s, changes (found for the pair).
#include "bench_model.h"
#include "calc/stability.h"
#include "calc/what_if.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<int> ParseSizes(const std::string& text) {
    std::vector<int> sizes;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        sizes.push_back(std::atoi(item.c_str()));
    }
    return sizes;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes{5, 10, 20};
    int seeds = 3;
    velor::bench::BenchModelOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sizes" && i + 1 < argc) {
            sizes = ParseSizes(argv[++i]);
        } else if (arg == "--seeds" && i + 1 < argc) {
            seeds = std::atoi(argv[++i]);
        } else if (arg == "--top-down") {
            options.topDown = true;
        } else {
            std::fprintf(stderr, "usage: velor_what_if_bench [--sizes 5,10,20] [--seeds N] "
                                 "[--top-down]\n");
            return 2;
        }
    }
    std::printf("| size | bounds | stability s | LPs | whatif s | changes |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const int size : sizes) {
        double bounds = 0.0;
        double stabilitySeconds = 0.0;
        double programs = 0.0;
        double whatIfSeconds = 0.0;
        double changes = 0.0;
        for (int seed = 1; seed <= seeds; ++seed) {
            options.seed = static_cast<std::uint64_t>(seed);
            const velor::Model model = velor::bench::BenchModel(size, options);
            Clock::time_point start = Clock::now();
            const velor::StabilityOutcome stability = velor::AnalyzeStability(model, nullptr);
            stabilitySeconds += Seconds(start);
            if (stability.Status != velor::AnalysisStatus::Completed) {
                std::fprintf(stderr, "size %d seed %d: %s\n", size, seed,
                             stability.Message.c_str());
            }
            bounds += static_cast<double>(stability.Result.Intervals.size());
            programs += static_cast<double>(stability.Result.Programs);
            start = Clock::now();
            const velor::WhatIfOutcome whatIf = velor::AnalyzePair(model, 1, 2, nullptr);
            whatIfSeconds += Seconds(start);
            changes += static_cast<double>(whatIf.Result.Changes.size());
        }
        std::printf("| %dx%d | %.1f | %.3f | %.0f | %.3f | %.1f |\n", size, size, bounds / seeds,
                    stabilitySeconds / seeds, programs / seeds, whatIfSeconds / seeds,
                    changes / seeds);
        std::fflush(stdout);
    }
    return 0;
}
