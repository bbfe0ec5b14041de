#include "calc/acceptability.h"

#include "calc/calculation_driver.h"
#include "calc/constraint_generator.h"
#include "calc/constraint_model.h"
#include "calc/feasible_polytope.h"
#include "calc/hit_and_run.h"
#include "calc/solver_bridge.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <new>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <unordered_map>

namespace velor {

namespace {

// Independent walks of a run, whatever the number of threads; each takes a fixed share of the
// samples. Several walks from the same start also show, through the batch means, when one of
// them has not yet forgotten where it started.
constexpr int kWalks = 4;
// Batches per walk for the batch-means error: 20 batches in all, enough for a stable estimate
// of the variance, and each batch long enough to outlast the correlation of successive points.
constexpr int kBatchesPerWalk = 5;
// Values closer than this count as equal (values lie between 0 and 1).
constexpr double kTie = 1e-10;

// Warm-up and thinning, in sweeps (one step along every coordinate). The walk starts at the
// centre of the largest inner ball, so the warm-up only has to spread it over the set; 500
// sweeps cost as much as 20 samples of a walk. Successive sweeps are strongly correlated where
// the statements tie many values together (ranked levels of one attribute bound one another,
// holistic rankings bound sums over whole subtrees), so a point is kept every 25 sweeps. On the
// generated models of the benchmark that makes a sample worth between a tenth of an independent
// one and a whole one, at a cost that keeps 10,000 samples of a 40 x 40 model within seconds;
// the batch means carry the correlation that remains into the standard errors rather than
// hide it, so a run with too few samples shows it in its errors.
constexpr int kWarmUpSweeps = 500;
constexpr int kThinningSweeps = 25;

// Seeds of the walks from the run's seed (splitmix64), so that walks never share a stream.
std::uint64_t WalkSeed(std::uint64_t seed, int walk) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(walk + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// The polytope of the model and the overall value of each alternative and the weight of each
// attribute as affine forms of its free coordinates.
struct Setup {
    std::unique_ptr<FeasiblePolytope> Polytope;
    std::vector<AffineForm> Values;  // per alternative
    std::vector<AffineForm> Weights; // per attribute
};

AffineForm SumOf(const FeasiblePolytope& polytope, const std::vector<int>& unknowns) {
    std::map<int, double> terms;
    AffineForm sum;
    for (const int unknown : unknowns) {
        const AffineForm& form = polytope.Unknown(unknown);
        sum.Constant += form.Constant;
        for (const SparseTerm& term : form.Terms) {
            terms[term.Index] += term.Value;
        }
    }
    for (const auto& [index, value] : terms) {
        if (value != 0.0) {
            sum.Terms.push_back({index, value});
        }
    }
    return sum;
}

Setup MakeSetup(const Model& model, const std::vector<int>& attributeColumns,
                const std::function<bool()>& stop) {
    const FeasibleRows rows = FeasibleRowsOf(model);
    // The value unknowns come first, attribute by attribute, each with its M rows.
    const auto m = static_cast<std::size_t>(model.M());
    std::vector<std::vector<int>> ofAlternative(m);
    std::vector<std::vector<int>> ofAttribute;
    for (std::size_t j = 0; j < attributeColumns.size(); ++j) {
        for (std::size_t row = 0; row < m; ++row) {
            ofAlternative[row].push_back(static_cast<int>(j * m + row));
        }
        const int best = BestAlternativeRow(model, attributeColumns[j]);
        ofAttribute.push_back({static_cast<int>(j * m) + best - 1});
    }
    Setup setup;
    setup.Polytope =
        std::make_unique<FeasiblePolytope>(rows.Rows, static_cast<int>(rows.Names.size()), stop);
    for (const auto& unknowns : ofAlternative) {
        setup.Values.push_back(SumOf(*setup.Polytope, unknowns));
    }
    for (const auto& unknowns : ofAttribute) {
        setup.Weights.push_back(SumOf(*setup.Polytope, unknowns));
    }
    return setup;
}

// The ranks a run counts for m alternatives.
int RanksCounted(int m) {
    return std::min(m, kFullTableAlternatives);
}

// What one walk counts: memory linear in the alternatives, except for the pairwise table, which
// is kept only up to kFullTableAlternatives alternatives.
struct Tally {
    Tally(int m, int attributes, int batches)
        : Ranks(RanksCounted(m)),
          RankCounts(static_cast<std::size_t>(batches),
                     std::vector<double>(
                         static_cast<std::size_t>(m) * static_cast<std::size_t>(Ranks), 0.0)),
          BatchSizes(static_cast<std::size_t>(batches), 0),
          Wins(m <= kFullTableAlternatives
                   ? static_cast<std::size_t>(m) * static_cast<std::size_t>(m)
                   : 0,
               0.0),
          WeightSums(static_cast<std::size_t>(m) * static_cast<std::size_t>(attributes), 0.0) {}
    int Ranks;                                   // ranks counted per alternative
    std::vector<std::vector<double>> RankCounts; // per batch: [alternative * Ranks + rank]
    std::vector<int> BatchSizes;
    std::vector<double> Wins;       // [alternative * m + other]; empty when left out
    std::vector<double> WeightSums; // [alternative * attributes + attribute], first-place share
};

void Count(const std::vector<double>& values, const std::vector<double>& weights,
           std::vector<double>& rankCounts, Tally& tally, std::vector<int>& order) {
    const int m = static_cast<int>(values.size());
    const auto mm = static_cast<std::size_t>(m);
    const auto ranks = static_cast<std::size_t>(tally.Ranks);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return values[static_cast<std::size_t>(a)] > values[static_cast<std::size_t>(b)];
    });
    int start = 0;
    while (start < m) {
        int end = start + 1;
        const double top = values[static_cast<std::size_t>(order[static_cast<std::size_t>(start)])];
        while (end < m &&
               top - values[static_cast<std::size_t>(order[static_cast<std::size_t>(end)])] <=
                   kTie) {
            ++end;
        }
        const double share = 1.0 / (end - start);
        for (int i = start; i < end; ++i) {
            const auto alternative = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
            for (int rank = start; rank < std::min(end, tally.Ranks); ++rank) {
                rankCounts[alternative * ranks + static_cast<std::size_t>(rank)] += share;
            }
            if (start == 0) {
                for (std::size_t j = 0; j < weights.size(); ++j) {
                    tally.WeightSums[alternative * weights.size() + j] += share * weights[j];
                }
            }
        }
        start = end;
    }
    if (tally.Wins.empty()) {
        return;
    }
    for (std::size_t a = 0; a < mm; ++a) {
        for (std::size_t b = a + 1; b < mm; ++b) {
            const double difference = values[a] - values[b];
            if (difference > kTie) {
                tally.Wins[a * mm + b] += 1.0;
            } else if (difference < -kTie) {
                tally.Wins[b * mm + a] += 1.0;
            } else {
                tally.Wins[a * mm + b] += 0.5;
                tally.Wins[b * mm + a] += 0.5;
            }
        }
    }
}

struct Shared {
    std::atomic<bool> Stop{false};
    std::atomic<long long> SweepsDone{0};
    std::atomic<int> NextWalk{0};
    std::mutex Mutex;
    std::condition_variable Finished;
    int WorkersLeft = 0;
    std::exception_ptr Error;
};

void RunWalk(const Setup& setup, std::uint64_t seed, int samples, Tally& tally, Shared& shared) {
    HitAndRun walk(*setup.Polytope, seed);
    for (int i = 0; i < kWarmUpSweeps; ++i) {
        if (shared.Stop.load(std::memory_order_relaxed)) {
            return;
        }
        walk.Sweep();
        shared.SweepsDone.fetch_add(1, std::memory_order_relaxed);
    }
    const std::size_t m = setup.Values.size();
    std::vector<double> values(m);
    std::vector<double> weights(setup.Weights.size());
    std::vector<int> order(m);
    for (int sample = 0; sample < samples; ++sample) {
        for (int i = 0; i < kThinningSweeps; ++i) {
            if (shared.Stop.load(std::memory_order_relaxed)) {
                return;
            }
            walk.Sweep();
            shared.SweepsDone.fetch_add(1, std::memory_order_relaxed);
        }
        walk.RefreshSlacks();
        for (std::size_t a = 0; a < m; ++a) {
            values[a] = setup.Values[a].At(walk.Point());
        }
        for (std::size_t j = 0; j < weights.size(); ++j) {
            weights[j] = setup.Weights[j].At(walk.Point());
        }
        const auto batch =
            static_cast<std::size_t>(static_cast<long long>(sample) * kBatchesPerWalk / samples);
        Count(values, weights, tally.RankCounts[batch], tally, order);
        ++tally.BatchSizes[batch];
    }
}

AcceptabilityResult Summarize(const std::vector<Tally>& tallies, int m, int attributes) {
    AcceptabilityResult result;
    const auto mm = static_cast<std::size_t>(m);
    const auto na = static_cast<std::size_t>(attributes);
    const auto ranks = static_cast<std::size_t>(RanksCounted(m));
    const bool pairwise = !tallies.front().Wins.empty();
    std::vector<double> counts(mm * ranks, 0.0);
    std::vector<double> wins(pairwise ? mm * mm : 0, 0.0);
    std::vector<double> weightSums(mm * na, 0.0);
    std::vector<const std::vector<double>*> batches;
    std::vector<int> batchSizes;
    int total = 0;
    for (const Tally& tally : tallies) {
        for (std::size_t b = 0; b < tally.RankCounts.size(); ++b) {
            if (tally.BatchSizes[b] == 0) {
                continue;
            }
            batches.push_back(&tally.RankCounts[b]);
            batchSizes.push_back(tally.BatchSizes[b]);
            total += tally.BatchSizes[b];
            for (std::size_t i = 0; i < counts.size(); ++i) {
                counts[i] += tally.RankCounts[b][i];
            }
        }
        for (std::size_t i = 0; i < wins.size(); ++i) {
            wins[i] += tally.Wins[i];
        }
        for (std::size_t i = 0; i < weightSums.size(); ++i) {
            weightSums[i] += tally.WeightSums[i];
        }
    }
    const double n = total;
    const auto nb = static_cast<double>(batches.size());
    result.Samples = total;
    result.RankShares.assign(mm, std::vector<double>(ranks, 0.0));
    result.RankErrors.assign(mm, std::vector<double>(ranks, 0.0));
    if (pairwise) {
        result.PairwiseWinning.assign(mm, std::vector<double>(mm, 0.0));
    }
    result.CentralWeights.assign(mm, std::vector<double>(na, 0.0));
    for (std::size_t a = 0; a < mm; ++a) {
        for (std::size_t r = 0; r < ranks; ++r) {
            const std::size_t i = a * ranks + r;
            const double share = counts[i] / n;
            // Batch means: the spread of the batches' shares, each weighted by its size.
            double sum = 0.0;
            for (std::size_t b = 0; b < batches.size(); ++b) {
                const double size = batchSizes[b];
                const double deviation = (*batches[b])[i] / size - share;
                sum += (size / n) * (size / n) * deviation * deviation;
            }
            result.RankShares[a][r] = share;
            result.RankErrors[a][r] = nb > 1 ? std::sqrt(sum * nb / (nb - 1)) : 0.0;
        }
        for (std::size_t b = 0; b < mm && pairwise; ++b) {
            result.PairwiseWinning[a][b] = wins[a * mm + b] / n;
        }
        const double first = counts[a * ranks];
        for (std::size_t j = 0; j < na; ++j) {
            result.CentralWeights[a][j] = first > 0.0 ? weightSums[a * na + j] / first : 0.0;
        }
    }
    return result;
}

// The calculation's feasibility check, with stop polled inside the simplex.
Feasibility CalculationFeasibility(const Model& model, const std::function<bool()>& stop,
                                   std::string& error) {
    return CheckFeasibility(model, {}, &error, nullptr, CancelToken(stop));
}

AcceptabilityOutcome Failure(AcceptabilityStatus status, std::string message) {
    AcceptabilityOutcome outcome;
    outcome.Status = status;
    outcome.Message = std::move(message);
    return outcome;
}

} // namespace

