// Writes random decision models for soak tests and benchmarks:
//   velor-random-model FOLDER COUNT [FIRST_SEED] [INFEASIBLE_EVERY]
// Model k (seed FIRST_SEED + k) is saved as feasible_<seed>.vlr, except every INFEASIBLE_EVERY-th
// one (default 10; 0 for none), which is made infeasible and saved as infeasible_<seed>.vlr, so a
// caller can tell from the name what a calculation of the model must report. Every fifth model
// is larger (up to 12 alternatives and 12 attributes).
#include "random_model.h"

#include "model/model_file.h"

#include <cstdint>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::cerr << "usage: velor-random-model FOLDER COUNT [FIRST_SEED] [INFEASIBLE_EVERY]\n";
        return 1;
    }
    const std::string folder = argv[1];
    int count = 0;
    std::uint64_t firstSeed = 1;
    int infeasibleEvery = 10;
    try {
        count = std::stoi(argv[2]);
        if (argc > 3) {
            firstSeed = std::stoull(argv[3]);
        }
        if (argc > 4) {
            infeasibleEvery = std::stoi(argv[4]);
        }
    } catch (const std::exception&) {
        std::cerr << "velor-random-model: COUNT, FIRST_SEED and INFEASIBLE_EVERY are numbers\n";
        return 1;
    }
    for (int k = 0; k < count; ++k) {
        velor::testing::RandomModelOptions options;
        if (k % 5 == 4) { // every fifth model larger
            options.maxAlternatives = 12;
            options.maxAttributes = 12;
            options.maxGoals = 5;
        }
        options.infeasible = infeasibleEvery > 0 && k % infeasibleEvery == infeasibleEvery - 1;
        const std::uint64_t seed = firstSeed + static_cast<std::uint64_t>(k);
        const velor::testing::RandomModel made = velor::testing::MakeRandomModel(seed, options);
        const std::string path = folder + "/" + (made.infeasible ? "infeasible_" : "feasible_") +
                                 std::to_string(seed) + ".vlr";
        std::string error;
        if (!velor::SaveModelFile(made.model, path, &error)) {
            std::cerr << "velor-random-model: " << path << ": " << error << "\n";
            return 2;
        }
    }
    return 0;
}
