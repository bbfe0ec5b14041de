// The memory an edit history takes: a generated model is calculated, then edited step by step
// through a document (typing, rankings, renames, weight bounds), and the resident memory is
// read before and after. Every step keeps a snapshot of the whole model with its results.
//
//   velor_history_bench [--size N] [--steps K] [--seed S]
#include "calc/calculation_driver.h"
#include "model/document.h"
#include "random_model.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

double StatusMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::atof(line.c_str() + prefix.size()) / 1024.0;
        }
    }
    return 0.0;
}

class QuietHost : public velor::CalcHost {
public:
    bool CancelRequested() override { return false; }
    void ShowProgress(int, int) override {}
    bool AskContinue(const std::string&) override { return true; }
    void ShowMessage(velor::MessageKind, const std::string&) override {}
};

} // namespace

int main(int argc, char** argv) {
    int size = 60;
    int steps = 100;
    std::uint64_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--size") {
            size = std::atoi(argv[i + 1]);
        } else if (option == "--steps") {
            steps = std::atoi(argv[i + 1]);
        } else if (option == "--seed") {
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        }
    }
    velor::testing::RandomModelOptions options;
    options.minAlternatives = options.maxAlternatives = size;
    options.minAttributes = options.maxAttributes = size;
    options.minGoals = options.maxGoals = size / 10;
    options.holisticShare = 0.0; // the calculation only provides the results to keep
    velor::Document document;
    document.Reset(velor::testing::MakeRandomModel(seed, options).model, "bench.vlr");
    const auto start = std::chrono::steady_clock::now();
    document.ApplyCalculation("Calculate Model", [](velor::Model& model) {
        QuietHost host;
        velor::CalculationDriver driver(model, host);
        return velor::CalculatedSets(model, velor::kCalculateModel,
                                     driver.Run(velor::kCalculateModel));
    });
    const double calcSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Memory the calculation freed goes back to the system first, so that the snapshots are
    // not counted into space the solver left behind.
    malloc_trim(0);
    const double before = StatusMegabytes("VmRSS");

    const auto& model = document.GetModel();
    const std::vector<velor::NodeId> attributes = model.Attributes();
    const auto editStart = std::chrono::steady_clock::now();
    for (int k = 0; k < steps; ++k) {
        const velor::NodeId node = attributes[static_cast<std::size_t>(k) % attributes.size()];
        const int row = 1 + k % model.M();
        switch (k % 4) {
        case 0:
            document.Apply("Typing", [&](velor::Model& m) {
                m.CommitCellText(m.ColumnOfNode(node), row, "edit " + std::to_string(k), true);
            });
            break;
        case 1:
            document.Apply("Rename Node", [&](velor::Model& m) {
                m.RenameNode(node, "Attribute " + std::to_string(k));
            });
            break;
        case 2:
            document.Apply("Weight Assessment", [&](velor::Model& m) {
                m.StoreWeightBounds(false, {{node, 10.0 + k % 50, 100}});
            });
            break;
        default:
            document.Apply("New Alternative", [](velor::Model& m) { m.NewAlternative(); });
            break;
        }
    }
    const double editSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - editStart).count();
    malloc_trim(0);
    const double after = StatusMegabytes("VmRSS");
    std::printf("model %dx%d (seed %llu), calculated in %.1f s\n", size, size,
                static_cast<unsigned long long>(seed), calcSeconds);
    std::printf("history of %zu steps: %.1f MB more resident memory (%.1f MB before, %.1f MB "
                "after, peak %.1f MB); %.1f ms per step\n",
                document.UndoCount(), after - before, before, after, StatusMegabytes("VmHWM"),
                1000.0 * editSeconds / steps);
    return 0;
}
