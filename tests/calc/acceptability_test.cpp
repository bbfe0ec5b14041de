// Acceptability analysis: known answers on small models, uniformity against exact volume
// fractions, dominance and interval order kept in every sample, determinism and stopping.
#include "calc/acceptability.h"
#include "calc/constraint_generator.h"
#include "calc/solver_bridge.h"
#include "calc_test_model.h"
#include "model/model_file.h"
#include "random_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <stdexcept>

namespace velor {
namespace {

using testing::CalcTestModel;

AcceptabilityResult Sample(const Model& model, int samples = 10000, std::uint64_t seed = 1,
                           int threads = 0) {
    const AcceptabilityOutcome outcome = ComputeAcceptability(model, {samples, seed, threads});
    EXPECT_EQ(outcome.Status, AcceptabilityStatus::Completed) << outcome.Message;
    return outcome.Result;
}

void ExpectShare(const AcceptabilityResult& result, int alternative, int rank, double expected) {
    const double share =
        result.RankShares[static_cast<std::size_t>(alternative)][static_cast<std::size_t>(rank)];
    const double error =
        result.RankErrors[static_cast<std::size_t>(alternative)][static_cast<std::size_t>(rank)];
    EXPECT_GT(error, 0.0) << "alternative " << alternative << " rank " << rank + 1;
    EXPECT_LT(error, 0.05);
    EXPECT_NEAR(share, expected, 4.0 * error)
        << "alternative " << alternative << " rank " << rank + 1;
}

// One attribute per alternative: alternative i is the only best level of attribute i and every
// other level of it is worth 0, so the overall value of alternative i is the weight w_i.
struct WeightModel {
    explicit WeightModel(int n) : t(n) {
        for (int i = 0; i < n; ++i) {
            std::vector<int> ranks(static_cast<std::size_t>(n), 2);
            ranks[static_cast<std::size_t>(i)] = 1;
            attributes.push_back(t.Attribute());
            t.Rank(attributes.back(), ranks);
        }
    }
    // lowerPercent <= w(attribute) / w(reference) * 100 <= upperPercent.
    void Bound(int attribute, int reference, double lowerPercent, double upperPercent) {
        t.BottomUp(attributes[static_cast<std::size_t>(reference)], 100, 100);
        t.BottomUp(attributes[static_cast<std::size_t>(attribute)], lowerPercent, upperPercent);
    }
    CalcTestModel t;
    std::vector<NodeId> attributes;
};

// Rank shares known exactly from the volume of the regions of the weight simplex.
struct Uniformity {
    const char* name;
    int attributes;
    std::function<void(WeightModel&)> statements;
    std::vector<std::vector<double>> shares; // [alternative][rank]
};

class UniformityTest : public ::testing::TestWithParam<Uniformity> {};

TEST_P(UniformityTest, RankSharesMatchVolumeFractions) {
    WeightModel w(GetParam().attributes);
    GetParam().statements(w);
    const AcceptabilityResult result = Sample(w.t.model);
    for (int a = 0; a < GetParam().attributes; ++a) {
        for (int r = 0; r < GetParam().attributes; ++r) {
            const double expected =
                GetParam().shares[static_cast<std::size_t>(a)][static_cast<std::size_t>(r)];
            if (expected == 0.0 || expected == 1.0) {
                EXPECT_EQ(
                    result.RankShares[static_cast<std::size_t>(a)][static_cast<std::size_t>(r)],
                    expected);
            } else {
                ExpectShare(result, a, r, expected);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Acceptability, UniformityTest,
    ::testing::Values(
        // Mirrored alternatives, no weight statements: w1 uniform on [0, 1].
        Uniformity{"Mirrored", 2, [](WeightModel&) {}, {{0.5, 0.5}, {0.5, 0.5}}},
        // w1 <= 3 w2: w1 uniform on [0, 3/4], above w2 on a third of it.
        Uniformity{"ThreeTimesAtMost",
                   2,
                   [](WeightModel& w) { w.Bound(0, 1, 0, 300); },
                   {{1.0 / 3, 2.0 / 3}, {2.0 / 3, 1.0 / 3}}},
        // Three weights: each of the six orders on a sixth of the simplex.
        Uniformity{"Simplex",
                   3,
                   [](WeightModel&) {},
                   {{1.0 / 3, 1.0 / 3, 1.0 / 3},
                    {1.0 / 3, 1.0 / 3, 1.0 / 3},
                    {1.0 / 3, 1.0 / 3, 1.0 / 3}}},
        // w1 >= w2 halves the simplex and keeps three of the six orders.
        Uniformity{
            "HalvedSimplex",
            3,
            [](WeightModel& w) { w.Bound(0, 1, 100, -1); },
            {{2.0 / 3, 1.0 / 3, 0.0}, {0.0, 1.0 / 3, 2.0 / 3}, {1.0 / 3, 1.0 / 3, 1.0 / 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Acceptability, CentralWeightsOfTheSimplexAreTheMeanOfTheLargestWeight) {
    WeightModel w(3);
    const AcceptabilityResult result = Sample(w.t.model);
    // For weights uniform on the simplex, the largest has mean 11/18, the two others 7/36 each.
    for (std::size_t a = 0; a < 3; ++a) {
        ASSERT_TRUE(result.HasCentralWeights(static_cast<int>(a)));
        for (std::size_t j = 0; j < 3; ++j) {
            EXPECT_NEAR(result.CentralWeights[a][j], a == j ? 11.0 / 18 : 7.0 / 36, 0.015);
        }
        EXPECT_NEAR(
            std::accumulate(result.CentralWeights[a].begin(), result.CentralWeights[a].end(), 0.0),
            1.0, 1e-9);
    }
}

TEST(Acceptability, WeightTwiceAsLargeDecidesMirroredAlternatives) {
    WeightModel w(2);
    w.Bound(0, 1, 200, -1);
    const AcceptabilityResult result = Sample(w.t.model, 1000);
    EXPECT_EQ(result.RankShares[0], (std::vector<double>{1.0, 0.0}));
    EXPECT_EQ(result.RankShares[1], (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(result.RankErrors[0][0], 0.0);
    EXPECT_EQ(result.PairwiseWinning[0][1], 1.0);
    EXPECT_EQ(result.PairwiseWinning[1][0], 0.0);
    EXPECT_FALSE(result.HasCentralWeights(1));
    EXPECT_GE(result.CentralWeights[0][0], 2.0 / 3);
}

double Extreme(const Model& model, int row, int direction) {
    const TSolution solution = SolveModel(BuildValueModel(model, 1, row, direction, false));
    EXPECT_EQ(solution.Status, SolveStatus::Optimal);
    return solution.Objective;
}

TEST(Acceptability, AlternativeWhoseIntervalLiesAboveAllOthersIsAlwaysFirst) {
    // Alternative 1 is best on the heavy attribute, alternative 2 on the light one, so neither
    // dominates; a ratio statement keeps alternative 2 far below on the heavy one.
    CalcTestModel t(3);
    const NodeId heavy = t.Attribute();
    const NodeId light = t.Attribute();
    t.Rank(heavy, {1, 2, 3});
    t.Rank(light, {2, 1, 3});
    t.Ratio(heavy, 1, 2, 1, 3, 0.5, -1);
    t.BottomUp(light, 100, 100);
    t.BottomUp(heavy, 300, -1);
    const double lowestOfFirst = Extreme(t.model, 1, kMinimize);
    ASSERT_GT(lowestOfFirst, Extreme(t.model, 2, kMaximize));
    ASSERT_GT(lowestOfFirst, Extreme(t.model, 3, kMaximize));
    ASSERT_LT(Extreme(t.model, 1, kMaximize) - lowestOfFirst, 1.0); // not a single point

    const AcceptabilityResult result = Sample(t.model, 1000);
    EXPECT_EQ(result.RankShares[0][0], 1.0);
    EXPECT_EQ(result.RankErrors[0][0], 0.0);
    EXPECT_EQ(result.PairwiseWinning[0][1], 1.0);
    EXPECT_EQ(result.PairwiseWinning[0][2], 1.0);
}

TEST(Acceptability, StatementsThatTogetherTieTwoLevelsStillGiveSamples) {
    // Alternative 2 is ranked below alternative 1 on the first attribute, but the ratio
    // statement says it is at least as far above alternative 3: the two levels are equal, which
    // no single row states. On the second attribute alternative 2 is best, so it wins always.
    CalcTestModel t(3);
    const NodeId first = t.Attribute();
    const NodeId second = t.Attribute();
    t.Rank(first, {1, 2, 3});
    t.Rank(second, {2, 1, 3});
    t.Ratio(first, 2, 3, 1, 3, 1.0, 2.0);
    const AcceptabilityResult result = Sample(t.model, 1000);
    EXPECT_EQ(result.PairwiseWinning[1][0], 1.0);
    EXPECT_EQ(result.RankShares[1][0], 1.0);
}

// In random models, an alternative that another dominates (its value never exceeds the
// other's anywhere in the feasible set) is never ranked above it and never first.
TEST(Acceptability, DominatedAlternativeNeverRanksAboveItsDominator) {
    int pairs = 0;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        testing::RandomModelOptions options;
        options.topDownShare = 0.0;
        const Model model = testing::MakeRandomModel(seed, options).model;
        const AcceptabilityOutcome outcome = ComputeAcceptability(model, {400, seed, 0});
        if (outcome.Status != AcceptabilityStatus::Completed) {
            continue; // a model without room to vary, say
        }
        const AcceptabilityResult& result = outcome.Result;
        for (int a = 1; a <= model.M(); ++a) {
            for (int b = 1; b <= model.M(); ++b) {
                if (a == b) {
                    continue;
                }
                const TSolution low = SolveModel(BuildDominanceModel(model, a, b));
                const TSolution high = SolveModel(AssembleProgram(
                    model, {kMaximize, DominanceProgram(model, a, b).Objective, {}}));
                if (low.Failed() || high.Failed() ||
                    low.Objective < 1e-7 || high.Objective < 1e-6) {
                    continue; // a dominates b strictly everywhere only
                }
                ++pairs;
                const auto ua = static_cast<std::size_t>(a - 1);
                const auto ub = static_cast<std::size_t>(b - 1);
                EXPECT_EQ(result.PairwiseWinning[ub][ua], 0.0) << "seed " << seed;
                EXPECT_EQ(result.RankShares[ub][0], 0.0) << "seed " << seed;
            }
        }
    }
    EXPECT_GT(pairs, 5);
}

// Two alternatives tie in every sample only where the statements make their values equal
// everywhere; a pair whose difference can take either sign is split in the samples.
TEST(Acceptability, PairsTieOnlyWhereTheirValuesAreEqualEverywhere) {
    int split = 0;
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        const Model model = testing::MakeRandomModel(seed).model;
        const AcceptabilityOutcome outcome = ComputeAcceptability(model, {400, seed, 0});
        ASSERT_EQ(outcome.Status, AcceptabilityStatus::Completed) << outcome.Message;
        for (int a = 1; a <= model.M(); ++a) {
            for (int b = a + 1; b <= model.M(); ++b) {
                const ProgramParts difference = DominanceProgram(model, a, b);
                const TSolution low = SolveModel(AssembleProgram(model, difference));
                const TSolution high =
                    SolveModel(AssembleProgram(model, {kMaximize, difference.Objective, {}}));
                ASSERT_EQ(low.Status, SolveStatus::Optimal);
                ASSERT_EQ(high.Status, SolveStatus::Optimal);
                const double share =
                    outcome.Result.PairwiseWinning[static_cast<std::size_t>(a - 1)]
                                                  [static_cast<std::size_t>(b - 1)];
                if (high.Objective - low.Objective < 1e-9) {
                    EXPECT_EQ(share, std::fabs(low.Objective) < 1e-9 ? 0.5 : (low.Objective > 0));
                } else if (low.Objective < -1e-3 && high.Objective > 1e-3) {
                    ++split;
                    EXPECT_GT(share, 0.0) << "seed " << seed << " pair " << a << "," << b;
                    EXPECT_LT(share, 1.0) << "seed " << seed << " pair " << a << "," << b;
                }
            }
        }
    }
    EXPECT_GT(split, 10);
}

TEST(Acceptability, SharesAreDistributionsOverRanksAndAlternatives) {
    for (std::uint64_t seed = 20; seed < 26; ++seed) {
        const Model model = testing::MakeRandomModel(seed).model;
        const AcceptabilityOutcome outcome = ComputeAcceptability(model, {300, seed, 0});
        if (outcome.Status != AcceptabilityStatus::Completed) {
            continue;
        }
        const AcceptabilityResult& result = outcome.Result;
        const auto m = static_cast<std::size_t>(model.M());
        ASSERT_EQ(result.Alternatives.size(), m);
        for (std::size_t i = 0; i < m; ++i) {
            double byRank = 0.0;
            double byAlternative = 0.0;
            for (std::size_t k = 0; k < m; ++k) {
                byRank += result.RankShares[i][k];
                byAlternative += result.RankShares[k][i];
                if (k != i) {
                    EXPECT_NEAR(result.PairwiseWinning[i][k] + result.PairwiseWinning[k][i], 1.0,
                                1e-12);
                }
            }
            EXPECT_NEAR(byRank, 1.0, 1e-9);
            EXPECT_NEAR(byAlternative, 1.0, 1e-9);
            EXPECT_EQ(result.PairwiseWinning[i][i], 0.0);
        }
    }
}

TEST(Acceptability, SameSeedSameResultWhateverTheThreads) {
    WeightModel w(3);
    const Model& model = w.t.model;
    const AcceptabilityResult one = Sample(model, 500, 42, 1);
    const AcceptabilityResult four = Sample(model, 500, 42, 4);
    EXPECT_EQ(one.RankShares, four.RankShares);
    EXPECT_EQ(one.RankErrors, four.RankErrors);
    EXPECT_EQ(one.PairwiseWinning, four.PairwiseWinning);
    EXPECT_EQ(one.CentralWeights, four.CentralWeights);
    EXPECT_EQ(one.Seed, 42U);
    EXPECT_EQ(one.Samples, 500);
    const AcceptabilityResult other = Sample(model, 500, 43, 1);
    EXPECT_NE(one.PairwiseWinning, other.PairwiseWinning);
}

TEST(Acceptability, StopEndsTheRunWithoutResult) {
    WeightModel w(3);
    int polls = 0;
    AcceptabilityCallbacks callbacks;
    callbacks.StopRequested = [&] { return ++polls >= 2; };
    const AcceptabilityOutcome outcome =
        ComputeAcceptability(w.t.model, {100000000, 1, 0}, callbacks);
    EXPECT_EQ(outcome.Status, AcceptabilityStatus::Stopped);
    EXPECT_TRUE(outcome.Result.RankShares.empty());
}

TEST(Acceptability, AnErrorOfACallbackStopsTheWalksAndGoesOn) {
    WeightModel w(3);
    AcceptabilityCallbacks callbacks;
    callbacks.Progress = [](int, int) { throw std::runtime_error("window closed"); };
    EXPECT_THROW(ComputeAcceptability(w.t.model, {100000000, 1, 2}, callbacks), std::runtime_error);
}

TEST(Acceptability, ProgressEndsAtItsTotal) {
    WeightModel w(2);
    int last = -1;
    int total = 0;
    AcceptabilityCallbacks callbacks;
    callbacks.Progress = [&](int done, int of) {
        EXPECT_GE(done, last);
        last = done;
        total = of;
    };
    ASSERT_EQ(ComputeAcceptability(w.t.model, {1000, 1, 0}, callbacks).Status,
              AcceptabilityStatus::Completed);
    EXPECT_EQ(last, total);
}

TEST(Acceptability, ContradictingStatementsGiveAnErrorNotSamples) {
    testing::RandomModelOptions options;
    options.infeasible = true;
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        const AcceptabilityOutcome outcome =
            ComputeAcceptability(testing::MakeRandomModel(seed, options).model, {1000, 1, 0});
        EXPECT_EQ(outcome.Status, AcceptabilityStatus::Infeasible) << outcome.Message;
        EXPECT_FALSE(outcome.Message.empty());
        EXPECT_TRUE(outcome.Result.RankShares.empty());
    }
}

TEST(Acceptability, ModelsWithoutAlternativesOrSamplesAreRefused) {
    CalcTestModel empty(0);
    empty.Attribute();
    EXPECT_EQ(ComputeAcceptability(empty.model, {}).Status, AcceptabilityStatus::Failed);
    WeightModel w(2);
    EXPECT_THROW(ComputeAcceptability(w.t.model, {kMinimumAcceptabilitySamples - 1, 1, 0}),
                 std::invalid_argument);
}

// The car example with Running cost's weight between 40 % and upper % of the reference's.
Model CarWithRunningCostUpTo(double upper) {
    Model model;
    EXPECT_TRUE(LoadModelFile(model, std::string(VELOR_SOURCE_DIR) + "/examples/car.vlr"));
    for (const NodeId node : model.Attributes()) {
        if (model.Node(node).Name == "Running cost") {
            model.StoreWeightBounds(false, {{node, 40.0, upper}});
        }
    }
    return model;
}

// A set that the statements leave thin is sampled: as a set of its own where the walk can
// resolve it, otherwise as the face it nearly is, with the dimension the walk has where the
// bounds are equal.
struct ThinSet {
    const char* name;
    double upper;
    int extraDimensions; // over the set where the bounds are equal
};

class ThinSetTest : public ::testing::TestWithParam<ThinSet> {};

TEST_P(ThinSetTest, IsSampledLikeTheEqualityItNearlyIs) {
    const AcceptabilityOutcome flat = ComputeAcceptability(CarWithRunningCostUpTo(40.0), {400});
    ASSERT_EQ(flat.Status, AcceptabilityStatus::Completed) << flat.Message;
    const AcceptabilityOutcome thin =
        ComputeAcceptability(CarWithRunningCostUpTo(GetParam().upper), {400});
    ASSERT_EQ(thin.Status, AcceptabilityStatus::Completed) << thin.Message;
    EXPECT_EQ(thin.Result.Dimension, flat.Result.Dimension + GetParam().extraDimensions);
}

INSTANTIATE_TEST_SUITE_P(Acceptability, ThinSetTest,
                         ::testing::Values(ThinSet{"Hundredth", 40.01, 1},
                                           ThinSet{"Millionth", 40.000001, 0},
                                           ThinSet{"TenBillionth", 40.0000000001, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Beyond the full tables, the result counts the first ranks only and leaves the pairwise table
// out, so that memory stays linear in the alternatives; what it counts is still exact.
TEST(Acceptability, ManyAlternativesKeepTheFirstRanksWithoutPairwiseTable) {
    const int m = kFullTableAlternatives + 30;
    CalcTestModel t(m);
    std::vector<int> up(static_cast<std::size_t>(m));
    std::iota(up.begin(), up.end(), 1);
    std::vector<int> down(up.rbegin(), up.rend());
    t.Rank(t.Attribute(), up);
    t.Rank(t.Attribute(), down);
    const AcceptabilityResult result = Sample(t.model, 100);
    EXPECT_FALSE(result.HasPairwiseWinning());
    ASSERT_EQ(result.RanksCounted(), kFullTableAlternatives);
    std::vector<double> byRank(static_cast<std::size_t>(kFullTableAlternatives), 0.0);
    for (std::size_t a = 0; a < static_cast<std::size_t>(m); ++a) {
        ASSERT_EQ(result.RankErrors[a].size(), byRank.size());
        const double counted =
            std::accumulate(result.RankShares[a].begin(), result.RankShares[a].end(), 0.0);
        EXPECT_LE(counted, 1.0 + 1e-9);
        for (std::size_t r = 0; r < byRank.size(); ++r) {
            byRank[r] += result.RankShares[a][r];
        }
    }
    for (const double share : byRank) {
        EXPECT_NEAR(share, 1.0, 1e-9);
    }
}

} // namespace
} // namespace velor
