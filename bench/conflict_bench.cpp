// Explaining an infeasible model: a generated model (alternatives x attributes) with one
// contradiction injected (tests/calc/injected_conflict.h), and the time the conflict finder takes
// to name a minimal conflicting set, against one feasibility check of the whole model.
//
// Usage: velor_conflict_bench [--sizes 10,20,40,20x400] [--seed N] [--holistic SHARE]
//                             [--ratios PER_NODE] [--kind ratio|holistic|weights|ratios] [--show]
#include "calc/calculation_driver.h"
#include "calc/conflict_finder.h"
#include "calc/constraint_generator.h"
#include "injected_conflict.h"
#include "random_model.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using velor::testing::Contradiction;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Options {
    // Alternatives x attributes; "40" is 40x40.
    std::vector<std::pair<int, int>> sizes{{10, 10}, {20, 20}, {40, 40}};
    std::uint64_t seed = 1;
    double holistic = 0.3;
    int ratios = 4;
    Contradiction kind = Contradiction::RatioVsRanking;
    bool show = false; // print the set found
};

// What the decision maker said, counted as the dialogs show it, and the statements at the
// grain the search works on.
struct Counts {
    int rankings = 0;
    int ratios = 0;
    int weightRows = 0;
    int statements = 0;
};

Counts Count(const velor::Model& model) {
    Counts counts;
    for (const velor::NodeId node : model.PreOrder()) {
        const int column = model.ColumnOfNode(node);
        if (model.HighestRankRow(column) > 0) {
            ++counts.rankings;
        }
        if (const velor::TPreferenceData* preference = model.Preference(node)) {
            counts.ratios += static_cast<int>(preference->Statements.size());
        }
        const velor::TNodeData& data = model.Node(node);
        if (model.IsAttribute(node) && (data.BottomUpLower >= 0 || data.BottomUpUpper >= 0)) {
            ++counts.weightRows;
        }
    }
    velor::TConstraintModel rows;
    std::vector<velor::RowOrigin> origins;
    velor::AppendModelConstraints(model, rows, {}, &origins);
    for (const velor::RowOrigin& origin : origins) {
        if (velor::StatementOfRow(model, origin)) {
            ++counts.statements;
        }
    }
    return counts;
}

std::optional<Options> Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--show") {
            options.show = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) {
            return std::nullopt;
        }
        ++i;
        if (arg == "--sizes") {
            options.sizes.clear();
            std::stringstream list(value);
            for (std::string size; std::getline(list, size, ',');) {
                const std::size_t x = size.find('x');
                const int alternatives = std::atoi(size.c_str());
                const int attributes =
                    x == std::string::npos ? alternatives : std::atoi(size.c_str() + x + 1);
                options.sizes.emplace_back(alternatives, attributes);
            }
        } else if (arg == "--seed") {
            options.seed = std::strtoull(value, nullptr, 10);
        } else if (arg == "--holistic") {
            options.holistic = std::atof(value);
        } else if (arg == "--ratios") {
            options.ratios = std::atoi(value);
        } else if (arg == "--kind") {
            const std::string kind = value;
            if (kind == "ratio") {
                options.kind = Contradiction::RatioVsRanking;
            } else if (kind == "holistic") {
                options.kind = Contradiction::RankingVsHolistic;
            } else if (kind == "weights") {
                options.kind = Contradiction::WeightCycle;
            } else if (kind == "ratios") {
                options.kind = Contradiction::RatioVsRatio;
            } else {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = Parse(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: velor_conflict_bench [--sizes 10,20,40,20x400] [--seed N] "
                             "[--holistic SHARE] [--ratios PER_NODE] "
                             "[--kind ratio|holistic|weights|ratios] [--show]\n");
        return 1;
    }
    std::printf("| size | seed | rankings | ratio statements | weight rows | statements | "
                "check s | check cpu s | set | checks | explain s | explain cpu s |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const auto& [alternatives, attributes] : options->sizes) {
        velor::testing::RandomModelOptions random;
        random.minAlternatives = random.maxAlternatives = alternatives;
        random.minAttributes = random.maxAttributes = attributes;
        random.minGoals = random.maxGoals = std::max(1, attributes / 10);
        random.holisticShare = options->holistic;
        random.maxRatioStatements = options->ratios;
        random.normalizedShare = 0.0;
        // The first seed from the given one whose model takes the contradiction.
        std::optional<velor::testing::Scenario> scenario;
        std::uint64_t seed = options->seed;
        for (; !scenario; ++seed) {
            scenario = velor::testing::MakeScenario(options->kind, seed, random);
        }
        --seed;
        const Counts counts = Count(scenario->model);
        const Clock::time_point checkStart = Clock::now();
        const std::clock_t checkCpuStart = std::clock();
        const bool feasible = velor::CheckFeasibility(scenario->model);
        const double checkSeconds = Seconds(checkStart);
        const double checkCpuSeconds =
            static_cast<double>(std::clock() - checkCpuStart) / static_cast<double>(CLOCKS_PER_SEC);
        const Clock::time_point start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        const velor::ConflictResult result = velor::FindConflict(scenario->model);
        const double seconds = Seconds(start);
        const double cpuSeconds =
            static_cast<double>(std::clock() - cpuStart) / static_cast<double>(CLOCKS_PER_SEC);
        if (feasible || result.Outcome != velor::ConflictOutcome::Conflict ||
            !velor::testing::HoldsInjected(*scenario, result.Statements)) {
            std::fprintf(stderr, "%dx%d: no conflict found (%s)\n", alternatives, attributes,
                         result.Error.c_str());
            return 2;
        }
        std::printf("| %dx%d | %llu | %d | %d | %d | %d | %.3f | %.3f | %zu | %d | %.3f | %.3f |\n",
                    alternatives, attributes, static_cast<unsigned long long>(seed),
                    counts.rankings, counts.ratios, counts.weightRows, counts.statements,
                    checkSeconds, checkCpuSeconds, result.Statements.size(), result.Checks, seconds,
                    cpuSeconds);
        std::fflush(stdout);
        if (options->show) {
            for (const velor::ConflictStatement& statement : result.Statements) {
                std::printf("    %s\n",
                            velor::DescribeStatement(scenario->model, statement).c_str());
            }
        }
    }
    return 0;
}