FeasibleRows FeasibleRowsOf(const Model& model) {
    FeasibleRows out;
    std::map<Unknown, int> indexOf;
    const auto unknownOf = [&](Unknown unknown) {
        const auto [it, inserted] = indexOf.try_emplace(unknown, static_cast<int>(out.Names.size()));
        if (inserted) {
            out.Names.push_back(UnknownName(unknown));
        }
        return it->second;
    };
    for (const NodeId node : model.Attributes()) {
        for (int row = 1; row <= model.M(); ++row) {
            unknownOf(Unknown{model.ColumnOfNode(node), row});
        }
    }
    ForEachModelRow(model, {}, [&](const UnknownRow& typed) {
        LinearRow row;
        for (const UnknownTerm& term : typed.Terms) {
            row.Terms.push_back({unknownOf(term.Var), term.Coefficient});
        }
        row.Relation = typed.Relation == kRelationEqual          ? RowRelation::Equal
                       : typed.Relation == kRelationGreaterEqual ? RowRelation::GreaterEqual
                                                                 : RowRelation::LessEqual;
        row.RightSide = typed.RightSide;
        out.Rows.push_back(std::move(row));
    });
    return out;
}

namespace {

AcceptabilityOutcome Analyse(const Model& model, const AcceptabilityOptions& options,
                             const AcceptabilityCallbacks& callbacks) {
    const int m = model.M();
    std::vector<int> attributeColumns;
    std::vector<std::string> attributeNames;
    for (const NodeId node : model.Attributes()) {
        attributeColumns.push_back(model.ColumnOfNode(node));
        attributeNames.push_back(model.Node(node).Name);
    }
    if (m == 0) {
        return Failure(AcceptabilityStatus::Failed, "The model has no alternatives.");
    }
    if (attributeColumns.empty()) {
        return Failure(AcceptabilityStatus::Failed, "The model has no attributes.");
    }

    // Whether the statements admit a solution is decided by the check the calculation runs, so
    // that the analysis and the calculation never disagree about it; the sampling set's own
    // programs only find where to walk.
    const auto stop = [&] { return callbacks.StopRequested && callbacks.StopRequested(); };
    std::string solverError;
    const Feasibility feasibility = CalculationFeasibility(model, stop, solverError);
    if (stop()) {
        return Failure(AcceptabilityStatus::Stopped, "Stopped.");
    }
    switch (feasibility) {
    case Feasibility::Feasible:
        break;
    case Feasibility::Infeasible:
        return Failure(AcceptabilityStatus::Infeasible, kInfeasibleAcceptabilityMessage);
    case Feasibility::SolverError:
        return Failure(AcceptabilityStatus::Failed, "Solver error: " + solverError);
    }
    Setup setup;
    try {
        setup = MakeSetup(model, attributeColumns, stop);
    } catch (const PolytopeError& error) {
        switch (error.kind()) {
        case PolytopeError::Kind::Stopped:
            return Failure(AcceptabilityStatus::Stopped, "Stopped.");
        case PolytopeError::Kind::Infeasible:
            // The check found a solution: the set is thinner than the sampling's tolerances.
            return Failure(AcceptabilityStatus::Failed,
                           "No samples can be drawn: the statements leave the values no room "
                           "that the sampling can resolve.");
        default:
            return Failure(AcceptabilityStatus::Failed,
                           std::string("No samples can be drawn: ") + error.what() + ".");
        }
    } catch (const std::runtime_error& error) { // the solver's fatal errors
        return Failure(AcceptabilityStatus::Failed, std::string("Solver error: ") + error.what());
    }

    std::vector<int> samplesOf(kWalks, options.Samples / kWalks);
    for (int w = 0; w < options.Samples % kWalks; ++w) {
        ++samplesOf[static_cast<std::size_t>(w)];
    }
    std::vector<Tally> tallies(
        kWalks, Tally(m, static_cast<int>(attributeColumns.size()), kBatchesPerWalk));
    const long long totalSweeps = static_cast<long long>(kWalks) * kWarmUpSweeps +
                                  static_cast<long long>(options.Samples) * kThinningSweeps;

    Shared shared;
    int threads = options.Threads > 0 ? options.Threads
                                      : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, kWalks);
    const auto worker = [&] {
        try {
            for (int w = shared.NextWalk++; w < kWalks && !shared.Stop; w = shared.NextWalk++) {
                RunWalk(setup, WalkSeed(options.Seed, w), samplesOf[static_cast<std::size_t>(w)],
                        tallies[static_cast<std::size_t>(w)], shared);
            }
        } catch (...) {
            const std::lock_guard lock(shared.Mutex);
            shared.Error = std::current_exception();
            shared.Stop = true;
        }
        const std::lock_guard lock(shared.Mutex);
        --shared.WorkersLeft;
        shared.Finished.notify_all();
    };
    // Each worker counts itself in before it starts and out when it ends; the walks go to
    // whichever worker is free, so fewer threads than asked for (none to be had) change nothing
    // but the time.
    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(threads)); // no allocation once threads run
    for (int t = 0; t < threads; ++t) {
        {
            const std::lock_guard lock(shared.Mutex);
            ++shared.WorkersLeft;
        }
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            const std::lock_guard lock(shared.Mutex);
            --shared.WorkersLeft;
            break;
        }
    }
    if (pool.empty()) {
        {
            const std::lock_guard lock(shared.Mutex);
            ++shared.WorkersLeft;
        }
        worker(); // on this thread; progress and stop are polled once it is done
    }
    const auto scale = [&](long long sweeps) {
        // Progress in thousandths, so the figures fit an int for any run.
        return static_cast<int>(sweeps * 1000 / std::max(1LL, totalSweeps));
    };
    const auto joinAll = [&] {
        for (std::thread& thread : pool) {
            thread.join();
        }
    };
    try {
        for (;;) {
            {
                std::unique_lock lock(shared.Mutex);
                if (shared.Finished.wait_for(lock, std::chrono::milliseconds(20),
                                             [&] { return shared.WorkersLeft == 0; })) {
                    break;
                }
            }
            if (callbacks.Progress) {
                callbacks.Progress(scale(shared.SweepsDone.load()), 1000);
            }
            if (stop()) {
                shared.Stop = true;
            }
        }
    } catch (...) {
        // A callback that throws ends the run; the walks stop before the error goes on.
        shared.Stop = true;
        joinAll();
        throw;
    }
    joinAll();
    if (shared.Error) {
        try {
            std::rethrow_exception(shared.Error);
        } catch (const std::bad_alloc&) {
            return Failure(AcceptabilityStatus::Failed, kOutOfMemoryMessage);
        } catch (const std::exception& error) {
            return Failure(AcceptabilityStatus::Failed, error.what());
        }
    }
    if (shared.Stop) {
        return Failure(AcceptabilityStatus::Stopped, "Stopped.");
    }
    if (callbacks.Progress) {
        callbacks.Progress(1000, 1000);
    }

    AcceptabilityOutcome outcome;
    outcome.Status = AcceptabilityStatus::Completed;
    outcome.Result = Summarize(tallies, m, static_cast<int>(attributeColumns.size()));
    outcome.Result.Seed = options.Seed;
    outcome.Result.Dimension = setup.Polytope->Dimension();
    outcome.Result.AttributeColumns = attributeColumns;
    outcome.Result.Attributes = attributeNames;
    for (int row = 1; row <= m; ++row) {
        outcome.Result.Alternatives.push_back(model.AlternativeName(row));
    }
    return outcome;
}

} // namespace

AcceptabilityOutcome ComputeAcceptability(const Model& model, const AcceptabilityOptions& options,
                                          const AcceptabilityCallbacks& callbacks) {
    if (options.Samples < kMinimumAcceptabilitySamples) {
        throw std::invalid_argument("at least " + std::to_string(kMinimumAcceptabilitySamples) +
                                    " samples are needed");
    }
    try {
        return Analyse(model, options, callbacks);
    } catch (const std::bad_alloc&) {
        return Failure(AcceptabilityStatus::Failed, kOutOfMemoryMessage);
    }
}

} // namespace velor
