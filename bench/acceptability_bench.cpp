// Acceptability analysis of generated decision models (the calculation benchmark's models):
// wall time of the setup (reduction and the inner-point linear program) and of the sampling,
// and how much the correlation of the walk costs in precision.
//
// Usage: velor_acceptability_bench [--sizes 20,40] [--samples N] [--seed N] [--threads N]
//
// Columns: dim (free coordinates of the walk), setup s (until the first sample is drawn),
// total s, and eff: the variance of the first-rank share of the most often first alternative as
// independent samples would give it, over its batch-means variance (1 means the samples are as
// good as independent ones; 0.25 means four samples count as one).
#include "bench_model.h"
#include "calc/acceptability.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
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
    std::vector<int> sizes{20, 40};
    velor::AcceptabilityOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--sizes") {
            sizes = ParseSizes(next());
        } else if (arg == "--samples") {
            options.Samples = std::atoi(next());
        } else if (arg == "--seed") {
            options.Seed = std::strtoull(next(), nullptr, 10);
        } else if (arg == "--threads") {
            options.Threads = std::atoi(next());
        } else {
            std::fprintf(stderr, "usage: velor_acceptability_bench [--sizes 20,40] [--samples N] "
                                 "[--seed N] [--threads N]\n");
            return 2;
        }
    }
    std::printf("%-7s %8s %6s %9s %9s %6s  %s\n", "size", "samples", "dim", "setup s", "total s",
                "eff", "status");
    for (const int size : sizes) {
        const velor::Model model = velor::bench::BenchModel(size, {});
        std::optional<double> setupSeconds;
        const auto start = Clock::now();
        velor::AcceptabilityCallbacks callbacks;
        callbacks.Progress = [&](int, int) {
            if (!setupSeconds) {
                setupSeconds = Seconds(start);
            }
        };
        const velor::AcceptabilityOutcome outcome =
            velor::ComputeAcceptability(model, options, callbacks);
        const double total = Seconds(start);
        double efficiency = 0.0;
        const velor::AcceptabilityResult& result = outcome.Result;
        if (outcome.Status == velor::AcceptabilityStatus::Completed) {
            std::size_t best = 0;
            for (std::size_t a = 0; a < result.RankShares.size(); ++a) {
                if (result.RankShares[a][0] > result.RankShares[best][0]) {
                    best = a;
                }
            }
            const double p = result.RankShares[best][0];
            const double error = result.RankErrors[best][0];
            if (error > 0.0) {
                efficiency = p * (1.0 - p) / result.Samples / (error * error);
            }
        }
        std::printf("%-7s %8d %6d %9.3f %9.3f %6.2f  %s\n",
                    (std::to_string(size) + "x" + std::to_string(size)).c_str(), options.Samples,
                    result.Dimension, setupSeconds.value_or(total), total, efficiency,
                    outcome.Status == velor::AcceptabilityStatus::Completed
                        ? "completed"
                        : outcome.Message.c_str());
    }
    return 0;
}
