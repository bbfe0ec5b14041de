// The random model generator is only useful to the soak test if its promises hold: feasible
// models are feasible, infeasible ones are not, every model is structurally sound, and the
// ranks, ratio and weight statements it is meant to exercise actually occur.
#include "random_model.h"

#include "calc/calculation_driver.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velor::testing {
namespace {

constexpr int kSeeds = 150;

TEST(RandomModel, FeasibilityIsAsPromised) {
    for (int seed = 1; seed <= kSeeds; ++seed) {
        for (const bool infeasible : {false, true}) {
            RandomModelOptions options;
            options.infeasible = infeasible;
            const RandomModel made = MakeRandomModel(static_cast<std::uint64_t>(seed), options);
            EXPECT_EQ(CheckFeasibility(made.model), !infeasible) << made.description;
        }
    }
}

TEST(RandomModel, SameSeedSameModelAndSavedFormReadsBack) {
    for (int seed = 1; seed <= 30; ++seed) {
        const RandomModel a = MakeRandomModel(static_cast<std::uint64_t>(seed));
        const RandomModel b = MakeRandomModel(static_cast<std::uint64_t>(seed));
        const std::string text = WriteModelText(a.model);
        EXPECT_EQ(text, WriteModelText(b.model)) << a.description;
        Model again;
        ASSERT_TRUE(ReadModelText(again, text)) << a.description;
        EXPECT_EQ(WriteModelText(again), text) << a.description;
    }
}

TEST(RandomModel, CoversTiesGapsUnrankedCellsStatementsAndBothWeightModes) {
    int ties = 0, gaps = 0, missingRankOne = 0, unrankedCells = 0, unrankedAttributes = 0;
    int ratioStatements = 0, topDown = 0, bottomUp = 0, holistic = 0, normalized = 0;
    for (int seed = 1; seed <= kSeeds; ++seed) {
        const Model& model = MakeRandomModel(static_cast<std::uint64_t>(seed)).model;
        (model.TopDownWeights() ? topDown : bottomUp) += 1;
        normalized += model.NormalizedIntervals() ? 1 : 0;
        for (NodeId node : model.PreOrder()) {
            const int column = model.ColumnOfNode(node);
            std::vector<int> ranks;
            for (int row = 1; row <= model.M(); ++row) {
                ranks.push_back(model.Rank(column, row));
            }
            const bool ranked =
                std::any_of(ranks.begin(), ranks.end(), [](int r) { return r > 0; });
            if (model.IsAttribute(node) && !ranked) {
                ++unrankedAttributes;
            }
            if (model.IsGoal(node) && ranked) {
                ++holistic;
            }
            if (!ranked) {
                continue;
            }
            unrankedCells += static_cast<int>(std::count(ranks.begin(), ranks.end(), 0));
            std::sort(ranks.begin(), ranks.end());
            ranks.erase(std::remove(ranks.begin(), ranks.end(), 0), ranks.end());
            missingRankOne += ranks.front() > 1 ? 1 : 0;
            for (std::size_t k = 1; k < ranks.size(); ++k) {
                ties += ranks[k] == ranks[k - 1] ? 1 : 0;
                gaps += ranks[k] > ranks[k - 1] + 1 ? 1 : 0;
            }
            if (const TPreferenceData* preference = model.Preference(node)) {
                ratioStatements += static_cast<int>(preference->Statements.size());
            }
        }
    }
    EXPECT_GT(ties, 0);
    EXPECT_GT(gaps, 0);
    EXPECT_GT(missingRankOne, 0);
    EXPECT_GT(unrankedCells, 0);
    EXPECT_GT(unrankedAttributes, 0);
    EXPECT_GT(ratioStatements, 0);
    EXPECT_GT(holistic, 0);
    EXPECT_GT(topDown, 0);
    EXPECT_GT(bottomUp, 0);
    EXPECT_GT(normalized, 0);
}

} // namespace
} // namespace velor::testing
